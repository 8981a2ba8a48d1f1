// The main measurement dialog driven offscreen, with the in-memory device,
// the real acquisition thread and the winch link pointed at a loopback server
// that never answers. Modal dialogs are answered by bounded timers.

#include "dlgmain.h"
#include "appdir.h"
#include "dlginfo.h"
#include "uploadsender.h"
#include "uploadstrip.h"
#include "devicekey.h"

#include "acqstate.h"
#include "buttontextfit.h"
#include "appmodel.h"
#include "cdlgleak.h"
#include "ctrlinfo.h"
#include "curve.h"
#include "device.h"
#include "holefile.h"
#include "mainanswers.h"
#include "sessionsetup.h"
#include "modalanswer.h"
#include "paramfile.h"
#include "platform.h"
#include "querythread.h"
#include "showwavepic.h"
#include "testsession.h"
#include "sysconfig.h"
#include "testrecord.h"
#include "screentestworld.h"
#include "testsupport.h"
#include "winchaddress.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTcpServer>
#include <QtTest>
#include <memory>

namespace {

// The device says no to every operation command.
class CRefusingDevice : public CMemoryDevice {
public:
    bool sendOperation() override { return false; }
};

} // namespace

class TestMainDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void constructionState();
    void sampleButtonCycle();
    void refusedOperationKeepsState();
    void wholeManualTest();
    void existingNameAsksAgain();
    void manualLeakPointResamples();
    void automaticLeakNotice();
    void leakNoticeWearsTheme_data();
    void leakNoticeWearsTheme();
    void judgeRewritesReviewedFile_data();
    void judgeRewritesReviewedFile();
    void judgeOutsideReviewWritesNothing();
    void judgeStatesVerdictAndOverride();
    void failedRewriteIsReported();
    void closeReviewQuestion();
    void brokenFileIsNotReviewed();
    void rangeAdaptsOnOpen();
    void sedimentPanelEntries();
    void resistivityEditInReview();
    void previousTestFound_data();
    void previousTestFound();
    void previousTestOverlayToggle();
    void paceTimerFollowsMode();
    void refreshMergesThreadRequests();
    void quitSavesControlParams();
    void infoNamesTheInstrument();
    void uploadStripShowsBesideTheCurve();
    void quitWarnsOfUnsavedSamples_data();
    void quitWarnsOfUnsavedSamples();

private:
    // Writes the test-parameter file the dialog loads at construction.
    void writeParams(int sampleModeCode, int holeDepth, int moveDistance);
    void makeDialog();
    QString writeHoleFile(const QString &name, const QVector<Sample> &list, int range = 50,
                          const HoleAcceptance &acceptance = HoleAcceptance());
    // A test of hole Z17 in the project folder P: its date tells it apart,
    // its samples are all at `resistivity`.
    QString writeTest(const QString &name, int sequence, const QString &date, float resistivity);

    SilentWinch m_winch;
    std::unique_ptr<ScreenTestWorld> m_world;
    std::unique_ptr<CDlgMain> m_dlg;
};

void TestMainDialog::initTestCase()
{
    QVERIFY(m_winch.start());
}

void TestMainDialog::cleanupTestCase() { m_winch.stop(); }

void TestMainDialog::init()
{
    m_world = std::make_unique<ScreenTestWorld>();
}

void TestMainDialog::cleanup()
{
    m_dlg.reset();
    m_world.reset();
}

void TestMainDialog::writeParams(int sampleModeCode, int holeDepth, int moveDistance)
{
    CtrlInfo info;
    info.sampleMode = sampleModeCode;
    info.holeDepth = holeDepth;
    info.maxDepth = holeDepth;
    info.moveDistance = moveDistance;
    info.holeNo = QStringLiteral("H1"); // the name the tests give their test
    QVERIFY(saveTestParams(info));
}

void TestMainDialog::makeDialog()
{
    m_dlg = std::make_unique<CDlgMain>();
    m_dlg->setQuitAction([]() {});
    m_dlg->show();
    m_dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
}

QString TestMainDialog::writeHoleFile(const QString &name, const QVector<Sample> &list, int range,
                                      const HoleAcceptance &acceptance)
{
    CtrlInfo info;
    info.acceptance = acceptance;
    info.maxDepth = 20000;
    info.holeDepth = 20000;
    info.holeNo = QStringLiteral("R7");
    info.curveRange = range;
    info.sedimentThickness = 11;
    const QString path = m_world->file(name);
    HoleSaveOptions o;
    o.sync = false;
    if (!saveHoleFile(path, info, list, o))
        return QString();
    return path;
}

QString TestMainDialog::writeTest(const QString &name, int sequence, const QString &date, float resistivity)
{
    CtrlInfo info;
    info.maxDepth = info.holeDepth = 2000;
    info.holeNo = QStringLiteral("Z17");
    info.testDate = date;
    info.acceptance.sequence = sequence;
    info.acceptance.designLimitMm = 100; // an acceptance section, with the sequence in it
    QVector<Sample> list;
    for (int depth = 2000; depth >= 0; depth -= 100)
        list.append(Sample{depth, resistivity, resistivity});
    QDir().mkpath(m_world->file(QStringLiteral("P")));
    const QString path = m_world->file(QStringLiteral("P/") + name);
    HoleSaveOptions o;
    o.sync = false;
    return saveHoleFile(path, info, list, o) ? path : QString();
}

