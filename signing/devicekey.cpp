#include "devicekey.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <sodium.h>

namespace {
bool sodiumReady()
{
    // Safe to call from any thread, any number of times.
    static const bool ready = sodium_init() >= 0;
    return ready;
}

bool fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

bool readKeyFile(const QString &path, DeviceKey *out, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("%1: %2").arg(path, f.errorString()));
    const QByteArray seed = QByteArray::fromBase64(f.read(256).trimmed());
    if (seed.size() != crypto_sign_SEEDBYTES)
        return fail(error, QStringLiteral("%1: not a device key").arg(path));
    *out = DeviceKey::fromSeed(seed);
    return out->isValid() || fail(error, QStringLiteral("%1: not a device key").arg(path));
}
} // namespace

DeviceKey DeviceKey::fromSeed(const QByteArray &seed)
{
    DeviceKey key;
    if (!sodiumReady() || seed.size() != crypto_sign_SEEDBYTES)
        return key;
    key.m_public.resize(crypto_sign_PUBLICKEYBYTES);
    key.m_secret.resize(crypto_sign_SECRETKEYBYTES);
    crypto_sign_seed_keypair(reinterpret_cast<unsigned char *>(key.m_public.data()),
                             reinterpret_cast<unsigned char *>(key.m_secret.data()),
                             reinterpret_cast<const unsigned char *>(seed.constData()));
    return key;
}

QString DeviceKey::deviceId() const { return deviceIdOf(m_public); }

QByteArray DeviceKey::sign(const QByteArray &message) const
{
    if (!isValid())
        return QByteArray();
    QByteArray sig(crypto_sign_BYTES, '\0');
    crypto_sign_detached(reinterpret_cast<unsigned char *>(sig.data()), nullptr,
                         reinterpret_cast<const unsigned char *>(message.constData()), size_t(message.size()),
                         reinterpret_cast<const unsigned char *>(m_secret.constData()));
    return sig;
}

QString deviceKeyPath(const QString &appDir) { return appDir + QStringLiteral("/device.key"); }

bool loadOrCreateDeviceKey(const QString &appDir, DeviceKey *out, QString *error)
{
    if (!sodiumReady())
        return fail(error, QStringLiteral("libsodium could not be started"));
    const QString path = deviceKeyPath(appDir);
    if (QFileInfo::exists(path))
        return readKeyFile(path, out, error);
    QByteArray seed(crypto_sign_SEEDBYTES, '\0');
    randombytes_buf(seed.data(), size_t(seed.size()));
    QDir().mkpath(appDir);
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return fail(error, QStringLiteral("%1: %2").arg(path, f.errorString()));
    // Owner only, before a byte of the secret reaches the file.
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    f.write(seed.toBase64() + '\n');
    sodium_memzero(seed.data(), size_t(seed.size()));
    if (!f.commit())
        return fail(error, QStringLiteral("%1: %2").arg(path, f.errorString()));
    // Two programs starting at once: the key on the disk is the one.
    return readKeyFile(path, out, error);
}

QString deviceIdOf(const QByteArray &publicKey)
{
    static const char alphabet[] = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";
    const QByteArray hash = QCryptographicHash::hash(publicKey, QCryptographicHash::Sha256).left(10);
    QString id;
    quint64 acc = 0;
    int bits = 0;
    for (const char byte : hash) {
        acc = (acc << 8) | quint8(byte);
        bits += 8;
        while (bits >= 5) {
            bits -= 5;
            if (id.size() % 5 == 4)
                id += QLatin1Char('-');
            id += QLatin1Char(alphabet[(acc >> bits) & 31]);
        }
    }
    return id;
}

QByteArray publicKeyFromBase64(const QString &text)
{
    const QByteArray key = QByteArray::fromBase64(text.trimmed().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    return key.size() == crypto_sign_PUBLICKEYBYTES ? key : QByteArray();
}

bool signatureValid(const QByteArray &publicKey, const QByteArray &message, const QByteArray &signature)
{
    if (!sodiumReady() || publicKey.size() != crypto_sign_PUBLICKEYBYTES || signature.size() != crypto_sign_BYTES)
        return false;
    return crypto_sign_verify_detached(reinterpret_cast<const unsigned char *>(signature.constData()),
                                       reinterpret_cast<const unsigned char *>(message.constData()),
                                       size_t(message.size()),
                                       reinterpret_cast<const unsigned char *>(publicKey.constData()))
           == 0;
}
