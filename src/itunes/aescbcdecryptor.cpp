#include "itunes/aescbcdecryptor.h"

#include "frame/translation.h"

#include <QtGlobal>

#include <stdexcept>

namespace {

// The padding of a CBC-encrypted file is 1 to 16 bytes; anything more past the recorded size is
// data the manifest does not account for and is kept.
constexpr quint64 kMaxPadding = 16;

} // namespace

AesCbcDecryptor::AesCbcDecryptor(const QByteArray &key, quint64 plainSize)
    : m_context(g_newAesContext()), m_plainSize(plainSize)
{
    if (!setAESKey(m_context.get(), key))
        throw std::runtime_error(g_tr("IDS_FILE_KEY_INVALID").toStdString());
}

std::optional<QByteArray> AesCbcDecryptor::decryptChunk(const char *data, size_t length)
{
    if (length % 16 != 0)
        return std::nullopt;
    QByteArray plain = AESdecryptCBC(m_context.get(), data, length, m_iv);
    if (plain.size() != static_cast<qsizetype>(length))
        return std::nullopt;
    const quint64 before = m_done;
    m_done += length;
    if (m_done > m_plainSize && m_done - m_plainSize <= kMaxPadding) {
        // Only the bytes of this piece that lie past the plain size are padding. Each padding
        // byte holds the padding's length; other values mean the recorded size is not the
        // file's.
        const quint64 cut = m_done - qMax(before, m_plainSize);
        const char expected = static_cast<char>(m_done - m_plainSize);
        for (qsizetype i = plain.size() - static_cast<qsizetype>(cut); i < plain.size(); ++i)
            m_paddingMatches = m_paddingMatches && plain.at(i) == expected;
        plain.chop(static_cast<qsizetype>(cut));
    }
    return plain;
}

std::optional<QByteArray> AesCbcDecryptor::decryptAll(const QByteArray &key,
                                                      const QByteArray &cipher, quint64 plainSize)
{
    AesCbcDecryptor decryptor(key, plainSize);
    return decryptor.decryptChunk(cipher);
}
