#include "tst_savemsg.h"

#include "acqstate.h"
#include "cdlgsavemsg.h"
#include "device.h"
#include "querythread.h"
#include "testsession.h"
#include "ctrlinfo.h"
#include "filesfixture.h"
#include "sessionsetup.h"
#include "holefile.h"
#include "testrecord.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>
#include <memory>

namespace {

using namespace Answer;

// The session's test holds n samples, in its present state.
void fillSamples(CTestSession &session, int n)
{
    QVector<Sample> v;
    for (int i = 0; i < n; ++i)
        v.append(Sample{20000 - 50 * i, float(i) * 0.5f, float(i) * 0.5f});
    session.restoreTest(v, session.state());
}

// The session's test, its samples kept, in another state.
void setState(CTestSession &session, uint32_t state) { session.restoreTest(session.samples().snapshot(), state); }

QPushButton *button(QWidget *w, const char *name) { return w->findChild<QPushButton *>(QString::fromLatin1(name)); }

QStringList click(QWidget *w, const char *name, const QList<Step> &steps)
{
    return answering(steps, [&] { QTest::mouseClick(button(w, name), Qt::LeftButton); });
}

// The end-of-test dialog as the main screen opens it on a real test session
// (the live record differs from the set-up kept as backup), shown without its
// own modal loop so the test can press its buttons.
struct SaveSetup {
    FilesFixture fx;
    QWidget main;
    CTestSession &session = fx.session;
    int recordChanges = 0;
    std::unique_ptr<CDlgSaveMsg> dlg;
    QString holePath;

    explicit SaveSetup(bool allowReturn = true)
    {
        editSessionRecord(&session, [](CtrlInfo &r) {
            r.projectPath = QStringLiteral("工程A");
            r.holeNo = QStringLiteral("SETUP");
        });
        session.acceptSetup();
        holePath = fx.dataDir + QStringLiteral("/工程A/A12.CZO");
        editSessionRecord(&session, [this](CtrlInfo &r) {
            r.holeNo = QStringLiteral("LIVE");
            r.filePath = holePath;
        });
        QObject::connect(&session, &CTestSession::recordChanged, [this] { ++recordChanges; });
        dlg.reset(new CDlgSaveMsg(&session, &main));
        dlg->allowReturn = allowReturn ? 1 : 0;
        dlg->Prepare();
        dlg->show();
    }
    QProgressBar *bar() const { return dlg->findChild<QProgressBar *>(QStringLiteral("pBarProgress")); }
    QueryThread *thread() const { return session.thread(); }
    // The screen starts afresh: acquisition running but paused, idle, no samples.
    void verifyStartedAfresh() const
    {
        QVERIFY(!thread()->isStopped()); // started again
        QVERIFY(thread()->isPaused());
        QCOMPARE(uint(session.state()), uint(AcqState::Idle | AcqState::SubPaused));
        QVERIFY(session.samples().isEmpty());
        QCOMPARE(recordChanges, 1);
    }
};

} // namespace

void TestSaveMsg::initTestCase()
{
    silenceOffscreenWarnings();
    openDevice();
}

void TestSaveMsg::savesWithProgress()
{
    SaveSetup s;
    fillSamples(s.session, 200);
    const QVector<Sample> before = s.session.samples().snapshot();
    QVERIFY(!QFileInfo::exists(QFileInfo(s.holePath).absolutePath()));
    QVERIFY(s.bar()->isHidden());
    QList<int> values;
    connect(s.bar(), &QProgressBar::valueChanged, [&](int v) { values << v; });

    const QStringList seen = click(s.dlg.get(), "BtnSave", {});
    QVERIFY(seen.isEmpty());
    QCOMPARE(s.dlg->result(), int(QDialog::Accepted));
    QVERIFY(!s.dlg->isVisible());

    // 1, then (i * 100) / 200 for i = 0 ... 199 (repeats do not signal), then 100.
    QList<int> expected{1, 0};
    for (int v = 1; v <= 100; ++v)
        expected << v;
    QCOMPARE(values, expected);
    s.verifyStartedAfresh();
    // The reset makes the next test record again.
    QVERIFY(s.session.control().recordEnabled);
    QCOMPARE(s.fx.commands(), (QStringList{QStringLiteral("sync"), QStringLiteral("sync"), QStringLiteral("sync")}));

    CtrlInfo info;
    const HoleLoadResult r = readHoleFile(s.holePath, info);
    QVERIFY2(r.ok, qPrintable(r.errorText()));
    QCOMPARE(r.samples, before);
    QVERIFY(QFileInfo::exists(s.fx.dataDir + QStringLiteral("/工程A/A12.PDF")));
}

