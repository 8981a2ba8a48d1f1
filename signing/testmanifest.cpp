#include "testmanifest.h"

#include "sha256.h"

#include "devicekey.h"
#include "dsse.h"

#include "holefile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
const QString kStatementType = QStringLiteral("https://in-toto.io/Statement/v1");
const QString kPredicateType = QStringLiteral("zpvw.hole-test/v1");

QString text(const QJsonObject &o, const char *key) { return o.value(QLatin1String(key)).toString(); }
} // namespace

QString manifestPayloadType() { return QStringLiteral("application/vnd.in-toto+json"); }

QByteArray statementToJson(const TestStatement &s)
{
    QJsonArray subjects;
    for (const ManifestSubject &m : s.subjects)
        subjects.append(QJsonObject{{QStringLiteral("name"), m.name},
                                    {QStringLiteral("digest"), QJsonObject{{QStringLiteral("sha256"), m.sha256}}}});
    QJsonObject predicate{{QStringLiteral("device"), s.device},
                                {QStringLiteral("publicKey"), s.publicKey},
                                {QStringLiteral("project"), s.project},
                                {QStringLiteral("projectFolder"), s.projectFolder},
                                {QStringLiteral("hole"), s.hole},
                                {QStringLiteral("testStart"), s.testStart},
                                {QStringLiteral("savedAt"), s.savedAt},
                                // A JSON number holds 2^53 exactly: far beyond any instrument's life.
                                {QStringLiteral("sequence"), double(s.sequence)},
                                {QStringLiteral("previousManifest"), s.previousManifest}};
    if (!s.supersedes.isEmpty()) {
        QJsonArray earlier;
        for (qint64 n : s.supersedes)
            earlier.append(double(n));
        predicate.insert(QStringLiteral("supersedes"), earlier);
    }
    const QJsonObject o{{QStringLiteral("_type"), kStatementType},
                        {QStringLiteral("subject"), subjects},
                        {QStringLiteral("predicateType"), kPredicateType},
                        {QStringLiteral("predicate"), predicate}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

bool statementFromJson(const QByteArray &json, TestStatement *out, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    QJsonObject o;
    if (!jsonObjectOf(json, &o, QStringLiteral("the manifest's statement is not JSON"), error))
        return false;
    if (text(o, "_type") != kStatementType || text(o, "predicateType") != kPredicateType)
        return fail(QStringLiteral("the manifest's statement is not a hole test's"));
    TestStatement s;
    for (const QJsonValue &v : o.value(QStringLiteral("subject")).toArray()) {
        const QJsonObject m = v.toObject();
        const QString sha = m.value(QStringLiteral("digest")).toObject().value(QStringLiteral("sha256")).toString();
        if (text(m, "name").isEmpty() || sha.size() != 64)
            return fail(QStringLiteral("a subject of the manifest has no name or SHA-256"));
        s.subjects.append({text(m, "name"), sha.toLower()});
    }
    if (s.subjects.isEmpty())
        return fail(QStringLiteral("the manifest names no file"));
    const QJsonObject p = o.value(QStringLiteral("predicate")).toObject();
    s.device = text(p, "device");
    s.publicKey = text(p, "publicKey");
    s.project = text(p, "project");
    s.projectFolder = text(p, "projectFolder");
    s.hole = text(p, "hole");
    s.testStart = text(p, "testStart");
    s.savedAt = text(p, "savedAt");
    const double seq = p.value(QStringLiteral("sequence")).toDouble(-1);
    s.sequence = qint64(seq);
    s.previousManifest = text(p, "previousManifest");
    if (s.device.isEmpty() || seq < 1 || double(s.sequence) != seq)
        return fail(QStringLiteral("the manifest names no device or sequence number"));
    for (const QJsonValue &v : p.value(QStringLiteral("supersedes")).toArray()) {
        const double n = v.toDouble(-1);
        if (n < 1 || n >= seq || double(qint64(n)) != n)
            return fail(QStringLiteral("the manifest replaces a sequence number that is not an earlier one"));
        s.supersedes.append(qint64(n));
    }
    *out = s;
    return true;
}

QByteArray signManifest(const TestStatement &statement, const DeviceKey &key)
{
    DsseEnvelope e;
    e.payloadType = manifestPayloadType();
    e.payload = statementToJson(statement);
    e.signatures.append({key.deviceId(), key.sign(dssePae(e.payloadType, e.payload))});
    return dsseToJson(e);
}

bool readManifest(const QByteArray &bytes, SignedManifest *out, QString *error)
{
    DsseEnvelope e;
    if (!dsseFromJson(bytes, &e, error))
        return false;
    if (e.payloadType != manifestPayloadType()) {
        if (error)
            *error = QStringLiteral("the envelope does not hold a manifest (%1)").arg(e.payloadType);
        return false;
    }
    SignedManifest m;
    if (!statementFromJson(e.payload, &m.statement, error))
        return false;
    m.keyId = e.signatures.first().keyId;
    m.signature = e.signatures.first().sig;
    m.signedBytes = dssePae(e.payloadType, e.payload);
    *out = m;
    return true;
}

QByteArray SignedManifest::statedPublicKey() const { return publicKeyFromBase64(statement.publicKey); }

bool SignedManifest::signedBy(const QByteArray &publicKey) const
{
    const QString id = deviceIdOf(publicKey);
    return keyId == id && statement.device == id && statedPublicKey() == publicKey
           && signatureValid(publicKey, signedBytes, signature);
}

const ManifestSubject *SignedManifest::subject(const QString &name) const
{
    for (const ManifestSubject &s : statement.subjects)
        if (s.name == name)
            return &s;
    return nullptr;
}

QStringList SignedManifest::subjectFaults(const QMap<QString, QByteArray> &files) const
{
    QMap<QString, QString> digests;
    for (const ManifestSubject &s : statement.subjects) {
        const auto it = files.constFind(s.name);
        if (it != files.constEnd())
            digests.insert(s.name, sha256Hex(*it));
    }
    return subjectDigestFaults(digests);
}

QStringList SignedManifest::subjectDigestFaults(const QMap<QString, QString> &sha256ByName) const
{
    QStringList faults;
    for (const ManifestSubject &s : statement.subjects) {
        const auto it = sha256ByName.constFind(s.name);
        if (it == sha256ByName.constEnd())
            faults << QStringLiteral("%1 is missing").arg(s.name);
        else if (*it != s.sha256)
            faults << QStringLiteral("%1 does not match its SHA-256 in the manifest").arg(s.name);
    }
    return faults;
}

QString manifestPathFor(const QString &holePath)
{
    const QString hole = withHoleExtension(holePath);
    const QString ext = hole.right(3) == fileExt.toLower() ? QStringLiteral("sig") : QStringLiteral("SIG");
    return hole.left(hole.size() - 3) + ext;
}
