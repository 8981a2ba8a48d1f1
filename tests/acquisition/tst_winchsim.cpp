// The winch controller simulator: its hole and profile logic directly, then
// the built program on a free loopback port with the real link and model.

#include "acqstate.h"
#include "appmodel.h"
#include "ctrlinfo.h"
#include "depthcalc.h"
#include "simcommands.h"
#include "simhole.h"
#include "testsupport.h"
#include "winchctrl.h"
#include "winchframe.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <cmath>
#include <memory>

namespace {
// The built simulator, started on a free loopback port and always ended.
class SimProcess {
public:
    explicit SimProcess(const QStringList &args)
    {
        m_p.setProgram(testBinDir() + QStringLiteral("/zpvw-winchsim"));
        m_p.setArguments(QStringList{QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                                     QStringLiteral("--max-seconds"), QStringLiteral("120")}
                         + args);
        m_p.start();
    }
    ~SimProcess()
    {
        if (m_p.state() != QProcess::NotRunning) {
            m_p.kill();
            m_p.waitForFinished(5000);
        }
    }
    // Waits for the "listening on" line; 0 when it does not come.
    quint16 waitForPort()
    {
        static const QRegularExpression re(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"));
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 10000 && m_p.state() != QProcess::NotRunning) {
            m_p.waitForReadyRead(200);
            m_out += QString::fromLocal8Bit(m_p.readAllStandardOutput());
            const auto m = re.match(m_out);
            if (m.hasMatch())
                return quint16(m.captured(1).toUInt());
        }
        return 0;
    }
    QString output()
    {
        m_out += QString::fromLocal8Bit(m_p.readAllStandardOutput());
        return m_out;
    }
    QProcess &process() { return m_p; }
    // Types one line on the simulator's standard input.
    void type(const QString &line) { m_p.write((line + QLatin1Char('\n')).toLocal8Bit()); }

private:
    QProcess m_p;
    QString m_out;
};

struct Record {
    int32_t height;
    int32_t pulses;
    float value;
};
}

class TestWinchSim : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("ZPVW_WINCH", "127.0.0.1:9"); }

    void pulsesMatchDepthComputation_data();
    void pulsesMatchDepthComputation();
    void profileHasSedimentLayer();
    void holeTimeline();
    void clearRestartsTheRaise();
    void commandParsing_data();
    void commandParsing();
    void steering_data();
    void steering();

    void raiseThroughTheLink();
    void steeringThroughTheLink();
    void faults_data();
    void faults();
    void badOptions_data();
    void badOptions();
    void endsAfterMaxSeconds();
};

void TestWinchSim::pulsesMatchDepthComputation_data()
{
    QTest::addColumn<int>("wheelD");
    QTest::addColumn<int>("lineD");
    QTest::newRow("63/7 (defaults)") << 63 << 7;
    QTest::newRow("50/5") << 50 << 5;
    QTest::newRow("100/12") << 100 << 12;
    QTest::newRow("63 without cable") << 63 << 0;
}

void TestWinchSim::pulsesMatchDepthComputation()
{
    QFETCH(int, wheelD);
    QFETCH(int, lineD);
    SimHoleConfig cfg;
    cfg.wheelD = wheelD;
    cfg.lineD = lineD;
    const CSimHole hole(cfg);
    const double pulse = M_PI * (wheelD + lineD) / 1000.0 / 1024.0;
    QVERIFY(std::fabs(hole.metresPerPulse() - pulse) < 1e-12);
    for (double h : {0.0, 0.005, 0.2199, 1.0, 2.0, 19.99, 20.0, 123.45, 200.0}) {
        const int32_t p = hole.pulsesForHeight(h);
        const double back = winchMetresForPulses(p, wheelD, lineD);
        // Within half a pulse, plus the 32-bit float of the computation.
        QVERIFY2(std::fabs(back - h) <= pulse / 2 + h * 1e-6 + 1e-7,
                 qPrintable(QStringLiteral("h %1 p %2 back %3").arg(h).arg(p).arg(back)));
    }
}

