// zpvw-winchsim: a winch controller for running and testing the instrument
// program without hardware. It answers each request of the winch link with a
// report while it plays a hole: wait at the bottom, raise, stay at the top.
// Commands on its standard input steer the winch while it runs
// (simcommands.h).

#include "simcommands.h"
#include "simserver.h"
#include "winchaddress.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int gSignalFd[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    const ssize_t n = ::write(gSignalFd[0], &c, 1);
    (void)n;
}

bool toNumber(const QString &text, double min, double *out)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !(v >= min) || v > 1e9)
        return false;
    *out = v;
    return true;
}
}

int main(int argc, char **argv)
{
    // Started with no standard input at all, the next socket would take its
    // number and be read as commands: hold it with an empty input instead.
    if (::fcntl(STDIN_FILENO, F_GETFD) == -1)
        (void)::open("/dev/null", O_RDONLY);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zpvw-winchsim"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Winch controller simulator for the zpvw instrument program.\n\n")
                                + simCommandHelp());
    p.addHelpOption();
    const QCommandLineOption listenOpt(QStringLiteral("listen"), QStringLiteral("Address to listen on (port 0: any free one)."),
                                       QStringLiteral("HOST:PORT"), simulatorWinchAddress().toString());
    // The numeric options: name, help, unit, default, lowest value, where it goes.
    SimHoleConfig cfg;
    double wheel = 0, line = 0, seed = 0, faultAfter = 0;
    struct NumberOpt {
        QCommandLineOption opt;
        double min;
        double *target;
    };
    auto number = [](const char *name, const char *help, const char *unit, const char *value, double min,
                     double *target) {
        return NumberOpt{QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(help),
                                            QString::fromLatin1(unit), QString::fromLatin1(value)),
                         min, target};
    };
    const NumberOpt numbers[] = {
        number("wait", "Seconds at the bottom before the raise.", "s", "2", 0.0, &cfg.waitSeconds),
        number("speed", "Raise speed, metres per second.", "m/s", "0.1", 0.0, &cfg.speed),
        number("depth", "Hole depth, metres.", "m", "20", 0.0, &cfg.depth),
        number("wheel-d", "Pulley diameter, millimetres.", "mm", "63", 1.0, &wheel),
        number("line-d", "Cable diameter, millimetres.", "mm", "7", 0.0, &line),
        number("sediment", "Sediment layer thickness, metres.", "m", "0.3", 0.0, &cfg.sediment),
        number("mud", "Raw value in the mud.", "value", "1.2", -1e9, &cfg.mudValue),
        number("sediment-value", "Raw value in the sediment.", "value", "3.0", -1e9, &cfg.sedimentValue),
        number("seed", "Seed of the deterministic noise.", "n", "1", 0.0, &seed),
        number("fault-after", "Seconds after each link connects before the fault starts.", "s", "0", 0.0,
               &faultAfter)};
    const QCommandLineOption &speedOpt = numbers[1].opt;
    const QCommandLineOption faultOpt(QStringLiteral("fault"),
                                      QStringLiteral("Fault mode: silent, drop, garbage, split or double."),
                                      QStringLiteral("mode"));
    const QCommandLineOption maxOpt(QStringLiteral("max-seconds"), QStringLiteral("Stop after this many seconds."),
                                    QStringLiteral("s"));
    p.addOption(listenOpt);
    for (const NumberOpt &n : numbers) {
        if (n.target == &faultAfter)
            p.addOption(faultOpt); // listed before the delay it goes with
        p.addOption(n.opt);
    }
    p.addOption(maxOpt);
    if (!p.parse(app.arguments())) {
        err << "zpvw-winchsim: " << p.errorText() << '\n';
        return 2;
    }
    if (p.isSet(QStringLiteral("help")))
        p.showHelp(0);
    if (!p.positionalArguments().isEmpty()) {
        err << "zpvw-winchsim: unexpected argument " << p.positionalArguments().first() << '\n';
        return 2;
    }

    auto bad = [&err](const QString &opt, const QString &value, const QString &why) {
        err << "zpvw-winchsim: invalid --" << opt << " \"" << value << "\": " << why << '\n';
        return 2;
    };
    WinchAddress listenAt;
    QString why;
    if (!parseWinchAddress(p.value(listenOpt), &listenAt, &why, true))
        return bad(QStringLiteral("listen"), p.value(listenOpt), why);
    QHostAddress listenHost;
    if (!listenHost.setAddress(listenAt.host))
        return bad(QStringLiteral("listen"), p.value(listenOpt), QStringLiteral("the host must be an IP address"));

    for (const NumberOpt &n : numbers) {
        if (!toNumber(p.value(n.opt), n.min, n.target))
            return bad(n.opt.names().first(), p.value(n.opt),
                       QStringLiteral("expected a number not below %1").arg(n.min));
    }
    if (cfg.speed <= 0.0)
        return bad(QStringLiteral("speed"), p.value(speedOpt), QStringLiteral("the speed must be above 0"));
    cfg.wheelD = int(wheel);
    cfg.lineD = int(line);
    cfg.seed = uint32_t(seed);

    SimFault fault = SimFault::None;
    if (p.isSet(faultOpt) && !parseSimFault(p.value(faultOpt), &fault))
        return bad(QStringLiteral("fault"), p.value(faultOpt),
                   QStringLiteral("expected silent, drop, garbage, split or double"));
    double maxSeconds = 0;
    if (p.isSet(maxOpt) && (!toNumber(p.value(maxOpt), 0.0, &maxSeconds) || maxSeconds <= 0.0))
        return bad(QStringLiteral("max-seconds"), p.value(maxOpt), QStringLiteral("expected a number above 0"));

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalFd) != 0) {
        err << "zpvw-winchsim: cannot set up signal handling\n";
        return 1;
    }
    QSocketNotifier signalNotifier(gSignalFd[1], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&out] {
        char c;
        const ssize_t n = ::read(gSignalFd[1], &c, 1);
        (void)n;
        out << "stopping on signal\n";
        out.flush();
        QCoreApplication::quit();
    });
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    // Started in the background of a terminal, reading it must not stop the
    // simulator: the read fails instead, and commands are off.
    std::signal(SIGTTIN, SIG_IGN);

    CWinchSimServer server(cfg, fault, faultAfter, out);
    if (!server.listen(listenHost, listenAt.port)) {
        err << "zpvw-winchsim: cannot listen on " << listenAt.toString() << ": " << server.errorString() << '\n';
        return 1;
    }
    CSimCommandInput commands(STDIN_FILENO, [&server](const QString &l) { server.command(l); });
    if (maxSeconds > 0.0) {
        QTimer::singleShot(int(maxSeconds * 1000.0), &app, [&out] {
            out << "stopping after --max-seconds\n";
            out.flush();
            QCoreApplication::quit();
        });
    }
    return app.exec();
}