void TestSaveMsg::secondSavePressDoesNothing()
{
    SaveSetup s;
    fillSamples(s.session, 20);
    bool pressedAgain = false;
    connect(s.bar(), &QProgressBar::valueChanged, [&](int v) {
        if (v == 50 && !pressedAgain) {
            pressedAgain = true;
            QMetaObject::invokeMethod(s.dlg.get(), "on_BtnSave_clicked", Qt::DirectConnection);
        }
    });
    click(s.dlg.get(), "BtnSave", {});
    QVERIFY(pressedAgain);
    s.verifyStartedAfresh();
    QCOMPARE(s.fx.commands().size(), 3);
}

void TestSaveMsg::noSamplesAsks_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("ok discards") << true;
    QTest::newRow("cancel stays") << false;
}

void TestSaveMsg::noSamplesAsks()
{
    QFETCH(bool, yes);
    SaveSetup s;
    writeFileBytes(s.holePath, "left over");
    writeFileBytes(s.fx.dataDir + QStringLiteral("/工程A/A12.PDF"), "report");
    setState(s.session, AcqState::End);

    const QStringList seen = click(s.dlg.get(), "BtnSave", {yes ? okQuestion : cancelQuestion});
    QCOMPARE(seen, QStringList{QStringLiteral("CDlgMsgQuestion: 您本次实验没有采集数据，是否退出？")});
    if (yes) {
        QVERIFY(!QFileInfo::exists(s.holePath));
        QVERIFY(!QFileInfo::exists(s.fx.dataDir + QStringLiteral("/工程A/A12.PDF")));
        QCOMPARE(s.session.record().holeNo.get(), QStringLiteral("SETUP"));
        QVERIFY(!s.thread()->isStopped() && s.thread()->isPaused());
        QCOMPARE(s.recordChanges, 1);
        QCOMPARE(s.dlg->result(), int(QDialog::Rejected));
        QVERIFY(!s.dlg->isVisible());
    } else {
        QVERIFY(QFileInfo::exists(s.holePath));
        QCOMPARE(s.session.record().holeNo.get(), QStringLiteral("LIVE"));
        QCOMPARE(uint(s.session.state()), uint(AcqState::End));
        QVERIFY(!s.thread()->isRunning());
        QVERIFY(s.dlg->isVisible());
        QVERIFY(button(s.dlg.get(), "BtnSave")->isVisible());
    }
    QCOMPARE(s.dlg->returnedToTest, uint8_t(0));
}

void TestSaveMsg::discardRemovesBothFiles_data()
{
    QTest::addColumn<uint>("state");
    QTest::newRow("raising, paused") << uint(AcqState::Raising | AcqState::SubPaused);
    QTest::newRow("raising") << uint(AcqState::Raising);
    QTest::newRow("end of hole") << uint(AcqState::End);
}

