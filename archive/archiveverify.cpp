#include "archiveverify.h"

#include "filingcheck.h"
#include "manifestcheck.h"
#include "officerejudge.h"

#include "sha256.h"

#include <QHash>
#include <QSqlQuery>
#include <QThread>
#include <thread>
#include <vector>

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
    // Faults found while a query streams; named after it (the files' names
    // are needed for these messages only).
    struct Altered {
        QString sha, actual;
    };
    QVector<Altered> altered;
    QStringList unentered;
    {
        // Stored files are read in batches of a few megabytes and each batch
        // is hashed on every core while the next is fetched.
        QSqlQuery q = db.query();
        q.setForwardOnly(true);
        if (!db.exec(q, QStringLiteral("SELECT sha256, size, content FROM blobs"), {}, error))
            return false;
        struct Stored {
            QString sha;
            qint64 size;
            QByteArray bytes;
            QByteArray actual;
        };
        const int workers = qMax(1, QThread::idealThreadCount());
        auto hashAll = [workers](QVector<Stored> *batch) {
            std::vector<std::thread> pool;
            for (int w = 0; w < workers; ++w) {
                pool.emplace_back([batch, w, workers] {
                    for (int i = w; i < batch->size(); i += workers) {
                        Stored &s = (*batch)[i];
                        s.actual = sha256Digest(s.bytes).toHex();
                    }
                });
            }
            for (std::thread &t : pool)
                t.join();
        };
        auto check = [&](QVector<Stored> &batch) {
            for (const Stored &s : batch) {
                const QString actual = QString::fromLatin1(s.actual);
                if (actual != s.sha || s.bytes.size() != s.size)
                    altered.append({s.sha, actual});
                ++r.files;
                r.bytes += s.bytes.size();
            }
            batch.clear();
        };
        constexpr qint64 kBatchBytes = 8 * 1024 * 1024;
        QVector<Stored> batch, hashing;
        std::thread running;
        qint64 batchBytes = 0;
        auto flush = [&] {
            if (running.joinable()) {
                running.join();
                check(hashing);
            }
            hashing.swap(batch);
            batchBytes = 0;
            running = std::thread([&hashing, &hashAll] { hashAll(&hashing); });
        };
        while (q.next()) {
            Stored s{q.value(0).toString().trimmed(), q.value(1).toLongLong(), q.value(2).toByteArray(), {}};
            batchBytes += s.bytes.size();
            batch.append(std::move(s));
            if (batchBytes >= kBatchBytes)
                flush();
        }
        flush();
        running.join();
        check(hashing);
    }
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
    if (!altered.isEmpty() || !unentered.isEmpty()) {
        QHash<QString, QString> names;
        if (!fileNames(db, &names, error))
            return false;
        for (const Altered &a : qAsConst(altered))
            r.faults << QStringLiteral("stored bytes of %1 (SHA-256 %2) were altered: they now hash to %3")
                            .arg(names.value(a.sha, QStringLiteral("an unlisted file")), a.sha, a.actual);
        for (const QString &sha : qAsConst(unentered))
            r.faults << QStringLiteral("%1 (SHA-256 %2) has no import entry in the audit trail").arg(names.value(sha), sha);
    }
    ManifestAudit manifests;
    if (!auditStoredManifests(db, &manifests, error))
        return false;
    r.manifests = manifests.checked;
    r.faults << manifests.faults;
    if (!checkTrailFiling(db, &r.faults, error) || !checkDerivedFields(db, &r.faults, &r.versions, error)
        || !checkOfficeVersions(db, &r.faults, &r.officeVersions, error))
        return false;
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
