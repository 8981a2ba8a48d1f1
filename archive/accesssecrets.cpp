#include "accesssecrets.h"

#include <QSemaphore>
#include <sodium.h>

namespace {
bool sodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

// Each Argon2id run takes 64 MiB: logins from many addresses at once take
// their turns two at a time instead of the memory of every server thread.
class PasswordWorkTurn {
public:
    PasswordWorkTurn() { turns().acquire(); }
    ~PasswordWorkTurn() { turns().release(); }

private:
    static QSemaphore &turns()
    {
        static QSemaphore semaphore(2);
        return semaphore;
    }
};
} // namespace

QString randomToken()
{
    sodiumReady();
    QByteArray bytes(32, Qt::Uninitialized);
    randombytes_buf(bytes.data(), size_t(bytes.size()));
    return QString::fromLatin1(bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

QString tokenSha256(const QString &token)
{
    sodiumReady();
    const QByteArray bytes = token.toUtf8();
    unsigned char digest[crypto_hash_sha256_BYTES];
    crypto_hash_sha256(digest, reinterpret_cast<const unsigned char *>(bytes.constData()), quint64(bytes.size()));
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(digest), sizeof digest).toHex());
}

bool sameSecret(const QString &a, const QString &b)
{
    sodiumReady();
    const QByteArray x = a.toUtf8(), y = b.toUtf8();
    // The length of a token is no secret; its bytes are.
    if (x.isEmpty() || x.size() != y.size())
        return false;
    return sodium_memcmp(x.constData(), y.constData(), size_t(x.size())) == 0;
}

QString hashPassword(const QString &password)
{
    if (!sodiumReady())
        return QString();
    const QByteArray p = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    const PasswordWorkTurn turn;
    if (crypto_pwhash_str_alg(out, p.constData(), quint64(p.size()), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                              crypto_pwhash_MEMLIMIT_INTERACTIVE, crypto_pwhash_ALG_ARGON2ID13)
        != 0)
        return QString();
    return QString::fromLatin1(out);
}

bool passwordMatches(const QString &password, const QString &hash)
{
    if (!sodiumReady())
        return false;
    const QByteArray p = password.toUtf8(), h = hash.toLatin1();
    const PasswordWorkTurn turn;
    return !h.isEmpty() && crypto_pwhash_str_verify(h.constData(), p.constData(), quint64(p.size())) == 0;
}