void TestSaveMsg::discardRemovesBothFiles()
{
    QFETCH(uint, state);
    SaveSetup s;
    fillSamples(s.session, 3);
    writeFileBytes(s.holePath, "stale");
    writeFileBytes(s.fx.dataDir + QStringLiteral("/工程A/A12.PDF"), "report");
    writeFileBytes(s.fx.dataDir + QStringLiteral("/工程A/B.CZO"), "other hole");
    // The test as it stands when the dialog opens: raising (held by the
    // operator's pause or by "测试完成"), or ended by the thread itself.
    setState(s.session, state);
    if (state != AcqState::End) {
        s.thread()->start();
        s.thread()->pause();
    }

    const QStringList seen = click(s.dlg.get(), "BtnNoSave", {okQuestion});
    QCOMPARE(seen, QStringList{QStringLiteral("CDlgMsgQuestion: 是否确认不保存?选择确定将会结束实验！")});
    QVERIFY(!QFileInfo::exists(s.holePath));
    QVERIFY(!QFileInfo::exists(s.fx.dataDir + QStringLiteral("/工程A/A12.PDF")));
    QVERIFY(QFileInfo::exists(s.fx.dataDir + QStringLiteral("/工程A/B.CZO")));
    // The set-up comes back and the acquisition starts afresh, paused.
    QCOMPARE(s.session.record().holeNo.get(), QStringLiteral("SETUP"));
    s.verifyStartedAfresh();
    QCOMPARE(s.dlg->result(), int(QDialog::Rejected));
    QCOMPARE(s.dlg->returnedToTest, uint8_t(0));
    QVERIFY(!button(s.dlg.get(), "BtnSave")->isEnabled());
}

void TestSaveMsg::discardRefusedKeepsEverything()
{
    SaveSetup s;
    fillSamples(s.session, 3);
    writeFileBytes(s.holePath, "stale");
    click(s.dlg.get(), "BtnNoSave", {cancelQuestion});
    QVERIFY(QFileInfo::exists(s.holePath));
    QCOMPARE(s.session.record().holeNo.get(), QStringLiteral("LIVE"));
    QCOMPARE(s.recordChanges, 0);
    QCOMPARE(s.session.samples().size(), 3);
    QVERIFY(s.dlg->isVisible());
    QVERIFY(button(s.dlg.get(), "BtnNoSave")->isEnabled());
}

void TestSaveMsg::returnToTest()
{
    SaveSetup s;
    fillSamples(s.session, 3);
    setState(s.session, AcqState::Raising | AcqState::SubPaused);
    s.thread()->start();
    // The new-test button while raising asks for the end of the test, and
    // "测试完成" stops the recording: the state the dialog opens on.
    QCOMPARE(s.session.newTestPressed(), CTestSession::FinishTest);
    s.session.finishByOperator();
    QVERIFY(!s.session.control().recordEnabled);
    QVERIFY(s.session.control().needZeroHeight && s.session.control().needStepHeight);
    QVERIFY(button(s.dlg.get(), "BtnReturn")->isEnabled());
    click(s.dlg.get(), "BtnReturn", {});
    QVERIFY(s.session.control().recordEnabled);
    QVERIFY(!s.session.control().needZeroHeight);
    QVERIFY(!s.session.control().needStepHeight);
    QVERIFY(!s.thread()->isStopped());
    QVERIFY(!s.thread()->isPaused());
    QCOMPARE(s.dlg->returnedToTest, uint8_t(1));
    QCOMPARE(s.dlg->result(), int(QDialog::Rejected));
    QCOMPARE(s.session.samples().size(), 3);
}

void TestSaveMsg::returnNeedsAllowReturn()
{
    SaveSetup s(false);
    QVERIFY(!button(s.dlg.get(), "BtnReturn")->isEnabled());
    QVERIFY(button(s.dlg.get(), "BtnSave")->isEnabled());
    QVERIFY(button(s.dlg.get(), "BtnNoSave")->isEnabled());
}

void TestSaveMsg::failedSaveKeepsTest_data()
{
    QTest::addColumn<QString>("obstacle"); // what stands in the way, relative to the data directory
    QTest::addColumn<bool>("isFolder");
    QTest::newRow("project folder cannot be made") << QStringLiteral("工程A") << false;
    QTest::newRow("hole file cannot be written") << QStringLiteral("工程A/A12.CZO") << true;
}

