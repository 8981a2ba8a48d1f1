#include "signingschema.h"

#include "archiveschema.h"

QStringList signingMigration(bool pg)
{
    const QString id = archiveIdColumn(pg);
    return {
        QStringLiteral("CREATE TABLE devices (id %1, name TEXT NOT NULL UNIQUE, device_id TEXT NOT NULL UNIQUE,"
                       " public_key TEXT NOT NULL, added_at TEXT NOT NULL, revoked_at TEXT)")
            .arg(id),
        QStringLiteral("CREATE TABLE signed_versions (version_id BIGINT PRIMARY KEY REFERENCES versions (id),"
                       " device_id TEXT NOT NULL, manifest_sha256 CHAR(64) NOT NULL REFERENCES blobs (sha256),"
                       " sequence BIGINT NOT NULL, saved_at TEXT NOT NULL, received_at TEXT NOT NULL)"),
        QStringLiteral("CREATE INDEX signed_versions_device ON signed_versions (device_id, sequence)"),
    };
}
