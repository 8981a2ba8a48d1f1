#include "sha256.h"

#include <openssl/evp.h>

QByteArray sha256Digest(const QByteArray &bytes)
{
    QByteArray digest(EVP_MAX_MD_SIZE, '\0');
    unsigned int size = 0;
    if (EVP_Digest(bytes.constData(), size_t(bytes.size()), reinterpret_cast<unsigned char *>(digest.data()), &size,
                   EVP_sha256(), nullptr)
        != 1)
        qFatal("SHA-256 is not available from libcrypto"); // never happens with a working OpenSSL
    digest.resize(int(size));
    return digest;
}
