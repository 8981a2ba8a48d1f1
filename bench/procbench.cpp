// zpvw-procbench: figures of the running program as a process, offscreen,
// with the winch controller simulator on a loopback port:
//   - CPU used per second while idle (zpvw itself, link up, probe still);
//   - CPU used per second while raising (zpvw-benchrun taking a new
//     automatic test: the acquisition thread's 8 to 15 ms cycles, the link's
//     50 ms poll and the screen following every sample);
//   - start-up to the first painted frame of the main screen (the dialog,
//     the curve and the table), from the launch of the process.
// The raise is measured twice: zpvw-benchrun's autopilot looks once a
// second, zpvw --demo every 20 ms.
// Prints figures, judges nothing.
//   zpvw-procbench [--idle-seconds N] [--raise-seconds N] [--starts N]
// (0 leaves that figure out).

#include "benchsupport.h"
#include "procstat.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

QString binDir() { return QCoreApplication::applicationDirPath(); }

// A child process with its own application directory; its output goes to a
// file there. Killed when the object goes.
class CChild {
public:
    CChild(const QString &program, const QStringList &args, double *launchMs = nullptr)
    {
        m_out = m_dir.file(QStringLiteral("output.txt"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("ZPVW_APP_DIR"), m_dir.path());
        env.insert(QStringLiteral("ZPVW_ROOT_DIR"), m_dir.path() + QStringLiteral("/root"));
        // Only loopback: a child started without --winch must never fall
        // back to the controller's built-in address on the instrument network.
        env.insert(QStringLiteral("ZPVW_WINCH"), QStringLiteral("127.0.0.1:9"));
        const double t0 = monotonicMs();
        if (launchMs)
            *launchMs = t0;
        env.insert(QStringLiteral("ZPVW_BENCH_T0"), QString::number(t0, 'f', 3));
        m_p.setProcessEnvironment(env);
        m_p.setProcessChannelMode(QProcess::MergedChannels);
        m_p.setStandardOutputFile(m_out);
        m_p.start(binDir() + QLatin1Char('/') + program, args);
        m_p.waitForStarted(5000);
    }
    ~CChild()
    {
        if (m_p.state() != QProcess::NotRunning) {
            m_p.terminate();
            if (!m_p.waitForFinished(3000)) {
                m_p.kill();
                m_p.waitForFinished(3000);
            }
        }
    }
    pid_t pid() const { return pid_t(m_p.processId()); }
    bool running() const { return m_p.state() == QProcess::Running; }
    bool waitForEnd(int ms) { return m_p.waitForFinished(ms); }
    QString output() const
    {
        QFile f(m_out);
        return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()) : QString();
    }
    // Waits until the output matches re (first capture returned, or the
    // whole match); empty after ms or when the child ended.
    QString waitForLine(const QRegularExpression &re, int ms)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            const QRegularExpressionMatch m = re.match(output());
            if (m.hasMatch())
                return m.lastCapturedIndex() >= 1 ? m.captured(1) : m.captured(0);
            if (!running())
                return QString();
            QThread::msleep(50);
        }
        return QString();
    }

private:
    CBenchAppDir m_dir;
    QString m_out;
    QProcess m_p;
};

