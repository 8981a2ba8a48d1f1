#include "dsse.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QByteArray dssePae(const QString &payloadType, const QByteArray &payload)
{
    const QByteArray type = payloadType.toUtf8();
    return QByteArrayLiteral("DSSEv1 ") + QByteArray::number(type.size()) + ' ' + type + ' '
           + QByteArray::number(payload.size()) + ' ' + payload;
}

QByteArray dsseToJson(const DsseEnvelope &envelope)
{
    QJsonArray sigs;
    for (const DsseSignature &s : envelope.signatures)
        sigs.append(QJsonObject{{QStringLiteral("keyid"), s.keyId},
                                {QStringLiteral("sig"), QString::fromLatin1(s.sig.toBase64())}});
    const QJsonObject o{{QStringLiteral("payloadType"), envelope.payloadType},
                        {QStringLiteral("payload"), QString::fromLatin1(envelope.payload.toBase64())},
                        {QStringLiteral("signatures"), sigs}};
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

bool jsonObjectOf(const QByteArray &json, QJsonObject *out, const QString &what, QString *error)
{
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &pe);
    if (pe.error != QJsonParseError::NoError || !doc.isObject()) {
        if (error)
            *error = what;
        return false;
    }
    *out = doc.object();
    return true;
}

bool dsseFromJson(const QByteArray &json, DsseEnvelope *out, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    QJsonObject o;
    if (!jsonObjectOf(json, &o, QStringLiteral("not a signed envelope (not a JSON object)"), error))
        return false;
    const auto b64 = QByteArray::AbortOnBase64DecodingErrors;
    DsseEnvelope e;
    e.payloadType = o.value(QStringLiteral("payloadType")).toString();
    const auto payload = QByteArray::fromBase64Encoding(o.value(QStringLiteral("payload")).toString().toLatin1(), b64);
    if (e.payloadType.isEmpty() || !payload || payload.decoded.isEmpty())
        return fail(QStringLiteral("not a signed envelope (no payload)"));
    e.payload = payload.decoded;
    for (const QJsonValue &v : o.value(QStringLiteral("signatures")).toArray()) {
        const QJsonObject s = v.toObject();
        const auto sig = QByteArray::fromBase64Encoding(s.value(QStringLiteral("sig")).toString().toLatin1(), b64);
        if (!sig)
            return fail(QStringLiteral("a signature is not base64"));
        e.signatures.append({s.value(QStringLiteral("keyid")).toString(), sig.decoded});
    }
    if (e.signatures.isEmpty())
        return fail(QStringLiteral("the envelope carries no signature"));
    *out = e;
    return true;
}
