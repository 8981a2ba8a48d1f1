#include "tst_browser.h"

#include "acqstate.h"
#include "cdlgexportfile.h"
#include "cdlgfileopt.h"
#include "cdlgprogress.h"
#include "commonutils.h"
#include "filesfixture.h"
#include "holefiles.h"
#include "holelist.h"
#include "recordfixture.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

using namespace Answer;

QPushButton *button(QWidget *w, const char *name) { return w->findChild<QPushButton *>(QString::fromLatin1(name)); }

QString labelText(QWidget *w, const char *name)
{
    auto *l = w->findChild<QLabel *>(QString::fromLatin1(name));
    return l ? l->text() : QStringLiteral("<none>");
}

QStringList itemTexts(const CDlgExportFile &b)
{
    QStringList out;
    for (QPushButton *p : b.itemButtons)
        out << p->text();
    return out;
}

int enabledItems(const CDlgExportFile &b)
{
    int n = 0;
    for (QPushButton *p : b.itemButtons)
        n += p->isEnabled() ? 1 : 0;
    return n;
}

// Presses item `index` and answers the dialogs it opens; returns what they said.
QStringList press(CDlgExportFile &b, int index, const QList<Step> &steps)
{
    return answering(steps, [&] { QTest::mousePress(b.itemButtons.at(index), Qt::LeftButton); });
}

QStringList click(QWidget *b, const char *name, const QList<Step> &steps)
{
    return answering(steps, [&] { QTest::mouseClick(button(b, name), Qt::LeftButton); });
}

// Opens project `name` from the project list.
void enterProject(CDlgExportFile &b, const QString &name)
{
    const int index = itemTexts(b).indexOf(name);
    QVERIFY(index >= 0);
    press(b, index, {openItem});
    QCOMPARE(b.listMode, 1);
    QCOMPARE(b.currentProject, name);
}

// A hole file of test `sequence` of its hole, made at `time`, judged pass
// ('p'), fail ('f') or not ('-'); 'x' gives bytes no reader takes.
QByteArray testBytes(const QString &holeNo, int sequence, char verdict, const QString &time)
{
    if (verdict == 'x')
        return "not a hole file";
    CtrlInfo info = RecordFixture::filledRecord(holeNo);
    info.testTime = time;
    info.acceptance.sequence = sequence;
    if (verdict != '-') {
        info.acceptance.limitMm = 50;
        info.acceptance.verdict = verdict == 'p' ? AcceptanceVerdict::Pass : AcceptanceVerdict::Fail;
        info.holeQuality = verdict == 'p' ? 0 : 1;
    }
    return encodeHoleFile(info, RecordFixture::holeSamples(5));
}

QString twoDigits(int i) { return QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')); }

} // namespace

void TestBrowser::initTestCase() { silenceOffscreenWarnings(); }

void TestBrowser::geometryFollowsScreen_data()
{
    QTest::addColumn<bool>("smallScreen");
    QTest::addColumn<QSize>("browserSize");
    QTest::newRow("large screen") << false << QSize(1024, 768);
    QTest::newRow("small screen") << true << QSize(800, 600);
}

void TestBrowser::geometryFollowsScreen()
{
    QFETCH(bool, smallScreen);
    QFETCH(QSize, browserSize);
    FilesFixture fx;
    if (smallScreen)
        QDir().mkpath(fx.app.file(QStringLiteral("8.4")));
    const QRect screen = QKRVCommomUtils::screenRect();
    CDlgExportFile b(&fx.session);
    QCOMPARE(b.geometry().size(), browserSize);
    QCOMPARE(b.geometry().center(), screen.center());
    CDlgFileOpt opt;
    QCOMPARE(opt.geometry(), screen);
    CDlgProgress progress(fx.dataDir, QFont());
    QCOMPARE(progress.minimumSize(), QSize(screen.width() - 40, screen.height() * 3 / 10));
    QCOMPARE(progress.maximumSize(), progress.minimumSize());
}

