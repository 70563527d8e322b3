#pragma once

#include "itunes/backupcrypto.h"

#include <QByteArray>

#include <cstddef>
#include <optional>

// Decrypts one stored file of an encrypted backup piece by piece: AES-256-CBC from a zero IV, the
// chain carried across pieces, and the padding of the last block dropped by cutting the output
// back to the file's recorded plain size.
class AesCbcDecryptor
{
public:
    // key: the file's 32-byte key; plainSize: its size in the manifest. Throws
    // std::runtime_error when the key is not an AES-256 key.
    AesCbcDecryptor(const QByteArray &key, quint64 plainSize);

    // The plain bytes of the next piece, without padding; nothing when the piece is not a
    // multiple of 16 bytes long (the stored file is damaged).
    std::optional<QByteArray> decryptChunk(const char *data, size_t length);
    std::optional<QByteArray> decryptChunk(const QByteArray &data)
    {
        return decryptChunk(data.constData(), static_cast<size_t>(data.size()));
    }

    // False once bytes cut as padding were not the padding the recorded size implies.
    bool paddingMatches() const { return m_paddingMatches; }

    // Cipher bytes consumed so far.
    quint64 bytesDecrypted() const { return m_done; }

    // A whole file at once.
    static std::optional<QByteArray> decryptAll(const QByteArray &key, const QByteArray &cipher,
                                                quint64 plainSize);

private:
    AesContextPtr m_context;
    char m_iv[16] = {};
    quint64 m_plainSize = 0;
    quint64 m_done = 0;
    bool m_paddingMatches = true;
};
