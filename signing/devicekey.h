#pragma once
// The instrument's identity: an Ed25519 key pair made once, on first use,
// with libsodium. The secret part stays in the application folder (mode
// 0600) and is only ever used to sign; nothing exports or sends it.
//
//     DeviceKey key;
//     if (!loadOrCreateDeviceKey(appDir, &key, &error)) ... error ...
//     key.deviceId();       // "7K2Q-M9XA-3F0D-PW1C"
//     key.sign(message);    // 64-byte detached signature

#include <QByteArray>
#include <QString>

class DeviceKey {
public:
    bool isValid() const { return m_public.size() == 32; }
    const QByteArray &publicKey() const { return m_public; }
    QString publicKeyBase64() const { return QString::fromLatin1(m_public.toBase64()); }
    QString deviceId() const;
    QByteArray sign(const QByteArray &message) const;

    // From the 32-byte seed the key file holds.
    static DeviceKey fromSeed(const QByteArray &seed);

private:
    QByteArray m_public;
    QByteArray m_secret; // libsodium's 64-byte form (seed and public key)
};

// The file of the key in an application folder.
QString deviceKeyPath(const QString &appDir);

// Reads the key of the application folder, or makes one when there is none.
// False with a reason when the file is unreadable or damaged (a damaged key
// is never replaced silently: the archive knows the device by it).
bool loadOrCreateDeviceKey(const QString &appDir, DeviceKey *out, QString *error);

// The readable id of a public key: the first 80 bits of its SHA-256 in
// Crockford's base 32 (no I, L, O or U to misread), in groups of four.
QString deviceIdOf(const QByteArray &publicKey);

// A public key given as base64 text (32 bytes once decoded); empty when not.
QByteArray publicKeyFromBase64(const QString &text);

// Ed25519 check of a detached signature.
bool signatureValid(const QByteArray &publicKey, const QByteArray &message, const QByteArray &signature);
