#pragma once
// Steering the simulator while it runs: one command a line, as typed on its
// standard input, so that a user at a desk can do what an operator does at
// the winch.
//
//     raise [SPEED]      raise to the top (SPEED m/s; default: --speed)
//     lower [SPEED]      lower to the bottom
//     stop               hold the probe where it is
//     goto DEPTH [SPEED] move to DEPTH metres below the hole top
//     status             print where the probe is and what it does
//     help               list the commands

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class CSimHole;

struct SimCommand {
    enum Kind { Empty, Raise, Lower, Stop, GoTo, Status, Help, Invalid };
    Kind kind = Empty;
    double depth = 0.0; // goto: metres below the top
    double speed = 0.0; // 0: the configured speed
    QString error;      // Invalid: why
};

SimCommand parseSimCommand(const QString &line);

// The command list, as printed by help and --help.
QString simCommandHelp();

// Carries out a command on the hole at time now and returns the lines that
// answer it ("ok: ...", "status: ...", "error: ...").
QStringList applySimCommand(CSimHole &hole, const SimCommand &command, double now);

// Reads lines from a file descriptor (standard input) as they arrive, without
// blocking the event loop, and hands each to a callback. The end of the input,
// or a descriptor that cannot be read (closed, or a terminal the process runs
// in the background of), ends the reading and nothing else.
class CSimCommandInput : public QObject {
    Q_OBJECT
public:
    CSimCommandInput(int fd, std::function<void(const QString &)> onLine, QObject *parent = nullptr);
    bool reading() const { return m_notifier != nullptr; }

private:
    void readAvailable();
    void finish();

    int m_fd;
    std::function<void(const QString &)> m_onLine;
    class QSocketNotifier *m_notifier = nullptr;
    QByteArray m_pending;
};
