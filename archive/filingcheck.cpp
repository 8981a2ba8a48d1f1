#include "filingcheck.h"

#include "archiveschema.h"
#include "holefacts.h"

#include <QHash>
#include <QSqlQuery>
#include <QVariant>

namespace {
QString orNone(const QVariant &v) { return v.isNull() ? QStringLiteral("none") : v.toString(); }

template <typename T>
QString orNone(const std::optional<T> &v)
{
    return v ? QVariant::fromValue(*v).toString() : QStringLiteral("none");
}

struct Field {
    const char *name;
    QString stored;
    QString derived;
};
} // namespace

bool checkDerivedFields(CArchiveDb &db, QStringList *faults, qint64 *checked, QString *error,
                        const std::function<void(const QString &sha, qint64 size, const QByteArray &bytes)> &storedFile)
{
    QSqlQuery q = db.query();
    q.setForwardOnly(true);
    if (!db.exec(q,
                 QStringLiteral("SELECT h.project, h.hole, v.file_name, v.version, t.project_folder, t.file_name,"
                                " t.test_date, t.test_time, v.tester, v.test_unit, v.construction_unit, v.hole_depth,"
                                " v.max_depth, v.move_distance, v.thickness_cm, v.quality, v.limit_mm, v.verdict,"
                                " v.basis, v.position, v.sequence, v.samples, b.content, v.overridden, v.override_reason,"
                                " b.sha256, b.size"
                                " FROM versions v JOIN tests t ON t.id = v.test_id JOIN holes h ON h.id = t.hole_id"
                                " JOIN blobs b ON b.sha256 = v.sha256 ORDER BY v.id"),
                 {}, error))
        return false;
    while (q.next()) {
        const QString project = q.value(0).toString();
        const QString hole = q.value(1).toString();
        const QString fileName = q.value(2).toString();
        const QString where = QStringLiteral("%1 / %2 / %3 version %4")
                                  .arg(project, hole, fileName, q.value(3).toString());
        ++*checked;
        const QByteArray bytes = q.value(22).toByteArray();
        if (storedFile)
            storedFile(q.value(25).toString().trimmed(), q.value(26).toLongLong(), bytes);
        const HoleFactsResult read = readHoleFacts(bytes, q.value(4).toString(), fileName);
        if (!read.ok) {
            *faults << QStringLiteral("%1: the stored file no longer reads (%2)").arg(where, read.reason);
            continue;
        }
        const HoleFacts &f = read.facts;
        // The hole follows from the file alone unless the rule of repeats
        // needed the names beside it at import; the trail vouches for those.
        bool needsFolder = false;
        const QString derivedHole = archivedHoleOf(f, fileName, [&needsFolder] {
            needsFolder = true;
            return QStringList();
        });
        const QVector<Field> fields{
            {"project", project, f.project},
            {"hole", hole, needsFolder ? hole : derivedHole},
            {"test name", q.value(5).toString(), archivedTestName(fileName)},
            {"test date", q.value(6).toString(), f.testDate},
            {"test time", q.value(7).toString(), f.testTime},
            {"tester", q.value(8).toString(), f.tester},
            {"test unit", q.value(9).toString(), f.testUnit},
            {"construction unit", q.value(10).toString(), f.constructionUnit},
            {"hole depth", q.value(11).toString(), QString::number(f.holeDepth)},
            {"maximum depth", q.value(12).toString(), QString::number(f.maxDepth)},
            {"move distance", q.value(13).toString(), QString::number(f.moveDistance)},
            {"thickness", q.value(14).toString(), QString::number(f.thicknessCm)},
            {"quality", q.value(15).toString(), QString::number(f.quality)},
            {"limit", orNone(q.value(16)), orNone(f.limitMm)},
            {"verdict", orNone(q.value(17)), orNone(f.verdict)},
            {"basis", q.value(18).toString(), f.basis},
            {"position", q.value(19).toString(), f.position},
            {"sequence", q.value(20).toString(), QString::number(f.sequence)},
            {"samples", q.value(21).toString(), QString::number(f.samples)},
            {"override", q.value(23).toString(), QString::number(int(f.overridden))},
            {"override reason", q.value(24).toString(), f.overrideReason},
        };
        for (const Field &field : fields) {
            if (field.stored != field.derived)
                *faults << QStringLiteral("%1: the archive keeps %2 \"%3\", the stored file says \"%4\"")
                               .arg(where, QLatin1String(field.name), field.stored, field.derived);
        }
    }

    // The version holes, the pages and the summary start from: the end of
    // the hole's history (holeHistory's order).
    QSqlQuery latest = db.query();
    if (!db.exec(latest,
                 QStringLiteral("SELECT h.project, h.hole, h.latest_version, (SELECT v.id FROM tests t"
                                " JOIN versions v ON v.test_id = t.id WHERE t.hole_id = h.id"
                                " ORDER BY t.test_date DESC, t.test_time DESC, LENGTH(t.file_name) DESC,"
                                " t.file_name DESC, t.id DESC, v.version DESC LIMIT 1) FROM holes h"),
                 {}, error))
        return false;
    while (latest.next()) {
        const QVariant kept = latest.value(2);
        const QVariant expected = latest.value(3);
        if (expected.isNull() && kept.isNull())
            continue;
        if (kept.isNull() != expected.isNull() || kept.toLongLong() != expected.toLongLong())
            *faults << QStringLiteral("%1 / %2: the archive shows version row %3 as the latest, its history ends"
                                      " with row %4")
                           .arg(latest.value(0).toString(), latest.value(1).toString(), orNone(kept),
                                orNone(expected));
    }
    return true;
}

