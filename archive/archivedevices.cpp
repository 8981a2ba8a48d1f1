#include "archivedevices.h"

#include "audittrail.h"
#include "devicekey.h"
#include "testmanifest.h"

#include <QDateTime>
#include <QSqlQuery>

namespace {
const QString kColumns = QStringLiteral("name, device_id, public_key, added_at, COALESCE(revoked_at, '')");

DeviceRow rowOf(const QSqlQuery &q)
{
    return {q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
            q.value(4).toString()};
}
} // namespace

bool addDevice(CArchiveDb &db, const QString &name, const QString &publicKeyBase64, DeviceRow *added, QString *error)
{
    const QByteArray key = publicKeyFromBase64(publicKeyBase64);
    if (name.trimmed().isEmpty() || name != name.trimmed()) {
        *error = QStringLiteral("a device needs a name without blanks around it");
        return false;
    }
    if (key.isEmpty()) {
        *error = QStringLiteral("\"%1\" is not a public key (base64 of 32 bytes, as zpvw --device prints it)")
                     .arg(publicKeyBase64);
        return false;
    }
    DeviceRow r{name, deviceIdOf(key), QString::fromLatin1(key.toBase64()),
                QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs), QString()};
    DeviceRow known;
    if (findDevice(db, r.deviceId, &known, error)) {
        *error = QStringLiteral("this key is already the device \"%1\"").arg(known.name);
        return false;
    }
    if (!error->isEmpty())
        return false;
    if (!changeWithAuditEntry(db,
                         QStringLiteral("INSERT INTO devices (name, device_id, public_key, added_at) VALUES (?, ?, ?, ?)"),
                         {r.name, r.deviceId, r.publicKey, r.addedAt},
                         QStringLiteral("device add %1: %2 key %3").arg(r.name, r.deviceId, r.publicKey),
                         sha256Hex(key), QStringLiteral("device"), QStringLiteral("no such device"), error))
        return false;
    if (added)
        *added = r;
    return true;
}

bool revokeDevice(CArchiveDb &db, const QString &name, QString *error)
{
    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    return changeWithAuditEntry(db, QStringLiteral("UPDATE devices SET revoked_at = ? WHERE name = ? AND revoked_at IS NULL"),
                           {now, name}, QStringLiteral("device revoke %1").arg(name), QString(),
                                QStringLiteral("device"), QStringLiteral("no such device"), error);
}

bool listDevices(CArchiveDb &db, QVector<DeviceRow> *out, QString *error)
{
    QSqlQuery q = db.query();
    if (!db.exec(q, QStringLiteral("SELECT %1 FROM devices ORDER BY name").arg(kColumns), {}, error))
        return false;
    while (q.next())
        out->append(rowOf(q));
    return true;
}

bool findDevice(CArchiveDb &db, const QString &deviceId, DeviceRow *out, QString *error)
{
    error->clear();
    QSqlQuery q = db.query();
    if (!db.exec(q, QStringLiteral("SELECT %1 FROM devices WHERE device_id = ?").arg(kColumns), {deviceId}, error))
        return false;
    if (!q.next())
        return false;
    *out = rowOf(q);
    return true;
}