void TestMainDialog::constructionState()
{
    makeDialog();
    QCOMPARE(uint(m_dlg->session()->state()), 0xF0000004u);
    QCOMPARE(m_dlg->windowTitle(), QStringLiteral(" KRV-ZPV[W]-无线电阻率沉渣采集软件-V2.0.230308"));
    for (const char *name : {"BtnSet", "BtnSample", "BtnNew", "BtnFile", "BtnQuit", "BtnInfo"})
        QVERIFY2(button(m_dlg.get(), name)->isEnabled(), name);
    QVERIFY(!button(m_dlg.get(), "BtnMove")->isEnabled());
    QVERIFY(!button(m_dlg.get(), "Btnjudge")->isEnabled());
    QCOMPARE(button(m_dlg.get(), "BtnSet")->text(), QStringLiteral("设置"));
    QCOMPARE(button(m_dlg.get(), "BtnSample")->text(), QStringLiteral("采样"));
    QCOMPARE(button(m_dlg.get(), "BtnMove")->text(), QStringLiteral("移点"));
    QCOMPARE(button(m_dlg.get(), "BtnNew")->text(), QStringLiteral("新存"));
    auto *range = child<QComboBox>(m_dlg.get(), "CBRange");
    QCOMPARE(range->count(), 20);
    QCOMPARE(range->currentText(), QStringLiteral("50"));
    QCOMPARE(child<QComboBox>(m_dlg.get(), "CBResult")->count(), 2);
    QCOMPARE(child<QComboBox>(m_dlg.get(), "CBMagnify")->currentText(), QStringLiteral("100"));
    QVERIFY(!child<QLabel>(m_dlg.get(), "label_curDataInfo")->isVisible());
    QCOMPARE(child<QLabel>(m_dlg.get(), "strWinchLinkState")->text(), QStringLiteral("已断开"));
    // The upload strip shows only once an archive address gives it a sender.
    QVERIFY(child<QLabel>(m_dlg.get(), "label_upload_msg")->isHidden());
    // The default mode raises by winch: no move button, no pace timer.
    QVERIFY(!button(m_dlg.get(), "BtnMove")->isVisible());
    QVERIFY(!m_dlg->paceTimer());
}

void TestMainDialog::sampleButtonCycle()
{
    makeDialog();
    QPushButton *sample = button(m_dlg.get(), "BtnSample");
    QTest::mouseClick(sample, Qt::LeftButton);
    QCOMPARE(uint(m_dlg->session()->state()), 0xF6000000u);
    QTRY_VERIFY_WITH_TIMEOUT(m_dlg->queryThread()->isRunning(), 5000);
    QCOMPARE(sample->text(), QStringLiteral("暂停"));
    QVERIFY(!button(m_dlg.get(), "BtnSet")->isEnabled());
    QVERIFY(!button(m_dlg.get(), "BtnQuit")->isEnabled());
    // Reading keeps one bottom sample fresh.
    QTRY_COMPARE_WITH_TIMEOUT(m_dlg->session()->samples().size(), 1, 5000);

    QTest::mouseClick(sample, Qt::LeftButton);
    QCOMPARE(uint(m_dlg->session()->state()), 0xF6000004u);
    QVERIFY(m_dlg->queryThread()->isPaused());
    QCOMPARE(sample->text(), QStringLiteral("采样"));
    QVERIFY(button(m_dlg.get(), "BtnSet")->isEnabled());

    QTest::mouseClick(sample, Qt::LeftButton);
    QCOMPARE(uint(m_dlg->session()->state()), 0xF6000000u);
    QVERIFY(!m_dlg->queryThread()->isPaused());
}

void TestMainDialog::refusedOperationKeepsState()
{
    makeDialog();
    CRefusingDevice refusing;
    setDeviceBackend(&refusing);
    openDevice();
    setSessionState(m_dlg->session(), 0xF7000004u);
    m_dlg->SetBtnEnableByState(m_dlg->session()->state());
    for (int press = 0; press < 2; ++press) {
        QString text;
        auto done = answerMessage(&text);
        QTest::mouseClick(button(m_dlg.get(), "BtnSample"), Qt::LeftButton);
        QVERIFY(done->answered);
        QCOMPARE(text, QStringLiteral("发送操作命令失败！"));
        QCOMPARE(uint(m_dlg->session()->state()), 0xF7000004u);
    }
    QVERIFY(!m_dlg->queryThread()->isRunning());

    // From idle the refusal ends a new test before any name is asked.
    setSessionState(m_dlg->session(), 0xF0000004u);
    m_dlg->SetBtnEnableByState(m_dlg->session()->state());
    auto first = answerMessage(nullptr);
    QTest::mouseClick(button(m_dlg.get(), "BtnNew"), Qt::LeftButton);
    QVERIFY(first->answered);
    QTRY_VERIFY_WITH_TIMEOUT(!QApplication::activeModalWidget(), 5000);
    QCOMPARE(AcqState::code(m_dlg->session()->state()), AcqState::Idle);
    QCOMPARE(m_dlg->session()->record().filePath.get(), QString());
}

void TestMainDialog::wholeManualTest()
{
    writeParams(SampleModes::Manual, 1000, 100);
    makeDialog();
    m_dlg->queryThread()->setValueSource([]() { return 12.5f; });
    QVERIFY(button(m_dlg.get(), "BtnMove")->isVisible());

    auto named = answerKeyboard(QStringLiteral("H1"));
    QTest::mouseClick(button(m_dlg.get(), "BtnNew"), Qt::LeftButton);
    QVERIFY(named->answered);
    QCOMPARE(uint(m_dlg->session()->state()), 0xF7000000u);
    const QString expectedPath = m_dlg->session()->record().dataDir.get() + QStringLiteral("/") + m_dlg->session()->record().projectPath.get()
                                 + QStringLiteral("/H1.CZO");
    QCOMPARE(m_dlg->session()->record().filePath.get(), expectedPath);
    QCOMPARE(m_dlg->session()->record().curHoleName.get(), QStringLiteral("H1"));
    QVERIFY(QFileInfo(QFileInfo(expectedPath).path()).isDir());
    QCOMPARE(button(m_dlg.get(), "BtnNew")->text(), QStringLiteral("测试完成"));
    const QString project = m_dlg->session()->record().projectName.get();
    QCOMPARE(child<QLabel>(m_dlg.get(), "labelTitle")->text(), QStringLiteral("工程：%1　孔号：H1").arg(project));
    QTRY_VERIFY_WITH_TIMEOUT(m_dlg->queryThread()->isRunning(), 5000);

    // Save at the top of the hole: the screen says which file was written.
    raiseByHandAndSave(m_dlg.get(), 10);
    QCOMPARE(child<QLabel>(m_dlg.get(), "labelTitle")->text(),
             QStringLiteral("已保存：%1/H1.CZO").arg(m_dlg->session()->record().projectPath.get()));

    CtrlInfo info;
    const QVector<Sample> stored = fileSamples(expectedPath, &info);
    // The bottom sample and one every 100 mm up to the top.
    QCOMPARE(stored.size(), 11);
    QCOMPARE(stored.first().depth, 1000);
    QCOMPARE(stored.last().depth, 0);
    for (const Sample &s : stored)
        QCOMPARE(s.resistivity, 12.5f);
    QVERIFY(m_dlg->session()->samples().isEmpty());
    QCOMPARE(button(m_dlg.get(), "BtnNew")->text(), QStringLiteral("新存"));
}

