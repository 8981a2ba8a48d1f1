#include "manifestcheck.h"

#include "archivedevices.h"
#include "archivequeries.h"
#include "devicekey.h"
#include "rawfiles.h"

#include <QDateTime>
#include <QSet>
#include <QSqlQuery>
#include <QThread>
#include <algorithm>
#include <thread>
#include <vector>

ManifestVerdict judgeManifest(CArchiveDb &db, const QByteArray &manifestBytes, const QString &holeName,
                              const QMap<QString, QByteArray> &files)
{
    ManifestVerdict v;
    v.manifestSha256 = sha256Hex(manifestBytes);
    QString error;
    if (!readManifest(manifestBytes, &v.manifest, &error)) {
        v.reason = QStringLiteral("signature does not match: %1").arg(error);
        return v;
    }
    const TestStatement &s = v.manifest.statement;
    DeviceRow device;
    if (!findDevice(db, s.device, &device, &error)) {
        v.kind = error.isEmpty() ? ManifestVerdict::UnknownDevice : ManifestVerdict::ArchiveFault;
        v.reason = error.isEmpty() ? QStringLiteral("signed by an unknown device %1").arg(s.device) : error;
        return v;
    }
    v.deviceName = device.name;
    if (!device.revokedAt.isEmpty()) {
        v.kind = ManifestVerdict::RevokedDevice;
        v.reason = QStringLiteral("signed by the revoked device %1 (%2, revoked %3)")
                       .arg(device.name, s.device, device.revokedAt);
        return v;
    }
    v.kind = ManifestVerdict::BadSignature;
    // The archive's key for the device, never the one the manifest states.
    if (!v.manifest.signedBy(publicKeyFromBase64(device.publicKey))) {
        v.reason = QStringLiteral("signature does not match (device %1)").arg(device.name);
        return v;
    }
    if (s.subjects.first().name != holeName) {
        v.reason = QStringLiteral("signature does not match: the manifest is %1's, not %2's")
                       .arg(s.subjects.first().name, holeName);
        return v;
    }
    const QStringList faults = v.manifest.subjectFaults(files);
    if (!faults.isEmpty()) {
        v.reason = QStringLiteral("signature does not match: %1").arg(faults.join(QStringLiteral("; ")));
        return v;
    }
    v.kind = ManifestVerdict::Signed;
    return v;
}

bool recordSignedVersion(CArchiveDb &db, const QVariant &versionId, const ManifestVerdict &verdict, QString *error)
{
    const TestStatement &s = verdict.manifest.statement;
    QSqlQuery q = db.query();
    return db.exec(q,
                   QStringLiteral("INSERT INTO signed_versions (version_id, device_id, manifest_sha256, sequence,"
                                  " saved_at, received_at) VALUES (?, ?, ?, ?, ?, ?)"),
                   {versionId, s.device, verdict.manifestSha256, s.sequence, s.savedAt,
                    QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)},
                   error);
}

bool signersOf(CArchiveDb &db, const QVector<qint64> &versionIds, QHash<qint64, QString> *out, QString *error)
{
    QSqlQuery q = db.query();
    if (!db.exec(q,
                 QStringLiteral("SELECT s.version_id, d.name FROM signed_versions s JOIN devices d"
                                " ON d.device_id = s.device_id"),
                 {}, error))
        return false;
    while (q.next()) {
        const qint64 id = q.value(0).toLongLong();
        if (versionIds.contains(id))
            out->insert(id, q.value(1).toString());
    }
    return true;
}

