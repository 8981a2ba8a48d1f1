#include "archivedb.h"

#include "archiveschema.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace {
QString errorText(const QSqlError &e)
{
    QString text = e.databaseText().trimmed();
    if (text.isEmpty())
        text = e.driverText().trimmed();
    return text;
}
} // namespace

CArchiveDb::CArchiveDb() : m_connection(QStringLiteral("archive-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
}

CArchiveDb::~CArchiveDb() { close(); }

void CArchiveDb::close()
{
    if (!m_db.isValid())
        return;
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

int CArchiveDb::programSchemaVersion() { return archiveSchemaVersion(); }

QString CArchiveDb::explain(const QString &driverText) const
{
    const QString t = driverText.toLower();
    if (t.contains(QLatin1String("database is locked")) || t.contains(QLatin1String("lock timeout")))
        return QStringLiteral("the archive is locked by another program; try again once it has finished (%1)")
            .arg(driverText);
    if (t.contains(QLatin1String("readonly")) || t.contains(QLatin1String("read-only"))
        || t.contains(QLatin1String("permission denied")))
        return QStringLiteral("the archive cannot be written here: it is read-only (%1)").arg(driverText);
    return driverText;
}

bool CArchiveDb::exec(QSqlQuery &q, const QString &sql, const QVariantList &values, QString *error)
{
    if (!q.prepare(sql)) {
        *error = explain(errorText(q.lastError()));
        return false;
    }
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec()) {
        *error = explain(errorText(q.lastError()));
        return false;
    }
    return true;
}

bool CArchiveDb::exec(const QString &sql, QString *error)
{
    QSqlQuery q(m_db);
    if (!q.exec(sql)) {
        *error = explain(errorText(q.lastError()));
        return false;
    }
    return true;
}

bool CArchiveDb::begin(QString *error)
{
    // SQLite: take the write lock at once, so two writers never both read
    // the trail's last entry and then fail to upgrade their locks.
    return exec(isPostgres() ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"), error);
}

bool CArchiveDb::commit(QString *error) { return exec(QStringLiteral("COMMIT"), error); }

void CArchiveDb::rollback()
{
    QString ignored;
    exec(QStringLiteral("ROLLBACK"), &ignored);
}

bool CArchiveDb::lockForWriting(QString *error)
{
    if (!isPostgres())
        return true;
    // Readers go on; a second writer waits until this transaction ends.
    return exec(QStringLiteral("LOCK TABLE audit IN SHARE ROW EXCLUSIVE MODE"), error);
}

bool CArchiveDb::open(const ArchiveAddress &address, QString *error)
{
    close();
    m_address = address;
    if (address.engine == ArchiveAddress::Engine::SQLite) {
        const QFileInfo fi(address.path);
        if (!fi.exists() && !QDir().mkpath(fi.absolutePath())) {
            *error = QStringLiteral("cannot create the folder of %1").arg(address.path);
            return false;
        }
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        m_db.setDatabaseName(address.path);
        m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(m_lockWaitMs));
    } else {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connection);
        m_db.setDatabaseName(address.database);
        if (!address.user.isEmpty())
            m_db.setUserName(address.user);
        if (!address.password.isEmpty())
            m_db.setPassword(address.password);
        if (!address.host.isEmpty())
            m_db.setHostName(address.host);
        if (address.port > 0)
            m_db.setPort(address.port);
        m_db.setConnectOptions(QStringLiteral("connect_timeout=10"));
    }
    if (!m_db.isValid()) {
        *error = QStringLiteral("the Qt SQL driver for %1 is missing")
                     .arg(isPostgres() ? QStringLiteral("PostgreSQL (libqt5sql5-psql)")
                                       : QStringLiteral("SQLite (libqt5sql5-sqlite)"));
        return false;
    }
    if (!m_db.open()) {
        *error = QStringLiteral("cannot open the archive %1: %2").arg(address.display(), explain(errorText(m_db.lastError())));
        return false;
    }
    if (!isPostgres() && !exec(QStringLiteral("PRAGMA foreign_keys = ON"), error))
        return false;
    // A lock held elsewhere gives a clear error instead of an endless wait.
    if (isPostgres() && !exec(QStringLiteral("SET lock_timeout = '%1ms'").arg(qMax(m_lockWaitMs, 5000)), error))
        return false;
    if (!migrate(error)) {
        *error = QStringLiteral("%1: %2").arg(address.display(), *error);
        return false;
    }
    return true;
}

int CArchiveDb::readSchemaVersion(bool *ok, QString *error)
{
    *ok = true;
    if (!m_db.tables().contains(QStringLiteral("archive_schema")))
        return 0;
    QSqlQuery q(m_db);
    if (!exec(q, QStringLiteral("SELECT version FROM archive_schema"), {}, error)) {
        *ok = false;
        return 0;
    }
    return q.next() ? q.value(0).toInt() : 0;
}

bool CArchiveDb::migrate(QString *error)
{
    bool ok = false;
    int version = readSchemaVersion(&ok, error);
    if (!ok)
        return false;
    const int newest = archiveSchemaVersion();
    if (version > newest) {
        *error = QStringLiteral("the archive has schema version %1, newer than this program's %2: it is left "
                                "untouched; use a newer zpvw-archive")
                     .arg(QString::number(version), QString::number(newest));
        return false;
    }
    if (version == newest) {
        m_schemaVersion = version;
        return true;
    }
    // SQLite: a migration that makes a table again must not have its rows
    // checked against the references while the old table is gone; the
    // setting cannot change inside a transaction.
    if (!isPostgres() && !exec(QStringLiteral("PRAGMA foreign_keys = OFF"), error))
        return false;
    const bool done = migrateFrom(error);
    QString ignored;
    if (!isPostgres() && !exec(QStringLiteral("PRAGMA foreign_keys = ON"), done ? error : &ignored))
        return false;
    return done;
}

bool CArchiveDb::migrateFrom(QString *error)
{
    bool ok = false;
    int version = 0;
    const int newest = archiveSchemaVersion();
    if (!begin(error))
        return false;
    // Two office PCs opening a new archive at once: the second waits here and
    // then finds the work done.
    if (isPostgres() && !exec(QStringLiteral("SELECT pg_advisory_xact_lock(7305201)"), error)) {
        rollback();
        return false;
    }
    version = readSchemaVersion(&ok, error);
    if (!ok) {
        rollback();
        return false;
    }
    if (version == 0 && !exec(QStringLiteral("CREATE TABLE IF NOT EXISTS archive_schema (version INTEGER NOT NULL)"), error)) {
        rollback();
        return false;
    }
    for (int v = version + 1; v <= newest; ++v) {
        for (const QString &sql : archiveMigration(v, isPostgres())) {
            if (!exec(sql, error)) {
                rollback();
                return false;
            }
        }
        if (!archiveMigrationData(v, *this, error)) {
            rollback();
            return false;
        }
    }
    QSqlQuery q(m_db);
    if (!exec(q, QStringLiteral("DELETE FROM archive_schema"), {}, error)
        || !exec(q, QStringLiteral("INSERT INTO archive_schema (version) VALUES (?)"), {newest}, error)
        || !commit(error)) {
        rollback();
        return false;
    }
    m_schemaVersion = newest;
    return true;
}
