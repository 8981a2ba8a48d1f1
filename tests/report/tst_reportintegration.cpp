// The report where the instrument makes it: after the end-of-test save,
// after each judgement of a reviewed file, and the suggestion on the
// measurement screen's curve.

#include "acqstate.h"
#include "cdlgsavemsg.h"
#include "ctrlinfo.h"
#include "curve.h"
#include "device.h"
#include "dlgmain.h"
#include "testsession.h"
#include "holefile.h"
#include "holereport.h"
#include "modalanswer.h"
#include "platform.h"
#include "suggestionmarker.h"
#include "sysconfig.h"
#include "testrecord.h"
#include "testmanifest.h"
#include "screentestworld.h"
#include "sessionsetup.h"
#include "testsupport.h"
#include "winchaddress.h"

#include <QDir>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTcpServer>
#include <QtTest>
#include <memory>

namespace {

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

QPushButton *button(QWidget *w, const char *name) { return w->findChild<QPushButton *>(QString::fromLatin1(name)); }

// The sample list of a raised hole: sediment (30) in the bottom
// sedimentMm, mud (12) above, every 50 mm.
QVector<Sample> holeSamples(int count, int sedimentMm)
{
    QVector<Sample> v;
    for (int i = 0; i < count; ++i) {
        const float r = 50 * i < sedimentMm ? 30.0f : 12.0f;
        v.append(Sample{20000 - 50 * i, r, r});
    }
    return v;
}

// Text of a PDF without blanks; empty without pdftotext.
QString pdfText(const QString &pdf)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return QString();
    QProcess p;
    p.start(tool, {pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished(5000);
        return QString();
    }
    return QString::fromUtf8(p.readAllStandardOutput()).remove(QRegularExpression(QStringLiteral("\\s+")));
}

// The names the manifest beside a hole file signs, after checking each
// against the bytes on the disk (a fault fails the test).
QStringList signedNames(const QString &hole)
{
    SignedManifest manifest;
    QString error;
    if (!readManifest(readFileBytes(manifestPathFor(hole)), &manifest, &error)) {
        qWarning() << "no manifest:" << error;
        return {};
    }
    QMap<QString, QByteArray> files;
    QStringList names;
    for (const ManifestSubject &subject : manifest.statement.subjects) {
        names << subject.name;
        files.insert(subject.name, readFileBytes(QFileInfo(hole).absolutePath() + QLatin1Char('/') + subject.name));
    }
    const QStringList faults = manifest.subjectFaults(files);
    if (!faults.isEmpty()) {
        qWarning() << faults;
        return {};
    }
    return names;
}

// Pixels of the suggestion's colour on a row of the picture.
int suggestionPixels(const QImage &image, int y)
{
    int n = 0;
    for (int x = 0; x < image.width(); ++x)
        n += image.pixelColor(x, y) == suggestionColor() ? 1 : 0;
    return n;
}

} // namespace

class TestReportIntegration : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void endOfTestSaveLeavesReportBeside();
    void reportFailureDoesNotStopTheSave();
    void judgementRewritesTheReport();
    void curveShowsTheSuggestion();

private:
    SilentWinch m_winch;
    std::unique_ptr<ScreenTestWorld> m_world;
    QString m_dataDir;
};

void TestReportIntegration::initTestCase()
{
    QVERIFY(m_winch.start());
}

void TestReportIntegration::cleanupTestCase() { m_winch.stop(); }

void TestReportIntegration::init()
{
    m_world = std::make_unique<ScreenTestWorld>();
    m_dataDir = m_world->file(QStringLiteral("ZPV_CZL-FILE"));
}

void TestReportIntegration::cleanup() { m_world.reset(); }