namespace {
// A stored manifest's fault in words, empty when it holds: its form, the
// signature with the archive's key of its device (none when the device is
// unknown), and its subjects against the stored files' SHA-256 by name.
// supersedes: the numbers a manifest that holds says it replaced.
QString manifestFault(const QByteArray &manifest, const DeviceRow *device, const QMap<QString, QString> &sha256ByName,
                      QVector<qint64> *supersedes)
{
    SignedManifest m;
    QString why;
    if (!readManifest(manifest, &m, &why))
        return why;
    if (!device || !m.signedBy(publicKeyFromBase64(device->publicKey)))
        return QStringLiteral("signature does not match");
    const QStringList faults = m.subjectDigestFaults(sha256ByName);
    if (!faults.isEmpty())
        return faults.join(QStringLiteral("; "));
    if (supersedes)
        *supersedes = m.statement.supersedes;
    return QString();
}

// One stored manifest checked again against the version's stored bytes
// (hashed here) and the device's key. False only when the archive could
// not be read.
bool storedManifestFault(CArchiveDb &db, qint64 versionId, const QString &manifestSha, const QString &deviceId,
                         DeviceRow *device, QString *fault, QString *error)
{
    QVector<StoredFile> files;
    QByteArray manifest;
    if (!versionFiles(db, versionId, &files, error) || !storedBytes(db, manifestSha, &manifest, error))
        return false;
    QMap<QString, QString> digests;
    for (const StoredFile &f : files)
        digests.insert(f.name, sha256Hex(f.bytes));
    QString why;
    const bool known = findDevice(db, deviceId, device, &why);
    *fault = manifestFault(manifest, known ? device : nullptr, digests, nullptr);
    return true;
}
} // namespace

bool versionSignature(CArchiveDb &db, qint64 versionId, VersionSignature *out, QString *error)
{
    *out = VersionSignature();
    QSqlQuery q = db.query();
    if (!db.exec(q,
                 QStringLiteral("SELECT manifest_sha256, device_id, received_at FROM signed_versions"
                                " WHERE version_id = ?"),
                 {versionId}, error))
        return false;
    if (!q.next())
        return true;
    const QString deviceId = q.value(1).toString();
    out->receivedAt = q.value(2).toString();
    DeviceRow device;
    if (!storedManifestFault(db, versionId, q.value(0).toString().trimmed(), deviceId, &device, &out->fault, error))
        return false;
    out->deviceName = device.name.isEmpty() ? deviceId : device.name;
    out->revokedAt = device.revokedAt;
    if (!out->fault.isEmpty())
        out->state = VersionSignature::Broken;
    else if (!device.revokedAt.isEmpty() && out->receivedAt >= device.revokedAt)
        out->state = VersionSignature::Revoked;
    else
        out->state = VersionSignature::Verified;
    return true;
}

namespace {
struct StoredManifest {
    qint64 versionId = 0;
    QString manifestSha, holeName, holeSha, device;
    qint64 sequence = 0;
    bool stored = false; // its bytes are in the archive
    QByteArray bytes;
    QMap<QString, QString> sha256ByName;
    QString fault;
    QVector<qint64> supersedes;
};

bool readStoredManifests(CArchiveDb &db, QVector<StoredManifest> *out, QString *error)
{
    QSqlQuery q = db.query();
    q.setForwardOnly(true);
    if (!db.exec(q,
                 QStringLiteral("SELECT s.version_id, s.manifest_sha256, v.file_name, v.sha256, s.device_id,"
                                " s.sequence, b.sha256, b.content FROM signed_versions s"
                                " JOIN versions v ON v.id = s.version_id"
                                " LEFT JOIN blobs b ON b.sha256 = s.manifest_sha256"
                                " ORDER BY s.device_id, s.sequence"),
                 {}, error))
        return false;
    QHash<qint64, int> byVersion;
    while (q.next()) {
        StoredManifest m;
        m.versionId = q.value(0).toLongLong();
        m.manifestSha = q.value(1).toString().trimmed();
        m.holeName = q.value(2).toString();
        m.holeSha = q.value(3).toString().trimmed();
        m.device = q.value(4).toString();
        m.sequence = q.value(5).toLongLong();
        m.stored = !q.value(6).isNull();
        m.bytes = q.value(7).toByteArray();
        byVersion.insert(m.versionId, out->size());
        out->append(m);
    }
    // The stored files' names and SHA-256 (their bytes are checked against
    // those digests by verify itself).
    QSqlQuery f = db.query();
    f.setForwardOnly(true);
    if (!db.exec(f,
                 QStringLiteral("SELECT s.version_id, v.file_name, v.sha256 FROM signed_versions s"
                                " JOIN versions v ON v.id = s.version_id"
                                " UNION ALL SELECT s.version_id, c.name, c.sha256 FROM signed_versions s"
                                " JOIN companions c ON c.version_id = s.version_id"),
                 {}, error))
        return false;
    while (f.next()) {
        const auto it = byVersion.constFind(f.value(0).toLongLong());
        if (it != byVersion.constEnd())
            (*out)[*it].sha256ByName.insert(f.value(1).toString(), f.value(2).toString().trimmed());
    }
    return true;
}
} // namespace

