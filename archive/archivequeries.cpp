#include "archivequeries.h"

#include "projectsummary.h"

#include <QHash>
#include <QSqlQuery>
#include <algorithm>

namespace {
std::optional<int> optionalInt(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return std::nullopt;
    return v.toInt();
}

// LIKE pattern for "contains", with the wildcards of the text escaped.
QString containsPattern(const QString &text)
{
    QString t = text.toLower();
    t.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    t.replace(QLatin1Char('%'), QLatin1String("\\%"));
    t.replace(QLatin1Char('_'), QLatin1String("\\_"));
    return QLatin1Char('%') + t + QLatin1Char('%');
}
} // namespace

bool HoleRow::failed() const
{
    if (!verdict.isEmpty())
        return verdict == QLatin1String("fail");
    return quality != 0;
}

bool holeNameLess(const QString &a, const QString &b) { return naturalLess(a, b); }

bool listHoles(CArchiveDb &db, const QString &project, QVector<HoleRow> *out, QString *error)
{
    QSqlQuery q = db.query();
    q.setForwardOnly(true);
    if (!db.exec(q,
                 QStringLiteral("SELECT h.hole, t.test_date, t.test_time, v.thickness_cm, v.quality, v.limit_mm,"
                                " v.verdict, v.samples, v.id, v.version, v.sha256, v.file_name, v.overridden,"
                                " v.override_reason, v.rejudged_by"
                                " FROM holes h JOIN versions v ON v.id = h.latest_version"
                                " JOIN tests t ON t.id = v.test_id WHERE h.project = ?"),
                 {project}, error))
        return false;
    out->clear();
    while (q.next()) {
        HoleRow r;
        r.project = project;
        r.hole = q.value(0).toString();
        r.testDate = q.value(1).toString();
        r.testTime = q.value(2).toString();
        r.thicknessCm = q.value(3).toInt();
        r.quality = q.value(4).toInt();
        r.limitMm = optionalInt(q.value(5));
        r.verdict = q.value(6).toString();
        r.samples = q.value(7).toInt();
        r.versionId = q.value(8).toLongLong();
        r.version = q.value(9).toInt();
        r.sha256 = q.value(10).toString().trimmed();
        r.fileName = q.value(11).toString();
        r.overridden = q.value(12).toInt() != 0;
        r.overrideReason = q.value(13).toString();
        r.rejudgedBy = q.value(14).toString();
        out->append(r);
    }
    std::sort(out->begin(), out->end(), [](const HoleRow &a, const HoleRow &b) { return holeNameLess(a.hole, b.hole); });
    return true;
}

bool listProjects(CArchiveDb &db, QVector<ProjectRow> *out, QString *error)
{
    QSqlQuery q = db.query();
    if (!db.exec(q,
                 QStringLiteral("SELECT h.project, COUNT(DISTINCT h.id), COUNT(DISTINCT t.id), COUNT(v.id)"
                                " FROM holes h JOIN tests t ON t.hole_id = h.id JOIN versions v ON v.test_id = t.id"
                                " GROUP BY h.project ORDER BY h.project"),
                 {}, error))
        return false;
    out->clear();
    while (q.next()) {
        ProjectRow r;
        r.project = q.value(0).toString();
        r.holes = q.value(1).toInt();
        r.tests = q.value(2).toInt();
        r.versions = q.value(3).toInt();
        out->append(r);
    }
    // Failed holes need the verdict rule of the latest versions.
    QSqlQuery f = db.query();
    if (!db.exec(f,
                 QStringLiteral("SELECT h.project, v.quality, v.verdict FROM holes h"
                                " JOIN versions v ON v.id = h.latest_version"),
                 {}, error))
        return false;
    QHash<QString, int> passed, failed, notJudged;
    while (f.next()) {
        HoleRow r;
        r.quality = f.value(1).toInt();
        r.verdict = f.value(2).toString();
        const QString project = f.value(0).toString();
        if (r.failed())
            ++failed[project];
        else if (r.verdict == QLatin1String("not judged"))
            ++notJudged[project];
        else
            ++passed[project];
    }
    for (ProjectRow &r : *out) {
        r.passed = passed.value(r.project);
        r.failed = failed.value(r.project);
        r.notJudged = notJudged.value(r.project);
    }
    return true;
}