void TestMainDialog::existingNameAsksAgain()
{
    makeDialog();
    const QString project = m_dlg->session()->record().dataDir.get() + QStringLiteral("/") + m_dlg->session()->record().projectPath.get();
    QVERIFY(QDir().mkpath(project));
    QVERIFY(writeFileBytes(project + QStringLiteral("/H1.CZO"), QByteArray("x")));

    QString message;
    QString secondInitial;
    auto first = answerKeyboard(QStringLiteral("H1"));
    std::shared_ptr<ModalAnswer> second;
    auto refused = answerNextModal("CDlgMsgBox", [&](QWidget *w) {
        message = childText<QLabel>(w, "labelMsg");
        second = answerNextModal("keyboard", [&secondInitial](QWidget *k) {
            secondInitial = k->findChild<QLineEdit *>(QStringLiteral("valueEdit"))->text();
            clickChild(k, "Key_Close");
        });
        clickChild(w, "BtnOK");
    });
    QTest::mouseClick(button(m_dlg.get(), "BtnNew"), Qt::LeftButton);
    QVERIFY(first->answered);
    QVERIFY(refused->answered);
    QVERIFY(second && second->answered);
    QCOMPARE(message, QStringLiteral("文件已存在，请重新输入！"));
    // The keyboard comes back with the hole's next test.
    QCOMPARE(secondInitial, QStringLiteral("H1-2"));
    // Cancelled: reading, paused, no test named.
    QCOMPARE(uint(m_dlg->session()->state()), 0xF6000004u);
    QVERIFY(m_dlg->session()->record().curHoleName.isEmpty());
}

