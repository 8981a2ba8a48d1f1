// The per-hole PDF report: its file name, pages, the curve's marks (checked
// on the drawing calls), its texts (extracted from the PDF with pdftotext),
// safe replacement, failures, and the office tool's "report" command.

#include "ctrlinfo.h"
#include "holefile.h"
#include "holereport.h"
#include "paintrecorder.h"
#include "reportcurve.h"
#include "reportpages.h"
#include "suggestionmarker.h"
#include "recordfixture.h"
#include "testsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTranslator>
#include <QtTest>
#include <cmath>

namespace {

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

using RecordFixture::holeSamples;


bool saveHole(const QString &path, const CtrlInfo &info, const QVector<Sample> &samples)
{
    HoleSaveOptions o;
    o.sync = false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    return saveHoleFile(path, info, samples, o);
}

QString pdfToText()
{
    return QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
}

// The text of a PDF, pages separated by form feeds; empty when it fails.
QString pdfText(const QString &pdf)
{
    QProcess p;
    p.start(pdfToText(), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished(5000);
        return QString();
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pagesOf(const QString &text)
{
    return text.count(QLatin1Char('\f'));
}

// Without blanks (the layout pads columns with varying runs of spaces, and
// the extraction drops those between Chinese characters and digits) and in
// compatibility forms (undoing the ligatures the fonts draw, such as "fi").
QString squeezed(const QString &text)
{
    QString s = text.normalized(QString::NormalizationForm_KC);
    s.remove(QRegularExpression(QStringLiteral("\\s+")));
    return s;
}

bool has(const QString &flat, const QString &needle)
{
    return flat.contains(squeezed(needle));
}

ChildRun tool(const QStringList &args)
{
    return runChild(testBinDir() + QStringLiteral("/zpvw-hole"), args, QProcessEnvironment::systemEnvironment(), 60000);
}

QStringList leftovers(const QString &dir)
{
    return QDir(dir).entryList({QStringLiteral(".*.saving"), QStringLiteral("*.saving")},
                               QDir::Files | QDir::Hidden);
}

} // namespace

class TestHoleReport : public QObject {
    Q_OBJECT
private slots:
    void reportPath_data();
    void reportPath();
    void pageCount_data();
    void pageCount();
    void curveMarks_data();
    void curveMarks();
    void reportContent();
    void englishCatalogue();
    void acceptanceOnFirstPage();
    void judgementRewriteReplacesReport();
    void failureLeavesNoReport_data();
    void failureLeavesNoReport();
    void officeTool();
    void longHole();
};

void TestHoleReport::reportPath_data()
{
    QTest::addColumn<QString>("hole");
    QTest::addColumn<QString>("report");
    QTest::newRow("upper case") << "/d/P/A12.CZO" << "/d/P/A12.PDF";
    QTest::newRow("lower case") << "/d/P/a12.czo" << "/d/P/a12.pdf";
    QTest::newRow("mixed case") << "/d/P/A12.Czo" << "/d/P/A12.PDF";
    QTest::newRow("no extension") << "/d/P/A12" << "/d/P/A12.PDF";
    QTest::newRow("folder named like a file") << "/d/x.czo/A1" << "/d/x.czo/A1.PDF";
}

void TestHoleReport::reportPath()
{
    QFETCH(QString, hole);
    QFETCH(QString, report);
    QCOMPARE(holeReportPath(hole), report);
}

void TestHoleReport::pageCount_data()
{
    QTest::addColumn<int>("samples");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("rows");
    QTest::newRow("none") << 0 << 1 << 0;
    QTest::newRow("one") << 1 << 2 << 1;
    QTest::newRow("one full table page") << 156 << 2 << 156;
    QTest::newRow("one more") << 157 << 3 << 157;
    QTest::newRow("200 m every 10 mm") << 20001 << 130 << 20001;
    QTest::newRow("forged count") << 16 * 1024 * 1024 << 162 << 25000;
}

void TestHoleReport::pageCount()
{
    QFETCH(int, samples);
    QFETCH(int, pages);
    QFETCH(int, rows);
    QCOMPARE(holeReportPageCount(samples), pages);
    QCOMPARE(holeReportTableRows(samples), rows);
}

void TestHoleReport::curveMarks_data()
{
    QTest::addColumn<double>("topMm");
    QTest::addColumn<int>("thicknessCm");
    QTest::addColumn<bool>("judgedDrawn");
    QTest::addColumn<bool>("suggestionDrawn");
    QTest::addColumn<bool>("judged");
    QTest::newRow("bottom panel") << 17000.0 << 35 << true << true << true;
    QTest::newRow("judged above the panel") << 19000.0 << 150 << false << true << true;
    QTest::newRow("nothing near the bottom") << 0.0 << 0 << true << true << true;
    // A test not judged yet draws no interface, whatever its thickness field.
    QTest::newRow("not judged yet") << 17000.0 << 4 << false << true << false;
}

// The panel draws the curve through every sample, the judged interface as
// a solid red line at maxDepth - thickness, and the suggestion as a dashed
// line at the suggested sample, each only when it lies on the panel.
void TestHoleReport::curveMarks()
{
    QFETCH(double, topMm);
    QFETCH(int, thicknessCm);
    QFETCH(bool, judgedDrawn);
    QFETCH(bool, suggestionDrawn);
    QFETCH(bool, judged);
    const QVector<Sample> samples = holeSamples(401, 300);
    ReportCurveMarks marks;
    marks.maxDepth = 20000;
    marks.sedimentThicknessCm = thicknessCm;
    marks.judged = judged;
    marks.suggestion = suggestSedimentInterface(samples, 20000, 50);
    QCOMPARE(marks.suggestion.thicknessCm, 25);
    ReportCurvePanel panel;
    panel.plot = QRectF(400, 800, 900, 1700);
    panel.range = reportResistivityRange(samples);
    QCOMPARE(panel.range, 30);
    panel.topMm = topMm;
    panel.bottomMm = 20000;

    CRecordingDevice device;
    {
        QPainter p(&device);
        drawReportCurve(p, panel, QStringLiteral("panel"), samples, marks, 300 / 25.4);
    }
    const CRecordingEngine &e = device.engine();

    auto horizontalAt = [&](double y, const QColor &colour, Qt::PenStyle style) {
        for (const RecordedLine &l : e.lines)
            if (std::fabs(l.line.y1() - y) < 0.5 && std::fabs(l.line.y2() - y) < 0.5
                && std::fabs(l.line.x1() - panel.plot.left()) < 1.5 && std::fabs(l.line.x2() - panel.plot.right()) < 1.5
                && l.pen.color() == colour && l.pen.style() == style)
                return true;
        return false;
    };
    const QStringList texts = e.lineTexts();
    auto hasText = [&](const QString &t) { return texts.contains(t); };
    const double judgedY = panel.yOfDepth(20000 - 10.0 * thicknessCm);
    QCOMPARE(horizontalAt(judgedY, Qt::red, Qt::SolidLine), judgedDrawn);
    QCOMPARE(hasText(u("沉渣面 %1cm").arg(thicknessCm)), judgedDrawn);
    const double suggestedY = std::lround(panel.yOfDepth(marks.suggestion.depth));
    QCOMPARE(horizontalAt(suggestedY, suggestionColor(), Qt::DashLine), suggestionDrawn);
    QCOMPARE(hasText(suggestionLabel(marks.suggestion)), suggestionDrawn);
    QCOMPARE(suggestionLabel(marks.suggestion), u("建议沉渣 25cm (100%)"));

    // Resistivity labels 0, 6, ... 30 at their values along the top.
    for (const char *label : {"0", "6", "12", "18", "24", "30"})
        QVERIFY2(hasText(QLatin1String(label)), label);

    // One polyline through every sample, in list order.
    QCOMPARE(e.polylines.size(), 1);
    const QPolygonF &line = e.polylines.first().points;
    QCOMPARE(line.size(), samples.size());
    for (int i : {0, 5, 6, 200, 400})
        QCOMPARE(line.at(i), panel.point(samples.at(i)));
    QCOMPARE(line.at(0).x(), panel.plot.right()); // 30 at the full scale
}

// What the site engineer reads: every field of the record, the judgement,
// the suggestion, the table and, in every page's footer, the hole file's
// name and checksum.
void TestHoleReport::reportContent()
{
    if (pdfToText().isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    TestAppDir app;
    const QString hole = app.file(QStringLiteral("ZPV_CZL-FILE/Bridge/A12.CZO"));
    CtrlInfo info;
    RecordFixture::fill(info);
    QVERIFY(saveHole(hole, info, holeSamples()));
    QString error;
    QVERIFY2(writeHoleReport(hole, &error), qPrintable(error));
    const QString pdf = app.file(QStringLiteral("ZPV_CZL-FILE/Bridge/A12.PDF"));
    QVERIFY(QFileInfo::exists(pdf));
    QVERIFY(readFileBytes(pdf).startsWith("%PDF-"));
    QCOMPARE(leftovers(QFileInfo(pdf).absolutePath()), QStringList());

    const QString text = pdfText(pdf);
    const QString flat = squeezed(text);
    QCOMPARE(pagesOf(text), 1 + 3); // 401 samples: 156 rows per table page
    const QString sha =
        QString::fromLatin1(QCryptographicHash::hash(readFileBytes(hole), QCryptographicHash::Sha256).toHex());
    QCOMPARE(text.count(QStringLiteral("SHA-256 ") + sha), 4);
    QCOMPARE(text.count(u("文件 A12.CZO")), 4);
    for (int page = 1; page <= 4; ++page)
        QVERIFY(has(flat, u("第 %1 页 / 共 4 页").arg(page)));
    const QStringList expected{
        u("桩孔沉渣检测报告"),
        u("工程名称 跨江大桥桩基检测工程"),
        u("桩号 A12"),
        u("检测单位 检测中心"),
        u("施工单位 第三工程局"),
        u("检测人员 王五"),
        u("检测日期 2024-05-06 10:11:12"),
        u("孔深(m) 20.00"),
        u("孔径(mm) 1500"),
        u("孔口标高(m) 12.50"),
        u("采样间距(mm) 50"),
        u("提升方式 ") + SampleModes::text(0),
        u("样点数 401"),
        u("沉渣厚度(cm) 35"),
        u("成孔质量 合格"),
        u("建议沉渣界面 深度 19.700 m，沉渣 30 cm，置信度 100%"),
        u("全孔曲线"),
        u("孔底 3.0 m"),
        u("沉渣面 35cm"),
        u("建议沉渣 30cm (100%)"),
        u("报告生成时间 ") + QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")),
        u("样点数据"),
        u("样点数据（续）"),
        // first, a sediment, the last row: number, depth, value, raw value
        QStringLiteral("1 20.000 30.0000 30.0000"),
        QStringLiteral("7 19.700 30.0000 30.0000"),
        QStringLiteral("401 0.000 12.0100 12.0100"),
    };
    for (const QString &t : expected)
        QVERIFY2(has(flat, t), qPrintable(t));
}

// With the English catalogue installed (the instrument's English setting)
// the report speaks English.
void TestHoleReport::englishCatalogue()
{
    if (pdfToText().isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    TestAppDir app;
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(":/Language/English.qm")));
    QCoreApplication::installTranslator(&translator);
    const QString hole = app.file(QStringLiteral("P/A12.CZO"));
    CtrlInfo info;
    RecordFixture::fill(info);
    info.holeQuality = 1;
    info.acceptance.code = QStringLiteral("JGJ 94-2008");
    info.acceptance.pileType = u("端承桩");
    info.acceptance.limitMm = 50;
    info.acceptance.verdict = AcceptanceVerdict::Fail;
    QVERIFY(saveHole(hole, info, holeSamples()));
    const bool written = writeHoleReport(hole);
    QCoreApplication::removeTranslator(&translator);
    QVERIFY(written);
    const QString flat = squeezed(pdfText(holeReportPath(hole)));
    for (const char *t : {"Pile Hole Sediment Test Report", "Hole No. A12", "Sediment thickness(cm) 35",
                          "Hole quality Unqualified", "Page 1 of 4", "Suggested 30cm (100%)", "Sediment 35cm",
                          "Raising mode Auto-Raise", "Acceptance basis JGJ 94-2008 end-bearing", "Limit(mm) 50",
                          "Verdict Sediment 350 mm > 50 mm (JGJ 94 end-bearing): unqualified"})
        QVERIFY2(has(flat, QLatin1String(t)), t);
    // Only the operator's own data stays Chinese.
    QString rest = flat;
    for (const QString &data : {info.projectName.get(), info.testUnit.get(), info.constructionUnit.get(),
                                info.tester.get()}) {
        QVERIFY2(has(flat, data), qPrintable(data));
        rest.remove(squeezed(data));
    }
    const QRegularExpressionMatch han =
        QRegularExpression(QStringLiteral(".{0,20}[\\x{3400}-\\x{4DBF}\\x{4E00}-\\x{9FFF}\\x{F900}-\\x{FAFF}].{0,20}"))
            .match(rest);
    QVERIFY2(!han.hasMatch(), qPrintable(han.captured()));
}

// The basis, the limit, the comparison line and an operator's override are
// on the first page; a file without a basis shows none of them.
void TestHoleReport::acceptanceOnFirstPage()
{
    if (pdfToText().isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    TestAppDir app;
    const QString hole = app.file(QStringLiteral("P/Z17-2.CZO"));
    CtrlInfo info;
    RecordFixture::fill(info);
    info.sedimentThickness = 9;
    info.holeQuality = 0; // the verdict says fail: chosen against it
    info.acceptance.designLimitMm = 80;
    info.acceptance.limitMm = 80;
    info.acceptance.verdict = AcceptanceVerdict::Fail;
    info.acceptance.overridden = true;
    info.acceptance.overrideReason = OverrideReason::RetestPassed;
    info.acceptance.position = MeasuringPosition::X;
    info.acceptance.sequence = 2;
    QVERIFY(saveHole(hole, info, holeSamples()));
    QVERIFY(writeHoleReport(hole));
    const QString flat = squeezed(pdfText(holeReportPath(hole)));
    for (const QString &t : {u("成孔质量 合格"), u("验收依据 设计值 80 mm"), u("限值(mm) 80"), u("测点 / 次数 X / 2"),
                             u("验收判定 合格（改判，原判 不合格：沉渣 90 mm > 80 mm；理由：复测合格后改判）")})
        QVERIFY2(has(flat, t), qPrintable(t));

    const QString plain = app.file(QStringLiteral("P/A12.CZO"));
    CtrlInfo older;
    RecordFixture::fill(older);
    QVERIFY(saveHole(plain, older, holeSamples()));
    QVERIFY(writeHoleReport(plain));
    const QString plainText = squeezed(pdfText(holeReportPath(plain)));
    for (const QString &t : {u("验收依据"), u("验收判定"), u("改判")})
        QVERIFY2(!has(plainText, t), qPrintable(t));
}

// Judging a reviewed file rewrites it; the report made afterwards replaces
// the old one whole, with the new thickness and the new file's checksum.
void TestHoleReport::judgementRewriteReplacesReport()
{
    if (pdfToText().isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    TestAppDir app;
    const QString hole = app.file(QStringLiteral("P/a7.czo"));
    CtrlInfo info;
    RecordFixture::fill(info);
    QVERIFY(saveHole(hole, info, holeSamples()));
    QVERIFY(writeHoleReport(hole));
    const QString pdf = app.file(QStringLiteral("P/a7.pdf"));
    const QByteArray before = readFileBytes(pdf);
    QVERIFY(has(squeezed(pdfText(pdf)), u("沉渣厚度(cm) 35")));

    info.sedimentThickness = 30;
    QVERIFY(saveHole(hole, info, holeSamples()));
    QVERIFY(writeHoleReport(hole));
    QVERIFY(readFileBytes(pdf) != before);
    const QString flat = squeezed(pdfText(pdf));
    QVERIFY(has(flat, u("沉渣厚度(cm) 30")));
    QVERIFY(!has(flat, u("沉渣厚度(cm) 35")));
    QVERIFY(has(flat, sha256Hex(readFileBytes(hole))));
    QCOMPARE(leftovers(app.file(QStringLiteral("P"))), QStringList());
    QCOMPARE(QDir(app.file(QStringLiteral("P"))).entryList(QDir::Files), (QStringList{"a7.czo", "a7.pdf"}));
}

void TestHoleReport::failureLeavesNoReport_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("staleRemoved");
    QTest::newRow("interrupted save (BAD)") << "bad" << true;
    QTest::newRow("no hole file") << "missing" << true;
    QTest::newRow("report name taken by a folder") << "folder" << false;
}

// A report that cannot be made is reported as a failure, never touches the
// hole file, and an older report that would no longer match the hole file
// is removed.
void TestHoleReport::failureLeavesNoReport()
{
    QFETCH(QString, kind);
    QFETCH(bool, staleRemoved);
    TestAppDir app;
    const QString hole = app.file(QStringLiteral("P/A12.CZO"));
    const QString pdf = app.file(QStringLiteral("P/A12.PDF"));
    CtrlInfo info;
    RecordFixture::fill(info);
    QVERIFY(saveHole(hole, info, holeSamples()));
    if (kind == QLatin1String("bad")) {
        QByteArray bytes = readFileBytes(hole);
        bytes.replace(0, 3, "BAD");
        QVERIFY(writeFileBytes(hole, bytes));
        QVERIFY(writeFileBytes(pdf, "%PDF-1.4 an old report"));
    } else if (kind == QLatin1String("missing")) {
        QVERIFY(QFile::remove(hole));
        QVERIFY(writeFileBytes(pdf, "%PDF-1.4 an old report"));
    } else {
        QVERIFY(QDir().mkpath(pdf));
        QVERIFY(writeFileBytes(pdf + QStringLiteral("/keep"), "x"));
    }
    const QByteArray holeBefore = readFileBytes(hole);

    QString error;
    QVERIFY(!writeHoleReport(hole, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(readFileBytes(hole), holeBefore);
    if (staleRemoved)
        QVERIFY(!QFileInfo::exists(pdf));
    else
        QVERIFY(QFileInfo(pdf).isDir());
    QCOMPARE(leftovers(app.file(QStringLiteral("P"))), QStringList());
}

// zpvw-hole report FILE [PDF]: the same report in the office.
void TestHoleReport::officeTool()
{
    TestAppDir app;
    const QString hole = app.file(QStringLiteral("P/A12.CZO"));
    CtrlInfo info;
    RecordFixture::fill(info);
    QVERIFY(saveHole(hole, info, holeSamples()));

    ChildRun r = tool({QStringLiteral("report"), app.file(QStringLiteral("P/A12"))});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(readFileBytes(app.file(QStringLiteral("P/A12.PDF"))).startsWith("%PDF-"));

    const QString elsewhere = app.file(QStringLiteral("out/hole A12.pdf"));
    QVERIFY(QDir().mkpath(app.file(QStringLiteral("out"))));
    r = tool({QStringLiteral("report"), hole, elsewhere});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(readFileBytes(elsewhere).startsWith("%PDF-"));
    if (!pdfToText().isEmpty()) {
        const QString flat = squeezed(pdfText(elsewhere));
        QVERIFY(has(flat, u("桩号 A12")));
        QVERIFY(has(flat, sha256Hex(readFileBytes(hole))));
    }

    QByteArray bytes = readFileBytes(hole);
    bytes.replace(0, 3, "BAD");
    const QString bad = app.file(QStringLiteral("P/B1.CZO"));
    QVERIFY(writeFileBytes(bad, bytes));
    r = tool({QStringLiteral("report"), bad});
    QCOMPARE(r.exitCode, 1);
    QVERIFY(r.err.startsWith("zpvw-hole: "));
    QVERIFY(r.err.contains("B1.CZO"));
    QVERIFY(!QFileInfo::exists(app.file(QStringLiteral("P/B1.PDF"))));
    QCOMPARE(tool({QStringLiteral("report")}).exitCode, 2);
}

// The longest real hole (200 m every 10 mm): every sample is listed; the
// time taken is printed for the record.
void TestHoleReport::longHole()
{
    TestAppDir app;
    const QString hole = app.file(QStringLiteral("P/L1.CZO"));
    CtrlInfo info;
    RecordFixture::fill(info);
    info.maxDepth = 200000;
    info.moveDistance = 10;
    QVector<Sample> v;
    for (int h = 0; h <= 200000; h += 10)
        v.append(Sample{200000 - h, h < 400 ? 30.0f : 12.0f, 12.0f});
    QVERIFY(saveHole(hole, info, v));
    QElapsedTimer t;
    t.start();
    QString error;
    QVERIFY2(writeHoleReport(hole, &error), qPrintable(error));
    printf("report of %d samples: %lld ms, %lld bytes\n", v.size(), t.elapsed(),
           QFileInfo(holeReportPath(hole)).size());
    fflush(stdout);
    if (pdfToText().isEmpty())
        return;
    const QString text = pdfText(holeReportPath(hole));
    QCOMPARE(pagesOf(text), holeReportPageCount(v.size()));
    QVERIFY(has(squeezed(text), QStringLiteral("20001 0.000 12.0000 12.0000")));
    QVERIFY(has(squeezed(text), u("建议沉渣 39cm (100%)")));
}

QTEST_MAIN(TestHoleReport)
#include "tst_holereport.moc"
