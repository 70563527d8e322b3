#pragma once

#include <QByteArrayView>
#include <QString>

#include <array>
#include <memory>

// A text column every message fills (guid, text) kept in as few bytes as it allows: a UUID in its
// canonical 8-4-4-4-12 form as 16 bytes (with its letter case), any other text as UTF-8, nothing
// at all when empty. One pointer wide; a million messages hold two of these each.
//
// What it gives back is what QString::toUtf8() makes of the text it was given, which is what a
// save or an export writes anyway: a lone UTF-16 surrogate, which no valid text holds, reads back
// as "?". Empty and null text alike read back as a null QString.
class MsgCompactText
{
public:
    // Room for a UUID spelt out.
    using Buffer = std::array<char, 36>;

    MsgCompactText() = default;
    explicit MsgCompactText(const QString &text);
    // Bytes as a database hands them over; invalid UTF-8 in them becomes U+FFFD.
    explicit MsgCompactText(QByteArrayView utf8);
    MsgCompactText(const MsgCompactText &other);
    MsgCompactText(MsgCompactText &&other) noexcept = default;
    MsgCompactText &operator=(const MsgCompactText &other);
    MsgCompactText &operator=(MsgCompactText &&other) noexcept = default;
    ~MsgCompactText() = default;

    bool isEmpty() const { return !m_block; }
    QString toString() const;
    // The text in UTF-8. A UUID is spelt into buffer; other text points into this object, valid
    // until it changes.
    QByteArrayView utf8(Buffer &buffer) const;
    // Whether the text is held as 16 bytes (for tests and measurements).
    bool isPackedUuid() const;

    friend bool operator==(const MsgCompactText &a, const MsgCompactText &b);
    friend bool operator!=(const MsgCompactText &a, const MsgCompactText &b) { return !(a == b); }

private:
    enum Kind : quint64 { Utf8 = 0, UpperUuid = 1, LowerUuid = 2 };
    // The block: a 64-bit word (payload size << 2 | kind), then the payload. (A 32-bit word would
    // save nothing: the allocator hands out blocks in steps of 16 bytes.)
    static constexpr size_t kHeader = sizeof(quint64);

    void store(QByteArrayView validUtf8);
    void assign(Kind kind, const char *payload, size_t size);
    quint64 header() const;
    Kind kind() const { return Kind(header() & 3); }
    size_t payloadSize() const { return header() >> 2; }
    const char *payload() const { return m_block.get() + kHeader; }
    size_t blockSize() const { return m_block ? kHeader + payloadSize() : 0; }

    std::unique_ptr<char[]> m_block;
};