void TestWinchSim::profileHasSedimentLayer()
{
    SimHoleConfig cfg;
    cfg.sediment = 0.5;
    cfg.mudValue = 1.2;
    cfg.sedimentValue = 3.0;
    cfg.noise = 0.02;
    cfg.seed = 7;
    const CSimHole hole(cfg);
    const double noise = cfg.noise * cfg.mudValue + 1e-6;
    for (int cm = 0; cm <= 300; ++cm) {
        const double h = cm / 100.0;
        const double v = hole.valueAtHeight(h);
        if (h <= 0.35)
            QVERIFY2(std::fabs(v - 3.0) <= noise + 0.02, qPrintable(QString::number(v)));
        else if (h >= 0.65)
            QVERIFY2(std::fabs(v - 1.2) <= noise + 0.02, qPrintable(QString::number(v)));
        else
            QVERIFY(v > 1.2 - noise && v < 3.0 + noise);
    }
    // Half way through the change at the layer's top.
    QVERIFY(std::fabs(hole.valueAtHeight(0.5) - 2.1) <= noise);
    // Deterministic: the same seed reads the same, another seed differs.
    SimHoleConfig other = cfg;
    const CSimHole same(cfg);
    other.seed = 8;
    const CSimHole reseeded(other);
    int differing = 0;
    for (int cm = 0; cm < 100; ++cm) {
        QCOMPARE(same.valueAtHeight(cm / 100.0), hole.valueAtHeight(cm / 100.0));
        if (reseeded.valueAtHeight(cm / 100.0) != hole.valueAtHeight(cm / 100.0))
            ++differing;
    }
    QVERIFY(differing > 50);
    // Without a sediment layer the mud goes to the bottom.
    cfg.sediment = 0.0;
    cfg.noise = 0.0;
    QCOMPARE(CSimHole(cfg).valueAtHeight(0.0), 1.2f);
}

void TestWinchSim::holeTimeline()
{
    SimHoleConfig cfg;
    cfg.waitSeconds = 2.0;
    cfg.speed = 0.5;
    cfg.depth = 2.0;
    CSimHole hole(cfg);
    QCOMPARE(hole.phaseAt(100.0), CSimHole::NotStarted);
    // The first request starts the play.
    WinchReport r = decodeWinchReport(hole.answer(false, 100.0));
    QCOMPARE(r.pulseCount, 0);
    QVERIFY(!r.cleared);
    QCOMPARE(hole.phase(), CSimHole::Waiting);
    QVERIFY(hole.takePhaseChange());
    QVERIFY(!hole.takePhaseChange());
    QCOMPARE(decodeWinchReport(hole.answer(false, 101.9)).pulseCount, 0);
    QVERIFY(!hole.takePhaseChange());
    r = decodeWinchReport(hole.answer(false, 103.0)); // one second of raising
    QCOMPARE(hole.phase(), CSimHole::Raising);
    QVERIFY(hole.takePhaseChange());
    QCOMPARE(r.pulseCount, hole.pulsesForHeight(0.5));
    QCOMPARE(r.rawValue, hole.valueAtHeight(r.pulseCount * hole.metresPerPulse()));
    r = decodeWinchReport(hole.answer(false, 107.0));
    QCOMPARE(hole.phase(), CSimHole::AtTop);
    QCOMPARE(r.pulseCount, hole.pulsesForHeight(2.0));
    QVERIFY(hole.phaseLine().contains(QString::number(r.pulseCount)));
    QCOMPARE(decodeWinchReport(hole.answer(false, 500.0)).pulseCount, hole.pulsesForHeight(2.0));
}