void TestMainDialog::manualLeakPointResamples()
{
    writeParams(SampleModes::Manual, 1000, 100);
    makeDialog();
    auto named = answerKeyboard(QStringLiteral("H1"));
    QTest::mouseClick(button(m_dlg.get(), "BtnNew"), Qt::LeftButton);
    QVERIFY(named->answered);
    QTRY_COMPARE_WITH_TIMEOUT(m_dlg->session()->samples().size(), 1, 5000); // the bottom
    QTest::mouseClick(button(m_dlg.get(), "BtnMove"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(m_dlg->session()->samples().size(), 2, 5000); // and 100 mm
    QCOMPARE(uint(m_dlg->session()->state()), 0xFA000000u);

    // Jump three steps at once: 500 mm while 200 mm is expected.
    QString notice;
    auto told = answerMessage(&notice);
    int offeredMin = -1;
    QString offeredInitial;
    // The resample dialog may open its keypad as soon as its entry field
    // takes the first focus; leave the keypad without a change.
    auto keypad = answerNextModal("CDlgNumKey", [](QWidget *w) { clickChild(w, "BtnNumKeyCancel"); }, 20000);
    auto resampled = answerNextModal("CDlgReSample", [&](QWidget *w) {
        offeredMin = childText<QLabel>(w, "lbCurH").toInt();
        offeredInitial = w->findChild<QLineEdit *>(QStringLiteral("edReH"))->text();
        clickChild(w, "BtnOK");
    }, 10000);
    setHeight(50);
    QTRY_VERIFY_WITH_TIMEOUT(told->answered, 5000);
    QCOMPARE(notice, QStringLiteral("出现漏点！当前高度：50cm， 漏点高度：80cm，请点击重采按钮！"));
    QTRY_VERIFY_WITH_TIMEOUT(resampled->answered, 10000);
    keypad->cancel();
    QCOMPARE(offeredMin, 80);
    QCOMPARE(offeredInitial, QStringLiteral("100"));
    // The operator kept the offered 100 cm: the probe is put back to the
    // bottom and the raise goes on.
    QTRY_COMPARE_WITH_TIMEOUT(AcqState::sub(m_dlg->session()->state()), 0u, 5000);
    QCOMPARE(getHeight(), 0);
}

void TestMainDialog::automaticLeakNotice()
{
    writeParams(SampleModes::AutoRaise, 20000, 50);
    makeDialog();
    setSessionState(m_dlg->session(), 0xFA000001u);
    CDlgLeak *notice = m_dlg->leakNotice();
    bool shownDuringRun = false;
    auto answered = answerNextModal("CDlgLeak", [&](QWidget *w) {
        shownDuringRun = w->isVisible();
        m_dlg->OnCurHeight(12340, 12000);
        // A second report while the notice is up does not open another one.
        m_dlg->OnHandleLeakPoint(12400, 12000);
        m_dlg->OnLeakOver();
    });
    m_dlg->OnHandleLeakPoint(12340, 12000);
    QVERIFY(answered->answered);
    QVERIFY(shownDuringRun);
    QVERIFY(!notice->isVisible());
    QVERIFY(!notice->m_bShown);
    QCOMPARE(notice->m_nCurHeight, 12400);
    QCOMPARE(notice->m_nLeakHeight, 12000);
}

void TestMainDialog::leakNoticeWearsTheme_data()
{
    QTest::addColumn<int>("theme");
    QTest::addColumn<QColor>("background");
    QTest::newRow("white") << 0 << QColor(0xFF, 0xFF, 0xFF);
    QTest::newRow("black") << 1 << QColor(0x6D, 0x72, 0x81);
}

// The notice is drawn in the theme's colours like every other window.
void TestMainDialog::leakNoticeWearsTheme()
{
    QFETCH(int, theme);
    QFETCH(QColor, background);
    const int32_t before = style;
    style = theme;
    writeParams(SampleModes::AutoRaise, 20000, 50);
    makeDialog();
    style = before;
    CDlgLeak *notice = m_dlg->leakNotice();
    notice->SetHeights(12340, 12000, 20000);
    const QImage shot = notice->grab().toImage();
    // Just inside the frame, below the labels: the window's own background.
    QCOMPARE(QColor(shot.pixel(shot.width() / 2, shot.height() - 4)), background);
}

void TestMainDialog::judgeRewritesReviewedFile_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("thickness");
    QTest::newRow("19650 mm") << 2 << 35;
    QTest::newRow("19655 mm: cut toward zero") << 3 << 34;
    QTest::newRow("below the bottom") << 4 << -3;
}

void TestMainDialog::judgeRewritesReviewedFile()
{
    QFETCH(int, row);
    QFETCH(int, thickness);
    const QString path = writeHoleFile(QStringLiteral("R7.CZO"),
                                       {{19000, 3.0f, 3.0f}, {19650, 4.0f, 4.0f}, {19655, 5.0f, 5.0f},
                                        {20030, 6.0f, 6.0f}});
    QVERIFY(!path.isEmpty());
    makeDialog();
    m_dlg->session()->setSedimentThickness(7); // the live test's judgement
    m_dlg->OpenFileForReview(path);
    QCOMPARE(uint(m_dlg->session()->state()), 0xF4000000u);
    QVERIFY(m_dlg->reviewMode());
    QCOMPARE(button(m_dlg.get(), "BtnSample")->text(), QStringLiteral("关闭文件"));
    QVERIFY(button(m_dlg.get(), "Btnjudge")->isEnabled());
    QVERIFY(!button(m_dlg.get(), "BtnSet")->isEnabled());
    QCOMPARE(m_dlg->session()->record().curHoleName.get(), QStringLiteral("R7"));
    QCOMPARE(child<QLineEdit>(m_dlg.get(), "editPly")->text(), QStringLiteral("11"));

    m_dlg->OnSetMouseClick(row, 1, QString(), 2);
    QCOMPARE(m_dlg->session()->mark(), row - 1);
    QTest::mouseClick(button(m_dlg.get(), "Btnjudge"), Qt::LeftButton);
    QCOMPARE(int(m_dlg->session()->record().sedimentThickness), thickness);
    QCOMPARE(child<QLineEdit>(m_dlg.get(), "editPly")->text(), QString::number(thickness));
    CtrlInfo stored;
    QCOMPARE(fileSamples(path, &stored).size(), 4);
    QCOMPARE(int(stored.sedimentThickness), thickness);

    // Closing restores the thickness in force before the review.
    auto asked = answerQuestion(true);
    QTest::mouseClick(button(m_dlg.get(), "BtnSample"), Qt::LeftButton);
    QVERIFY(asked->answered);
    QCOMPARE(int(m_dlg->session()->record().sedimentThickness), 7);
    QCOMPARE(child<QLineEdit>(m_dlg.get(), "editPly")->text(), QStringLiteral("7"));
}

// Judging a file with a design value of 300 mm: the panel states the line,
// the hole quality follows the verdict and goes into the file; choosing the
// other quality is stored and shown as the operator's override.
void TestMainDialog::judgeStatesVerdictAndOverride()
{
    HoleAcceptance basis;
    basis.designLimitMm = 300;
    const QString path = writeHoleFile(QStringLiteral("V1.CZO"),
                                       {{19000, 3.0f, 3.0f}, {19650, 4.0f, 4.0f}, {19800, 5.0f, 5.0f}}, 50, basis);
    makeDialog();
    m_dlg->OpenFileForReview(path);
    auto *verdict = child<QLabel>(m_dlg.get(), "labelVerdict");
    QCOMPARE(verdict->text(), QString()); // not judged, no suggestion on three samples

    m_dlg->OnSetMouseClick(2, 1, QString(), 2); // 19650 mm: 350 mm of sediment
    QTest::mouseClick(button(m_dlg.get(), "Btnjudge"), Qt::LeftButton);
    QCOMPARE(verdict->text(), QStringLiteral("沉渣 350 mm > 300 mm（设计值）不合格"));
    QCOMPARE(child<QComboBox>(m_dlg.get(), "CBResult")->currentText(), QStringLiteral("不合格"));
    CtrlInfo stored;
    fileSamples(path, &stored);
    QCOMPARE(stored.acceptance.limitMm, 300);
    QCOMPARE(stored.acceptance.verdict, int32_t(AcceptanceVerdict::Fail));
    QCOMPARE(int(stored.holeQuality), 1);

    // One tap on 合格 over the failed verdict: a question (取消 first), then
    // the reason. Refusing the question changes nothing.
    QString asked;
    std::shared_ptr<ModalAnswer> question;
    auto chosen = answerNextModal("CDlgSelKey", [&](QWidget *w) {
        question = answerQuestion(false, &asked);
        clickButtonWithText(w, QStringLiteral("合格"));
    });
    QTest::mouseClick(child<QComboBox>(m_dlg.get(), "CBResult"), Qt::LeftButton);
    QVERIFY(chosen->answered);
    QVERIFY(question && question->answered);
    QCOMPARE(asked, QStringLiteral("判定结果为不合格。确定改判为合格吗？"));
    QVERIFY(!m_dlg->session()->record().acceptance.overridden);
    QCOMPARE(int(m_dlg->session()->record().holeQuality), 1);

    std::shared_ptr<ModalAnswer> reason;
    QStringList reasonsOffered;
    chosen = answerNextModal("CDlgSelKey", [&](QWidget *w) {
        question = answerNextModal("CDlgMsgQuestion", [&](QWidget *q) {
            reason = answerNextModal("CDlgSelKey", [&](QWidget *grid) {
                for (QPushButton *b : grid->findChildren<QPushButton *>())
                    if (b->isVisible() && !b->text().isEmpty())
                        reasonsOffered << wholeButtonText(b);
                clickButtonWithText(grid, QStringLiteral("监理确认"));
            });
            clickChild(q, "BtnOK");
        });
        clickButtonWithText(w, QStringLiteral("合格"));
    });
    QTest::mouseClick(child<QComboBox>(m_dlg.get(), "CBResult"), Qt::LeftButton);
    QVERIFY(chosen->answered);
    QVERIFY(question->answered);
    QVERIFY(reason && reason->answered);
    for (const QString &r : {QStringLiteral("复测合格后改判"), QStringLiteral("设计变更"), QStringLiteral("监理确认"), QStringLiteral("其他")})
        QVERIFY2(reasonsOffered.contains(r), qPrintable(r));
    QVERIFY(m_dlg->session()->record().acceptance.overridden);
    QCOMPARE(verdict->text(), QStringLiteral("合格（改判，原判 不合格：沉渣 350 mm > 300 mm；理由：监理确认）"));
    QCOMPARE(child<QComboBox>(m_dlg.get(), "CBResult")->currentText(), QStringLiteral("合格"));
    fileSamples(path, &stored);
    QVERIFY(stored.acceptance.overridden);
    QCOMPARE(stored.acceptance.overrideReason, int32_t(OverrideReason::SupervisorConfirmed));
    QCOMPARE(int(stored.holeQuality), 0);

    m_dlg->OnSetMouseClick(3, 1, QString(), 2); // 19800 mm: 200 mm, judged again
    QTest::mouseClick(button(m_dlg.get(), "Btnjudge"), Qt::LeftButton);
    QVERIFY(!m_dlg->session()->record().acceptance.overridden);
    QCOMPARE(verdict->text(), QStringLiteral("沉渣 200 mm ≤ 300 mm（设计值）合格"));
    fileSamples(path, &stored);
    QCOMPARE(stored.acceptance.verdict, int32_t(AcceptanceVerdict::Pass));
}

void TestMainDialog::judgeOutsideReviewWritesNothing()
{
    makeDialog();
    const QString path = m_world->file(QStringLiteral("live.CZO"));
    editSessionRecord(m_dlg->session(), [&](CtrlInfo &r) {
        r.filePath = path;
        r.maxDepth = 20000;
    });
    appendSessionSample(m_dlg->session(), 19650, 1.0f);
    setSessionState(m_dlg->session(), 0xFA000001u);
    m_dlg->SetBtnEnableByState(m_dlg->session()->state());
    QVERIFY(button(m_dlg.get(), "Btnjudge")->isEnabled());
    m_dlg->OnSetMouseClick(1, 1, QString(), 2);
    QTest::mouseClick(button(m_dlg.get(), "Btnjudge"), Qt::LeftButton);
    QCOMPARE(int(m_dlg->session()->record().sedimentThickness), 35);
    QCOMPARE(int(m_dlg->session()->setup().sedimentThickness), 0);
    QVERIFY(!QFileInfo::exists(path));

    // Pausing drops the leak bit and with it the judge button.
    QTest::mouseClick(button(m_dlg.get(), "BtnSample"), Qt::LeftButton);
    QCOMPARE(uint(m_dlg->session()->state()), 0xFA000004u);
    QVERIFY(!button(m_dlg.get(), "Btnjudge")->isEnabled());
}

void TestMainDialog::failedRewriteIsReported()
{
    const QString path = writeHoleFile(QStringLiteral("R7.CZO"), {{19000, 3.0f, 3.0f}, {19650, 4.0f, 4.0f}});
    makeDialog();
    m_dlg->OpenFileForReview(path);
    // The folder of the reviewed file is gone (USB disk pulled, card full):
    // a file sits where the folder should be.
    QVERIFY(writeFileBytes(m_world->file(QStringLiteral("blocked")), QByteArray("x")));
    editSessionRecord(m_dlg->session(), [&](CtrlInfo &r) {
        r.filePath = m_world->file(QStringLiteral("blocked/R7.CZO"));
    });
    m_dlg->OnSetMouseClick(2, 1, QString(), 2);
    QString text;
    auto told = answerMessage(&text);
    QTest::mouseClick(button(m_dlg.get(), "Btnjudge"), Qt::LeftButton);
    QVERIFY(told->answered);
    QCOMPARE(text, QStringLiteral("文件保存失败！"));
}

void TestMainDialog::closeReviewQuestion()
{
    const QString path = writeHoleFile(QStringLiteral("R7.CZO"), {{19000, 3.0f, 3.0f}, {19650, 4.0f, 4.0f}});
    makeDialog();
    editSessionRecord(m_dlg->session(), [&](CtrlInfo &r) {
        r.holeNo = QStringLiteral("LIVE");
    });
    m_dlg->OpenFileForReview(path);
    QCOMPARE(m_dlg->session()->record().holeNo.get(), QStringLiteral("R7"));
    const auto *title = child<QLabel>(m_dlg.get(), "labelTitle");
    QVERIFY(title->text().endsWith(QStringLiteral("文件：R7.CZO")));

    QString question;
    auto refused = answerQuestion(false, &question);
    QTest::mouseClick(button(m_dlg.get(), "BtnSample"), Qt::LeftButton);
    QVERIFY(refused->answered);
    QCOMPARE(question, QStringLiteral("确定要关闭文件?"));
    QCOMPARE(uint(m_dlg->session()->state()), 0xF4000000u);
    QVERIFY(m_dlg->reviewMode());
    QCOMPARE(m_dlg->openFile(), path);
    QCOMPARE(m_dlg->session()->samples().size(), 2);

    // The browser closes without asking.
    m_dlg->CloseReviewedFile();
    QCOMPARE(uint(m_dlg->session()->state()), 0xF0000004u);
    QVERIFY(!m_dlg->reviewMode());
    QVERIFY(m_dlg->openFile().isEmpty());
    QVERIFY(m_dlg->session()->samples().isEmpty());
    QCOMPARE(m_dlg->session()->record().holeNo.get(), QStringLiteral("LIVE"));
    QCOMPARE(button(m_dlg.get(), "BtnSample")->text(), QStringLiteral("采样"));
    QVERIFY(title->text().endsWith(QStringLiteral("孔号：LIVE")));
}

void TestMainDialog::brokenFileIsNotReviewed()
{
    makeDialog();
    appendSessionSample(m_dlg->session(), 18000, 2.0f);
    const QString path = m_world->file(QStringLiteral("cut.CZO"));
    QByteArray bytes(600, ' ');
    bytes.replace(0, 3, "BAD");
    QVERIFY(writeFileBytes(path, bytes));
    QString text;
    auto told = answerMessage(&text);
    m_dlg->OpenFileForReview(path);
    QVERIFY(told->answered);
    QCOMPARE(text, QStringLiteral("文件打开失败！"));
    QCOMPARE(uint(m_dlg->session()->state()), 0xF0000004u);
    QVERIFY(!m_dlg->reviewMode());
    QVERIFY(!button(m_dlg.get(), "Btnjudge")->isEnabled());
    QCOMPARE(m_dlg->session()->samples().size(), 1);
}

void TestMainDialog::rangeAdaptsOnOpen()
{
    const QString path = writeHoleFile(QStringLiteral("R7.CZO"), {{19000, 55.0f, 55.0f}, {19650, 4.0f, 4.0f}}, 50);
    makeDialog();
    m_dlg->OpenFileForReview(path);
    QCOMPARE(int(m_dlg->session()->record().curveRange), 60);
    QCOMPARE(child<QComboBox>(m_dlg.get(), "CBRange")->currentText(), QStringLiteral("60"));
}

void TestMainDialog::sedimentPanelEntries()
{
    makeDialog();
    // Range: "800" has no combo item.
    auto ranged = answerNextModal("CDlgSelKey", [](QWidget *w) { clickButtonWithText(w, QStringLiteral("800")); });
    QTest::mouseClick(child<QComboBox>(m_dlg.get(), "CBRange"), Qt::LeftButton);
    QVERIFY(ranged->answered);
    QCOMPARE(int(m_dlg->session()->record().curveRange), 800);
    QCOMPARE(int(m_dlg->session()->setup().curveRange), 800);
    QCOMPARE(child<QComboBox>(m_dlg.get(), "CBRange")->currentIndex(), -1);

    // Hole quality.
    auto judged = answerNextModal("CDlgSelKey", [](QWidget *w) { clickButtonWithText(w, QStringLiteral("不合格")); });
    QTest::mouseClick(child<QComboBox>(m_dlg.get(), "CBResult"), Qt::LeftButton);
    QVERIFY(judged->answered);
    QCOMPARE(int(m_dlg->session()->record().holeQuality), 1);
    QCOMPARE(child<QComboBox>(m_dlg.get(), "CBResult")->currentText(), QStringLiteral("不合格"));

    // A typed thickness judges the shown test only (the set-up keeps none);
    // the keypad opens again on the next touch.
    auto *ply = child<QLineEdit>(m_dlg.get(), "editPly");
    for (const QString &typed : {QStringLiteral("12"), QStringLiteral("30")}) {
        // The selection grids just closed: touch the screen again.
        m_dlg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
        auto typedIn = answerNumber(typed);
        QTest::mouseClick(ply, Qt::LeftButton);
        QVERIFY(typedIn->answered);
        QCOMPARE(ply->text(), typed);
        QCOMPARE(int(m_dlg->session()->record().sedimentThickness), typed.toInt());
        QCOMPARE(int(m_dlg->session()->setup().sedimentThickness), 0);
    }
}

void TestMainDialog::resistivityEditInReview()
{
    const QString path = writeHoleFile(QStringLiteral("R7.CZO"), {{19000, 3.0f, 3.0f}, {19650, 4.0f, 4.0f}});
    makeDialog();
    // Outside review a double click opens nothing.
    appendSessionSample(m_dlg->session(), 1000, 1.0f);
    m_dlg->OnSetMouseClick(1, 2, QStringLiteral("1.0000"), 4);
    QVERIFY(!QApplication::activeModalWidget());

    m_dlg->OpenFileForReview(path);
    QString initial;
    auto edited = answerNumber(QStringLiteral("7.5"), &initial);
    m_dlg->OnSetMouseClick(2, 2, QStringLiteral("4.0000"), 4);
    QVERIFY(edited->answered);
    QCOMPARE(initial, QStringLiteral("4.0000"));
    Sample s;
    QVERIFY(m_dlg->session()->samples().at(1, &s));
    QCOMPARE(s.resistivity, 7.5f);
    QCOMPARE(s.rawResistivity, 4.0f);
    // A depth cell opens nothing.
    m_dlg->OnSetMouseClick(2, 1, QStringLiteral("19.65"), 4);
    QVERIFY(!QApplication::activeModalWidget());
    // Rows outside the list are ignored.
    m_dlg->OnSetMouseClick(3, 2, QString(), 2);
    QCOMPARE(m_dlg->session()->mark(), 1);
}

// Tests of hole Z17 as "name:sequence:resistivity"; the reviewed one first.
void TestMainDialog::previousTestFound_data()
{
    QTest::addColumn<QStringList>("tests");
    QTest::addColumn<QString>("previous"); // empty: none
    QTest::newRow("second shows the first") << QStringList{"Z17-2:2:20", "Z17:1:10"} << "Z17";
    QTest::newRow("first has none") << QStringList{"Z17:1:10", "Z17-2:2:20"} << "";
    QTest::newRow("gap") << QStringList{"Z17-3:3:30", "Z17:1:10"} << "Z17";
    QTest::newRow("nearest earlier") << QStringList{"Z17-3:3:30", "Z17:1:10", "Z17-2:2:20"} << "Z17-2";
    // A pile named Z17-2 of its own (its file says test 1) is not a test of Z17.
    QTest::newRow("other pile passed over") << QStringList{"Z17-3:3:30", "Z17:1:10", "Z17-2:1:20"} << "Z17";
}

// Opening a repeat finds the test before it and reads it without changing
// the reviewed file, the record in force or the sample list.
void TestMainDialog::previousTestFound()
{
    QFETCH(QStringList, tests);
    QFETCH(QString, previous);
    QStringList paths;
    QHash<QString, QByteArray> bytesBefore;
    for (int i = 0; i < tests.size(); ++i) {
        const QStringList f = tests.at(i).split(QLatin1Char(':'));
        const QString path = writeTest(f.at(0) + QStringLiteral(".CZO"), f.at(1).toInt(),
                                       QStringLiteral("2026-11-%1").arg(10 + i), f.at(2).toFloat());
        QVERIFY(!path.isEmpty());
        paths.append(path);
        bytesBefore.insert(path, readFileBytes(path));
    }
    makeDialog();
    CtrlInfo reviewedInfo;
    const QVector<Sample> reviewedSamples = fileSamples(paths.first(), &reviewedInfo);
    m_dlg->OpenFileForReview(paths.first());
    QVERIFY(m_dlg->reviewMode());

    const PreviousTest &found = m_dlg->session()->previousTest();
    QCOMPARE(found.name, previous);
    auto *toggle = button(m_dlg.get(), "BtnOverlay");
    QCOMPARE(toggle->isVisible(), !previous.isEmpty());
    if (!previous.isEmpty()) {
        const int index = tests.indexOf(QRegularExpression(QRegularExpression::escape(previous) + QStringLiteral(":.*")));
        CtrlInfo olderInfo;
        QCOMPARE(found.samples, fileSamples(paths.at(index), &olderInfo));
        QCOMPARE(found.testDate, olderInfo.testDate.get());
        QVERIFY(found.samples.first().resistivity != reviewedSamples.first().resistivity);
    }
    // The review shows the reviewed test, as read from its file.
    QCOMPARE(m_dlg->session()->samples().snapshot(), reviewedSamples);
    QCOMPARE(m_dlg->session()->record().filePath.get(), paths.first());
    QCOMPARE(m_dlg->session()->record().testDate.get(), reviewedInfo.testDate.get());
    QCOMPARE(m_dlg->session()->record().acceptance.sequence, reviewedInfo.acceptance.sequence);
    for (const QString &path : paths)
        QCOMPARE(readFileBytes(path), bytesBefore.value(path));
}

// The toggle draws the previous test on the curve and takes it away; closing
// the file drops it, and the choice stays for the next repeat opened.
void TestMainDialog::previousTestOverlayToggle()
{
    const QString first = writeTest(QStringLiteral("Z17.CZO"), 1, QStringLiteral("2026-11-10"), 10.0f);
    const QString second = writeTest(QStringLiteral("Z17-2.CZO"), 2, QStringLiteral("2026-11-12"), 20.0f);
    QVERIFY(!first.isEmpty() && !second.isEmpty());
    makeDialog();
    auto *toggle = button(m_dlg.get(), "BtnOverlay");
    CCurvePicture &picture = m_dlg->findChild<CShowWavePic *>(QStringLiteral("wavePic"))->picture();
    QVERIFY(!toggle->isVisible()); // nothing reviewed

    m_dlg->OpenFileForReview(second);
    QVERIFY(toggle->isVisible());
    QVERIFY(!toggle->isChecked());
    QVERIFY(!picture.hasOverlay()); // off until asked for
    QTest::mouseClick(toggle, Qt::LeftButton);
    QVERIFY(m_dlg->session()->previousShown());
    QVERIFY(picture.hasOverlay());
    QTest::mouseClick(toggle, Qt::LeftButton);
    QVERIFY(!picture.hasOverlay());
    QTest::mouseClick(toggle, Qt::LeftButton);

    auto asked = answerQuestion(true);
    QTest::mouseClick(button(m_dlg.get(), "BtnSample"), Qt::LeftButton);
    QVERIFY(asked->answered);
    QVERIFY(!toggle->isVisible());
    QVERIFY(!picture.hasOverlay());
    QVERIFY(!m_dlg->session()->previousTest().isValid());

    m_dlg->OpenFileForReview(first); // no earlier test: nothing to show
    QVERIFY(!toggle->isVisible());
    QVERIFY(!picture.hasOverlay());
    m_dlg->OpenFileForReview(second); // the operator's choice is kept
    QVERIFY(toggle->isChecked());
    QVERIFY(picture.hasOverlay());
}

void TestMainDialog::paceTimerFollowsMode()
{
    writeParams(SampleModes::Manual6, 20000, 50);
    makeDialog();
    QVERIFY(m_dlg->paceTimer());
    QCOMPARE(m_dlg->paceTimer()->interval(), 300);
    QVERIFY(button(m_dlg.get(), "BtnMove")->isVisible());
    QCOMPARE(int(m_dlg->session()->record().deviceChannel), 1);

    // Ticks move the probe only while raising and not paused.
    memoryDevice().resetHeight();
    setSessionState(m_dlg->session(), 0xFA000004u);
    for (int i = 0; i < 3; ++i)
        m_dlg->UpdateTime();
    QCOMPARE(getHeight(), 0);
    setSessionState(m_dlg->session(), 0xFA000000u);
    for (int i = 0; i < 6; ++i)
        m_dlg->UpdateTime();
    QCOMPARE(getHeight(), 10); // ticks 3 and 6, 5 cm each

    editSessionRecord(m_dlg->session(), [&](CtrlInfo &r) {
        r.sampleMode = SampleModes::AutoRaise;
    });
    m_dlg->SetupPaceTimer();
    QVERIFY(!m_dlg->paceTimer());
    QVERIFY(!button(m_dlg.get(), "BtnMove")->isVisible());
    QCOMPARE(int(m_dlg->session()->record().deviceChannel), 0);
}

void TestMainDialog::refreshMergesThreadRequests()
{
    makeDialog();
    QTest::qWait(2 * kRefreshMergeMs);
    const int fills = m_dlg->tableFillCount();
    const int curves = m_dlg->curveRefreshCount();
    for (int i = 0; i < 50; ++i) {
        appendSessionSample(m_dlg->session(), 20000 - 50 * i, 1.0f);
        emit m_dlg->session()->samplesChanged(true, i % 2 == 0);
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_dlg->tableFillCount(), fills + 1, 5000);
    QCOMPARE(m_dlg->curveRefreshCount(), curves + 1);
    QTest::qWait(3 * kRefreshMergeMs);
    QCOMPARE(m_dlg->tableFillCount(), fills + 1);
    QCOMPARE(child<QLabel>(m_dlg.get(), "label_curDepth")->text(), QStringLiteral("17.55"));

    // Nothing is rebuilt while the screen is hidden; showing it catches up.
    m_dlg->hide();
    for (int i = 0; i < 5; ++i)
        emit m_dlg->session()->samplesChanged(true, true);
    QTest::qWait(3 * kRefreshMergeMs);
    QCOMPARE(m_dlg->tableFillCount(), fills + 1);
    m_dlg->show();
    QTRY_COMPARE_WITH_TIMEOUT(m_dlg->tableFillCount(), fills + 2, 5000);
}

// The information dialog: the test's description, then the instrument's
// device id, the one its manifests are signed with.
void TestMainDialog::infoNamesTheInstrument()
{
    makeDialog();
    DeviceKey key;
    QVERIFY(loadOrCreateDeviceKey(QKRVCommomUtils::appPath(), &key, nullptr));
    QString shown;
    auto info = answerNextModal("CDlgInfo", [&shown](QWidget *w) {
        shown = static_cast<CDlgInfo *>(w)->infoText();
        clickChild(w, "BtnOK");
    });
    QTest::mouseClick(button(m_dlg.get(), "BtnInfo"), Qt::LeftButton);
    QVERIFY(info->answered);
    const QStringList lines = shown.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 7);
    QCOMPARE(lines.first(), QStringLiteral("  工程名称:") + m_dlg->session()->record().projectName.get());
    QCOMPARE(lines.last(), QStringLiteral("  仪器编号:") + key.deviceId());
}