void TestBrowser::pagingSixteenProjects()
{
    FilesFixture fx;
    for (int i = 1; i <= 16; ++i)
        fx.makeProject(QStringLiteral("P") + twoDigits(i), i * 60);
    CDlgExportFile b(&fx.session);
    b.show();

    QCOMPARE(labelText(&b, "lbPageShow"), QStringLiteral("1/2"));
    QCOMPARE(itemTexts(b).first(), QStringLiteral("P16"));
    QCOMPARE(itemTexts(b).last(), QStringLiteral("P02"));
    QCOMPARE(enabledItems(b), 15);
    QVERIFY(button(&b, "BtnPre")->isEnabled());
    QVERIFY(button(&b, "BtnNext")->isEnabled());
    QVERIFY(button(&b, "BtnDelAll")->isEnabled());
    QVERIFY(button(&b, "BtnExportAll")->isEnabled());
    QVERIFY(!button(&b, "BtnReturn")->isEnabled());
    QCOMPARE(b.findChild<QGroupBox *>(QStringLiteral("gbTitle"))->title(), QStringLiteral("工程列表"));
    QCOMPARE(button(&b, "BtnDelAll")->text(), QStringLiteral("删除所有工程文件"));
    QVERIFY(b.findChild<QGroupBox *>(QStringLiteral("groupBox_3"))->isHidden());

    QTest::mouseClick(button(&b, "BtnNext"), Qt::LeftButton);
    QCOMPARE(labelText(&b, "lbPageShow"), QStringLiteral("2/2"));
    QCOMPARE(itemTexts(b).first(), QStringLiteral("P01"));
    QCOMPARE(itemTexts(b).mid(1), QStringList(QVector<QString>(14).toList()));
    QCOMPARE(enabledItems(b), 1);
    QVERIFY(b.itemButtons.first()->isEnabled());
    QVERIFY(!button(&b, "BtnNext")->isEnabled());
    QVERIFY(button(&b, "BtnPre")->isEnabled());

    QTest::mouseClick(button(&b, "BtnPre"), Qt::LeftButton);
    QCOMPARE(labelText(&b, "lbPageShow"), QStringLiteral("1/2"));
    QCOMPARE(b.currentPage, 1);
    // The back arrow stays enabled on page 1 but goes nowhere.
    QTest::mouseClick(button(&b, "BtnPre"), Qt::LeftButton);
    QCOMPARE(b.currentPage, 1);
    QCOMPARE(itemTexts(b).first(), QStringLiteral("P16"));
}

void TestBrowser::exactlyFifteenFilesIsOnePage()
{
    FilesFixture fx;
    fx.makeProject(QStringLiteral("P"), 0);
    for (int i = 1; i <= 15; ++i)
        fx.makeFile(QStringLiteral("P"), QStringLiteral("H%1.CZO").arg(twoDigits(i)), i);
    CDlgExportFile b(&fx.session);
    b.show();
    enterProject(b, QStringLiteral("P"));

    QCOMPARE(labelText(&b, "lbPageShow"), QStringLiteral("1/1"));
    QCOMPARE(enabledItems(b), 15);
    QCOMPARE(itemTexts(b).first(), QStringLiteral("H15"));
    QCOMPARE(itemTexts(b).last(), QStringLiteral("H01"));
    QVERIFY(!button(&b, "BtnPre")->isEnabled());
    QVERIFY(!button(&b, "BtnNext")->isEnabled());
    QVERIFY(button(&b, "BtnReturn")->isEnabled());
    QCOMPARE(b.findChild<QGroupBox *>(QStringLiteral("gbTitle"))->title(), QStringLiteral("P工程桩号列表"));
    QCOMPARE(button(&b, "BtnDelAll")->text(), QStringLiteral("删除当前工程文件"));
    QCOMPARE(button(&b, "BtnExportAll")->text(), QStringLiteral("导出当前工程文件"));

    QTest::mouseClick(button(&b, "BtnReturn"), Qt::LeftButton);
    QCOMPARE(b.listMode, 0);
    QCOMPARE(itemTexts(b).first(), QStringLiteral("P"));
    QVERIFY(!button(&b, "BtnReturn")->isEnabled());
}

void TestBrowser::listingFilters_data()
{
    QTest::addColumn<QStringList>("files");   // created in this order, one second apart
    QTest::addColumn<QStringList>("folders"); // sub-folders of the project
    QTest::addColumn<QStringList>("shown");   // item texts, newest first

    QTest::newRow("extension cut") << QStringList{QStringLiteral("A12.CZO")} << QStringList() << QStringList{QStringLiteral("A12")};
    QTest::newRow("lower case listed")
        << QStringList{QStringLiteral("a7.czo"), QStringLiteral("B8.CZO")} << QStringList()
        << QStringList{QStringLiteral("B8"), QStringLiteral("a7")};
    QTest::newRow("other files left out")
        << QStringList{QStringLiteral("A12.txt"), QStringLiteral("A12.CZO"), QStringLiteral("A12.PDF"),
                       QStringLiteral("m.CZo"), QStringLiteral("x.CZO.bak")}
        << QStringList() << QStringList{QStringLiteral("A12")};
    QTest::newRow("sub-folders left out")
        << QStringList{QStringLiteral("A1.CZO")} << QStringList{QStringLiteral("SUB"), QStringLiteral("D.CZO")}
        << QStringList{QStringLiteral("A1")};
}