void TestWinchSim::clearRestartsTheRaise()
{
    SimHoleConfig cfg;
    cfg.waitSeconds = 1.0;
    cfg.speed = 1.0;
    cfg.depth = 5.0;
    CSimHole hole(cfg);
    hole.answer(false, 0.0);
    QVERIFY(decodeWinchReport(hole.answer(false, 4.0)).pulseCount > 0);
    // While the link asks for the clear: count 0 and the cleared byte.
    for (double t : {4.5, 5.0, 9.0}) {
        const WinchReport r = decodeWinchReport(hole.answer(true, t));
        QCOMPARE(r.pulseCount, 0);
        QVERIFY(r.cleared);
        QCOMPARE(hole.phase(), CSimHole::Cleared);
    }
    // The first plain request starts the raise afresh, bottom wait included.
    WinchReport r = decodeWinchReport(hole.answer(false, 10.0));
    QVERIFY(!r.cleared);
    QCOMPARE(r.pulseCount, 0);
    QCOMPARE(hole.phase(), CSimHole::Waiting);
    r = decodeWinchReport(hole.answer(false, 12.0));
    QCOMPARE(r.pulseCount, hole.pulsesForHeight(1.0));
}

void TestWinchSim::commandParsing_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("kind");
    QTest::addColumn<double>("depth");
    QTest::addColumn<double>("speed");
    QTest::addColumn<QString>("errorPart");
    QTest::newRow("empty") << "   " << int(SimCommand::Empty) << 0.0 << 0.0 << "";
    QTest::newRow("raise") << "raise" << int(SimCommand::Raise) << 0.0 << 0.0 << "";
    QTest::newRow("any case and spacing") << "  RAISE   0.5 " << int(SimCommand::Raise) << 0.0 << 0.5 << "";
    QTest::newRow("lower at a speed") << "lower 2" << int(SimCommand::Lower) << 0.0 << 2.0 << "";
    QTest::newRow("stop") << "stop" << int(SimCommand::Stop) << 0.0 << 0.0 << "";
    QTest::newRow("goto") << "goto 12.5" << int(SimCommand::GoTo) << 12.5 << 0.0 << "";
    QTest::newRow("goto at a speed") << "goto 0 3" << int(SimCommand::GoTo) << 0.0 << 3.0 << "";
    QTest::newRow("status") << "status" << int(SimCommand::Status) << 0.0 << 0.0 << "";
    QTest::newRow("help") << "help" << int(SimCommand::Help) << 0.0 << 0.0 << "";
    QTest::newRow("unknown") << "jump 3" << int(SimCommand::Invalid) << 0.0 << 0.0 << "unknown command \"jump\"";
    QTest::newRow("speed 0") << "raise 0" << int(SimCommand::Invalid) << 0.0 << 0.0 << "speed";
    QTest::newRow("speed not a number") << "lower fast" << int(SimCommand::Invalid) << 0.0 << 0.0 << "\"fast\"";
    QTest::newRow("speed beyond a winch") << "raise 1000" << int(SimCommand::Invalid) << 0.0 << 0.0 << "speed";
    QTest::newRow("goto without a depth") << "goto" << int(SimCommand::Invalid) << 0.0 << 0.0 << "usage: goto";
    QTest::newRow("goto above the top") << "goto -1" << int(SimCommand::Invalid) << 0.0 << 0.0 << "depth";
    QTest::newRow("goto, bad speed") << "goto 3 x" << int(SimCommand::Invalid) << 0.0 << 0.0 << "speed";
    QTest::newRow("stop takes nothing") << "stop now" << int(SimCommand::Invalid) << 0.0 << 0.0 << "usage: stop";
}

