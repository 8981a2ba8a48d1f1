#include "archiveschema.h"

#include "accessschema.h"
#include "archivedb.h"
#include "holefacts.h"
#include "signingschema.h"
#include "testseparation.h"

#include <QFileInfo>
#include <QPair>
#include <QSqlQuery>
#include <QVector>

namespace {
// Version 1: stored bytes by SHA-256, holes, tests, versions of a test, the
// companion files of a version, and the chained audit trail.
QStringList version1(bool pg)
{
    const QString id = archiveIdColumn(pg);
    const QString blob = pg ? QStringLiteral("BYTEA") : QStringLiteral("BLOB");
    QStringList s{
        QStringLiteral("CREATE TABLE blobs (sha256 CHAR(64) PRIMARY KEY, size BIGINT NOT NULL, content %1 NOT NULL)")
            .arg(blob),
        QStringLiteral("CREATE TABLE holes (id %1, project TEXT NOT NULL, hole TEXT NOT NULL, latest_version BIGINT,"
                       " UNIQUE (project, hole))")
            .arg(id),
        QStringLiteral("CREATE TABLE tests (id %1, hole_id BIGINT NOT NULL REFERENCES holes (id),"
                       " test_date TEXT NOT NULL, test_time TEXT NOT NULL, UNIQUE (hole_id, test_date, test_time))")
            .arg(id),
        QStringLiteral(
            "CREATE TABLE versions (id %1, test_id BIGINT NOT NULL REFERENCES tests (id), version INTEGER NOT NULL,"
            " sha256 CHAR(64) NOT NULL UNIQUE REFERENCES blobs (sha256), file_name TEXT NOT NULL, source TEXT NOT NULL,"
            " imported_at TEXT NOT NULL, imported_by TEXT NOT NULL, tester TEXT NOT NULL, test_unit TEXT NOT NULL,"
            " construction_unit TEXT NOT NULL, hole_depth INTEGER NOT NULL, max_depth INTEGER NOT NULL,"
            " move_distance INTEGER NOT NULL, thickness_cm INTEGER NOT NULL, quality INTEGER NOT NULL,"
            " limit_mm INTEGER, verdict TEXT, basis TEXT NOT NULL, position TEXT NOT NULL, sequence INTEGER NOT NULL,"
            " samples INTEGER NOT NULL, UNIQUE (test_id, version))")
            .arg(id),
        QStringLiteral("CREATE TABLE companions (id %1, version_id BIGINT NOT NULL REFERENCES versions (id),"
                       " name TEXT NOT NULL, sha256 CHAR(64) NOT NULL REFERENCES blobs (sha256),"
                       " UNIQUE (version_id, name))")
            .arg(id),
        QStringLiteral("CREATE TABLE audit (seq BIGINT PRIMARY KEY, at TEXT NOT NULL, who TEXT NOT NULL,"
                       " action TEXT NOT NULL, project TEXT NOT NULL, hole TEXT NOT NULL, detail TEXT NOT NULL,"
                       " sha256 TEXT NOT NULL, prev_hash CHAR(64) NOT NULL, hash CHAR(64) NOT NULL)"),
        QStringLiteral("CREATE INDEX holes_project ON holes (project)"),
        QStringLiteral("CREATE INDEX versions_test ON versions (test_id)"),
        QStringLiteral("CREATE INDEX companions_version ON companions (version_id)"),
        QStringLiteral("CREATE INDEX audit_project ON audit (project, hole)"),
        QStringLiteral("CREATE INDEX audit_sha256 ON audit (sha256)"),
    };
    // The trail is append-only for the program too: changing or removing an
    // entry needs the database's own tools (and verify then sees it).
    if (pg) {
        s << QStringLiteral("CREATE FUNCTION audit_append_only() RETURNS trigger LANGUAGE plpgsql AS"
                            " $$ BEGIN RAISE EXCEPTION 'the audit trail is append-only'; END $$")
          << QStringLiteral("CREATE TRIGGER audit_append_only BEFORE UPDATE OR DELETE ON audit"
                            " FOR EACH ROW EXECUTE FUNCTION audit_append_only()");
    } else {
        s << QStringLiteral("CREATE TRIGGER audit_no_update BEFORE UPDATE ON audit"
                            " BEGIN SELECT RAISE(ABORT, 'the audit trail is append-only'); END")
          << QStringLiteral("CREATE TRIGGER audit_no_delete BEFORE DELETE ON audit"
                            " BEGIN SELECT RAISE(ABORT, 'the audit trail is append-only'); END");
    }
    return s;
}

// Version 2: a test is its project folder, its file name (Z1-2 of Z1-2.CZO)
// and its test time. Older instruments stamped every test of one program run
// with the run's start time, so the time alone merged tests of one hole and
// even of other holes. The folder and file name of the tests already stored
// are filled in from their versions afterwards, and the tests version 1
// merged are separated (separateArchivedTests).
QStringList version2(bool pg)
{
    if (pg) {
        return {
            QStringLiteral("ALTER TABLE tests ADD COLUMN project_folder TEXT NOT NULL DEFAULT '',"
                           " ADD COLUMN file_name TEXT NOT NULL DEFAULT ''"),
            // The old key's name is the server's choice: look it up.
            QStringLiteral("DO $$ DECLARE c TEXT; BEGIN"
                           " SELECT conname INTO c FROM pg_constraint WHERE conrelid = 'tests'::regclass AND contype = 'u';"
                           " EXECUTE format('ALTER TABLE tests DROP CONSTRAINT %I', c); END $$"),
            QStringLiteral("ALTER TABLE tests ADD CONSTRAINT tests_identity"
                           " UNIQUE (hole_id, project_folder, file_name, test_date, test_time)"),
        };
    }
    // SQLite cannot drop a table's UNIQUE constraint: the table is made
    // again (foreign keys are off while the migrations run).
    return {
        QStringLiteral("CREATE TABLE tests_v2 (id INTEGER PRIMARY KEY, hole_id BIGINT NOT NULL REFERENCES holes (id),"
                       " test_date TEXT NOT NULL, test_time TEXT NOT NULL, project_folder TEXT NOT NULL DEFAULT '',"
                       " file_name TEXT NOT NULL DEFAULT '',"
                       " UNIQUE (hole_id, project_folder, file_name, test_date, test_time))"),
        QStringLiteral("INSERT INTO tests_v2 (id, hole_id, test_date, test_time)"
                       " SELECT id, hole_id, test_date, test_time FROM tests"),
        QStringLiteral("DROP TABLE tests"),
        QStringLiteral("ALTER TABLE tests_v2 RENAME TO tests"),
    };
}

// Version 4: the operator's override of a verdict and its reason
// (OverrideReason::key) beside each version. The versions already stored
// get them from their files afterwards (deriveOverrides).
QStringList version4(bool pg)
{
    const QString overridden = QStringLiteral("overridden INTEGER NOT NULL DEFAULT 0");
    const QString reason = QStringLiteral("override_reason TEXT NOT NULL DEFAULT ''");
    if (pg)
        return {QStringLiteral("ALTER TABLE versions ADD COLUMN %1, ADD COLUMN %2").arg(overridden, reason)};
    return {QStringLiteral("ALTER TABLE versions ADD COLUMN %1").arg(overridden),
            QStringLiteral("ALTER TABLE versions ADD COLUMN %1").arg(reason)};
}

// Version 6: a version made in the office by judging the one before it
// again: who, when and why, and the version it started from. Versions
// imported from an instrument leave them empty.
QStringList version6(bool pg)
{
    const QStringList columns{QStringLiteral("rejudged_by TEXT NOT NULL DEFAULT ''"),
                              QStringLiteral("rejudged_at TEXT NOT NULL DEFAULT ''"),
                              QStringLiteral("rejudge_reason TEXT NOT NULL DEFAULT ''"),
                              QStringLiteral("rejudged_from BIGINT")};
    if (pg)
        return {QStringLiteral("ALTER TABLE versions ADD COLUMN ") + columns.join(QStringLiteral(", ADD COLUMN "))};
    QStringList s;
    for (const QString &c : columns)
        s << QStringLiteral("ALTER TABLE versions ADD COLUMN ") + c;
    return s;
}

bool deriveOverrides(CArchiveDb &db, QString *error)
{
    QSqlQuery q = db.query();
    q.setForwardOnly(true);
    if (!db.exec(q,
                 QStringLiteral("SELECT v.id, v.file_name, b.content FROM versions v"
                                " JOIN blobs b ON b.sha256 = v.sha256 ORDER BY v.id"),
                 {}, error))
        return false;
    QVector<QPair<qint64, QString>> overridden;
    while (q.next()) {
        const HoleFactsResult read = readHoleFacts(q.value(2).toByteArray(), QString(), q.value(1).toString());
        if (read.ok && read.facts.overridden)
            overridden.append({q.value(0).toLongLong(), read.facts.overrideReason});
    }
    for (const auto &o : overridden) {
        QSqlQuery u = db.query();
        if (!db.exec(u, QStringLiteral("UPDATE versions SET overridden = 1, override_reason = ? WHERE id = ?"),
                     {o.second, o.first}, error))
            return false;
    }
    return true;
}

} // namespace

