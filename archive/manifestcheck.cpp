#include "manifestcheck.h"

#include "archivedevices.h"
#include "archivequeries.h"
#include "devicekey.h"
#include "rawfiles.h"

#include <QDateTime>
#include <QSet>
#include <QSqlQuery>
#include <algorithm>

ManifestVerdict judgeManifest(CArchiveDb &db, const QByteArray &manifestBytes, const QString &holeName,
                              const QMap<QString, QByteArray> &files)
{
    ManifestVerdict v;
    v.manifestSha256 = manifestSha256(manifestBytes);
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
// A stored manifest checked again against the version's stored files and
// the device's key: the fault in words, empty when it holds. False only
// when the archive could not be read.
// supersedes: when given, the numbers a manifest that holds says it replaced.
bool storedManifestFault(CArchiveDb &db, qint64 versionId, const QString &manifestSha, const QString &deviceId,
                         DeviceRow *device, QString *fault, QString *error, QVector<qint64> *supersedes = nullptr)
{
    QVector<StoredFile> files;
    QByteArray manifest;
    if (!versionFiles(db, versionId, &files, error) || !storedBytes(db, manifestSha, &manifest, error))
        return false;
    QMap<QString, QByteArray> byName;
    for (const StoredFile &f : files)
        byName.insert(f.name, f.bytes);
    SignedManifest m;
    QString why;
    fault->clear();
    const bool known = findDevice(db, deviceId, device, &why);
    if (!readManifest(manifest, &m, &why))
        *fault = why;
    else if (!known || !m.signedBy(publicKeyFromBase64(device->publicKey)))
        *fault = QStringLiteral("signature does not match");
    else if (!m.subjectFaults(byName).isEmpty())
        *fault = m.subjectFaults(byName).join(QStringLiteral("; "));
    else if (supersedes)
        *supersedes = m.statement.supersedes;
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

bool auditStoredManifests(CArchiveDb &db, ManifestAudit *out, QString *error)
{
    QSqlQuery q = db.query();
    q.setForwardOnly(true);
    if (!db.exec(q,
                 QStringLiteral("SELECT s.version_id, s.manifest_sha256, v.file_name, v.sha256, s.device_id,"
                                " s.sequence FROM signed_versions s JOIN versions v ON v.id = s.version_id"
                                " ORDER BY s.device_id, s.sequence"),
                 {}, error))
        return false;
    struct Row {
        qint64 versionId;
        QString manifestSha, holeName, holeSha, device;
        qint64 sequence;
    };
    QVector<Row> rows;
    while (q.next())
        rows.append({q.value(0).toLongLong(), q.value(1).toString().trimmed(), q.value(2).toString(),
                     q.value(3).toString().trimmed(), q.value(4).toString(), q.value(5).toLongLong()});
    QMap<QString, QVector<qint64>> sequences;
    // Replaced beside their hole file by a later save of the same test: a
    // folder import never sees them, and they are not missing.
    QMap<QString, QSet<qint64>> replaced;
    for (const Row &r : rows) {
        // Revoked later or not, the device signed it then: judge the bytes
        // and the signature, not today's standing.
        DeviceRow device;
        QString fault;
        QVector<qint64> supersedes;
        if (!storedManifestFault(db, r.versionId, r.manifestSha, r.device, &device, &fault, error, &supersedes))
            return false;
        for (qint64 n : qAsConst(supersedes))
            replaced[r.device].insert(n);
        if (!fault.isEmpty())
            out->faults << QStringLiteral("manifest of %1 (SHA-256 %2): %3").arg(r.holeName, r.holeSha, fault);
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
            DeviceRow device;
            QString why;
            const QString name = findDevice(db, it.key(), &device, &why) ? device.name : it.key();
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
