#include "officerejudge.h"

#include "archiveschema.h"
#include "audittrail.h"
#include "holefacts.h"
#include "holefile.h"
#include "reportdata.h"
#include "verdict.h"

#include <QDateTime>
#include <QSqlQuery>

namespace {
constexpr int LargestThicknessCm = 10000; // 100 m: deeper than any hole
constexpr int LargestDesignLimitMm = 100000;

RejudgeResult refused(RejudgeResult::Status status, const QString &message)
{
    RejudgeResult r;
    r.status = status;
    r.message = message;
    return r;
}

// The judgement of a record: what the office may change, all else stays.
void copyJudgement(const CtrlInfo &from, CtrlInfo &to)
{
    to.sedimentThickness = from.sedimentThickness.load();
    to.holeQuality = from.holeQuality.load();
    const HoleAcceptance &a = from.acceptance;
    HoleAcceptance &b = to.acceptance;
    b.designLimitMm = a.designLimitMm;
    b.code = a.code;
    b.pileType = a.pileType;
    b.limitMm = a.limitMm;
    b.verdict = a.verdict;
    b.overridden = a.overridden;
    b.overrideReason = a.overrideReason;
    b.awaitingJudgement = a.awaitingJudgement;
}

QString judgementText(const CtrlInfo &info)
{
    const QString limit = info.acceptance.limitMm >= 0 ? QString::number(info.acceptance.limitMm) : QStringLiteral("none");
    return QStringLiteral("thickness %1 cm, limit %2 mm, verdict %3")
        .arg(QString::number(info.sedimentThickness), limit, verdictKey(finalVerdict(info)));
}
} // namespace

bool applyOfficeJudgement(CtrlInfo &info, const OfficeJudgement &j, const CPileLimits &table, QString *why)
{
    if (j.thicknessCm < 0 || j.thicknessCm > LargestThicknessCm) {
        *why = QStringLiteral("the thickness must be a whole number of centimetres from 0 to %1").arg(LargestThicknessCm);
        return false;
    }
    if (j.quality && *j.quality != 0 && *j.quality != 1) {
        *why = QStringLiteral("the hole quality is 0 (qualified) or 1 (unqualified)");
        return false;
    }
    if (j.designLimitMm && (*j.designLimitMm <= 0 || *j.designLimitMm > LargestDesignLimitMm)) {
        *why = QStringLiteral("the design limit must be a whole number of millimetres from 1 to %1").arg(LargestDesignLimitMm);
        return false;
    }
    if (j.code.isEmpty() != j.pileType.isEmpty()) {
        *why = QStringLiteral("a basis from the limits table needs both the code and the pile type");
        return false;
    }
    if (j.designLimitMm && !j.code.isEmpty()) {
        *why = QStringLiteral("give either a design limit or a basis from the limits table, not both");
        return false;
    }
    if (j.overrideReason < OverrideReason::RetestPassed || j.overrideReason > OverrideReason::Last) {
        *why = QStringLiteral("unknown override reason");
        return false;
    }
    HoleAcceptance &a = info.acceptance;
    const bool newBasis = j.designLimitMm || !j.code.isEmpty();
    if (j.designLimitMm) {
        a.designLimitMm = *j.designLimitMm;
    } else if (!j.code.isEmpty()) {
        a.designLimitMm = 0;
        a.code = j.code;
        a.pileType = j.pileType;
    }
    info.sedimentThickness = j.thicknessCm;
    // The limit the file kept stands (the table the instrument judged with
    // may differ from this one) unless the basis is new or had no limit.
    int32_t limit = a.limitMm;
    if (newBasis || limit < 0)
        limit = pickLimit(table, a, info.holeDiameter, info.holeDepth).limitMm;
    if (!j.code.isEmpty() && limit < 0) {
        *why = QStringLiteral("the limits table has no row for %1 %2 that holds for this hole").arg(j.code, j.pileType);
        return false;
    }
    applyLimit(info, limit);
    if (j.quality)
        chooseHoleQuality(info, *j.quality, j.overrideReason);
    return true;
}

