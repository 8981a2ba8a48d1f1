#pragma once
// The instruments the archive accepts tests from, by name and public key.
// Adding and revoking are entries of the audit trail; a revoked device
// stays listed (its earlier tests stay signed by it) but is refused from
// then on.

#include "archivedb.h"

#include <QString>
#include <QVector>

struct DeviceRow {
    QString name;
    QString deviceId;
    QString publicKey; // base64
    QString addedAt;
    QString revokedAt; // empty while valid
};

bool addDevice(CArchiveDb &db, const QString &name, const QString &publicKeyBase64, DeviceRow *added, QString *error);
bool revokeDevice(CArchiveDb &db, const QString &name, QString *error);
bool listDevices(CArchiveDb &db, QVector<DeviceRow> *out, QString *error);
// The device of an id; false with an empty error when the archive does not know it.
bool findDevice(CArchiveDb &db, const QString &deviceId, DeviceRow *out, QString *error);
