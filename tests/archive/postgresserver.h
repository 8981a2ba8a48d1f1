#pragma once
// A throw-away PostgreSQL server for tests: initdb in a folder, the server
// listening only on a Unix socket in that folder (listen_addresses empty),
// run as an unprivileged user when the tests run as root, stopped by stop()
// or the destructor.

#include <QString>
#include <QStringList>

class CPostgresServer {
public:
    // durable: flush to the disk as a production server does (benchmarks);
    // tests run without, for speed.
    explicit CPostgresServer(QString folder, bool durable = false) : m_folder(std::move(folder)), m_durable(durable) {}
    ~CPostgresServer() { stop(); }
    // Folder of Debian's server binaries, empty when they are not installed.
    static QString binDir();
    bool start(QString *error);
    void stop();
    QString socketDir() const { return m_folder + QStringLiteral("/sock"); }
    QString superUser() const { return QStringLiteral("archive"); }
    // Runs psql on a database with one statement; output in out.
    bool psql(const QString &database, const QString &sql, QString *out, QString *error) const;
    bool createDatabase(const QString &name, QString *error) const;
    QString url(const QString &database) const;

private:
    // Runs a server binary (as the unprivileged user when root).
    bool run(const QString &program, const QStringList &args, QString *out, QString *error, int timeoutMs = 60000) const;

    QString m_folder;
    bool m_durable = false;
    bool m_running = false;
};
