#include "archiveverify.h"

#include "filingcheck.h"
#include "manifestcheck.h"
#include "officerejudge.h"
#include "storedbytescheck.h"

#include <QHash>
#include <QSqlQuery>

namespace {
// Names of the files stored under each SHA-256, for the messages.
bool fileNames(CArchiveDb &db, QHash<QString, QString> *names, QString *error)
{
    QSqlQuery q = db.query();
    if (!db.exec(q,
                 QStringLiteral("SELECT v.sha256, h.project, h.hole, v.file_name FROM versions v"
                                " JOIN tests t ON t.id = v.test_id JOIN holes h ON h.id = t.hole_id"
                                " UNION ALL SELECT c.sha256, h.project, h.hole, c.name FROM companions c"
                                " JOIN versions v ON v.id = c.version_id JOIN tests t ON t.id = v.test_id"
                                " JOIN holes h ON h.id = t.hole_id"),
                 {}, error))
        return false;
    while (q.next())
        names->insert(q.value(0).toString().trimmed(),
                      QStringLiteral("%1 / %2 / %3").arg(q.value(1).toString(), q.value(2).toString(),
                                                         q.value(3).toString()));
    return true;
}
} // namespace

bool verifyArchive(CArchiveDb &db, VerifyReport *report, QString *error, const QString &keptHead)
{
    VerifyReport r;
    // Every stored file is read once: a hole file with its version's fields
    // (checkDerivedFields), every other one here.
    CStoredBytesCheck stored;
    {
        QSqlQuery q = db.query();
        q.setForwardOnly(true);
        if (!db.exec(q,
                     QStringLiteral("SELECT b.sha256, b.size, b.content FROM blobs b"
                                    " WHERE NOT EXISTS (SELECT 1 FROM versions v WHERE v.sha256 = b.sha256)"),
                     {}, error))
            return false;
        while (q.next())
            stored.add(q.value(0).toString().trimmed(), q.value(1).toLongLong(), q.value(2).toByteArray());
    }
    QStringList unentered;
    {
        // A version without its import entry: the entry was removed.
        QSqlQuery q = db.query();
        if (!db.exec(q,
                     QStringLiteral("SELECT v.sha256 FROM versions v WHERE NOT EXISTS (SELECT 1 FROM audit a"
                                    " WHERE a.sha256 = v.sha256 AND a.action IN ('import', 'version', 'rejudge'))"),
                     {}, error))
            return false;
        while (q.next())
            unentered << q.value(0).toString().trimmed();
    }
    ManifestAudit manifests;
    if (!auditStoredManifests(db, &manifests, error))
        return false;
    r.manifests = manifests.checked;
    r.faults << manifests.faults;
    const auto storedHoleFile = [&stored](const QString &sha, qint64 size, const QByteArray &bytes) {
        stored.add(sha, size, bytes);
    };
    if (!checkTrailFiling(db, &r.faults, error) || !checkDerivedFields(db, &r.faults, &r.versions, error, storedHoleFile)
        || !checkOfficeVersions(db, &r.faults, &r.officeVersions, error))
        return false;
    const QVector<CStoredBytesCheck::Altered> altered = stored.finish();
    r.files = stored.files();
    r.bytes = stored.bytes();
    if (!altered.isEmpty() || !unentered.isEmpty()) {
        // The files' names are needed for these messages only; they come
        // first, as the faults beneath all others.
        QHash<QString, QString> names;
        if (!fileNames(db, &names, error))
            return false;
        QStringList first;
        for (const CStoredBytesCheck::Altered &a : altered)
            first << QStringLiteral("stored bytes of %1 (SHA-256 %2) were altered: they now hash to %3")
                         .arg(names.value(a.sha, QStringLiteral("an unlisted file")), a.sha, a.actual);
        for (const QString &sha : qAsConst(unentered))
            first << QStringLiteral("%1 (SHA-256 %2) has no import entry in the audit trail").arg(names.value(sha), sha);
        r.faults = first + r.faults;
    }
    if (!checkAuditChain(db, &r.chain, error, keptHead))
        return false;
    r.faults << r.chain.faults;
    r.head = r.chain.headHash;

    const QString detail = QStringLiteral("%1 files, %2 bytes, %3 versions, %4 manifests, %5 audit entries: %6")
                               .arg(QString::number(r.files), QString::number(r.bytes), QString::number(r.versions),
                                    QString::number(r.manifests), QString::number(r.chain.entries),
                                    r.ok() ? QStringLiteral("all correct")
                                           : QStringLiteral("%1 faults").arg(r.faults.size()));
    // Not recorded (a read-only archive): the head stays the one checked.
    appendAuditEntry(db, QStringLiteral("verify"), QString(), QString(), detail, r.chain.headHash, &r.head,
                     &r.notRecorded);
    *report = r;
    return true;
}