// The simulator on a free loopback port; "127.0.0.1:PORT" or empty.
QString startSimulator(std::unique_ptr<CChild> &sim, const QStringList &args)
{
    sim.reset(new CChild(QStringLiteral("zpvw-winchsim"),
                         QStringList{QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")} + args));
    const QString port = sim->waitForLine(QRegularExpression(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)")), 10000);
    return port.isEmpty() ? QString() : QStringLiteral("127.0.0.1:") + port;
}

void printShare(const char *what, const CpuShare &s, double seconds)
{
    std::printf("%-44s %7.2f %% of one core   (over %.0f s)\n", what, s.percent, seconds);
    for (auto it = s.threadPercent.constBegin(); it != s.threadPercent.constEnd(); ++it)
        std::printf("    thread %-20s %7.2f %%\n", qPrintable(it.key()), it.value());
}

// CPU share of a child over a window of the given length.
bool measure(CChild &child, double seconds, CpuShare *out)
{
    const ProcCpu a = readProcCpu(child.pid());
    const double t0 = monotonicMs();
    QThread::msleep(static_cast<unsigned long>(seconds * 1000));
    const ProcCpu b = readProcCpu(child.pid());
    const double wall = (monotonicMs() - t0) / 1000.0;
    if (!a.ok || !b.ok || !child.running())
        return false;
    *out = cpuShare(a, b, wall);
    return true;
}

void idleFigure(double seconds)
{
    std::unique_ptr<CChild> sim;
    // The probe stays at the bottom: the reported value does not change.
    const QString winch = startSimulator(sim, {QStringLiteral("--wait"), QStringLiteral("100000")});
    if (winch.isEmpty()) {
        std::printf("idle CPU: the simulator did not start\n");
        return;
    }
    CChild zpvw(QStringLiteral("zpvw"), {QStringLiteral("--winch"), winch});
    if (sim->waitForLine(QRegularExpression(QStringLiteral("link connected")), 15000).isEmpty()) {
        std::printf("idle CPU: zpvw did not connect to the simulator\n%s", qPrintable(zpvw.output()));
        return;
    }
    QThread::msleep(2000); // start-up work settles
    CpuShare s;
    if (!measure(zpvw, seconds, &s)) {
        std::printf("idle CPU: zpvw ended during the measurement\n%s", qPrintable(zpvw.output()));
        return;
    }
    printShare("idle CPU, zpvw (link up, probe still)", s, seconds);
}

// 0.5 m/s over a 20 m hole: 40 s of raising, a sample every 50 mm (the
// default set-up), so ten samples a second.
QString startRaisingSimulator(std::unique_ptr<CChild> &sim)
{
    const QString winch = startSimulator(sim, {QStringLiteral("--wait"), QStringLiteral("2"), QStringLiteral("--speed"),
                                               QStringLiteral("0.5"), QStringLiteral("--depth"), QStringLiteral("20")});
    if (winch.isEmpty())
        std::printf("raising CPU: the simulator did not start\n");
    return winch;
}

// The last "samples N" the program printed (it prints one a second).
int lastSampleCount(const QString &output)
{
    static const QRegularExpression re(QStringLiteral("^samples (\\d+)$"), QRegularExpression::MultilineOption);
    int n = 0;
    for (QRegularExpressionMatchIterator it = re.globalMatch(output); it.hasNext();)
        n = it.next().captured(1).toInt();
    return n;
}

void raiseFigure(double seconds)
{
    std::unique_ptr<CChild> sim;
    const QString winch = startRaisingSimulator(sim);
    if (winch.isEmpty())
        return;
    CChild run(QStringLiteral("zpvw-benchrun"), {QStringLiteral("--raise"), QStringLiteral("--winch"), winch});
    if (run.waitForLine(QRegularExpression(QStringLiteral("^raising$"), QRegularExpression::MultilineOption), 30000)
            .isEmpty()) {
        std::printf("raising CPU: the test did not start raising\n%s", qPrintable(run.output()));
        return;
    }
    QThread::msleep(1000);
    const int before = lastSampleCount(run.output());
    CpuShare s;
    if (!measure(run, seconds, &s)) {
        std::printf("raising CPU: the program ended during the measurement\n%s", qPrintable(run.output()));
        return;
    }
    const int after = lastSampleCount(run.output());
    printShare("raising CPU (0.5 m/s, a sample every 50 mm)", s, seconds);
    std::printf("    samples taken meanwhile: %d (%.1f a second)\n", after - before, (after - before) / seconds);
    const QString tail = run.output().right(200);
    if (tail.contains(QStringLiteral("state fa")))
        std::printf("    (the raise changed state during the window:%s)\n", qPrintable(tail.simplified()));
}

// The same raise run by zpvw's own demonstration (--demo): the real program
// throughout, though the demonstration itself looks at the screen every
// 20 ms, which the operator's program does not.
void demoRaiseFigure(double seconds)
{
    std::unique_ptr<CChild> sim;
    const QString winch = startRaisingSimulator(sim);
    if (winch.isEmpty())
        return;
    CChild run(QStringLiteral("zpvw"), {QStringLiteral("--demo"), QStringLiteral("--mode"), QStringLiteral("auto"),
                                        QStringLiteral("--depth"), QStringLiteral("20"), QStringLiteral("--move"),
                                        QStringLiteral("50"), QStringLiteral("--winch"), winch});
    if (sim->waitForLine(QRegularExpression(QStringLiteral("phase: raising")), 60000).isEmpty()) {
        std::printf("raising CPU (demo): the raise did not begin\n%s", qPrintable(run.output()));
        return;
    }
    QThread::msleep(1000);
    CpuShare s;
    if (!measure(run, seconds, &s)) {
        std::printf("raising CPU (demo): zpvw ended during the measurement\n%s", qPrintable(run.output()));
        return;
    }
    printShare("raising CPU, zpvw --demo (same raise)", s, seconds);
}

void printMedian(const char *what, QVector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::printf("%-44s %7.1f ms (median of %d; fastest %.1f, slowest %.1f)\n", what, ms.at(ms.size() / 2), int(ms.size()),
                ms.first(), ms.last());
}

void startupFigure(int starts)
{
    std::unique_ptr<CChild> sim;
    const QString winch = startSimulator(sim, {QStringLiteral("--wait"), QStringLiteral("100000")});
    if (winch.isEmpty()) {
        std::printf("start-up: the simulator did not start\n");
        return;
    }
    QVector<double> ms;
    for (int i = 0; i < starts; ++i) {
        double launch = 0;
        CChild run(QStringLiteral("zpvw-benchrun"), {QStringLiteral("--first-paint-exit"), QStringLiteral("--winch"), winch},
                   &launch);
        const QString t = run.waitForLine(QRegularExpression(QStringLiteral("first-paint-ms ([0-9.]+)")), 20000);
        if (t.isEmpty()) {
            std::printf("start-up: no first paint\n%s", qPrintable(run.output()));
            return;
        }
        ms.append(t.toDouble());
        run.waitForEnd(5000);
    }
    printMedian("start-up to the first painted main screen", ms);

}

double optionValue(const QStringList &args, const QString &name, double fallback)
{
    const int i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args.at(i + 1).toDouble() : fallback;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const double idleSeconds = optionValue(args, QStringLiteral("--idle-seconds"), 20);
    const double raiseSeconds = optionValue(args, QStringLiteral("--raise-seconds"), 20);
    const int starts = int(optionValue(args, QStringLiteral("--starts"), 7));
    std::printf("Process figures (offscreen platform, simulator on 127.0.0.1; load average %s)\n",
                qPrintable(QString::fromLatin1([] {
                    QFile f(QStringLiteral("/proc/loadavg"));
                    return f.open(QIODevice::ReadOnly) ? f.readAll().left(14) : QByteArray("?");
                }())));
    std::fflush(stdout);
    if (starts > 0)
        startupFigure(starts);
    std::fflush(stdout);
    if (idleSeconds > 0)
        idleFigure(idleSeconds);
    std::fflush(stdout);
    if (raiseSeconds > 0) {
        raiseFigure(raiseSeconds);
        std::fflush(stdout);
        demoRaiseFigure(raiseSeconds);
    }
    return 0;
}