void TestBrowser::listingFilters()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, folders);
    QFETCH(QStringList, shown);
    FilesFixture fx;
    fx.makeProject(QStringLiteral("P"), 0);
    for (const QString &f : folders)
        QDir().mkpath(fx.dataDir + QStringLiteral("/P/") + f);
    for (int i = 0; i < files.size(); ++i)
        fx.makeFile(QStringLiteral("P"), files.at(i), i + 1);
    // A loose file in the data directory is no project.
    writeFileBytes(fx.dataDir + QStringLiteral("/loose.CZO"), "x");

    CDlgExportFile b(&fx.session);
    b.show();
    QCOMPARE(b.projectNames, QStringList{QStringLiteral("P")});
    enterProject(b, QStringLiteral("P"));
    QCOMPARE(itemTexts(b).mid(0, shown.size()), shown);
    QCOMPARE(enabledItems(b), shown.size());
}

void TestBrowser::missingDataDirectoryShowsNothing()
{
    FilesFixture fx;
    QDir(fx.dataDir).removeRecursively();
    CDlgExportFile b(&fx.session);
    b.show();
    QCOMPARE(labelText(&b, "lbPageShow"), QStringLiteral("0/0"));
    QCOMPARE(enabledItems(b), 0);
    for (const char *name : {"BtnPre", "BtnNext", "BtnDelAll", "BtnExportAll", "BtnReturn"})
        QVERIFY2(!button(&b, name)->isEnabled(), name);
    QVERIFY(button(&b, "BtnQuit")->isEnabled());
}

void TestBrowser::chooserTexts()
{
    FilesFixture fx;
    fx.makeProject(QStringLiteral("P"), 0);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("A12.CZO"), 3725, QByteArray(1536, 'h'));
    fx.makeFile(QStringLiteral("P"), QStringLiteral("A12.PDF"), 3725, QByteArray(512, 'p'));
    fx.makeFile(QStringLiteral("P"), QStringLiteral("B1.CZO"), 1);
    FilesFixture::setTime(fx.dataDir + QStringLiteral("/P"), 7);
    CDlgExportFile b(&fx.session);
    b.show();

    const QStringList seenProject = press(b, 0, {chooserReturn});
    QCOMPARE(seenProject, QStringList{QStringLiteral(
                              "CDlgFileOpt: 工程名: P | 桩数量: 包含2个桩文件 | 修改时间: 2023年3月8日 10:00:07")});
    enterProject(b, QStringLiteral("P"));
    const QStringList seenFile = press(b, 0, {chooserReturn});
    QCOMPARE(seenFile, QStringList{QStringLiteral(
                           "CDlgFileOpt: 桩文件名: A12 | 文件大小: 2.0KB (2048字节) | 修改时间: 2023年3月8日 11:02:05")});
}

void TestBrowser::chooserReturnsAction_data()
{
    QTest::addColumn<QByteArray>("buttonName");
    QTest::addColumn<int>("action");
    QTest::newRow("open") << QByteArray("BtnOpen") << 0;
    QTest::newRow("export") << QByteArray("BtnExport") << 1;
    QTest::newRow("delete") << QByteArray("BtnDel") << 2;
    QTest::newRow("return") << QByteArray("BtnReturn") << -1;
}

void TestBrowser::chooserReturnsAction()
{
    QFETCH(QByteArray, buttonName);
    QFETCH(int, action);
    CDlgFileOpt opt;
    QCOMPARE(opt.action, -1);
    opt.nameText = QStringLiteral("桩文件名: A12");
    opt.timeText = QStringLiteral("修改时间: 2023年3月8日 10:0:0");
    opt.SetLabels();
    QVERIFY(opt.findChild<QLabel *>(QStringLiteral("lbFileSize"))->isHidden());
    QVERIFY(!opt.findChild<QLabel *>(QStringLiteral("lbFileName"))->isHidden());
    ModalAnswerer script;
    expectPresses(script, {{"CDlgFileOpt", buttonName}});
    script.start(30000, 2);
    QCOMPARE(opt.exec(), int(QDialog::Accepted));
    QCOMPARE(opt.action, action);
    QVERIFY2(script.finish(), script.report());
}