void TestSaveMsg::failedSaveKeepsTest()
{
    QFETCH(QString, obstacle);
    QFETCH(bool, isFolder);
    SaveSetup s;
    fillSamples(s.session, 5);
    setState(s.session, AcqState::Raising | AcqState::SubPaused);
    const QVector<Sample> before = s.session.samples().snapshot();
    const QString blocker = s.fx.dataDir + QLatin1Char('/') + obstacle;
    if (isFolder)
        QDir().mkpath(blocker + QStringLiteral("/inside"));
    else
        writeFileBytes(blocker, "a file where the folder belongs");

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^hole file not saved")));
    const QStringList seen = click(s.dlg.get(), "BtnSave", {okMessage});
    QCOMPARE(seen.size(), 1);
    QVERIFY2(seen.first().startsWith(QStringLiteral("CDlgMsgBox: 保存失败，本次测试数据未保存！")), qPrintable(seen.first()));
    QVERIFY(s.dlg->isVisible());
    QCOMPARE(s.session.samples().snapshot(), before);
    // Asked to stop, nothing else: the test stays to be saved or discarded.
    QVERIFY(s.thread()->isStopped());
    QCOMPARE(uint(s.session.state()), uint(AcqState::Raising | AcqState::SubPaused));
    QCOMPARE(s.session.record().holeNo.get(), QStringLiteral("LIVE"));
    QCOMPARE(s.dlg->saving, uint8_t(0));
    QVERIFY(button(s.dlg.get(), "BtnSave")->isVisible() && button(s.dlg.get(), "BtnSave")->isEnabled());
    QVERIFY(button(s.dlg.get(), "BtnNoSave")->isVisible() && button(s.dlg.get(), "BtnNoSave")->isEnabled());
    QVERIFY(!button(s.dlg.get(), "BtnReturn")->isEnabled());
    QVERIFY(s.bar()->isHidden());
    QCOMPARE(s.recordChanges, 0);

    // Once the obstacle is gone the same test saves.
    if (isFolder)
        QDir(blocker).removeRecursively();
    else
        QFile::remove(blocker);
    click(s.dlg.get(), "BtnSave", {});
    QCOMPARE(s.dlg->result(), int(QDialog::Accepted));
    CtrlInfo info;
    const HoleLoadResult r = readHoleFile(s.holePath, info);
    QVERIFY2(r.ok, qPrintable(r.errorText()));
    QCOMPARE(r.samples, before);
}

void TestSaveMsg::saveNeverLeavesDataFolder_data()
{
    // "APP" stands for the application directory, which holds the data folder.
    QTest::addColumn<QString>("project");
    QTest::addColumn<QString>("filePath");
    QTest::newRow("parent step") << QStringLiteral("../out") << QStringLiteral("APP/ZPV_CZL-FILE/../out/A12.CZO");
    QTest::newRow("absolute") << QStringLiteral("APP/abs") << QStringLiteral("APP/abs/A12.CZO");
    QTest::newRow("file outside, safe project") << QStringLiteral("工程A") << QStringLiteral("APP/elsewhere/A12.CZO");
}

void TestSaveMsg::saveNeverLeavesDataFolder()
{
    QFETCH(QString, project);
    QFETCH(QString, filePath);
    SaveSetup s;
    const auto inApp = [&s](QString t) { return t.replace(QStringLiteral("APP"), s.fx.app.path()); };
    editSessionRecord(&s.session, [&](CtrlInfo &r) {
        r.projectPath = inApp(project);
        r.filePath = inApp(filePath);
    });
    fillSamples(s.session, 5);
    const auto everything = [&s] {
        QStringList all;
        QDirIterator it(s.fx.app.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            all << it.next();
        all.sort();
        return all;
    };
    const QStringList before = everything();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^hole file not saved.*outside the data folder")));
    const QStringList seen = click(s.dlg.get(), "BtnSave", {okMessage});
    QCOMPARE(seen.size(), 1);
    QVERIFY2(seen.first().startsWith(QStringLiteral("CDlgMsgBox: 保存失败")), qPrintable(seen.first()));
    QVERIFY(!QFileInfo::exists(inApp(filePath)));
    QVERIFY(!QFileInfo::exists(QFileInfo(inApp(filePath)).absolutePath()));
    QCOMPARE(everything(), before);
}
