#pragma once
// The archive's schema, one migration per version. Both engines get the same
// tables; only the spelling of a few types differs.

#include <QStringList>

// Statements that take an archive from version - 1 to version (1-based).
QStringList archiveMigration(int version, bool postgres);
// The newest version this program knows.
int archiveSchemaVersion();
