// Several tests in one run of the real main dialog, as an operator makes
// them: Z1, its repeat Z1-2, a review with a re-judgement, then Z2 from a
// paused reading and Z3, each named on the keyboard. Every file must hold its
// own time, its own name and hole, and only the judgement made for it.

#include "dlgmain.h"

#include "acqstate.h"
#include "ctrlinfo.h"
#include "mainanswers.h"
#include "paramfile.h"
#include "querythread.h"
#include "screentestworld.h"
#include "sessionsetup.h"
#include "testsession.h"
#include "verdict.h"

#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QtTest>
#include <memory>

class TestWalk : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_winch.start()); }
    void cleanupTestCase() { m_winch.stop(); }
    void fourTestsInOneRun();

private:
    // 新存 with the keyboard's proposal checked and the name typed; when
    // holeAnswer is 1 or 0 the hole-number question is expected and
    // answered OK or Cancel.
    void nameTest(const QString &proposal, const QString &typed, int holeAnswer = -1);
    QString thickness() const { return child<QLineEdit>(m_dlg.get(), "editPly")->text(); }
    QString shownDepth() const { return child<QLabel>(m_dlg.get(), "label_curDepth")->text(); }
    int quality() const { return child<QComboBox>(m_dlg.get(), "CBResult")->currentIndex(); }
    QString path(const QString &name) const
    {
        return m_dlg->session()->record().dataDir.get() + QStringLiteral("/P/") + name + QStringLiteral(".CZO");
    }
    void closeFile();

    SilentWinch m_winch;
    std::unique_ptr<ScreenTestWorld> m_world;
    std::unique_ptr<CDlgMain> m_dlg;
};

void TestWalk::nameTest(const QString &proposal, const QString &typed, int holeAnswer)
{
    QString offered;
    auto named = answerKeyboard(typed, &offered);
    std::shared_ptr<ModalAnswer> asked;
    QString question;
    if (holeAnswer >= 0)
        asked = answerQuestion(holeAnswer == 1, &question);
    QTest::mouseClick(button(m_dlg.get(), "BtnNew"), Qt::LeftButton);
    QVERIFY(named->answered);
    QCOMPARE(offered, proposal);
    if (asked) {
        QVERIFY(asked->answered);
        QVERIFY2(question.contains(typed), qPrintable(question));
    }
    // Named: sampling from the bottom, never waiting paused in silence.
    QCOMPARE(uint(m_dlg->session()->state()), 0xF7000000u);
    QCOMPARE(button(m_dlg.get(), "BtnSample")->text(), QStringLiteral("暂停"));
    QTRY_VERIFY_WITH_TIMEOUT(m_dlg->queryThread()->isRunning() && !m_dlg->queryThread()->isPaused(), 5000);
}

void TestWalk::closeFile()
{
    auto asked = answerQuestion(true);
    QTest::mouseClick(button(m_dlg.get(), "BtnSample"), Qt::LeftButton);
    QVERIFY(asked->answered);
    QVERIFY(!m_dlg->reviewMode());
}