void TestWinchSim::commandParsing()
{
    QFETCH(QString, line);
    QFETCH(int, kind);
    QFETCH(double, depth);
    QFETCH(double, speed);
    QFETCH(QString, errorPart);
    const SimCommand c = parseSimCommand(line);
    QCOMPARE(int(c.kind), kind);
    QCOMPARE(c.depth, depth);
    QCOMPARE(c.speed, speed);
    QVERIFY2(c.error.contains(errorPart), qPrintable(c.error));
    // An invalid line answers with one error line and leaves the hole alone.
    if (c.kind == SimCommand::Invalid) {
        SimHoleConfig cfg;
        CSimHole hole(cfg);
        hole.answer(false, 0.0);
        const QStringList answer = applySimCommand(hole, c, 5.0);
        QCOMPARE(answer.size(), 1);
        QVERIFY(answer.first().startsWith(QStringLiteral("error: ")));
        QCOMPARE(hole.heightAt(20.0), (20.0 - cfg.waitSeconds) * cfg.speed);
    }
}

void TestWinchSim::steering_data()
{
    // A 10-m hole raised at 0.5 m/s after 1 s at the bottom; the link's
    // first request comes at 0 s. Steps are "SECONDS COMMAND" ("clear": the
    // program's clear request); checks are "SECONDS=HEIGHT" (metres above the
    // bottom, as the count of a plain request at that time reports it).
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("checks");
    QTest::newRow("raise faster") << QStringList{"3 raise 2"} << QStringList{"3=1", "4=3", "7.5=10", "60=10"};
    QTest::newRow("stop holds the probe")
        << QStringList{"5 stop"} << QStringList{"5=2", "6=2", "600=2"};
    QTest::newRow("lower to the bottom and stay")
        << QStringList{"5 lower"} << QStringList{"6=1.5", "9=0", "60=0"};
    QTest::newRow("lower at a speed, then raise again")
        << QStringList{"9 lower 1", "11 raise"} << QStringList{"10=3", "11=2", "13=3"};
    QTest::newRow("goto a depth below the probe lowers it")
        << QStringList{"5 goto 9"} << QStringList{"6=1.5", "7=1", "100=1"};
    QTest::newRow("goto a depth above the probe raises it")
        << QStringList{"3 goto 4 3"} << QStringList{"4=4", "5=6", "100=6"};
    QTest::newRow("goto the top and the bottom")
        << QStringList{"0 goto 0 10", "2 goto 10 10"} << QStringList{"1=10", "2=10", "2.5=5", "3=0"};
    QTest::newRow("goto beyond the hole is refused")
        << QStringList{"3 goto 10.5"} << QStringList{"3=1", "5=2"};
    QTest::newRow("a new test plays again after steering")
        << QStringList{"5 stop", "6 clear"} << QStringList{"5.5=2", "7=0", "7.9=0", "9=0.5"};
}

void TestWinchSim::steering()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, checks);
    SimHoleConfig cfg;
    cfg.waitSeconds = 1.0;
    cfg.speed = 0.5;
    cfg.depth = 10.0;
    CSimHole hole(cfg);
    hole.answer(false, 0.0);
    int step = 0;
    for (const QString &check : checks) {
        const double at = check.section(QLatin1Char('='), 0, 0).toDouble();
        const double height = check.section(QLatin1Char('='), 1).toDouble();
        // Carry out the steps due by then; the link asks all the while.
        for (; step < steps.size() && steps.at(step).section(QLatin1Char(' '), 0, 0).toDouble() <= at; ++step) {
            const double t = steps.at(step).section(QLatin1Char(' '), 0, 0).toDouble();
            const QString line = steps.at(step).section(QLatin1Char(' '), 1);
            if (line == QLatin1String("clear")) {
                hole.answer(true, t); // the program starts a new test
                continue;
            }
            const QStringList answer = applySimCommand(hole, parseSimCommand(line), t);
            QCOMPARE(answer.size(), 1);
            QVERIFY2(answer.first().startsWith(line.contains(QLatin1String("10.5")) ? "error: " : "ok: "),
                     qPrintable(answer.first()));
        }
        const WinchReport r = decodeWinchReport(hole.answer(false, at));
        QVERIFY2(r.pulseCount == hole.pulsesForHeight(height),
                 qPrintable(QStringLiteral("at %1 s: count %2, expected %3 for %4 m")
                                .arg(at)
                                .arg(r.pulseCount)
                                .arg(hole.pulsesForHeight(height))
                                .arg(height)));
    }
    QCOMPARE(step, steps.size());
}