QString archiveIdColumn(bool postgres)
{
    return postgres ? QStringLiteral("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")
                    : QStringLiteral("INTEGER PRIMARY KEY");
}

int archiveSchemaVersion() { return 6; }

QStringList archiveMigration(int version, bool postgres)
{
    switch (version) {
    case 1:
        return version1(postgres);
    case 2:
        return version2(postgres);
    case 3:
        return signingMigration(postgres);
    case 4:
        return version4(postgres);
    case 5:
        return accessMigration(postgres);
    case 6:
        return version6(postgres);
    default:
        return QStringList();
    }
}

bool archiveMigrationData(int version, CArchiveDb &db, QString *error)
{
    switch (version) {
    case 2:
        return separateArchivedTests(db, error);
    case 4:
        return deriveOverrides(db, error);
    default:
        return true;
    }
}

QString archiveHoleUpsert()
{
    return QStringLiteral("INSERT INTO holes (project, hole) VALUES (?, ?) ON CONFLICT (project, hole)"
                          " DO UPDATE SET hole = excluded.hole RETURNING id");
}

QString archiveTestUpsert()
{
    return QStringLiteral("INSERT INTO tests (hole_id, project_folder, file_name, test_date, test_time)"
                          " VALUES (?, ?, ?, ?, ?) ON CONFLICT (hole_id, project_folder, file_name, test_date,"
                          " test_time) DO UPDATE SET test_time = excluded.test_time RETURNING id");
}