void TestBrowser::openFileForReview()
{
    FilesFixture fx;
    fx.makeProject(QStringLiteral("P"), 0);
    const QString path = RecordFixture::writeHole(fx.dataDir + QStringLiteral("/P/A12.CZO"),
                                                  RecordFixture::filledRecord(), RecordFixture::holeSamples(7));
    FilesFixture::setTime(path, 1);
    const QString lower = RecordFixture::writeHole(fx.dataDir + QStringLiteral("/P/b3.czo"),
                                                   RecordFixture::filledRecord(QStringLiteral("b3")),
                                                   RecordFixture::holeSamples(4));
    FilesFixture::setTime(lower, 2);
    CDlgExportFile b(&fx.session);
    b.show();
    enterProject(b, QStringLiteral("P"));
    // A readable file's hole carries its verdict (these were never judged).
    QCOMPARE(itemTexts(b).mid(0, 2), (QStringList{QStringLiteral("b3\n未判定"), QStringLiteral("A12\n未判定")}));
    QVERIFY(!fx.session.reviewing());

    press(b, 1, {openItem});
    QVERIFY(fx.session.reviewing());
    QCOMPARE(fx.session.openFile(), path);
    QCOMPARE(uint(fx.session.state()), uint(AcqState::FileShown));
    QCOMPARE(fx.session.samples().size(), 7);
    QCOMPARE(fx.session.record().curHoleName.get(), QStringLiteral("A12"));
    QCOMPARE(b.result(), int(QDialog::Accepted));
    QVERIFY(!b.isVisible());

    // A file saved in lower case opens under its real name.
    CDlgExportFile again(&fx.session);
    again.show();
    enterProject(again, QStringLiteral("P"));
    press(again, 0, {openItem});
    QCOMPARE(fx.session.openFile(), lower);
    QCOMPARE(fx.session.samples().size(), 4);
}

void TestBrowser::chooserReturnChangesNothing()
{
    FilesFixture fx;
    fx.makeProject(QStringLiteral("P"), 0);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("A12.CZO"), 1);
    int reviewChanges = 0;
    connect(&fx.session, &CTestSession::reviewChanged, [&] { ++reviewChanges; });
    connect(&fx.session, &CTestSession::reviewFailed, [&] { ++reviewChanges; });
    CDlgExportFile b(&fx.session);
    b.show();
    press(b, 0, {chooserReturn});
    QCOMPARE(b.listMode, 0);
    enterProject(b, QStringLiteral("P"));
    press(b, 0, {chooserReturn});
    QCOMPARE(b.listMode, 1);
    QVERIFY(b.isVisible());
    QCOMPARE(reviewChanges, 0);
    QVERIFY(QFile::exists(fx.dataDir + QStringLiteral("/P/A12.CZO")));
    QVERIFY(fx.trace.isEmpty());
}

void TestBrowser::deleteFileWithReport_data()
{
    QTest::addColumn<QString>("hole");
    QTest::addColumn<QString>("report");
    QTest::newRow("upper case") << QStringLiteral("A12.CZO") << QStringLiteral("A12.PDF");
    QTest::newRow("lower case") << QStringLiteral("a12.czo") << QStringLiteral("a12.pdf");
}

void TestBrowser::deleteFileWithReport()
{
    QFETCH(QString, hole);
    QFETCH(QString, report);
    FilesFixture fx;
    fx.makeProject(QStringLiteral("P"), 0);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("B.CZO"), 1);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("B.PDF"), 1);
    const QString holePath = fx.makeFile(QStringLiteral("P"), hole, 2);
    const QString reportPath = fx.makeFile(QStringLiteral("P"), report, 2);
    CDlgExportFile b(&fx.session);
    b.show();
    enterProject(b, QStringLiteral("P"));
    QCOMPARE(itemTexts(b).first(), hole.left(3));

    const QStringList seen = press(b, 0, {deleteItem, okQuestion, okMessage});
    QCOMPARE(seen.mid(1), (QStringList{QStringLiteral("CDlgMsgQuestion: 确定要删除吗?"),
                                       QStringLiteral("CDlgMsgBox: 删除文件成功!")}));
    QVERIFY(!QFile::exists(holePath));
    QVERIFY(!QFile::exists(reportPath));
    QVERIFY(QFile::exists(fx.dataDir + QStringLiteral("/P/B.PDF")));
    QCOMPARE(itemTexts(b).first(), QStringLiteral("B"));
    QCOMPARE(enabledItems(b), 1);
}