RejudgeResult rejudgeInOffice(CArchiveDb &db, const OfficeRejudgement &r, const CPileLimits &table)
{
    const QString reason = r.reason.trimmed();
    const QString by = r.by.trimmed();
    if (reason.isEmpty())
        return refused(RejudgeResult::Invalid, QStringLiteral("a re-judgement needs a reason"));
    if (reason.size() > LongestRejudgeReason)
        return refused(RejudgeResult::Invalid,
                       QStringLiteral("the reason is longer than %1 characters").arg(LongestRejudgeReason));
    if (by.isEmpty())
        return refused(RejudgeResult::Invalid, QStringLiteral("a re-judgement needs the name of who made it"));

    QString error;
    if (!db.begin(&error) || !db.lockForWriting(&error)) {
        db.rollback();
        return refused(RejudgeResult::ArchiveFault, error);
    }
    // Everything below runs in the transaction; any return before the
    // commit rolls it back.
    auto fail = [&db](RejudgeResult::Status status, const QString &message) {
        db.rollback();
        return refused(status, message);
    };
    QSqlQuery q = db.query();
    if (!db.exec(q,
                 QStringLiteral("SELECT v.version, v.test_id, v.file_name, b.content, t.test_date, t.test_time,"
                                " t.file_name, (SELECT MAX(w.version) FROM versions w WHERE w.test_id = v.test_id)"
                                " FROM versions v JOIN tests t ON t.id = v.test_id JOIN holes h ON h.id = t.hole_id"
                                " JOIN blobs b ON b.sha256 = v.sha256 WHERE v.id = ? AND h.project = ? AND h.hole = ?"),
                 {r.versionId, r.project, r.hole}, &error))
        return fail(RejudgeResult::ArchiveFault, error);
    if (!q.next())
        return fail(RejudgeResult::NotFound, QStringLiteral("hole %1 of project %2 has no version row %3")
                                                 .arg(r.hole, r.project, QString::number(r.versionId)));
    const int version = q.value(0).toInt();
    const qint64 testId = q.value(1).toLongLong();
    const QString fileName = q.value(2).toString();
    const QByteArray bytes = q.value(3).toByteArray();
    const QString testDate = q.value(4).toString();
    const QString testTime = q.value(5).toString();
    const QString testName = q.value(6).toString();
    const int newest = q.value(7).toInt();
    q.finish();
    if (newest != version)
        return fail(RejudgeResult::Stale, QStringLiteral("version %1 of this test is no longer its newest: version %2"
                                                         " came after it")
                                              .arg(QString::number(version), QString::number(newest)));

    CtrlInfo info;
    const HoleLoadResult load = decodeHoleFile(bytes, info);
    if (!load.ok)
        return fail(RejudgeResult::Invalid, QStringLiteral("the stored file does not read: %1").arg(load.errorText()));
    RejudgeResult result;
    result.oldVerdict = verdictKey(finalVerdict(info));
    const QString before = judgementText(info);
    if (!applyOfficeJudgement(info, r.judgement, table, &error))
        return fail(RejudgeResult::Invalid, error);
    result.newVerdict = verdictKey(finalVerdict(info));

    // The instrument's writer, the instrument's bytes: only the judgement differs.
    const QByteArray written = encodeHoleFile(info, load.samples);
    const QString sha = sha256Hex(written);
    if (!db.exec(q, QStringLiteral("SELECT version FROM versions WHERE sha256 = ?"), {sha}, &error))
        return fail(RejudgeResult::ArchiveFault, error);
    if (q.next())
        return fail(RejudgeResult::Unchanged,
                    QStringLiteral("this judgement is stored already, as version %1").arg(q.value(0).toString()));
    const HoleFactsResult read = readHoleFacts(written, QString(), fileName);
    if (!read.ok)
        return fail(RejudgeResult::ArchiveFault, QStringLiteral("the re-judged file does not read: %1").arg(read.reason));

    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    const QString source = QStringLiteral("office re-judgement");
    if (!db.exec(q, QStringLiteral("INSERT INTO blobs (sha256, size, content) VALUES (?, ?, ?) ON CONFLICT (sha256) DO NOTHING"),
                 {sha, written.size(), written}, &error)
        || !db.exec(q,
                    QStringLiteral("INSERT INTO versions (test_id, version, sha256, file_name, source, imported_at,"
                                   " imported_by, %1, rejudged_by, rejudged_at, rejudge_reason, rejudged_from)"
                                   " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
                                   " RETURNING id")
                        .arg(archiveVersionFactColumns()),
                    QVariantList{testId, version + 1, sha, fileName, source, now, by}
                        + archiveVersionFacts(read.facts) + QVariantList{by, now, reason, r.versionId},
                    &error))
        return fail(RejudgeResult::ArchiveFault, error);
    if (!q.next())
        return fail(RejudgeResult::ArchiveFault, QStringLiteral("the new version was not stored"));
    result.versionId = q.value(0).toLongLong();
    result.version = version + 1;
    q.finish();
    if (!db.exec(q, archiveSetLatestVersion(),
                 {result.versionId, testId, testDate + QLatin1Char(' ') + testTime, testName.size(), testName, testId},
                 &error))
        return fail(RejudgeResult::ArchiveFault, error);

    CAuditTrail trail(db);
    trail.setWho(by);
    QString detail = QStringLiteral("%1 from office re-judgement: test %2 %3, version %4 from version %5; was %6,"
                                    " now %7; reason: %8")
                         .arg(fileName, testDate, testTime, QString::number(result.version), QString::number(version),
                              before, judgementText(info), reason);
    if (!r.via.isEmpty())
        detail += QStringLiteral("; through %1").arg(r.via);
    if (!trail.append(QStringLiteral("rejudge"), r.project, r.hole, detail, sha, &error))
        return fail(RejudgeResult::ArchiveFault, error);
    if (!db.commit(&error))
        return fail(RejudgeResult::ArchiveFault, error);
    result.status = RejudgeResult::Done;
    return result;
}

