#include "postgresserver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace {
bool runningAsRoot() { return geteuid() == 0; }

// Gives the folder to "nobody" so the server (which refuses to run as
// root) can own its data and socket.
bool handOver(const QString &path)
{
    const passwd *pw = getpwnam("nobody");
    if (!pw)
        return false;
    return chown(QFile::encodeName(path).constData(), pw->pw_uid, pw->pw_gid) == 0;
}
} // namespace

QString CPostgresServer::binDir()
{
    const QStringList candidates{QStringLiteral("/usr/lib/postgresql/15/bin"), QStringLiteral("/usr/lib/postgresql/16/bin"),
                                 QStringLiteral("/usr/lib/postgresql/17/bin")};
    for (const QString &c : candidates) {
        if (QFileInfo(c + QStringLiteral("/initdb")).isExecutable() && QFileInfo(c + QStringLiteral("/pg_ctl")).isExecutable())
            return c;
    }
    return QString();
}

bool CPostgresServer::run(const QString &program, const QStringList &args, QString *out, QString *error,
                          int timeoutMs) const
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.remove(QStringLiteral("PGHOST"));
    env.remove(QStringLiteral("PGPORT"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(m_folder);
    if (runningAsRoot()) {
        p.start(QStringLiteral("setpriv"), QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                                       QStringLiteral("--clear-groups"), QStringLiteral("--")}
                                               << program << args);
    } else {
        p.start(program, args);
    }
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(5000);
        *error = QStringLiteral("%1 did not finish").arg(program);
        return false;
    }
    const QString text = QString::fromUtf8(p.readAll());
    if (out)
        *out = text;
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = QStringLiteral("%1 failed: %2").arg(QFileInfo(program).fileName(), text.trimmed());
        return false;
    }
    return true;
}

bool CPostgresServer::start(QString *error)
{
    const QString bin = binDir();
    if (bin.isEmpty()) {
        *error = QStringLiteral("PostgreSQL server binaries are not installed");
        return false;
    }
    QDir().mkpath(socketDir());
    if (runningAsRoot()) {
        QFile::setPermissions(m_folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                            | QFileDevice::ReadOther | QFileDevice::ExeOther | QFileDevice::ReadGroup
                                            | QFileDevice::ExeGroup);
        if (!handOver(m_folder) || !handOver(socketDir())) {
            *error = QStringLiteral("cannot hand the folder to the user nobody");
            return false;
        }
    }
    const QString data = m_folder + QStringLiteral("/data");
    QString out;
    if (!run(bin + QStringLiteral("/initdb"),
             {QStringLiteral("-D"), data, QStringLiteral("-U"), superUser(), QStringLiteral("--auth=trust"),
              QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C.UTF-8"), QStringLiteral("--no-sync")},
             &out, error, 120000))
        return false;
    // No TCP at all: only the socket in our own folder. Connections as a
    // default server has: the web view alone keeps one per thread (32).
    const QString options = QStringLiteral("-c listen_addresses='' -c unix_socket_directories='%1' -c fsync=%2"
                                           " -c max_connections=100")
                                .arg(socketDir(), m_durable ? QStringLiteral("on") : QStringLiteral("off"));
    if (!run(bin + QStringLiteral("/pg_ctl"),
             {QStringLiteral("-D"), data, QStringLiteral("-o"), options, QStringLiteral("-l"),
              m_folder + QStringLiteral("/server.log"), QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"),
              QStringLiteral("start")},
             &out, error, 90000))
        return false;
    m_running = true;
    return true;
}

void CPostgresServer::stop()
{
    if (!m_running)
        return;
    m_running = false;
    QString out, error;
    run(binDir() + QStringLiteral("/pg_ctl"),
        {QStringLiteral("-D"), m_folder + QStringLiteral("/data"), QStringLiteral("-m"), QStringLiteral("fast"),
         QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("30"), QStringLiteral("stop")},
        &out, &error, 60000);
}

bool CPostgresServer::psql(const QString &database, const QString &sql, QString *out, QString *error) const
{
    QString psql = binDir() + QStringLiteral("/psql");
    if (!QFileInfo(psql).isExecutable())
        psql = QStringLiteral("psql");
    return run(psql,
               {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-A"), QStringLiteral("-t"), QStringLiteral("-v"),
                QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"), socketDir(), QStringLiteral("-U"), superUser(),
                QStringLiteral("-d"), database, QStringLiteral("-c"), sql},
               out, error);
}

bool CPostgresServer::createDatabase(const QString &name, QString *error) const
{
    QString out;
    return psql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE \"%1\"").arg(name), &out, error);
}

QString CPostgresServer::url(const QString &database) const
{
    return QStringLiteral("postgresql://%1@/%2?host=%3").arg(superUser(), database, socketDir());
}
