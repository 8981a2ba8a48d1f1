// Link faults during an automatic test on the real main screen: the winch
// controller simulator falls silent, drops the connection or sends broken
// frames while a test runs. The screen shows the link state, the samples
// already taken stay, and the operator can finish the test and save it.

#include "autorun.h"

#include "acqstate.h"
#include "appmodel.h"
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
}

class TstScreenFaults : public QObject {
    Q_OBJECT
private slots:
    void faultDuringTestOnScreen_data();
    void faultDuringTestOnScreen();
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
    TestAppDir dir;
    ScopedCommandRecorder commands;
    resetSysBaseConfig();
    resetAcquisitionGlobals();
    gCtrlInfo = CtrlInfo();
    gCtrlInfoBackup = CtrlInfo();
    samples.clear();
    setDeviceBackend(nullptr);
    openDevice();

    // The winch stops 0.5 m up a 1-m hole, so the probe stands when the
    // fault begins: a probe that moved on while the link was down would come
    // back as a leak point, whose notice (modal, without buttons) holds the
    // screen until the probe is lowered to it.
    CSimProcess sim({QStringLiteral("--depth"), QStringLiteral("0.5"), QStringLiteral("--wait"), QStringLiteral("0.3"),
                     QStringLiteral("--speed"), QStringLiteral("0.1"), QStringLiteral("--fault"), fault,
                     QStringLiteral("--fault-after"), QStringLiteral("9"), QStringLiteral("--max-seconds"),
                     QStringLiteral("300")});
    const quint16 port = sim.waitForPort();
    QVERIFY2(port != 0, qPrintable(sim.output()));
    setConfiguredWinchAddress(WinchAddress{QStringLiteral("127.0.0.1"), port});

    CtrlInfo params;
    params.sampleMode = SampleModes::AutoRaise;
    params.holeDepth = 1000;
    params.maxDepth = 1000;
    params.moveDistance = 50;
    QVERIFY(saveTestParams(params));

    auto dlg = std::make_unique<CDlgMain>();
    dlg->setQuitAction([]() {});
    // The one model of the process may have been made by an earlier row:
    // point its link at this row's simulator.
    CWinchCtrl *link = CAppModel::instance()->link();
    QVERIFY(link->stopLink());
    link->setLivenessIntervalMs(500);
    link->configure(0, QStringLiteral("127.0.0.1"), port);
    link->startLink();
    dlg->show();
    dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dlg.get()));
    QTRY_COMPARE_WITH_TIMEOUT(linkText(dlg.get()), QStringLiteral("已连接"), 10000);

    // A new test named F1: the controller clears its count and the raise
    // begins after its wait at the bottom.
    auto named = answerNextModal("keyboard", [](QWidget *w) {
        w->findChild<QLineEdit *>(QStringLiteral("valueEdit"))->setText(QStringLiteral("F1"));
        clickChild(w, "BtnOK");
    });
    QTest::mouseClick(button(dlg.get(), "BtnNew"), Qt::LeftButton);
    QVERIFY(named->answered);
    const QString path = gCtrlInfo.filePath.get();
    QTRY_COMPARE_WITH_TIMEOUT(AcqState::code(curState), AcqState::Raising, 10000);

    // A leak notice would block the screen: fail instead of hanging.
    bool leakShown = false;
    auto leakGuard = answerNextModal("CDlgLeak", [&leakShown](QWidget *w) {
        leakShown = true;
        qobject_cast<CDlgLeak *>(w)->Close();
    }, 120000);
    // The bottom and every 50 mm up to where the winch stopped.
    QTRY_COMPARE_WITH_TIMEOUT(samples.size(), 11, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(sim.lineIndex(QStringLiteral("fault: ") + fault) >= 0, 20000);
    const QVector<Sample> before = samples.snapshot();
    QCOMPARE(before.size(), 11);

    if (linkDown) {
        // The screen tells the link is down, then up again once the
        // controller answers on a new connection.
        QTRY_COMPARE_WITH_TIMEOUT(linkText(dlg.get()), QStringLiteral("已断开"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(link->connectAttempts() >= 2, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(linkText(dlg.get()), QStringLiteral("已连接"), 20000);
    } else {
        // Broken frames keep bytes coming: the link is up, nothing moves.
        const int attempts = link->connectAttempts();
        QTest::qWait(2000);
        QCOMPARE(linkText(dlg.get()), QStringLiteral("已连接"));
        QCOMPARE(link->connectAttempts(), attempts);
    }
    const QVector<Sample> during = samples.snapshot();
    QVERIFY(during.size() >= before.size());
    for (int i = 0; i + 1 < before.size(); ++i)
        QVERIFY(during.at(i) == before.at(i));

    leakGuard->cancel();
    QVERIFY(!leakShown);

    // The operator ends the test and saves it.
    QCOMPARE(curState.load(), AcqState::Raising);
    auto saved = answerNextModal("CDlgSaveMsg", [](QWidget *w) { clickChild(w, "BtnSave"); }, 20000);
    const QVector<Sample> atFinish = samples.snapshot();
    QTest::mouseClick(button(dlg.get(), "BtnNew"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(saved->answered, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(samples.isEmpty(), 30000);
    CtrlInfo info;
    const HoleLoadResult r = readHoleFile(path, info);
    QVERIFY2(r.ok, qPrintable(path + QStringLiteral(": ") + r.errorText()));
    QCOMPARE(r.samples.size(), atFinish.size());
    QCOMPARE(atFinish.size(), before.size());
    for (int i = 0; i < before.size(); ++i)
        QVERIFY(r.samples.at(i) == before.at(i));
    for (int i = 0; i < r.samples.size(); ++i)
        QCOMPARE(r.samples.at(i).depth, 1000 - 50 * i);
    qInfo("%s: %d samples before the fault, %d saved, %d connects", qPrintable(fault), int(before.size()),
          int(r.samples.size()), link->connectAttempts());
    dlg.reset();
    link->stopLink();
}

QTEST_MAIN(TstScreenFaults)
#include "tst_screenfaults.moc"
