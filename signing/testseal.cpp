#include "testseal.h"

#include "devicekey.h"
#include "savedigests.h"
#include "testmanifest.h"

#include "sha256.h"

#include "atomicfile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
bool fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

struct ChainState {
    qint64 sequence = 0;
    QString previous;
};

// A chain of another key (the key file was replaced) starts again at 1.
ChainState readChain(const QString &path, const QString &device)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QJsonObject o = QJsonDocument::fromJson(f.read(4096)).object();
    if (o.value(QStringLiteral("device")).toString() != device)
        return {};
    return {qint64(o.value(QStringLiteral("sequence")).toDouble()), o.value(QStringLiteral("previous")).toString()};
}

bool writeWhole(const QString &path, const QByteArray &bytes, QString *error)
{
    CAtomicFileWriter w(path);
    if (!w.open() || !w.write(bytes) || !w.commit())
        return fail(error, QStringLiteral("%1: %2").arg(path, w.errorString()));
    return true;
}

// The manifest beside the hole file before this save, when this device
// signed it for the same file: its number and those it replaced in turn.
QVector<qint64> replacedSequences(const QString &manifestPath, const TestStatement &next)
{
    QFile f(manifestPath);
    SignedManifest old;
    if (!f.open(QIODevice::ReadOnly) || !readManifest(f.readAll(), &old, nullptr)
        || !old.signedBy(publicKeyFromBase64(next.publicKey)))
        return {};
    const TestStatement &o = old.statement;
    if (o.device != next.device || o.subjects.first().name != next.subjects.first().name || o.sequence >= next.sequence)
        return {};
    QVector<qint64> replaced = o.supersedes;
    replaced.append(o.sequence);
    return replaced;
}
} // namespace

QString deviceChainPath(const QString &appDir) { return appDir + QStringLiteral("/device.chain"); }

bool sealSavedFiles(const QString &appDir, const QStringList &files, const SealFacts &facts, SealResult *out,
                    QString *error, SaveDigests *ahead)
{
    if (files.isEmpty())
        return fail(error, QStringLiteral("nothing to seal"));
    DeviceKey key;
    if (!loadOrCreateDeviceKey(appDir, &key, error))
        return false;
    TestStatement s;
    for (const QString &path : files)
        s.subjects.append({QFileInfo(path).fileName(), QString()});
    s.device = key.deviceId();
    s.publicKey = key.publicKeyBase64();
    s.project = facts.project;
    s.projectFolder = QFileInfo(files.first()).absoluteDir().dirName();
    s.hole = facts.hole;
    s.testStart = facts.testStart;
    s.savedAt = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    const QString chainPath = deviceChainPath(appDir);
    const ChainState chain = readChain(chainPath, s.device);
    s.sequence = chain.sequence + 1;
    s.previousManifest = chain.previous;
    const QString manifestPath = manifestPathFor(files.first());
    s.supersedes = replacedSequences(manifestPath, s);
    // The digests last: those worked out elsewhere may still be coming.
    const KnownDigests known = ahead ? ahead->take() : KnownDigests();
    for (int i = 0; i < files.size(); ++i) {
        QByteArray digest = known.value(files.at(i));
        if (digest.isEmpty() && !sha256OfFile(files.at(i), &digest, error))
            return false;
        s.subjects[i].sha256 = QString::fromLatin1(digest.toHex());
    }
    const QString holeSha = s.subjects.first().sha256;
    const QByteArray manifest = signManifest(s, key);
    const QString manifestSha = sha256Hex(manifest);
    const QJsonObject next{{QStringLiteral("device"), s.device},
                           {QStringLiteral("sequence"), double(s.sequence)},
                           {QStringLiteral("previous"), manifestSha}};
    if (!writeWhole(chainPath, QJsonDocument(next).toJson(QJsonDocument::Compact), error)
        || !writeWhole(manifestPath, manifest, error))
        return false;
    if (out)
        *out = {manifestPath, manifestSha, holeSha, s.sequence};
    return true;
}