QString archivedTestName(const QString &fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

QString archiveVersionFactColumns()
{
    return QStringLiteral("tester, test_unit, construction_unit, hole_depth, max_depth, move_distance, thickness_cm,"
                          " quality, limit_mm, verdict, basis, position, sequence, samples, overridden, override_reason");
}

QVariantList archiveVersionFacts(const HoleFacts &f)
{
    return {f.tester, f.testUnit, f.constructionUnit, f.holeDepth, f.maxDepth, f.moveDistance, f.thicknessCm,
            f.quality, f.limitMm ? QVariant(*f.limitMm) : QVariant(QVariant::Int),
            f.verdict ? QVariant(*f.verdict) : QVariant(QVariant::String), f.basis, f.position, f.sequence,
            f.samples, int(f.overridden), f.overrideReason};
}

QString archiveSetLatestVersion()
{
    // The hole's latest test is the one with the latest test date and time;
    // of tests of one time (an older instrument's run), NAME-N after NAME
    // and a higher N later, then the one stored last, as holeHistory orders
    // them; among its versions, the newest.
    return QStringLiteral("UPDATE holes SET latest_version = ? WHERE id = (SELECT hole_id FROM tests"
                          " WHERE id = ?) AND (latest_version IS NULL"
                          " OR (CAST(? AS TEXT), CAST(? AS INTEGER), CAST(? AS TEXT), CAST(? AS BIGINT)) >="
                          " (SELECT t.test_date || ' ' || t.test_time, LENGTH(t.file_name), t.file_name, t.id"
                          " FROM versions v JOIN tests t ON t.id = v.test_id"
                          " WHERE v.id = holes.latest_version))");
}
