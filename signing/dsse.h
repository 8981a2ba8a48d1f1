#pragma once
// The envelope a manifest travels in: DSSE (Dead Simple Signing Envelope),
// a JSON object of payload type, base64 payload and signatures with their
// key ids. A signature covers the pre-authentication encoding of type and
// payload, so neither can be swapped without breaking it.

#include <QByteArray>
#include <QString>
#include <QVector>

class QJsonObject;

struct DsseSignature {
    QString keyId;
    QByteArray sig;
};

struct DsseEnvelope {
    QString payloadType;
    QByteArray payload;
    QVector<DsseSignature> signatures;
};

// "DSSEv1 <len> <type> <len> <payload>": the bytes that are signed.
QByteArray dssePae(const QString &payloadType, const QByteArray &payload);
QByteArray dsseToJson(const DsseEnvelope &envelope);
// The JSON object in bytes; false (with `what` as the reason) for anything else.
bool jsonObjectOf(const QByteArray &json, QJsonObject *out, const QString &what, QString *error);
// False with a reason for anything that is not a well-formed envelope.
bool dsseFromJson(const QByteArray &json, DsseEnvelope *out, QString *error);
