#include "itunes/backupcrypto.h"

#include "itunes/keyderivation.h"

#include <QtEndian>

#include <mbedtls/aes.h>
#include <mbedtls/platform_util.h>

#include <climits>
#include <cstring>

namespace {

constexpr int kBlock = 8;
constexpr quint64 kDefaultIv = 0xA6A6A6A6A6A6A6A6ULL;

bool isAesKeySize(int size)
{
    return size == 16 || size == 24 || size == 32;
}

} // namespace

void AesContextDeleter::operator()(mbedtls_aes_context *context) const
{
    mbedtls_aes_free(context);
    delete context;
}

AesContextPtr g_newAesContext()
{
    AesContextPtr context(new mbedtls_aes_context);
    mbedtls_aes_init(context.get());
    return context;
}

QByteArray g_pbkdf2HmacSha1(const QByteArray &password, const QByteArray &salt, quint32 iterations,
                            int keyLength)
{
    return KeyDerivation::pbkdf2(KeyDerivation::Hash::Sha1, password, salt, iterations, keyLength);
}

QByteArray aes_key_unwrap(const QByteArray &kek, const QByteArray &wrapped)
{
    if (!isAesKeySize(kek.size()) || wrapped.size() < 3 * kBlock || wrapped.size() % kBlock != 0)
        return QByteArray();
    const AesContextPtr aes = g_newAesContext();
    if (mbedtls_aes_setkey_dec(aes.get(), reinterpret_cast<const unsigned char *>(kek.constData()),
                               static_cast<unsigned int>(kek.size() * 8)) != 0) {
        return QByteArray();
    }

    const int n = wrapped.size() / kBlock - 1;
    quint64 a = qFromBigEndian<quint64>(wrapped.constData());
    QByteArray r = wrapped.mid(kBlock);
    unsigned char block[16];
    for (int j = 5; j >= 0; --j) {
        for (int i = n; i >= 1; --i) {
            const quint64 t = static_cast<quint64>(n) * static_cast<quint64>(j) + i;
            char *ri = r.data() + (i - 1) * kBlock;
            qToBigEndian<quint64>(a ^ t, block);
            std::memcpy(block + kBlock, ri, kBlock);
            if (mbedtls_aes_crypt_ecb(aes.get(), MBEDTLS_AES_DECRYPT, block, block) != 0)
                return QByteArray();
            a = qFromBigEndian<quint64>(block);
            std::memcpy(ri, block + kBlock, kBlock);
        }
    }
    mbedtls_platform_zeroize(block, sizeof(block));
    if (a != kDefaultIv)
        return QByteArray();
    return r;
}

bool setAESKey(mbedtls_aes_context *context, const QByteArray &key)
{
    if (!context || key.size() != 32)
        return false;
    return mbedtls_aes_setkey_dec(context, reinterpret_cast<const unsigned char *>(key.constData()),
                                  256) == 0;
}

QByteArray AESdecryptCBC(mbedtls_aes_context *context, const char *data, size_t length, char *iv)
{
    if (!context || length % 16 != 0 || length > static_cast<size_t>(INT_MAX))
        return QByteArray();
    QByteArray plain(static_cast<int>(length), '\0');
    if (length == 0)
        return plain;
    const int rc = mbedtls_aes_crypt_cbc(context, MBEDTLS_AES_DECRYPT, length,
                                         reinterpret_cast<unsigned char *>(iv),
                                         reinterpret_cast<const unsigned char *>(data),
                                         reinterpret_cast<unsigned char *>(plain.data()));
    return rc == 0 ? plain : QByteArray();
}
