#pragma once

#include <QByteArray>

#include <cstddef>
#include <memory>

// The cipher primitives of encrypted backups, over mbed TLS.

struct mbedtls_aes_context;

struct AesContextDeleter
{
    void operator()(mbedtls_aes_context *context) const;
};
using AesContextPtr = std::unique_ptr<mbedtls_aes_context, AesContextDeleter>;

// A fresh, initialised AES context, released with its owner.
AesContextPtr g_newAesContext();

// PBKDF2 with HMAC-SHA1; empty when the derivation fails or iterations is 0.
QByteArray g_pbkdf2HmacSha1(const QByteArray &password, const QByteArray &salt, quint32 iterations,
                            int keyLength);

// RFC 3394 key unwrap with the default initial value. kek: an AES key of 16, 24 or 32 bytes;
// wrapped: at least three 64-bit blocks. Empty when the integrity check fails (wrong key or
// damaged data) or the sizes are not those of a wrapped key.
QByteArray aes_key_unwrap(const QByteArray &kek, const QByteArray &wrapped);

// Prepares the context for AES-256 decryption; false unless the key is 32 bytes.
[[nodiscard]] bool setAESKey(mbedtls_aes_context *context, const QByteArray &key);

// AES-CBC decryption of length bytes; the 16-byte iv is advanced so that the next call continues
// the chain. Empty when length is not a multiple of 16.
QByteArray AESdecryptCBC(mbedtls_aes_context *context, const char *data, size_t length, char *iv);
