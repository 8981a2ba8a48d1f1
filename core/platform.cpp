#include "platform.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <atomic>

int CProcessCommands::run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(program, args);
    if (!p.waitForStarted(-1))
        return -1;
    p.waitForFinished(-1);
    if (p.exitStatus() != QProcess::NormalExit)
        return -1;
    return p.exitCode();
}

int CRecordingCommands::run(const QString &program, const QStringList &args)
{
    QMutexLocker l(&m_lock);
    m_calls.append(QStringList() << program << args);
    if (m_handler)
        return m_handler(program, args);
    return m_exitCode;
}

QStringList CRecordingCommands::commands() const
{
    QMutexLocker l(&m_lock);
    QStringList out;
    for (const QStringList &c : m_calls)
        out << c.join(QLatin1Char(' '));
    return out;
}

QList<QStringList> CRecordingCommands::calls() const
{
    QMutexLocker l(&m_lock);
    return m_calls;
}

void CRecordingCommands::clear()
{
    QMutexLocker l(&m_lock);
    m_calls.clear();
}

void CRecordingCommands::setExitCode(int code)
{
    QMutexLocker l(&m_lock);
    m_exitCode = code;
}

void CRecordingCommands::setHandler(std::function<int(const QString &, const QStringList &)> handler)
{
    QMutexLocker l(&m_lock);
    m_handler = std::move(handler);
}

namespace {
CProcessCommands gRealCommands;
std::atomic<CPlatformCommands *> gCommands{nullptr};
}

CPlatformCommands &Platform::commands()
{
    CPlatformCommands *c = gCommands.load();
    return c ? *c : gRealCommands;
}

void Platform::setCommands(CPlatformCommands *runner) { gCommands.store(runner); }

int Platform::run(const QString &program, const QStringList &args) { return commands().run(program, args); }

QString Platform::rootPath(const QString &absolutePath)
{
    const QString root = QProcessEnvironment::systemEnvironment().value(QStringLiteral("ZPVW_ROOT_DIR"));
    if (root.isEmpty())
        return absolutePath;
    return QDir::cleanPath(root + QLatin1Char('/') + absolutePath);
}
