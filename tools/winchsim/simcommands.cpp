#include "simcommands.h"

#include "simhole.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <unistd.h>

namespace {
// Speeds beyond this are typing mistakes, not winches.
constexpr double kMaxSpeed = 100.0;

bool number(const QString &text, double *out)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    *out = v;
    return true;
}

SimCommand invalid(const QString &why)
{
    SimCommand c;
    c.kind = SimCommand::Invalid;
    c.error = why;
    return c;
}

bool takeSpeed(const QString &word, const QString &name, SimCommand *c)
{
    if (!number(word, &c->speed) || c->speed <= 0.0 || c->speed > kMaxSpeed) {
        *c = invalid(QStringLiteral("%1: the speed must be a number of m/s above 0 and up to %2, not \"%3\"")
                         .arg(name, QString::number(kMaxSpeed), word));
        return false;
    }
    return true;
}

QString metres(double m) { return QString::number(m, 'f', 3) + QStringLiteral(" m"); }
}

SimCommand parseSimCommand(const QString &line)
{
    const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    SimCommand c;
    if (words.isEmpty())
        return c;
    const QString name = words.first().toLower();
    const int args = words.size() - 1;
    struct Known {
        const char *name;
        SimCommand::Kind kind;
        int minArgs;
        int maxArgs;
        const char *usage;
    };
    static const Known kKnown[] = {
        {"raise", SimCommand::Raise, 0, 1, "raise [SPEED]"}, {"lower", SimCommand::Lower, 0, 1, "lower [SPEED]"},
        {"stop", SimCommand::Stop, 0, 0, "stop"},            {"goto", SimCommand::GoTo, 1, 2, "goto DEPTH [SPEED]"},
        {"status", SimCommand::Status, 0, 0, "status"},      {"help", SimCommand::Help, 0, 0, "help"}};
    for (const Known &k : kKnown) {
        if (name != QLatin1String(k.name))
            continue;
        if (args < k.minArgs || args > k.maxArgs)
            return invalid(QStringLiteral("usage: %1").arg(QLatin1String(k.usage)));
        c.kind = k.kind;
        if (c.kind == SimCommand::GoTo) {
            if (!number(words.at(1), &c.depth) || c.depth < 0.0)
                return invalid(QStringLiteral("goto: the depth must be a number of metres, 0 or more, not \"%1\"")
                                   .arg(words.at(1)));
            if (args == 2 && !takeSpeed(words.at(2), name, &c))
                return c;
        } else if (args == 1 && !takeSpeed(words.at(1), name, &c)) {
            return c;
        }
        return c;
    }
    return invalid(QStringLiteral("unknown command \"%1\" (help lists the commands)").arg(words.first()));
}

QString simCommandHelp()
{
    return QStringLiteral("Commands on standard input, one a line, while it runs:\n"
                          "  raise [SPEED]       raise the probe to the top (SPEED in m/s; default --speed)\n"
                          "  lower [SPEED]       lower the probe to the bottom\n"
                          "  stop                hold the probe where it is\n"
                          "  goto DEPTH [SPEED]  move the probe to DEPTH metres below the hole top\n"
                          "  status              where the probe is and what it does\n"
                          "  help                this list\n"
                          "A new test (the program clears the count) starts the play again: wait at the\n"
                          "bottom, then raise at --speed. The end of the input leaves the simulator running.");
}

QStringList applySimCommand(CSimHole &hole, const SimCommand &command, double now)
{
    const double depth = hole.config().depth;
    auto where = [&]() {
        const double h = hole.heightAt(now);
        return QStringLiteral("height %1 (depth %2), count %3")
            .arg(metres(h), metres(depth - h), QString::number(hole.pulsesForHeight(h)));
    };
    auto moving = [&]() {
        const double v = hole.velocityAt(now);
        if (v > 0.0)
            return QStringLiteral("raising at %1 m/s").arg(v);
        if (v < 0.0)
            return QStringLiteral("lowering at %1 m/s").arg(-v);
        return hole.phaseAt(now) == CSimHole::Waiting ? QStringLiteral("waiting at the bottom")
                                                      : QStringLiteral("standing");
    };
    switch (command.kind) {
    case SimCommand::Empty:
        return {};
    case SimCommand::Invalid:
        return {QStringLiteral("error: ") + command.error};
    case SimCommand::Help:
        return simCommandHelp().split(QLatin1Char('\n'));
    case SimCommand::Status:
        return {QStringLiteral("status: ") + where() + QStringLiteral(", ") + moving()};
    case SimCommand::Raise:
        hole.raise(now, command.speed);
        break;
    case SimCommand::Lower:
        hole.lower(now, command.speed);
        break;
    case SimCommand::Stop:
        hole.stop(now);
        break;
    case SimCommand::GoTo:
        if (command.depth > depth)
            return {QStringLiteral("error: goto: the hole is %1 deep").arg(metres(depth))};
        hole.moveTo(now, depth - command.depth, command.speed);
        break;
    }
    return {QStringLiteral("ok: ") + where() + QStringLiteral(", ") + moving()};
}

CSimCommandInput::CSimCommandInput(int fd, std::function<void(const QString &)> onLine, QObject *parent)
    : QObject(parent), m_fd(fd), m_onLine(std::move(onLine))
{
    if (::fcntl(fd, F_GETFD) == -1)
        return; // nothing to read
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CSimCommandInput::readAvailable);
}

void CSimCommandInput::readAvailable()
{
    char buf[512];
    const ssize_t n = ::read(m_fd, buf, sizeof buf);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (n <= 0) {
        // End of input, or a terminal this process may not read (EIO in the
        // background): keep serving without commands.
        finish();
        return;
    }
    m_pending.append(buf, int(n));
    for (int nl = m_pending.indexOf('\n'); nl >= 0; nl = m_pending.indexOf('\n')) {
        const QString line = QString::fromLocal8Bit(m_pending.left(nl)).trimmed();
        m_pending.remove(0, nl + 1);
        m_onLine(line);
    }
    // A line longer than any command is not one: drop it.
    if (m_pending.size() > 4096)
        m_pending.clear();
}

void CSimCommandInput::finish()
{
    if (!m_pending.trimmed().isEmpty())
        m_onLine(QString::fromLocal8Bit(m_pending).trimmed());
    m_pending.clear();
    delete m_notifier;
    m_notifier = nullptr;
}
