#pragma once
// An open archive: one database connection (SQLite or PostgreSQL through
// Qt SQL) whose schema has been brought up to this program's version.
//
//     CArchiveDb db;
//     if (!db.open(address, &error)) ... error ...
//     QSqlQuery q = db.query();
//
// Opening runs the migrations that are missing, in one transaction, and
// refuses an archive whose schema is newer than this program knows.

#include "archiveaddress.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

class CArchiveDb {
public:
    CArchiveDb();
    ~CArchiveDb();
    CArchiveDb(const CArchiveDb &) = delete;
    CArchiveDb &operator=(const CArchiveDb &) = delete;

    bool open(const ArchiveAddress &address, QString *error);
    // How long a write waits for another writer before it is refused as
    // "locked" (set before open). A command gives up soon and says so; a
    // server, whose own threads write in turn, waits longer.
    void setLockWait(int milliseconds) { m_lockWaitMs = milliseconds; }
    void close();
    bool isPostgres() const { return m_address.engine == ArchiveAddress::Engine::PostgreSQL; }
    const ArchiveAddress &address() const { return m_address; }
    QSqlDatabase &database() { return m_db; }
    QSqlQuery query() const { return QSqlQuery(m_db); }

    // Prepares and runs a statement with positional values; false with the
    // driver's reason. q receives the finished query.
    bool exec(QSqlQuery &q, const QString &sql, const QVariantList &values, QString *error);
    bool exec(const QString &sql, QString *error);

    // Transactions; begin() on PostgreSQL may also take the archive's write
    // lock, so that office PCs importing at once append to the trail in turn.
    bool begin(QString *error);
    bool commit(QString *error);
    void rollback();
    // Serialises writers (PostgreSQL; SQLite's write transaction already does).
    bool lockForWriting(QString *error);

    // The schema version this program writes, and the archive's.
    static int programSchemaVersion();
    int schemaVersion() const { return m_schemaVersion; }

    // A database error in words an office user can act on.
    QString explain(const QString &driverText) const;

private:
    bool migrate(QString *error);
    // The migrations' transaction: from the version found to the newest.
    bool migrateFrom(QString *error);
    int readSchemaVersion(bool *ok, QString *error);

    QString m_connection;
    QSqlDatabase m_db;
    ArchiveAddress m_address;
    int m_schemaVersion = 0;
    int m_lockWaitMs = 3000;
};
