#include "accessschema.h"

#include "archiveschema.h"

QStringList accessMigration(bool pg)
{
    const QString id = archiveIdColumn(pg);
    return {
        QStringLiteral("CREATE TABLE users (id %1, name TEXT NOT NULL UNIQUE, role TEXT NOT NULL,"
                       " password_hash TEXT NOT NULL, disabled INTEGER NOT NULL DEFAULT 0, created_at TEXT NOT NULL)")
            .arg(id),
        QStringLiteral("CREATE TABLE sessions (token_sha256 CHAR(64) PRIMARY KEY, user_name TEXT NOT NULL,"
                       " csrf TEXT NOT NULL, created_at BIGINT NOT NULL, last_seen BIGINT NOT NULL)"),
        QStringLiteral("CREATE INDEX sessions_user ON sessions (user_name)"),
        QStringLiteral("CREATE TABLE api_tokens (id %1, name TEXT NOT NULL UNIQUE, token_sha256 CHAR(64) NOT NULL UNIQUE,"
                       " created_at TEXT NOT NULL, revoked_at TEXT)")
            .arg(id),
    };
}
