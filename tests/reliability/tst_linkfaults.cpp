// Link faults during an automatic test: the winch controller simulator goes
// silent, drops the connection, sends broken frames, or cuts and glues its
// reports, while the real link, application model and acquisition thread
// run a test. Whatever the fault, the samples already taken stay, no sample
// comes from a broken frame, the link state is told within the liveness
// window, the link reconnects when the controller answers again, and the
// test can be finished and saved.

#include "autorun.h"

#include "acqstate.h"
#include "ctrlinfo.h"
#include "testrecord.h"
#include "testsupport.h"
#include "winchctrl.h"

#include <QtTest>

namespace {
constexpr int kMove = 50;

// Every sample sits on its own depth point, in order from the bottom.
QString depthPointError(const QVector<Sample> &s, int holeDepth)
{
    for (int i = 0; i < s.size(); ++i) {
        const int expected = qMax(0, holeDepth - i * kMove);
        if (s.at(i).depth != expected)
            return QStringLiteral("sample %1 at depth %2, expected %3").arg(i).arg(s.at(i).depth).arg(expected);
    }
    return QString();
}

// The simulator's profile, amplified: mud 1.2 to sediment 3.0 with 2 %
// noise. A value outside came from something that was not a report.
QString valueError(const QVector<Sample> &s)
{
    for (int i = 0; i < s.size(); ++i) {
        const float v = s.at(i).resistivity;
        if (!(v >= 11.5f && v <= 30.5f) || s.at(i).rawResistivity != v)
            return QStringLiteral("sample %1 has the value %2").arg(i).arg(double(v));
    }
    return QString();
}
}

class TstLinkFaults : public QObject {
    Q_OBJECT
private slots:
    void faultDuringAutomaticTest_data();
    void faultDuringAutomaticTest();
};

void TstLinkFaults::faultDuringAutomaticTest_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("wholeHole"); // the test runs to the top despite the fault
    QTest::addColumn<bool>("linkDown");  // the link must report down and reconnect
    QTest::newRow("none") << QString() << true << false;
    QTest::newRow("split") << "split" << true << false;
    QTest::newRow("double") << "double" << true << false;
    QTest::newRow("garbage") << "garbage" << false << false;
    QTest::newRow("silent") << "silent" << false << true;
    QTest::newRow("drop") << "drop" << false << true;
}

void TstLinkFaults::faultDuringAutomaticTest()
{
    QFETCH(QString, fault);
    QFETCH(bool, wholeHole);
    QFETCH(bool, linkDown);
    TestAppDir dir;
    AutoRunSetup setup;
    setup.holeDepthMm = 600;
    setup.moveDistanceMm = kMove;
    setup.livenessIntervalMs = 500;
    // 5 mm per 50-ms poll: no point is skipped while the link works, even
    // when a loaded machine holds the event loop up for most of a second.
    setup.simArgs = QStringList{QStringLiteral("--wait"), QStringLiteral("0.3"), QStringLiteral("--speed"),
                                QStringLiteral("0.1")};
    if (!fault.isEmpty())
        setup.simArgs << QStringLiteral("--fault") << fault << QStringLiteral("--fault-after")
                      << (wholeHole ? QStringLiteral("0") : QStringLiteral("1.5"));
    CAutoRun run(setup);
    QVERIFY2(run.start(), qPrintable(run.why()));

    QVector<Sample> before;
    int reportsAtFault = 0;
    int faultAt = -1;
    if (!fault.isEmpty()) {
        const QString line = QStringLiteral("fault: ") + fault;
        QVERIFY(runEventsUntil([&] { return run.sim().lineIndex(line) >= 0; }, 20000));
        before = run.taken().list.snapshot();
        reportsAtFault = run.reports;
        faultAt = run.sim().lineIndex(line);
    }

    if (wholeHole) {
        QVERIFY2(runEventsUntil([&] { return run.finished; }, 60000),
                 qPrintable(QStringLiteral("%1 samples, state %2").arg(run.taken().list.size()).arg(run.taken().mirror.state(), 0, 16)));
        QCOMPARE(run.taken().list.size(), setup.holeDepthMm / kMove + 1);
        QCOMPARE(run.leakPoints, 0);
        for (const CAutoRun::LinkCheck &c : qAsConst(run.linkChecks))
            QVERIFY(c.connected);
    } else if (linkDown) {
        // Down within the liveness window: after the fault began at most one
        // check may still count bytes that came before it.
        auto downCheck = [&]() -> int {
            int upAfterFault = 0;
            for (int i = 0; i < run.linkChecks.size(); ++i) {
                const CAutoRun::LinkCheck &c = run.linkChecks.at(i);
                if (c.simOutputLength <= faultAt)
                    continue;
                if (!c.connected)
                    return upAfterFault <= 1 ? i : -2;
                ++upAfterFault;
            }
            return -1;
        };
        QVERIFY(runEventsUntil([&] { return downCheck() != -1; }, 20000));
        const int down = downCheck();
        QVERIFY2(down >= 0, "the link went on reporting up after the controller fell silent");
        // The controller answers again on a new connection.
        const int reportsAtDown = run.reports;
        QVERIFY(runEventsUntil([&] { return run.model().link()->connectAttempts() >= 2 && run.reports > reportsAtDown; },
                         20000));
        QVERIFY(runEventsUntil([&] { return run.linkChecks.size() > down + 1 && run.linkChecks.last().connected; },
                         20000));
    } else {
        // Broken frames: bytes arrive, so the link stays up, but not one of
        // them becomes a report; the probe seems to stand still.
        const int checks = run.linkChecks.size();
        QVERIFY(runEventsUntil([&] { return run.linkChecks.size() >= checks + 3; }, 20000));
        for (int i = checks; i < run.linkChecks.size(); ++i)
            QVERIFY(run.linkChecks.at(i).connected);
        QVERIFY(run.reports <= reportsAtFault + 1);
        QCOMPARE(run.model().link()->connectAttempts(), 1);
        QVERIFY(!run.finished);
    }

    const QVector<Sample> after = run.taken().list.snapshot();
    // The samples taken before the fault stay (the last one may have been
    // measured again at its own depth).
    QVERIFY(after.size() >= before.size());
    for (int i = 0; i < before.size(); ++i) {
        QCOMPARE(after.at(i).depth, before.at(i).depth);
        if (i + 1 < before.size())
            QVERIFY(after.at(i) == before.at(i));
    }
    const QString depthError = depthPointError(after, setup.holeDepthMm);
    QVERIFY2(depthError.isEmpty(), qPrintable(depthError));
    const QString valError = valueError(after);
    QVERIFY2(valError.isEmpty(), qPrintable(valError));

    // The operator finishes the test; the file holds every sample taken.
    QVERIFY(run.finishAndSave(dir.file(QStringLiteral("fault.CZO"))));
    qInfo("%s: %d samples (%d before the fault), %d reports, %d link checks, %d connects, %d leak points",
          fault.isEmpty() ? "no fault" : qPrintable(fault), int(after.size()), int(before.size()), run.reports,
          int(run.linkChecks.size()), run.model().link()->connectAttempts(), run.leakPoints);
}

QTEST_GUILESS_MAIN(TstLinkFaults)
#include "tst_linkfaults.moc"