// With an archive address the strip is on the screen, under the curve, and
// the curve keeps its whole area (no scroll bars).
void TestMainDialog::uploadStripShowsBesideTheCurve()
{
    makeDialog();
    m_dlg->setFixedSize(1024, 768);
    auto *scroll = child<QScrollArea>(m_dlg.get(), "scrollArea");
    QApplication::processEvents();
    const QSize curveArea = scroll->viewport()->size();
    CUploadSender sender(UploadSettings{QUrl(QStringLiteral("https://127.0.0.1:9")), QString()},
                         m_world->file(QStringLiteral("outbox")));
    auto *label = child<QLabel>(m_dlg.get(), "label_upload_msg");
    new CUploadStrip(label, &sender);
    QApplication::processEvents();
    QVERIFY(label->isVisible());
    QCOMPARE(label->text(), QStringLiteral("已全部上传到档案"));
    QVERIFY(!scroll->isAncestorOf(label));
    QVERIFY(!scroll->verticalScrollBar()->isVisible());
    QVERIFY(!scroll->horizontalScrollBar()->isVisible());
    QVERIFY(m_dlg->rect().contains(QRect(label->mapTo(m_dlg.get(), QPoint(0, 0)), label->size())));
    QVERIFY(label->height() >= label->fontMetrics().height());
    QVERIFY(scroll->viewport()->height() >= curveArea.height() - label->height() - 12);
}