bool holeHistory(CArchiveDb &db, const QString &project, const QString &hole, QVector<VersionRow> *out,
                 QString *error)
{
    QSqlQuery q = db.query();
    if (!db.exec(q,
                 QStringLiteral("SELECT v.id, t.test_date, t.test_time, v.version, v.sha256, b.size, v.file_name,"
                                " v.source, v.imported_at, v.imported_by, v.tester, v.thickness_cm, v.quality,"
                                " v.limit_mm, v.verdict, v.samples, t.id, t.file_name, t.project_folder, v.overridden,"
                                " v.override_reason, v.rejudged_by, v.rejudged_at, v.rejudge_reason, v.rejudged_from"
                                " FROM holes h JOIN tests t ON t.hole_id = h.id JOIN versions v ON v.test_id = t.id"
                                " JOIN blobs b ON b.sha256 = v.sha256"
                                " WHERE h.project = ? AND h.hole = ?"
                                " ORDER BY t.test_date, t.test_time, LENGTH(t.file_name), t.file_name, t.id, v.version"),
                 {project, hole}, error))
        return false;
    out->clear();
    QHash<qint64, int> index;
    while (q.next()) {
        VersionRow r;
        r.id = q.value(0).toLongLong();
        r.testDate = q.value(1).toString();
        r.testTime = q.value(2).toString();
        r.version = q.value(3).toInt();
        r.sha256 = q.value(4).toString().trimmed();
        r.size = q.value(5).toLongLong();
        r.fileName = q.value(6).toString();
        r.source = q.value(7).toString();
        r.importedAt = q.value(8).toString();
        r.importedBy = q.value(9).toString();
        r.tester = q.value(10).toString();
        r.thicknessCm = q.value(11).toInt();
        r.quality = q.value(12).toInt();
        r.limitMm = optionalInt(q.value(13));
        r.verdict = q.value(14).toString();
        r.samples = q.value(15).toInt();
        r.testId = q.value(16).toLongLong();
        r.testName = q.value(17).toString();
        r.projectFolder = q.value(18).toString();
        r.overridden = q.value(19).toInt() != 0;
        r.overrideReason = q.value(20).toString();
        r.rejudgedBy = q.value(21).toString();
        r.rejudgedAt = q.value(22).toString();
        r.rejudgeReason = q.value(23).toString();
        r.rejudgedFrom = q.value(24).toLongLong();
        index.insert(r.id, out->size());
        out->append(r);
    }
    if (out->isEmpty())
        return true;
    QSqlQuery c = db.query();
    if (!db.exec(c,
                 QStringLiteral("SELECT c.version_id, c.name, c.sha256, b.size FROM companions c"
                                " JOIN versions v ON v.id = c.version_id JOIN tests t ON t.id = v.test_id"
                                " JOIN holes h ON h.id = t.hole_id JOIN blobs b ON b.sha256 = c.sha256"
                                " WHERE h.project = ? AND h.hole = ? ORDER BY c.name"),
                 {project, hole}, error))
        return false;
    while (c.next()) {
        const int i = index.value(c.value(0).toLongLong(), -1);
        if (i >= 0)
            (*out)[i].companions.append({c.value(1).toString(), c.value(2).toString().trimmed(), c.value(3).toLongLong()});
    }
    return true;
}

bool storedBytes(CArchiveDb &db, const QString &sha256, QByteArray *out, QString *error)
{
    QSqlQuery q = db.query();
    if (!db.exec(q, QStringLiteral("SELECT content FROM blobs WHERE sha256 = ?"), {sha256}, error))
        return false;
    if (!q.next()) {
        *error = QStringLiteral("no stored file has the SHA-256 %1").arg(sha256);
        return false;
    }
    *out = q.value(0).toByteArray();
    return true;
}

bool whereFiled(CArchiveDb &db, const QString &sha256, QVector<FiledAs> *out, QString *error)
{
    const QString from = QStringLiteral(" JOIN tests t ON t.id = v.test_id JOIN holes h ON h.id = t.hole_id");
    QSqlQuery q = db.query();
    if (!db.exec(q,
                 QStringLiteral("SELECT v.file_name, h.project, h.hole, t.test_date, t.test_time, v.version"
                                " FROM versions v%1 WHERE v.sha256 = ? UNION ALL"
                                " SELECT c.name, h.project, h.hole, t.test_date, t.test_time, v.version"
                                " FROM companions c JOIN versions v ON v.id = c.version_id%1 WHERE c.sha256 = ?")
                     .arg(from),
                 {sha256, sha256}, error))
        return false;
    out->clear();
    while (q.next())
        out->append({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                     q.value(4).toString(), q.value(5).toInt()});
    return true;
}