void TestWinchSim::raiseThroughTheLink()
{
    SimProcess sim({QStringLiteral("--depth"), QStringLiteral("2"), QStringLiteral("--speed"), QStringLiteral("0.5"),
                    QStringLiteral("--wait"), QStringLiteral("0.5"), QStringLiteral("--seed"), QStringLiteral("3")});
    const quint16 port = sim.waitForPort();
    QVERIFY2(port != 0, qPrintable(sim.output()));
    SimHoleConfig cfg; // the same hole, to compute what must arrive
    cfg.depth = 2.0;
    cfg.speed = 0.5;
    cfg.seed = 3;
    const CSimHole hole(cfg);
    const int32_t topCount = hole.pulsesForHeight(2.0);

    QVector<Record> records;
    CAppModel model({QStringLiteral("127.0.0.1"), port}, true);
    connect(model.link(), &CWinchCtrl::StateChanged, &model, [&] {
        model.update();
        records.append({model.winchHeight.load(), model.lastPulseCount, model.currentValue.load()});
    });
    QTRY_VERIFY_WITH_TIMEOUT(!records.isEmpty() && records.last().pulses == topCount
                                 && records.size() >= 2 && records.at(records.size() - 2).pulses == topCount,
                             20000);
    const double pulse = hole.metresPerPulse() * 1000.0;
    QCOMPARE(records.first().height, 0);
    for (int i = 1; i < records.size(); ++i)
        QVERIFY(records.at(i).height >= records.at(i - 1).height);
    QVERIFY2(std::fabs(model.lastWinchHeightM * 1000.0 - 2000.0) <= pulse,
             qPrintable(QString::number(model.lastWinchHeightM, 'f', 6)));
    QCOMPARE(model.winchHeight.load(), 2000);
    // Every value is the profile at the height of its count, amplified.
    int nearBottom = 0, nearTop = 0;
    for (const Record &r : records) {
        const float expected = hole.valueAtHeight(r.pulses * hole.metresPerPulse()) * model.resiAmpFactor;
        QVERIFY2(std::fabs(r.value - expected) <= 1e-4f * std::fabs(expected),
                 qPrintable(QStringLiteral("count %1 value %2 expected %3").arg(r.pulses).arg(r.value).arg(expected)));
        if (r.height == 0) {
            QVERIFY(std::fabs(r.value - 30.0f) < 1.0f); // sediment
            ++nearBottom;
        }
        if (r.height >= 1000) {
            QVERIFY(std::fabs(r.value - 12.0f) < 0.5f); // mud
            ++nearTop;
        }
    }
    QVERIFY(nearBottom > 0);
    QVERIFY(nearTop > 0);
    qInfo("%d reports from 0 to %d mm (%.4f m, count %d)", int(records.size()), int(model.winchHeight.load()),
          double(model.lastWinchHeightM), int(model.lastPulseCount));
    // A new test: the counter is cleared and the raise begins again.
    model.requestClear();
    QTRY_COMPARE_WITH_TIMEOUT(model.clearRequest, uint8_t(0), 10000);
    QCOMPARE(model.winchHeight.load(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(model.winchHeight.load() > 100, 10000);

    const QString out = sim.output();
    QVERIFY2(out.contains(QStringLiteral("phase: waiting at the bottom")), qPrintable(out));
    QVERIFY(out.contains(QStringLiteral("phase: raising")));
    QVERIFY(out.contains(QStringLiteral("phase: at the top, 2 m, count %1").arg(topCount)));
    QVERIFY(out.contains(QStringLiteral("phase: counter cleared")));
    sim.process().terminate();
    QVERIFY(sim.process().waitForFinished(10000));
    QCOMPARE(sim.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.process().exitCode(), 0);
    QVERIFY(sim.output().contains(QStringLiteral("stopping on signal")));
}

void TestWinchSim::steeringThroughTheLink()
{
    // Typed commands move the height the program computes from the reports.
    SimProcess sim({QStringLiteral("--depth"), QStringLiteral("5"), QStringLiteral("--speed"), QStringLiteral("0.1"),
                    QStringLiteral("--wait"), QStringLiteral("0")});
    const quint16 port = sim.waitForPort();
    QVERIFY2(port != 0, qPrintable(sim.output()));
    CAppModel model({QStringLiteral("127.0.0.1"), port}, true);
    int reports = 0;
    connect(model.link(), &CWinchCtrl::StateChanged, &model, [&] {
        model.update();
        ++reports;
    });
    QTRY_VERIFY_WITH_TIMEOUT(model.winchHeight.load() > 0, 10000);
    const int32_t pulseMm = int32_t(std::ceil(M_PI * 70 / 1024.0)); // one count at 63 + 7 mm

    // goto 3.5 m below the top of a 5-m hole: 1.5 m up.
    sim.type(QStringLiteral("goto 3.5 2"));
    QTRY_VERIFY_WITH_TIMEOUT(std::abs(model.winchHeight.load() - 1500) <= pulseMm, 10000);
    sim.type(QStringLiteral("lower 3"));
    QTRY_COMPARE_WITH_TIMEOUT(model.winchHeight.load(), 0, 10000);
    sim.type(QStringLiteral("raise 1"));
    QTRY_VERIFY_WITH_TIMEOUT(model.winchHeight.load() >= 500, 10000);
    sim.type(QStringLiteral("stop"));
    QTRY_VERIFY_WITH_TIMEOUT(sim.output().contains(QStringLiteral("phase: stopped at")), 10000);
    int before = reports;
    QTRY_VERIFY_WITH_TIMEOUT(reports >= before + 5, 10000); // the reports after the stop
    const int32_t held = model.winchHeight.load();
    before = reports;
    QTRY_VERIFY_WITH_TIMEOUT(reports >= before + 10, 10000);
    QVERIFY2(std::abs(model.winchHeight.load() - held) <= pulseMm, qPrintable(QString::number(model.winchHeight.load())));
    QVERIFY(held >= 500 && held < 5000);

    sim.type(QStringLiteral("status"));
    sim.type(QStringLiteral("fly"));
    QTRY_VERIFY_WITH_TIMEOUT(sim.output().contains(QStringLiteral("error: unknown command \"fly\"")), 10000);
    const QString out = sim.output();
    QVERIFY2(out.contains(QStringLiteral("status: height ")) && out.contains(QStringLiteral("standing, link connected")),
             qPrintable(out));
    QVERIFY(out.contains(QStringLiteral("phase: lowering at 3 m/s")));

    // The end of the input leaves it serving, and still where it was.
    sim.process().closeWriteChannel();
    const int atEnd = reports;
    QTRY_VERIFY_WITH_TIMEOUT(reports >= atEnd + 10, 10000);
    QVERIFY(std::abs(model.winchHeight.load() - held) <= pulseMm);
    QCOMPARE(sim.process().state(), QProcess::Running);
}

void TestWinchSim::faults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("reportsGoOn");  // reports keep arriving on the first connection
    QTest::addColumn<bool>("reconnects");   // the link has to connect again
    QTest::newRow("split") << "split" << true << false;
    QTest::newRow("double") << "double" << true << false;
    QTest::newRow("garbage") << "garbage" << false << false;
    QTest::newRow("drop") << "drop" << false << true;
    QTest::newRow("silent") << "silent" << false << true;
}

void TestWinchSim::faults()
{
    QFETCH(QString, fault);
    QFETCH(bool, reportsGoOn);
    QFETCH(bool, reconnects);
    SimProcess sim({QStringLiteral("--fault"), fault, QStringLiteral("--fault-after"), QStringLiteral("0.5"),
                    QStringLiteral("--wait"), QStringLiteral("0"), QStringLiteral("--speed"), QStringLiteral("0.2")});
    const quint16 port = sim.waitForPort();
    QVERIFY2(port != 0, qPrintable(sim.output()));
    CWinchCtrl link;
    link.configure(0, QStringLiteral("127.0.0.1"), port);
    link.setLivenessIntervalMs(400);
    int checksDown = 0;
    QObject receiver;
    connect(&link, &CWinchCtrl::ConnectStateChanged, &receiver, [&] {
        if (!link.isConnected())
            ++checksDown;
    });
    link.startLink();
    QTRY_VERIFY_WITH_TIMEOUT(sim.output().contains(QStringLiteral("fault: ") + fault), 10000);
    const quint64 atFault = link.report().sequence;
    QVERIFY(atFault > 0); // reports came before the fault
    if (reportsGoOn) {
        QTRY_VERIFY_WITH_TIMEOUT(link.report().sequence >= atFault + 10, 10000);
        QCOMPARE(link.connectAttempts(), 1);
    }
    if (reconnects) {
        QTRY_VERIFY_WITH_TIMEOUT(link.connectAttempts() >= 2, 10000);
        // The new connection is served again until its own fault starts.
        QTRY_VERIFY_WITH_TIMEOUT(link.report().sequence > atFault + 1, 10000);
    }
    if (!reportsGoOn && !reconnects) {
        // Broken frames: no report is taken, yet the link counts as alive.
        const qint64 bytes = link.bytesReceived();
        QTRY_VERIFY_WITH_TIMEOUT(link.bytesReceived() >= bytes + 10 * WinchFrame::ReportSize, 10000);
        QVERIFY(link.report().sequence <= atFault + 1);
        QCOMPARE(link.connectAttempts(), 1);
        QCOMPARE(checksDown, 0);
    }
    if (fault == QLatin1String("silent"))
        QVERIFY(checksDown >= 1);
    QVERIFY(link.stopLink());
}

void TestWinchSim::badOptions_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("errorPart");
    QTest::newRow("fault") << QStringList{"--fault", "loud"} << "--fault";
    QTest::newRow("speed 0") << QStringList{"--speed", "0"} << "--speed";
    QTest::newRow("depth not a number") << QStringList{"--depth", "deep"} << "--depth";
    QTest::newRow("listen") << QStringList{"--listen", "127.0.0.1"} << "--listen";
    QTest::newRow("negative wait") << QStringList{"--wait", "-1"} << "--wait";
}

void TestWinchSim::badOptions()
{
    QFETCH(QStringList, args);
    QFETCH(QString, errorPart);
    QProcess p;
    p.start(testBinDir() + QStringLiteral("/zpvw-winchsim"), args + QStringList{QStringLiteral("--max-seconds"),
                                                                                 QStringLiteral("5")});
    QVERIFY(p.waitForStarted(10000));
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished(5000);
        QFAIL("the simulator did not refuse the option");
    }
    QCOMPARE(p.exitCode(), 2);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QVERIFY2(err.contains(errorPart), qPrintable(err));
}

void TestWinchSim::endsAfterMaxSeconds()
{
    QProcess p;
    p.start(testBinDir() + QStringLiteral("/zpvw-winchsim"),
            {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--max-seconds"),
             QStringLiteral("0.3")});
    QVERIFY(p.waitForStarted(10000));
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished(5000);
        QFAIL("the simulator did not stop after --max-seconds");
    }
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(QString::fromLocal8Bit(p.readAllStandardOutput()).contains(QStringLiteral("stopping after --max-seconds")));
}

QTEST_MAIN(TestWinchSim)
#include "tst_winchsim.moc"