bool auditStoredManifests(CArchiveDb &db, ManifestAudit *out, QString *error)
{
    QVector<StoredManifest> rows;
    QVector<DeviceRow> deviceRows;
    if (!readStoredManifests(db, &rows, error) || !listDevices(db, &deviceRows, error))
        return false;
    QHash<QString, DeviceRow> devices;
    for (const DeviceRow &d : deviceRows)
        devices.insert(d.deviceId, d);
    // Revoked later or not, the device signed it then: judge the bytes and
    // the signature, not today's standing. The signatures are checked on
    // every core (an Ed25519 check is most of a manifest's cost).
    const int workers = qBound(1, QThread::idealThreadCount(), 16);
    std::vector<std::thread> pool;
    for (int w = 0; w < workers; ++w) {
        pool.emplace_back([&rows, &devices, w, workers] {
            for (int i = w; i < rows.size(); i += workers) {
                StoredManifest &r = rows[i];
                const auto d = devices.constFind(r.device);
                r.fault = r.stored ? manifestFault(r.bytes, d == devices.constEnd() ? nullptr : &*d, r.sha256ByName,
                                                   &r.supersedes)
                                   : QStringLiteral("its bytes are not in the archive");
            }
        });
    }
    for (std::thread &t : pool)
        t.join();
    QMap<QString, QVector<qint64>> sequences;
    // Replaced beside their hole file by a later save of the same test: a
    // folder import never sees them, and they are not missing.
    QMap<QString, QSet<qint64>> replaced;
    for (const StoredManifest &r : qAsConst(rows)) {
        for (qint64 n : r.supersedes)
            replaced[r.device].insert(n);
        if (!r.fault.isEmpty())
            out->faults << QStringLiteral("manifest of %1 (SHA-256 %2): %3").arg(r.holeName, r.holeSha, r.fault);
        ++out->checked;
        sequences[r.device].append(r.sequence);
    }
    for (auto it = sequences.cbegin(); it != sequences.cend(); ++it) {
        QVector<qint64> seq = it.value();
        std::sort(seq.begin(), seq.end());
        seq.erase(std::unique(seq.begin(), seq.end()), seq.end());
        const QSet<qint64> accounted = replaced.value(it.key());
        QStringList missing;
        qint64 expected = 1;
        QVector<qint64> skip(accounted.cbegin(), accounted.cend());
        std::sort(skip.begin(), skip.end());
        auto run = [&missing](qint64 from, qint64 to) {
            if (from <= to)
                missing << (from == to ? QString::number(from)
                                       : QStringLiteral("%1-%2").arg(QString::number(from), QString::number(to)));
        };
        for (qint64 n : seq) {
            // The gap before n as runs, less the numbers replaced (walked
            // by those numbers, never number by number: a gap may be huge).
            qint64 from = expected;
            for (auto k = std::lower_bound(skip.cbegin(), skip.cend(), expected); k != skip.cend() && *k < n; ++k) {
                run(from, *k - 1);
                from = *k + 1;
            }
            run(from, n - 1);
            expected = n + 1;
        }
        if (!missing.isEmpty()) {
            const QString name = devices.value(it.key(), DeviceRow{it.key(), {}, {}, {}, {}}).name;
            out->faults << QStringLiteral("device %1 (%2): missing sequence numbers %3")
                               .arg(name, it.key(), missing.join(QStringLiteral(", ")));
        }
    }
    return true;
}

std::optional<ManifestVerdict> companionManifestVerdict(CArchiveDb &db, const QString &holeName,
                                                        const QByteArray &holeBytes,
                                                        const QVector<QPair<QString, QByteArray>> &companions)
{
    QMap<QString, QByteArray> files{{holeName, holeBytes}};
    QByteArray manifest;
    bool found = false;
    for (const auto &c : companions) {
        files.insert(c.first, c.second);
        if (c.first.endsWith(QLatin1String(".sig"), Qt::CaseInsensitive)) {
            manifest = c.second;
            found = true;
        }
    }
    if (!found)
        return std::nullopt;
    return judgeManifest(db, manifest, holeName, files);
}