bool checkOfficeVersions(CArchiveDb &db, QStringList *faults, qint64 *checked, QString *error)
{
    QSqlQuery q = db.query();
    q.setForwardOnly(true);
    if (!db.exec(q,
                 QStringLiteral("SELECT h.project, h.hole, v.file_name, v.version, b.content, f.content, f.test_id,"
                                " v.test_id, f.version FROM versions v JOIN tests t ON t.id = v.test_id"
                                " JOIN holes h ON h.id = t.hole_id JOIN blobs b ON b.sha256 = v.sha256"
                                " LEFT JOIN (SELECT w.id, w.test_id, w.version, c.content FROM versions w"
                                " JOIN blobs c ON c.sha256 = w.sha256) f ON f.id = v.rejudged_from"
                                " WHERE v.rejudged_by <> '' ORDER BY v.id"),
                 {}, error))
        return false;
    while (q.next()) {
        ++*checked;
        const QString where = QStringLiteral("%1 / %2 / %3 version %4")
                                  .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                                       q.value(3).toString());
        if (q.value(5).isNull() || q.value(6).toLongLong() != q.value(7).toLongLong()
            || q.value(8).toInt() >= q.value(3).toInt()) {
            *faults << QStringLiteral("%1: an office re-judgement whose earlier version of the same test is missing")
                           .arg(where);
            continue;
        }
        CtrlInfo judged, earlier;
        const HoleLoadResult now = decodeHoleFile(q.value(4).toByteArray(), judged);
        const HoleLoadResult then = decodeHoleFile(q.value(5).toByteArray(), earlier);
        if (!now.ok || !then.ok)
            continue; // the derived-fields check reports a file that no longer reads
        copyJudgement(judged, earlier);
        if (encodeHoleFile(earlier, then.samples) != q.value(4).toByteArray())
            *faults << QStringLiteral("%1: an office re-judgement that changed more than the judgement of version %2")
                           .arg(where, q.value(8).toString());
    }
    return true;
}