void TestBrowser::deleteRefusedKeepsFiles()
{
    FilesFixture fx;
    fx.makeProject(QStringLiteral("P"), 0);
    const QString path = fx.makeFile(QStringLiteral("P"), QStringLiteral("A12.CZO"), 1);
    CDlgExportFile b(&fx.session);
    b.show();
    press(b, 0, {deleteItem, cancelQuestion});
    QVERIFY(QFile::exists(path));
    enterProject(b, QStringLiteral("P"));
    press(b, 0, {deleteItem, cancelQuestion});
    QVERIFY(QFile::exists(path));
    QCOMPARE(itemTexts(b).first(), QStringLiteral("A12"));
}

void TestBrowser::deletingLastItemStepsBackAPage()
{
    FilesFixture fx;
    fx.makeProject(QStringLiteral("P"), 0);
    for (int i = 1; i <= 16; ++i)
        fx.makeFile(QStringLiteral("P"), QStringLiteral("H%1.CZO").arg(twoDigits(i)), i);
    CDlgExportFile b(&fx.session);
    b.show();
    enterProject(b, QStringLiteral("P"));
    QTest::mouseClick(button(&b, "BtnNext"), Qt::LeftButton);
    QCOMPARE(labelText(&b, "lbPageShow"), QStringLiteral("2/2"));
    QCOMPARE(itemTexts(b).first(), QStringLiteral("H01"));

    press(b, 0, {deleteItem, okQuestion, okMessage});
    QVERIFY(!QFile::exists(fx.dataDir + QStringLiteral("/P/H01.CZO")));
    QCOMPARE(b.currentPage, 1);
    QCOMPARE(labelText(&b, "lbPageShow"), QStringLiteral("1/1"));
    QCOMPARE(enabledItems(b), 15);
    QCOMPARE(itemTexts(b).first(), QStringLiteral("H16"));
}

void TestBrowser::closesReviewedFileBeforeDelete_data()
{
    QTest::addColumn<QString>("openFile");  // relative to the data directory
    QTest::addColumn<bool>("inProject");    // press the file inside project P1, else P1 itself
    QTest::addColumn<bool>("deleteAll");    // the bottom delete-all button instead of an item
    QTest::addColumn<bool>("closed");

    QTest::newRow("the open file") << QStringLiteral("P1/A12.CZO") << true << false << true;
    QTest::newRow("another file") << QStringLiteral("P1/B.CZO") << true << false << false;
    QTest::newRow("project holding it") << QStringLiteral("P1/B.CZO") << false << false << true;
    QTest::newRow("similar project name") << QStringLiteral("P10/A12.CZO") << false << false << false;
    QTest::newRow("all projects") << QStringLiteral("P10/A12.CZO") << false << true << true;
    QTest::newRow("all of the project") << QStringLiteral("P1/B.CZO") << true << true << true;
    QTest::newRow("all of another project") << QStringLiteral("P10/A12.CZO") << true << true << false;
}

void TestBrowser::closesReviewedFileBeforeDelete()
{
    QFETCH(QString, openFile);
    QFETCH(bool, inProject);
    QFETCH(bool, deleteAll);
    QFETCH(bool, closed);
    FilesFixture fx;
    const QByteArray hole = encodeHoleFile(RecordFixture::filledRecord(), RecordFixture::holeSamples(3));
    fx.makeProject(QStringLiteral("P10"), 0);
    fx.makeFile(QStringLiteral("P10"), QStringLiteral("A12.CZO"), 1, hole);
    fx.makeProject(QStringLiteral("P1"), 100);
    fx.makeFile(QStringLiteral("P1"), QStringLiteral("B.CZO"), 1, hole);
    fx.makeFile(QStringLiteral("P1"), QStringLiteral("A12.CZO"), 2, hole);
    const QString open = fx.dataDir + QLatin1Char('/') + openFile;
    QVERIFY(fx.session.openForReview(open));

    QStringList calls;
    connect(&fx.session, &CTestSession::reviewChanged, [&] {
        calls << (QFile::exists(open) ? QStringLiteral("close while present") : QStringLiteral("close too late"));
    });
    CDlgExportFile b(&fx.session);
    b.show();
    QCOMPARE(itemTexts(b).first(), QStringLiteral("P1"));
    if (inProject)
        enterProject(b, QStringLiteral("P1"));
    if (deleteAll)
        click(&b, "BtnDelAll", {okQuestion, okMessage});
    else
        press(b, 0, {deleteItem, okQuestion, okMessage});
    QCOMPARE(calls, closed ? QStringList{QStringLiteral("close while present")} : QStringList());
    QCOMPARE(fx.session.reviewing(), !closed);
}

