#pragma once
// The one layer through which the program runs outside commands and looks at
// the machine's root. A command is a program with an argument list, never a
// string handed to a shell, so a name typed by the operator cannot become a
// command. Tests install a recorder instead of the real runner.

#include <QMutex>
#include <QString>
#include <QStringList>
#include <functional>

class CPlatformCommands {
public:
    virtual ~CPlatformCommands() = default;
    // Runs the program to completion and returns its exit code, or -1 when it
    // could not be started or crashed.
    virtual int run(const QString &program, const QStringList &args) = 0;
};

// Runs real child processes (QProcess, no shell).
class CProcessCommands : public CPlatformCommands {
public:
    int run(const QString &program, const QStringList &args) override;
};

// Records every command instead of running it; answers with a configurable
// exit code. Thread-safe.
class CRecordingCommands : public CPlatformCommands {
public:
    int run(const QString &program, const QStringList &args) override;
    // Each entry: program followed by its arguments, joined by one blank.
    QStringList commands() const;
    QList<QStringList> calls() const;
    void clear();
    // Exit code for every command (0 unless set).
    void setExitCode(int code);
    // Optional hook deciding the exit code per call (program, args).
    void setHandler(std::function<int(const QString &, const QStringList &)> handler);

private:
    mutable QMutex m_lock; // guards everything below
    QList<QStringList> m_calls;
    int m_exitCode = 0;
    std::function<int(const QString &, const QStringList &)> m_handler;
};

namespace Platform {
// The installed command runner (a CProcessCommands unless replaced).
CPlatformCommands &commands();
// Installs a runner; nullptr restores the real one. The caller keeps ownership.
void setCommands(CPlatformCommands *runner);
// Shortcut for commands().run(...).
int run(const QString &program, const QStringList &args = QStringList());

// Prefix for absolute machine paths such as "/IsEnableKill" and "/opt":
// "/" unless the environment variable ZPVW_ROOT_DIR names another folder.
QString rootPath(const QString &absolutePath);
}

// Installs a recorder for the lifetime of the object (tests).
class ScopedCommandRecorder {
public:
    ScopedCommandRecorder() { Platform::setCommands(&recorder); }
    ~ScopedCommandRecorder() { Platform::setCommands(nullptr); }
    CRecordingCommands recorder;
};