void TestMainDialog::quitSavesControlParams()
{
    makeDialog();
    int quits = 0;
    m_dlg->setQuitAction([&quits]() { ++quits; });
    const QString config = m_world->file(QStringLiteral("KRV_ZPVW_CZL_CONFIG.INI"));
    QString question;
    auto refused = answerQuestion(false, &question);
    QTest::mouseClick(button(m_dlg.get(), "BtnQuit"), Qt::LeftButton);
    QVERIFY(refused->answered);
    QCOMPARE(question, QStringLiteral("确定要退出吗?"));
    QVERIFY(QFileInfo::exists(config));
    QCOMPARE(quits, 0);

    QTest::mouseClick(button(m_dlg.get(), "BtnSample"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(m_dlg->queryThread()->isRunning(), 5000);
    QTest::mouseClick(button(m_dlg.get(), "BtnSample"), Qt::LeftButton); // paused: quit allowed
    QVERIFY(QFile::remove(config));
    auto accepted = answerQuestion(true);
    QTest::mouseClick(button(m_dlg.get(), "BtnQuit"), Qt::LeftButton);
    QVERIFY(accepted->answered);
    QCOMPARE(quits, 1);
    QVERIFY(QFileInfo::exists(config));
    QVERIFY(!m_dlg->queryThread()->isRunning());
}

void TestMainDialog::quitWarnsOfUnsavedSamples_data()
{
    QTest::addColumn<bool>("samples");
    QTest::addColumn<QString>("question");
    QTest::addColumn<bool>("cancelIsDefault");
    QTest::newRow("nothing measured") << false << QStringLiteral("确定要退出吗?") << false;
    QTest::newRow("unsaved samples")
        << true << QStringLiteral("本次测试尚未保存，退出将丢失已测数据。确定要退出吗？") << true;
}

void TestMainDialog::quitWarnsOfUnsavedSamples()
{
    QFETCH(bool, samples);
    QFETCH(QString, question);
    QFETCH(bool, cancelIsDefault);
    makeDialog();
    int quits = 0;
    m_dlg->setQuitAction([&quits]() { ++quits; });
    if (samples) {
        appendSessionSample(m_dlg->session(), 1500, 2.5f);
        setSessionState(m_dlg->session(), AcqState::AtBottom | AcqState::SubPaused); // quit allowed
    }
    QString asked;
    bool cancelDefault = false;
    // The operator presses Enter: what the default button does happens.
    auto answer = answerNextModal("CDlgMsgQuestion", [&](QWidget *w) {
        asked = childText<QLabel>(w, "LBShow");
        cancelDefault = w->findChild<QPushButton *>(QStringLiteral("BtnCancel"))->isDefault();
        QPointer<QWidget> open(w);
        QTest::keyClick(w, Qt::Key_Return);
        if (open && open->isVisible()) // Enter did nothing: the question is closed by hand
            clickChild(open, "BtnCancel");
    });
    QTest::mouseClick(button(m_dlg.get(), "BtnQuit"), Qt::LeftButton);
    QVERIFY(answer->answered);
    QCOMPARE(asked, question);
    if (cancelIsDefault) {
        QVERIFY(cancelDefault);
        QCOMPARE(quits, 0);
    }
}

int runMainDialogTests(int argc, char **argv)
{
    TestMainDialog t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_maindialog.moc"