bool versionFiles(CArchiveDb &db, qint64 versionId, QVector<StoredFile> *out, QString *error)
{
    QSqlQuery q = db.query();
    if (!db.exec(q,
                 QStringLiteral("SELECT v.file_name, v.sha256, b.content FROM versions v"
                                " JOIN blobs b ON b.sha256 = v.sha256 WHERE v.id = ?"
                                " UNION ALL SELECT c.name, c.sha256, b.content FROM companions c"
                                " JOIN blobs b ON b.sha256 = c.sha256 WHERE c.version_id = ?"),
                 {versionId, versionId}, error))
        return false;
    out->clear();
    while (q.next())
        out->append({q.value(0).toString(), q.value(1).toString().trimmed(), q.value(2).toByteArray()});
    if (out->isEmpty()) {
        *error = QStringLiteral("no such version");
        return false;
    }
    return true;
}

bool findInArchive(CArchiveDb &db, const QString &text, QVector<FoundHole> *out, QString *error)
{
    const QString p = containsPattern(text.trimmed());
    QSqlQuery q = db.query();
    const QString like = QStringLiteral(" LIKE ? ESCAPE '\\'");
    if (!db.exec(q,
                 QStringLiteral("SELECT DISTINCT h.project, h.hole, v.tester, v.test_unit, v.construction_unit"
                                " FROM holes h JOIN tests t ON t.hole_id = h.id JOIN versions v ON v.test_id = t.id"
                                " WHERE LOWER(h.project)%1 OR LOWER(h.hole)%1 OR LOWER(v.tester)%1"
                                " OR LOWER(v.test_unit)%1 OR LOWER(v.construction_unit)%1")
                     .arg(like),
                 {p, p, p, p, p}, error))
        return false;
    const QString needle = text.trimmed();
    QMap<QPair<QString, QString>, QStringList> found;
    while (q.next()) {
        const QStringList labels{QStringLiteral("project"), QStringLiteral("hole"), QStringLiteral("tester"),
                                 QStringLiteral("test unit"), QStringLiteral("construction unit")};
        QStringList &matched = found[qMakePair(q.value(0).toString(), q.value(1).toString())];
        for (int i = 0; i < labels.size(); ++i) {
            const QString value = q.value(i).toString();
            const QString m = QStringLiteral("%1 %2").arg(labels.at(i), value);
            if (value.contains(needle, Qt::CaseInsensitive) && !matched.contains(m))
                matched << m;
        }
    }
    out->clear();
    for (auto it = found.cbegin(); it != found.cend(); ++it)
        out->append({it.key().first, it.key().second, it.value().join(QStringLiteral(", "))});
    std::stable_sort(out->begin(), out->end(), [](const FoundHole &a, const FoundHole &b) {
        return a.project != b.project ? a.project < b.project : holeNameLess(a.hole, b.hole);
    });
    return true;
}

const VersionRow *pickVersion(const QVector<VersionRow> &history, int version, const QString &test)
{
    // History runs from the oldest test to the latest: the last test named
    // wins, so a time that older instruments gave several tests picks the
    // latest of them.
    qint64 testId = -1;
    for (const VersionRow &r : history) {
        if (test.isEmpty() || r.testDate + QLatin1Char(' ') + r.testTime == test
            || r.testName.compare(test, Qt::CaseInsensitive) == 0)
            testId = r.testId;
    }
    if (testId < 0)
        return nullptr;
    const VersionRow *best = nullptr;
    for (const VersionRow &r : history) {
        if (r.testId != testId)
            continue;
        if (version == 0 ? (!best || r.version > best->version) : r.version == version)
            best = &r;
    }
    return best;
}

const VersionRow *instrumentJudgement(const QVector<VersionRow> &history, const VersionRow &version)
{
    const VersionRow *at = &version;
    // Each step goes to an older version: the chain ends within the history.
    for (int steps = 0; at && at->officeRejudgement() && steps < history.size(); ++steps) {
        const qint64 from = at->rejudgedFrom;
        at = nullptr;
        for (const VersionRow &r : history) {
            if (r.id == from)
                at = &r;
        }
    }
    return at && !at->officeRejudgement() ? at : nullptr;
}
