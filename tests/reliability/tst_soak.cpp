// Load soak: an automatic test of a whole hole with a 10-mm move distance
// through the winch controller simulator, the real link, model and
// acquisition thread. Every depth point must be there once, in order, the
// process memory must stay bounded, and the event loop (the screen's
// thread) must keep running.
//
// Length and speed come from ZPVW_SOAK_METRES (default 2) and
// ZPVW_SOAK_SPEED in metres per second (default 0.05). The full soak is
//     ZPVW_SOAK_METRES=200 ZPVW_SOAK_SPEED=0.05 build/bin/tst_soak
// (about 70 minutes). The link polls every 50 ms and the height is taken on
// the GUI thread, so the top speed that sees every 10-mm point is below
// 0.2 m/s, and on a loaded machine any hold-up of a thread longer than the
// probe needs for two points makes it skip one (a leak point, which stops an
// automatic test until the operator acts): at 0.05 m/s that is 400 ms.

#include "autorun.h"

#include "acqstate.h"
#include "ctrlinfo.h"
#include "testrecord.h"
#include "testsupport.h"

#include <QFile>
#include <QTimer>
#include <QtTest>

namespace {
constexpr int kMove = 10;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// Resident memory of this process, kB (0 when unknown).
qint64 residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

double envNumber(const char *name, double fallback)
{
    bool ok = false;
    const double v = qEnvironmentVariable(name).toDouble(&ok);
    return ok && v > 0 ? v : fallback;
}
}

class TstSoak : public QObject {
    Q_OBJECT
private slots:
    void wholeHoleEveryPointOnce();
};

void TstSoak::wholeHoleEveryPointOnce()
{
    TestAppDir dir;
    const double metres = envNumber("ZPVW_SOAK_METRES", 2.0);
    const double speed = envNumber("ZPVW_SOAK_SPEED", 0.05);
    AutoRunSetup setup;
    setup.holeDepthMm = int(metres * 1000.0 + 0.5);
    setup.moveDistanceMm = kMove;
    setup.livenessIntervalMs = 5000;
    setup.simArgs = QStringList{QStringLiteral("--wait"), QStringLiteral("0.3"), QStringLiteral("--speed"),
                                QString::number(speed, 'f', 3)};
    const int points = setup.holeDepthMm / kMove + 1;
    // Bounded: three times the raise at the simulator's speed, plus a minute.
    const qint64 limitMs = qint64(metres / speed * 3000.0) + 60000;
    setup.simMaxSeconds = int(limitMs / 1000) + 60;

    CAutoRun run(setup);
    QVERIFY2(run.start(), qPrintable(run.why()));
    const qint64 rssStart = residentKb();
    qint64 rssPeak = rssStart;

    // The event loop of this thread stands for the screen: a 10-ms tick
    // measures how long it ever waited.
    QElapsedTimer tick;
    tick.start();
    qint64 longestGapMs = 0;
    QTimer ticker;
    ticker.setInterval(10);
    connect(&ticker, &QTimer::timeout, [&] {
        longestGapMs = qMax(longestGapMs, tick.restart());
        rssPeak = qMax(rssPeak, residentKb());
    });
    ticker.start();

    QElapsedTimer t;
    t.start();
    // Sleeps until the next event (the ticker wakes it at least every 10 ms).
    while (!run.finished && t.elapsed() < limitMs && run.leakPoints == 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    ticker.stop();
    QVERIFY2(run.finished, qPrintable(QStringLiteral("%1 of %2 points after %3 s, %4 leak points")
                                          .arg(run.taken().list.size())
                                          .arg(points)
                                          .arg(t.elapsed() / 1000)
                                          .arg(run.leakPoints)));
    QCOMPARE(run.leakPoints, 0);

    const QVector<Sample> s = run.taken().list.snapshot();
    QCOMPARE(s.size(), points);
    for (int i = 0; i < s.size(); ++i) {
        if (s.at(i).depth != setup.holeDepthMm - i * kMove)
            QFAIL(qPrintable(QStringLiteral("sample %1 at depth %2").arg(i).arg(s.at(i).depth)));
    }
    // The list costs 12 bytes a sample; allow for the libraries' own growth
    // but not for anything that keeps per-report or per-cycle data. (Under
    // AddressSanitizer freed memory is held back on purpose: no bound there.)
    const qint64 growthKb = rssPeak - rssStart;
    if (!kAddressSanitizer)
        QVERIFY2(growthKb < 64 * 1024, qPrintable(QStringLiteral("memory grew by %1 kB").arg(growthKb)));
    QVERIFY(run.finishAndSave(dir.file(QStringLiteral("soak.CZO"))));
    qInfo("soak: %.1f m at %.3f m/s, %d points in %.1f s, %d reports, 0 samples lost, memory +%lld kB "
          "(peak %lld kB), longest event-loop wait %lld ms",
          metres, speed, points, t.elapsed() / 1000.0, run.reports, growthKb, rssPeak, longestGapMs);
}

int main(int argc, char **argv)
{
    // The full soak runs far longer than QtTest's default five minutes per
    // test function; the loop above has its own bound.
    if (qEnvironmentVariableIsEmpty("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", "14400000");
    QCoreApplication app(argc, argv);
    TstSoak t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_soak.moc"
