// Link faults during an automatic test on the real main screen: the winch
// controller simulator falls silent, drops the connection or sends broken
// frames while a test runs. The screen shows the link state, the samples
// already taken stay, and the operator can finish the test and save it.
// Likewise a leak point whose probe never comes back: the notice's pause
// lets the operator save what was measured.

#include "autorun.h"

#include "acqstate.h"
#include "appmodel.h"
#include "testsession.h"
#include "cdlgleak.h"
#include "ctrlinfo.h"
#include "device.h"
#include "dlgmain.h"
#include "holefile.h"
#include "modalanswer.h"
#include "paramfile.h"
#include "platform.h"
#include "querythread.h"
#include "sysconfig.h"
#include "testrecord.h"
#include "screentestworld.h"
#include "testsupport.h"
#include "winchaddress.h"
#include "winchctrl.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

namespace {
QPushButton *button(QWidget *dlg, const char *name) { return dlg->findChild<QPushButton *>(QString::fromLatin1(name)); }

QString linkText(QWidget *dlg)
{
    auto *l = dlg->findChild<QLabel *>(QStringLiteral("strWinchLinkState"));
    return l ? l->text() : QString();
}

// The real main screen in the automatic mode on a 1-m hole with 50-mm steps,
// its link on the simulator, a test named and the probe rising. Check
// QTest::currentTestFailed() after start().
struct ScreenRun {
    ScreenTestWorld world;
    std::unique_ptr<CSimProcess> sim;
    std::unique_ptr<CDlgMain> dlg;
    CWinchCtrl *link = nullptr;
    QString path; // the hole file of the test

    void start(const QStringList &simArgs, const QString &hole)
    {
        sim = std::make_unique<CSimProcess>(simArgs + QStringList{QStringLiteral("--max-seconds"),
                                                                  QStringLiteral("300")});
        const quint16 port = sim->waitForPort();
        QVERIFY2(port != 0, qPrintable(sim->output()));
        setConfiguredWinchAddress(WinchAddress{QStringLiteral("127.0.0.1"), port});

        CtrlInfo params;
        params.sampleMode = SampleModes::AutoRaise;
        params.holeDepth = 1000;
        params.maxDepth = 1000;
        params.moveDistance = 50;
        params.holeNo = hole; // the test is named for its hole
        QVERIFY(saveTestParams(params));

        dlg = std::make_unique<CDlgMain>();
        dlg->setQuitAction([]() {});
        // The one model of the process may have been made by an earlier
        // test: point its link at this one's simulator.
        link = CAppModel::instance()->link();
        QVERIFY(link->stopLink());
        link->setLivenessIntervalMs(500);
        link->configure(0, QStringLiteral("127.0.0.1"), port);
        link->startLink();
        dlg->show();
        dlg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dlg.get()));
        QTRY_COMPARE_WITH_TIMEOUT(linkText(dlg.get()), QStringLiteral("已连接"), 10000);

        // A new test: the controller clears its count and the raise begins
        // after its wait at the bottom.
        auto named = answerNextModal("keyboard", [hole](QWidget *w) {
            w->findChild<QLineEdit *>(QStringLiteral("valueEdit"))->setText(hole);
            clickChild(w, "BtnOK");
        });
        QTest::mouseClick(button(dlg.get(), "BtnNew"), Qt::LeftButton);
        QVERIFY(named->answered);
        path = dlg->session()->record().filePath.get();
        QTRY_COMPARE_WITH_TIMEOUT(AcqState::code(dlg->session()->state()), AcqState::Raising, 10000);
    }

    // "测试完成", then 保存 in the end-of-test dialog; the samples the file
    // holds afterwards (empty, with a failure, when it cannot be read).
    QVector<Sample> finishAndSave()
    {
        auto saved = answerNextModal("CDlgSaveMsg", [](QWidget *w) { clickChild(w, "BtnSave"); }, 20000);
        QTest::mouseClick(button(dlg.get(), "BtnNew"), Qt::LeftButton);
        if (!QTest::qWaitFor([&]() { return saved->answered; }, 20000)
            || !QTest::qWaitFor([this]() { return dlg->session()->samples().isEmpty(); }, 30000)) {
            QTest::qFail("the test was not saved", __FILE__, __LINE__);
            return {};
        }
        CtrlInfo info;
        const HoleLoadResult r = readHoleFile(path, info);
        if (!r.ok)
            QTest::qFail(qPrintable(path + QStringLiteral(": ") + r.errorText()), __FILE__, __LINE__);
        return r.samples;
    }

    ~ScreenRun()
    {
        dlg.reset();
        if (link)
            link->stopLink();
    }
};
}

class TstScreenFaults : public QObject {
    Q_OBJECT
private slots:
    void faultDuringTestOnScreen_data();
    void faultDuringTestOnScreen();
    void leakPointWithoutReturn_data();
    void leakPointWithoutReturn();
};