bool checkTrailFiling(CArchiveDb &db, QStringList *faults, QString *error)
{
    struct Filed {
        QString project;
        QString hole;
        QString file;
        qint64 seq = 0;
    };
    // Where each file went by the trail: its last import, version, refile or
    // re-judgement.
    QHash<QString, Filed> byTrail;
    QStringList order;
    QSqlQuery t = db.query();
    t.setForwardOnly(true);
    if (!db.exec(t,
                 QStringLiteral("SELECT seq, project, hole, sha256, detail FROM audit"
                                " WHERE action IN ('import', 'version', 'refile', 'rejudge') ORDER BY seq"),
                 {}, error))
        return false;
    while (t.next()) {
        const QString sha = t.value(3).toString().trimmed();
        if (!byTrail.contains(sha))
            order << sha;
        const QString detail = t.value(4).toString();
        const int from = detail.indexOf(QLatin1String(" from "));
        byTrail[sha] = {t.value(1).toString(), t.value(2).toString(), from > 0 ? detail.left(from) : QString(),
                        t.value(0).toLongLong()};
    }
    QHash<QString, QPair<QString, QString>> byArchive;
    QSqlQuery v = db.query();
    v.setForwardOnly(true);
    if (!db.exec(v,
                 QStringLiteral("SELECT v.sha256, h.project, h.hole FROM versions v JOIN tests t ON t.id = v.test_id"
                                " JOIN holes h ON h.id = t.hole_id"),
                 {}, error))
        return false;
    while (v.next())
        byArchive.insert(v.value(0).toString().trimmed(), {v.value(1).toString(), v.value(2).toString()});
    for (const QString &sha : qAsConst(order)) {
        const Filed &f = byTrail.value(sha);
        const QString what = QStringLiteral("%1 (SHA-256 %2), filed under %3 / %4 by audit entry %5")
                                 .arg(f.file, sha, f.project, f.hole, QString::number(f.seq));
        const auto it = byArchive.constFind(sha);
        if (it == byArchive.constEnd())
            *faults << QStringLiteral("%1, is no longer in the archive").arg(what);
        else if (it->first != f.project || it->second != f.hole)
            *faults << QStringLiteral("%1, is now under %2 / %3").arg(what, it->first, it->second);
    }
    return true;
}