// "Save" at the end of a test leaves A12.CZO and A12.PDF side by side; the
// report shows what the file holds.
void TestReportIntegration::endOfTestSaveLeavesReportBeside()
{
    const QString hole = m_dataDir + QStringLiteral("/P/A12.CZO");
    QWidget main;
    CTestSession session;
    editSessionRecord(&session, [&](CtrlInfo &r) {
        r.dataDir = m_dataDir;
        r.projectPath = QStringLiteral("P");
        r.holeNo = QStringLiteral("A12");
        r.sedimentThickness = 35;
        r.filePath = hole;
    });
    session.restoreTest(holeSamples(30, 350), session.state());
    CDlgSaveMsg dlg(&session, &main);
    dlg.Prepare();
    dlg.show();
    QTest::mouseClick(button(&dlg, "BtnSave"), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    // The hole file, its report and the signed manifest of both.
    QCOMPARE(QDir(QFileInfo(hole).absolutePath()).entryList(QDir::Files), (QStringList{"A12.CZO", "A12.PDF", "A12.SIG"}));
    // The instrument that signed it is the one the report names.
    SignedManifest manifest;
    QString error;
    QVERIFY2(readManifest(readFileBytes(manifestPathFor(hole)), &manifest, &error), qPrintable(error));
    QVERIFY(!session.deviceId().isEmpty());
    QCOMPARE(manifest.statement.device, session.deviceId());
    // Hashed while the report was drawn: the digests are those of the files.
    QCOMPARE(signedNames(hole), (QStringList{"A12.CZO", "A12.PDF"}));
    const QString text = pdfText(holeReportPath(hole));
    if (!text.isEmpty()) {
        QVERIFY(text.contains(u("桩号A12")));
        QVERIFY(text.contains(u("沉渣厚度(cm)35")));
        QVERIFY(text.contains(sha256Hex(readFileBytes(hole))));
        QVERIFY2(text.contains(u("仪器编号") + session.deviceId()), qPrintable(text));
    }
}

// A report that cannot be written (its name is taken by a folder) leaves
// the save as it was: accepted, the file complete, no message.
void TestReportIntegration::reportFailureDoesNotStopTheSave()
{
    const QString hole = m_dataDir + QStringLiteral("/P/A12.CZO");
    QVERIFY(writeFileBytes(m_dataDir + QStringLiteral("/P/A12.PDF/keep"), "x"));
    const QVector<Sample> saved = holeSamples(10, 100);
    QWidget main;
    CTestSession session;
    editSessionRecord(&session, [&](CtrlInfo &r) {
        r.dataDir = m_dataDir;
        r.projectPath = QStringLiteral("P");
        r.filePath = hole;
    });
    session.restoreTest(saved, session.state());
    CDlgSaveMsg dlg(&session, &main);
    dlg.Prepare();
    dlg.show();
    auto message = answerNextModal("CDlgMsgBox", [](QWidget *w) { clickChild(w, "BtnOK"); }, 3000);
    QTest::mouseClick(button(&dlg, "BtnSave"), Qt::LeftButton);
    message->cancel();
    QVERIFY(!message->answered);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    CtrlInfo info;
    const HoleLoadResult r = readHoleFile(hole, info);
    QVERIFY(r.ok);
    QCOMPARE(r.samples, saved);
    // The manifest signs the hole file alone.
    QCOMPARE(signedNames(hole), QStringList{"A12.CZO"});
}

// Each judgement of a reviewed file rewrites the file and its report.
void TestReportIntegration::judgementRewritesTheReport()
{
    CtrlInfo info;
    info.maxDepth = 20000;
    info.holeDepth = 20000;
    info.holeNo = QStringLiteral("R7");
    info.sedimentThickness = 11;
    const QString hole = m_world->file(QStringLiteral("R7.CZO"));
    HoleSaveOptions o;
    o.sync = false;
    QVERIFY(saveHoleFile(hole, info, {{19000, 3, 3}, {19650, 4, 4}, {19800, 5, 5}}, o));
    QVERIFY(!QFileInfo::exists(holeReportPath(hole)));

    setDeviceBackend(nullptr);
    openDevice();
    CDlgMain dlg;
    dlg.setQuitAction([]() {});
    dlg.show();
    dlg.OpenFileForReview(hole);
    QVERIFY(dlg.reviewMode());
    QByteArray previous;
    for (int row : {2, 3}) {
        dlg.OnSetMouseClick(row, 1, QString(), 2);
        QTest::mouseClick(button(&dlg, "Btnjudge"), Qt::LeftButton);
        const int thickness = row == 2 ? 35 : 20;
        QCOMPARE(int(dlg.session()->record().sedimentThickness), thickness);
        const QByteArray report = readFileBytes(holeReportPath(hole));
        QVERIFY(report.startsWith("%PDF-"));
        QVERIFY(report != previous);
        previous = report;
        QCOMPARE(signedNames(hole), (QStringList{"R7.CZO", "R7.PDF"}));
        const QString text = pdfText(holeReportPath(hole));
        if (!text.isEmpty()) {
            QVERIFY(text.contains(u("沉渣厚度(cm)%1").arg(thickness)));
            QVERIFY(text.contains(sha256Hex(readFileBytes(hole))));
        }
    }
    auto asked = answerNextModal("CDlgMsgQuestion", [](QWidget *w) { clickChild(w, "BtnOK"); });
    QTest::mouseClick(button(&dlg, "BtnSample"), Qt::LeftButton);
    QVERIFY(asked->answered);
}

// The measurement screen's curve draws the suggestion as a dashed line at
// the suggested sample's row, and nothing where the curve has no step; the
// selection is left alone.
void TestReportIntegration::curveShowsTheSuggestion()
{
    CtrlInfo record;
    record.maxDepth = 20000;
    record.moveDistance = 50;
    record.curveRange = 50;
    QPixmap pixmap(600, 500);
    const QRect plot = curveGeometry(600, 500).plot;

    SampleList list;
    list.assign(holeSamples(401, 400));
    DrawCurvePicture(pixmap, list, record, 200);
    const SedimentSuggestion s = suggestSedimentInterface(list.snapshot(), 20000, 50);
    QVERIFY(s.shown());
    QCOMPARE(s.thicknessCm, 35);
    const int y = curvePoint(plot, 50, 20000, s.depth, 0).y();
    QVERIFY(suggestionPixels(pixmap.toImage(), y) > plot.width() / 3);

    list.assign(holeSamples(401, 0));
    DrawCurvePicture(pixmap, list, record);
    const QImage flat = pixmap.toImage();
    for (int row = plot.top(); row <= plot.bottom(); ++row)
        QCOMPARE(suggestionPixels(flat, row), 0);
}

QTEST_MAIN(TestReportIntegration)
#include "tst_reportintegration.moc"