void TstScreenFaults::faultDuringTestOnScreen_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("linkDown");
    QTest::newRow("silent") << "silent" << true;
    QTest::newRow("drop") << "drop" << true;
    QTest::newRow("garbage") << "garbage" << false;
}

void TstScreenFaults::faultDuringTestOnScreen()
{
    QFETCH(QString, fault);
    QFETCH(bool, linkDown);
    // The winch stops 0.5 m up a 1-m hole, so the probe stands when the
    // fault begins: a probe that moved on while the link was down would come
    // back as a leak point.
    ScreenRun run;
    run.start({QStringLiteral("--depth"), QStringLiteral("0.5"), QStringLiteral("--wait"), QStringLiteral("0.3"),
               QStringLiteral("--speed"), QStringLiteral("0.1"), QStringLiteral("--fault"), fault,
               QStringLiteral("--fault-after"), QStringLiteral("9")},
              QStringLiteral("F1"));
    if (QTest::currentTestFailed())
        return;
    CDlgMain *dlg = run.dlg.get();
    CWinchCtrl *link = run.link;
    CSimProcess &sim = *run.sim;

    // A leak notice would block the screen: fail instead of hanging.
    bool leakShown = false;
    auto leakGuard = answerNextModal("CDlgLeak", [&leakShown](QWidget *w) {
        leakShown = true;
        qobject_cast<CDlgLeak *>(w)->Close();
    }, 120000);
    // The bottom and every 50 mm up to where the winch stopped.
    QTRY_COMPARE_WITH_TIMEOUT(dlg->session()->samples().size(), 11, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(sim.lineIndex(QStringLiteral("fault: ") + fault) >= 0, 20000);
    const QVector<Sample> before = dlg->session()->samples().snapshot();
    QCOMPARE(before.size(), 11);

    if (linkDown) {
        // The screen tells the link is down, then up again once the
        // controller answers on a new connection.
        QTRY_COMPARE_WITH_TIMEOUT(linkText(dlg), QStringLiteral("已断开"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(link->connectAttempts() >= 2, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(linkText(dlg), QStringLiteral("已连接"), 20000);
    } else {
        // Broken frames keep bytes coming: the link is up, nothing moves.
        const int attempts = link->connectAttempts();
        QTest::qWait(2000);
        QCOMPARE(linkText(dlg), QStringLiteral("已连接"));
        QCOMPARE(link->connectAttempts(), attempts);
    }
    const QVector<Sample> during = dlg->session()->samples().snapshot();
    QVERIFY(during.size() >= before.size());
    for (int i = 0; i + 1 < before.size(); ++i)
        QVERIFY(during.at(i) == before.at(i));

    leakGuard->cancel();
    QVERIFY(!leakShown);

    // The operator ends the test and saves it.
    QCOMPARE(dlg->session()->state(), AcqState::Raising);
    const QVector<Sample> atFinish = dlg->session()->samples().snapshot();
    const QVector<Sample> saved = run.finishAndSave();
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(saved.size(), atFinish.size());
    QCOMPARE(atFinish.size(), before.size());
    for (int i = 0; i < before.size(); ++i)
        QVERIFY(saved.at(i) == before.at(i));
    for (int i = 0; i < saved.size(); ++i)
        QCOMPARE(saved.at(i).depth, 1000 - 50 * i);
    qInfo("%s: %d samples before the fault, %d saved, %d connects", qPrintable(fault), int(before.size()),
          int(saved.size()), link->connectAttempts());
}

void TstScreenFaults::leakPointWithoutReturn_data()
{
    QTest::addColumn<bool>("lowered");
    QTest::newRow("saved as it stands") << false;
    QTest::newRow("lowered to the skipped point, then on to the top") << true;
}

void TstScreenFaults::leakPointWithoutReturn()
{
    QFETCH(bool, lowered);
    // As a new user did it: 暂停 while the winch goes on raising, then 采样.
    // The probe is far above the next point, a leak point, and the winch
    // never lowers it back (the simulator only raises here, as a jammed
    // winch would). The notice offers its pause; the operator saves.
    ScreenRun run;
    run.start({QStringLiteral("--depth"), QStringLiteral("1"), QStringLiteral("--wait"), QStringLiteral("0.3"),
               QStringLiteral("--speed"), QStringLiteral("0.1")},
              QStringLiteral("L1"));
    if (QTest::currentTestFailed())
        return;
    CDlgMain *dlg = run.dlg.get();
    QTRY_VERIFY_WITH_TIMEOUT(dlg->session()->samples().size() >= 6, 20000);
    QTest::mouseClick(button(dlg, "BtnSample"), Qt::LeftButton);
    QCOMPARE(dlg->session()->state(), AcqState::Raising | AcqState::SubPaused);
    const int32_t pausedAt = CAppModel::instance()->winchHeight.load();
    QTRY_VERIFY_WITH_TIMEOUT(CAppModel::instance()->winchHeight.load() >= pausedAt + 200, 20000);
    const QVector<Sample> before = dlg->session()->samples().snapshot();
    for (int i = 0; i < before.size(); ++i)
        QCOMPARE(before.at(i).depth, 1000 - 50 * i);

    CDlgLeak *notice = dlg->leakNotice();
    notice->setPauseOfferDelayMs(300); // 10 s on the instrument
    bool hiddenAtFirst = false;
    bool pressed = false;
    auto leak = answerNextModal("CDlgLeak", [&](QWidget *w) {
        auto *pause = button(w, "BtnLeakPause");
        hiddenAtFirst = pause && !pause->isVisible();
        // Press it once offered; give up (and end the notice) after 20 s.
        auto *poll = new QTimer(w);
        auto clock = std::make_shared<QElapsedTimer>();
        clock->start();
        poll->setInterval(20);
        QObject::connect(poll, &QTimer::timeout, w, [=, &pressed]() {
            if (pause && pause->isVisible()) {
                poll->stop();
                pressed = true;
                QTest::mouseClick(pause, Qt::LeftButton);
            } else if (clock->elapsed() > 20000) {
                poll->stop();
                qobject_cast<CDlgLeak *>(w)->Close();
            }
        });
        poll->start();
    }, 20000);
    QTest::mouseClick(button(dlg, "BtnSample"), Qt::LeftButton); // 采样: the leak point
    QTRY_VERIFY_WITH_TIMEOUT(leak->answered, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!notice->isVisible(), 30000);
    QVERIFY(hiddenAtFirst);
    QVERIFY2(pressed, "the notice never offered its pause");
    QVERIFY(!notice->m_bShown);
    QCOMPARE(notice->m_nLeakHeight, 50 * before.size());
    // Beyond the point and the one step the thread may catch up.
    QVERIFY2(notice->m_nCurHeight >= notice->m_nLeakHeight + 75,
             qPrintable(QStringLiteral("%1 / %2").arg(notice->m_nCurHeight).arg(notice->m_nLeakHeight)));

    // Paused: the leak is dropped, the operator may finish or go on.
    QCOMPARE(dlg->session()->state(), AcqState::Raising | AcqState::SubPaused);
    QCOMPARE(button(dlg, "BtnSample")->text(), QStringLiteral("采样"));
    QCOMPARE(button(dlg, "BtnNew")->text(), QStringLiteral("测试完成"));
    QVERIFY(button(dlg, "BtnNew")->isEnabled());
    QCOMPARE(dlg->session()->samples().snapshot(), before);

    if (lowered) {
        // Once the winch can move again, the operator lowers the probe to
        // the skipped point and continues: the samples go on from there
        // without a gap up to the top, where the end-of-test dialog opens.
        const int32_t leakAt = notice->m_nLeakHeight;
        run.sim->type(QStringLiteral("goto %1 0.5").arg((1000 - leakAt) / 1000.0, 0, 'f', 3));
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(CAppModel::instance()->winchHeight.load() - leakAt) <= 1, 20000);
        auto saved = answerNextModal("CDlgSaveMsg", [](QWidget *w) { clickChild(w, "BtnSave"); }, 60000);
        QTest::mouseClick(button(dlg, "BtnSample"), Qt::LeftButton); // 采样
        QTRY_COMPARE_WITH_TIMEOUT(dlg->session()->samples().size(), before.size() + 1, 20000);
        QCOMPARE(AcqState::sub(dlg->session()->state()), 0u);
        run.sim->type(QStringLiteral("raise 0.5"));
        QTRY_VERIFY_WITH_TIMEOUT(saved->answered, 60000);
        QTRY_VERIFY_WITH_TIMEOUT(dlg->session()->samples().isEmpty(), 30000);
        CtrlInfo info;
        const HoleLoadResult r = readHoleFile(run.path, info);
        QVERIFY2(r.ok, qPrintable(run.path + QStringLiteral(": ") + r.errorText()));
        QCOMPARE(r.samples.size(), 21);
        for (int i = 0; i < r.samples.size(); ++i)
            QCOMPARE(r.samples.at(i).depth, 1000 - 50 * i);
        for (int i = 0; i < before.size(); ++i)
            QVERIFY(r.samples.at(i) == before.at(i));
        return;
    }
    const QVector<Sample> saved = run.finishAndSave();
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(saved, before);
    qInfo("leak at %d mm with the probe at %d mm: %d samples saved", notice->m_nLeakHeight, notice->m_nCurHeight,
          int(saved.size()));
}

QTEST_MAIN(TstScreenFaults)
#include "tst_screenfaults.moc"
