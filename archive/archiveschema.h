#pragma once
// The archive's schema, one migration per version. Both engines get the same
// tables; only the spelling of a few types differs.

#include <QStringList>
#include <QVariantList>

struct HoleFacts;

// Statements that take an archive from version - 1 to version (1-based).
QStringList archiveMigration(int version, bool postgres);
// A table's own id column, as each engine spells it.
QString archiveIdColumn(bool postgres);
// The newest version this program knows.
int archiveSchemaVersion();

class CArchiveDb;
// What a migration does with the rows already stored, after its statements
// and inside the same transaction; false with the reason.
bool archiveMigrationData(int version, CArchiveDb &db, QString *error);

// The statements that find or make a hole (project, hole) and a test (hole
// id, project folder, file name, test date, test time), giving its id: the
// import and the migration file tests alike.
QString archiveHoleUpsert();
QString archiveTestUpsert();

// The name a test is known by: its hole file's name without folder and
// extension ("Z1-2" of ".../Z1-2.CZO").
QString archivedTestName(const QString &fileName);

// The columns of a version that its file's facts fill (tester to override
// reason, in this order), and their values: the import and the office's
// re-judgement store a version alike.
QString archiveVersionFactColumns();
QVariantList archiveVersionFacts(const HoleFacts &facts);

// Makes a new version the hole's latest when its test is the hole's latest
// test. Values: version id, test id, "date time", length of the test's name,
// the test's name, test id.
QString archiveSetLatestVersion();
