#include "sha256.h"

#include <QFile>
#include <QString>

#include <openssl/evp.h>

#include <vector>

Sha256Context::Sha256Context()
    : m_context(EVP_MD_CTX_new())
{
    if (!m_context || EVP_DigestInit_ex(m_context, EVP_sha256(), nullptr) != 1)
        qFatal("SHA-256 is not available from libcrypto"); // never happens with a working OpenSSL
}

Sha256Context::~Sha256Context() { EVP_MD_CTX_free(m_context); }

void Sha256Context::update(const char *bytes, qint64 size)
{
    if (size > 0)
        EVP_DigestUpdate(m_context, bytes, size_t(size));
}

QByteArray Sha256Context::digest()
{
    QByteArray out(EVP_MAX_MD_SIZE, '\0');
    unsigned int length = 0;
    EVP_DigestFinal_ex(m_context, reinterpret_cast<unsigned char *>(out.data()), &length);
    out.resize(int(length));
    return out;
}

QByteArray sha256Digest(const QByteArray &bytes)
{
    Sha256Context context;
    context.update(bytes.constData(), bytes.size());
    return context.digest();
}

QString sha256Hex(const QByteArray &bytes) { return QString::fromLatin1(sha256Digest(bytes).toHex()); }

bool sha256OfFile(const QString &path, QByteArray *digest, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, f.errorString());
        return false;
    }
    // Pieces through one buffer: a whole-file buffer of a megabyte would
    // cost fresh pages at every save.
    std::vector<char> buffer(256 * 1024);
    Sha256Context context;
    for (;;) {
        const qint64 got = f.read(buffer.data(), qint64(buffer.size()));
        if (got < 0) {
            if (error)
                *error = QStringLiteral("%1: %2").arg(path, f.errorString());
            return false;
        }
        if (got == 0)
            break;
        context.update(buffer.data(), got);
    }
    *digest = context.digest();
    return true;
}