void TestBrowser::deleteAllProjects()
{
    FilesFixture fx;
    for (int i = 1; i <= 3; ++i) {
        fx.makeProject(QStringLiteral("P%1").arg(i), i);
        fx.makeFile(QStringLiteral("P%1").arg(i), QStringLiteral("A.CZO"), 1);
    }
    CDlgExportFile b(&fx.session);
    b.show();
    QCOMPARE(click(&b, "BtnDelAll", {cancelQuestion}), QStringList{QStringLiteral("CDlgMsgQuestion: 确定要删除所有工程及其桩文件?")});
    QCOMPARE(QDir(fx.dataDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 3);

    QCOMPARE(click(&b, "BtnDelAll", {okQuestion, okMessage}).last(), QStringLiteral("CDlgMsgBox: 删除成功!"));
    QVERIFY(QFileInfo(fx.dataDir).isDir());
    QVERIFY(QDir(fx.dataDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    QCOMPARE(labelText(&b, "lbPageShow"), QStringLiteral("0/0"));
    QVERIFY(!button(&b, "BtnDelAll")->isEnabled());
}

void TestBrowser::deleteAllOfProjectReturnsToRememberedPage()
{
    FilesFixture fx;
    for (int i = 1; i <= 17; ++i)
        fx.makeProject(QStringLiteral("P") + twoDigits(i), i * 60);
    fx.makeFile(QStringLiteral("P01"), QStringLiteral("A.CZO"), 1);
    fx.makeFile(QStringLiteral("P01"), QStringLiteral("A.PDF"), 1);
    fx.makeFile(QStringLiteral("P01"), QStringLiteral("notes.txt"), 1);
    CDlgExportFile b(&fx.session);
    b.show();
    QTest::mouseClick(button(&b, "BtnNext"), Qt::LeftButton);
    QCOMPARE(itemTexts(b).mid(0, 2), (QStringList{QStringLiteral("P02"), QStringLiteral("P01")}));
    enterProject(b, QStringLiteral("P01"));

    const QStringList seen = click(&b, "BtnDelAll", {okQuestion, okMessage});
    QCOMPARE(seen, (QStringList{QStringLiteral("CDlgMsgQuestion: 确定要删除当前工程下的所有桩文件?"),
                                QStringLiteral("CDlgMsgBox: 删除成功!")}));
    QVERIFY(!QFileInfo::exists(fx.dataDir + QStringLiteral("/P01")));
    QCOMPARE(b.listMode, 0);
    QCOMPARE(labelText(&b, "lbPageShow"), QStringLiteral("2/2"));
    QCOMPARE(itemTexts(b).first(), QStringLiteral("P02"));
    QCOMPARE(enabledItems(b), 1);
}

void TestBrowser::deleteAllThroughLinkedDataDirectory()
{
    FilesFixture fx;
    const QString storage = fx.app.file(QStringLiteral("storage"));
    writeFileBytes(storage + QStringLiteral("/P/A.CZO"), "hole");
    QVERIFY(QDir(fx.dataDir).removeRecursively());
    QVERIFY(QFile::link(storage, fx.dataDir));
    CDlgExportFile b(&fx.session);
    b.show();
    QCOMPARE(itemTexts(b).first(), QStringLiteral("P"));
    QCOMPARE(click(&b, "BtnDelAll", {okQuestion, okMessage}).last(), QStringLiteral("CDlgMsgBox: 删除成功!"));
    QVERIFY(QFileInfo(fx.dataDir).isSymLink());
    QVERIFY(QDir(storage).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    QCOMPARE(labelText(&b, "lbPageShow"), QStringLiteral("0/0"));
}

void TestBrowser::deleteNeverLeavesDataDirectory_data()
{
    QTest::addColumn<QString>("link");   // symbolic link inside the data directory, to the outside folder
    QTest::addColumn<bool>("deleteAll"); // delete-all of the project list instead of project P
    QTest::newRow("link inside a project") << QStringLiteral("P/outside") << false;
    QTest::newRow("linked hole file") << QStringLiteral("P/keep.CZO") << false;
    QTest::newRow("linked project, delete all") << QStringLiteral("L") << true;
    QTest::newRow("link inside a project, delete all") << QStringLiteral("P/outside") << true;
}

void TestBrowser::deleteNeverLeavesDataDirectory()
{
    QFETCH(QString, link);
    QFETCH(bool, deleteAll);
    FilesFixture fx;
    const QString outside = fx.app.file(QStringLiteral("outside"));
    writeFileBytes(outside + QStringLiteral("/keep.CZO"), "precious");
    fx.makeProject(QStringLiteral("P"), 10);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("A.CZO"), 1);
    const QString target = link.endsWith(QLatin1String(".CZO")) ? outside + QStringLiteral("/keep.CZO") : outside;
    QVERIFY(QFile::link(target, fx.dataDir + QLatin1Char('/') + link));

    CDlgExportFile b(&fx.session);
    b.show();
    if (deleteAll) {
        click(&b, "BtnDelAll", {okQuestion, okMessage});
    } else {
        QCOMPARE(itemTexts(b).first(), QStringLiteral("P"));
        press(b, 0, {deleteItem, okQuestion, okMessage});
    }
    QVERIFY(!QFileInfo::exists(fx.dataDir + QStringLiteral("/P")));
    QCOMPARE(readFileBytes(outside + QStringLiteral("/keep.CZO")), QByteArray("precious"));
}

void TestBrowser::removeTreeRefusesOutsidePaths_data()
{
    QTest::addColumn<QString>("relative"); // path relative to the data directory
    QTest::newRow("dot-dot") << QStringLiteral("../outside");
    QTest::newRow("dot-dot inside a project") << QStringLiteral("P/../../outside");
    QTest::newRow("sibling with the same prefix") << QStringLiteral("../ZPV_CZL-FILE2");
    QTest::newRow("through a linked folder") << QStringLiteral("L/keep.CZO");
}

void TestBrowser::removeTreeRefusesOutsidePaths()
{
    QFETCH(QString, relative);
    FilesFixture fx;
    const QString outside = fx.app.file(QStringLiteral("outside"));
    writeFileBytes(outside + QStringLiteral("/keep.CZO"), "precious");
    writeFileBytes(fx.app.file(QStringLiteral("ZPV_CZL-FILE2/keep.CZO")), "precious");
    fx.makeProject(QStringLiteral("P"), 0);
    QVERIFY(QFile::link(outside, fx.dataDir + QStringLiteral("/L")));

    const QString path = fx.dataDir + QLatin1Char('/') + relative;
    QVERIFY(!HoleFiles::removeTree(path, fx.dataDir));
    QCOMPARE(readFileBytes(outside + QStringLiteral("/keep.CZO")), QByteArray("precious"));
    QCOMPARE(readFileBytes(fx.app.file(QStringLiteral("ZPV_CZL-FILE2/keep.CZO"))), QByteArray("precious"));
}

// Z17 failed, was cleaned and passed as Z17-2; Z17 was then opened and saved
// again, so its file is the newest on the disk but not the latest test.
void TestBrowser::repeatTestsShowOneButtonPerHole()
{
    FilesFixture fx;
    fx.makeProject(QStringLiteral("P"), 0);
    fx.makeFile(QStringLiteral("P"), QStringLiteral("A1.CZO"), 1, testBytes(QStringLiteral("A1"), 1, '-', QStringLiteral("08:00:00")));
    fx.makeFile(QStringLiteral("P"), QStringLiteral("Z17-2.CZO"), 2, testBytes(QStringLiteral("Z17"), 2, 'p', QStringLiteral("11:00:00")));
    const QString first = fx.makeFile(QStringLiteral("P"), QStringLiteral("Z17.CZO"), 3,
                                      testBytes(QStringLiteral("Z17"), 1, 'f', QStringLiteral("09:00:00")));
    CDlgExportFile b(&fx.session);
    b.show();
    enterProject(b, QStringLiteral("P"));
    QCOMPARE(itemTexts(b).mid(0, 3), (QStringList{QStringLiteral("Z17\n×2 合格"), QStringLiteral("A1\n未判定"), QString()}));
    QCOMPARE(enabledItems(b), 2);
    QCOMPARE(labelText(&b, "lbPageShow"), QStringLiteral("1/1"));
    // The export of the whole project still takes every file.
    QCOMPARE(b.fileNames.size(), 3);

    // The hole offers its tests, the latest first; the earlier one opens.
    const QStringList seen = press(b, 0, {{"CDlgSelKey", "Btn2"}, openItem});
    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen.at(0), QStringLiteral("CDlgSelKey: Z17 的测试 | Z17-2 | Z17"));
    QVERIFY2(seen.at(1).startsWith(QStringLiteral("CDlgFileOpt: 桩文件名: Z17 | ")), qPrintable(seen.at(1)));
    QVERIFY(fx.session.reviewing());
    QCOMPARE(fx.session.openFile(), first);
}

void TestBrowser::deletingLatestTestShowsEarlierVerdict()
{
    FilesFixture fx;
    fx.makeProject(QStringLiteral("P"), 0);
    const QString first = fx.makeFile(QStringLiteral("P"), QStringLiteral("Z17.CZO"), 1,
                                      testBytes(QStringLiteral("Z17"), 1, 'f', QStringLiteral("09:00:00")));
    const QString repeat = fx.makeFile(QStringLiteral("P"), QStringLiteral("Z17-2.CZO"), 2,
                                       testBytes(QStringLiteral("Z17"), 2, 'p', QStringLiteral("11:00:00")));
    CDlgExportFile b(&fx.session);
    b.show();
    enterProject(b, QStringLiteral("P"));
    // Cancelling the choice does nothing.
    QCOMPARE(press(b, 0, {{"CDlgSelKey", "Btn16"}}).size(), 1);
    QVERIFY(QFile::exists(repeat));

    press(b, 0, {{"CDlgSelKey", "Btn1"}, deleteItem, okQuestion, okMessage});
    QVERIFY(!QFile::exists(repeat));
    QVERIFY(QFile::exists(first));
    QCOMPARE(itemTexts(b).first(), QStringLiteral("Z17\n不合格"));
    // One test left: pressing the hole goes straight to it.
    const QStringList seen = press(b, 0, {chooserReturn});
    QCOMPARE(seen.size(), 1);
    QVERIFY2(seen.first().startsWith(QStringLiteral("CDlgFileOpt: 桩文件名: Z17 | ")), qPrintable(seen.first()));
}

void TestBrowser::holeListGrouping_data()
{
    // Files oldest first, each "NAME:SEQUENCE:VERDICT" (see testBytes); each
    // hole shown as its button text, then its tests latest first.
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("holes");
    QTest::newRow("a pile named like a repeat")
        << QStringList{QStringLiteral("3:1:-"), QStringLiteral("3-12:1:p")}
        << QStringList{QStringLiteral("3-12\n合格 <- 3-12.CZO"), QStringLiteral("3\n未判定 <- 3.CZO")};
    QTest::newRow("older repeat without its section")
        << QStringList{QStringLiteral("Z5:1:-"), QStringLiteral("Z5-2:1:-")}
        << QStringList{QStringLiteral("Z5\n×2 未判定 <- Z5-2.CZO,Z5.CZO")};
    QTest::newRow("repeat whose first test is gone")
        << QStringList{QStringLiteral("Z9-2:2:p")} << QStringList{QStringLiteral("Z9\n合格 <- Z9-2.CZO")};
    QTest::newRow("the latest test decides")
        << QStringList{QStringLiteral("Z1:1:p"), QStringLiteral("Z1-2:2:f"), QStringLiteral("Z1-3:3:p")}
        << QStringList{QStringLiteral("Z1\n×3 合格 <- Z1-3.CZO,Z1-2.CZO,Z1.CZO")};
    QTest::newRow("unreadable files stay reachable")
        << QStringList{QStringLiteral("B:1:x"), QStringLiteral("Z17:1:p"), QStringLiteral("Z17-2:2:x")}
        << QStringList{QStringLiteral("Z17\n×2 合格 <- Z17.CZO,Z17-2.CZO"), QStringLiteral("B <- B.CZO")};
}

void TestBrowser::holeListGrouping()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, holes);
    FilesFixture fx;
    const QString dir = fx.makeProject(QStringLiteral("P"), 0);
    for (int i = 0; i < files.size(); ++i) {
        const QStringList f = files.at(i).split(QLatin1Char(':'));
        const QString hole = f.at(0).section(QLatin1Char('-'), 0, 0);
        fx.makeFile(QStringLiteral("P"), f.at(0) + QStringLiteral(".CZO"), i + 1,
                    testBytes(hole, f.at(1).toInt(), f.at(2).at(0).toLatin1(), QStringLiteral("10:%1:00").arg(twoDigits(i))));
    }
    HoleList list;
    list.load(dir);
    QStringList shown;
    for (int i = 0; i < list.size(); ++i) {
        const HoleList::Entry e = list.entry(i);
        shown << HoleList::buttonText(e) + QStringLiteral(" <- ") + e.tests.join(QLatin1Char(','));
    }
    QCOMPARE(shown, holes);
    QCOMPARE(list.fileNames().size(), files.size());
}