void TestWalk::fourTestsInOneRun()
{
    m_world = std::make_unique<ScreenTestWorld>();
    CtrlInfo params;
    params.sampleMode = SampleModes::Manual;
    params.holeDepth = params.maxDepth = 300;
    params.moveDistance = 100;
    params.holeNo = QStringLiteral("Z1");
    params.projectPath = QStringLiteral("P");
    // A judgement an earlier run left in the parameter file.
    params.sedimentThickness = 4;
    QVERIFY(saveTestParams(params));

    const QDateTime runStart = QDateTime::currentDateTime().addSecs(-1);
    m_dlg = std::make_unique<CDlgMain>();
    m_dlg->setQuitAction([]() {});
    m_dlg->show();
    m_dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
    m_dlg->queryThread()->setValueSource([]() { return 12.5f; });
    // The time the program started with, which no test may carry.
    editSessionRecord(m_dlg->session(), [&](CtrlInfo &r) {
        r.testTime = QStringLiteral("01:02:03");
    });
    QCOMPARE(thickness(), QString());
    QCOMPARE(quality(), -1);

    // Z1, judged while it runs: 6 cm typed in the panel.
    nameTest(QStringLiteral("Z1"), QStringLiteral("Z1"));
    QCOMPARE(thickness(), QString());
    // The value row follows the newest sample while nothing is marked.
    QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>(m_dlg.get(), "label_resistivity")->text(), QStringLiteral("12.5000"), 5000);
    QCOMPARE(shownDepth(), QStringLiteral("0.30"));
    // The keyboard just closed: touch the screen again.
    m_dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
    auto typed = answerNumber(QStringLiteral("6"));
    QTest::mouseClick(child<QLineEdit>(m_dlg.get(), "editPly"), Qt::LeftButton);
    QVERIFY(typed->answered);
    QCOMPARE(thickness(), QStringLiteral("6"));
    raiseByHandAndSave(m_dlg.get(), 10);
    // The saved judgement stays with its file, not on the screen.
    QCOMPARE(thickness(), QString());
    QCOMPARE(quality(), -1);

    // Z1-2, not judged.
    nameTest(QStringLiteral("Z1-2"), QStringLiteral("Z1-2"));
    raiseByHandAndSave(m_dlg.get(), 10);

    // Review of Z1-2: nothing marked, so 判定 writes nothing and says why.
    m_dlg->OpenFileForReview(path(QStringLiteral("Z1-2")));
    QVERIFY(m_dlg->reviewMode());
    // Nothing marked: the value row names no sample, only the bottom.
    QCOMPARE(shownDepth(), QStringLiteral("0.30"));
    QCOMPARE(child<QLabel>(m_dlg.get(), "label_resistivity")->text(), QStringLiteral("0.00"));
    QCOMPARE(thickness(), QString());
    QCOMPARE(quality(), -1);
    const QByteArray unjudged = readFileBytes(path(QStringLiteral("Z1-2")));
    QString told;
    auto refused = answerMessage(&told);
    QTest::mouseClick(button(m_dlg.get(), "Btnjudge"), Qt::LeftButton);
    QVERIFY(refused->answered);
    QCOMPARE(told, QStringLiteral("请先在曲线或数据表上标记沉渣面，再按判定。"));
    QCOMPARE(readFileBytes(path(QStringLiteral("Z1-2"))), unjudged);
    // A typed thickness is the reviewed file's judgement, written at once.
    m_dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
    auto retyped = answerNumber(QStringLiteral("4"));
    QTest::mouseClick(child<QLineEdit>(m_dlg.get(), "editPly"), Qt::LeftButton);
    QVERIFY(retyped->answered);
    CtrlInfo reviewed;
    QCOMPARE(fileSamples(path(QStringLiteral("Z1-2")), &reviewed).size(), 4);
    QCOMPARE(int(reviewed.sedimentThickness), 4);
    QVERIFY(hasJudgement(reviewed));
    m_dlg->OnSetMouseClick(4, 1, QString(), 2); // the top row, marked
    QCOMPARE(shownDepth(), QStringLiteral("0.00"));
    closeFile();
    QCOMPARE(thickness(), QString());
    QCOMPARE(child<QLabel>(m_dlg.get(), "labelVerdict")->text(), QString());

    // Z1 opened next: the mark of Z1-2 is gone, so 判定 changes nothing.
    m_dlg->OpenFileForReview(path(QStringLiteral("Z1")));
    QCOMPARE(thickness(), QStringLiteral("6"));
    const QByteArray judgedZ1 = readFileBytes(path(QStringLiteral("Z1")));
    auto refusedAgain = answerMessage(nullptr);
    QTest::mouseClick(button(m_dlg.get(), "Btnjudge"), Qt::LeftButton);
    QVERIFY(refusedAgain->answered);
    QCOMPARE(readFileBytes(path(QStringLiteral("Z1"))), judgedZ1);
    closeFile();

    // Z2 from a paused reading; its name makes it hole Z2.
    QTest::mouseClick(button(m_dlg.get(), "BtnSample"), Qt::LeftButton);
    QTest::mouseClick(button(m_dlg.get(), "BtnSample"), Qt::LeftButton);
    QCOMPARE(uint(m_dlg->session()->state()), 0xF6000004u);
    nameTest(QStringLiteral("Z1-3"), QStringLiteral("Z2"), 1);
    raiseByHandAndSave(m_dlg.get(), 10);

    // Z3, whose hole number the operator keeps (Z2).
    nameTest(QStringLiteral("Z2-2"), QStringLiteral("Z3"), 0);
    raiseByHandAndSave(m_dlg.get(), 10);
    const QDateTime runEnd = QDateTime::currentDateTime().addSecs(1);

    struct Expected {
        const char *name;
        const char *hole;
        int32_t sequence;
        bool judged;
        int32_t thicknessCm;
    };
    const Expected files[] = {{"Z1", "Z1", 1, true, 6},
                              {"Z1-2", "Z1", 2, true, 4},
                              {"Z2", "Z2", 1, false, 0},
                              {"Z3", "Z2", 1, false, 0}};
    for (const Expected &e : files) {
        const QString name = QString::fromLatin1(e.name);
        CtrlInfo info;
        QCOMPARE(fileSamples(path(name), &info).size(), 4);
        QVERIFY2(QFileInfo::exists(path(name).chopped(3) + QStringLiteral("PDF")), e.name);
        QCOMPARE(info.holeNo.get(), QString::fromLatin1(e.hole));
        QCOMPARE(info.acceptance.sequence, e.sequence);
        // Only Z3 is named after another hole than the one it records.
        QCOMPARE(info.acceptance.holeNumberKept, name == QStringLiteral("Z3"));
        QCOMPARE(hasJudgement(info), e.judged);
        QCOMPARE(int32_t(info.sedimentThickness), e.thicknessCm);
        const QDateTime stamped = QDateTime::fromString(info.testDate.get() + QLatin1Char(' ') + info.testTime.get(),
                                                        QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        QVERIFY2(stamped >= runStart && stamped <= runEnd, qPrintable(name + QLatin1Char(' ') + info.testTime.get()));
    }
    m_dlg.reset();
    m_world.reset();
}

QTEST_MAIN(TestWalk)
#include "tst_testwalk.moc"
