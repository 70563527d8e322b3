#include "model/msgcompacttext.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kUuidLength = 36;
constexpr int kUuidBytes = 16;

bool isDashAt(int i)
{
    return i == 8 || i == 13 || i == 18 || i == 23;
}

// What each byte is worth as a hexadecimal digit, with bits telling its letter case; 0 for a byte
// that is no digit. Looked up rather than compared: every message's guid is parsed on reading.
constexpr uchar kDigit = 0x10;
constexpr uchar kUpper = 0x20;
constexpr uchar kLower = 0x40;

constexpr std::array<uchar, 256> digitTable()
{
    std::array<uchar, 256> table{};
    for (int c = '0'; c <= '9'; ++c)
        table[size_t(c)] = uchar(kDigit | (c - '0'));
    for (int c = 0; c < 6; ++c) {
        table[size_t('A' + c)] = uchar(kDigit | kUpper | (10 + c));
        table[size_t('a' + c)] = uchar(kDigit | kLower | (10 + c));
    }
    return table;
}

constexpr std::array<uchar, 256> kDigits = digitTable();

// The 16 bytes of a UUID spelt in one letter case; false for anything else.
bool parseUuid(QByteArrayView text, std::array<char, kUuidBytes> &bytes, bool &lowerCase)
{
    if (text.size() != kUuidLength)
        return false;
    uchar all = kDigit;
    uchar any = 0;
    int at = 0;
    for (int i = 0; i < kUuidBytes; ++i) {
        if (isDashAt(at) && text[at++] != '-')
            return false;
        const uchar high = kDigits[uchar(text[at])];
        const uchar low = kDigits[uchar(text[at + 1])];
        at += 2;
        all &= high & low;
        any |= high | low;
        bytes[size_t(i)] = char(((high & 0xF) << 4) | (low & 0xF));
    }
    if (!(all & kDigit) || (any & kUpper && any & kLower))
        return false;
    lowerCase = any & kLower;
    return true;
}

} // namespace

MsgCompactText::MsgCompactText(const QString &text)
{
    store(text.toUtf8());
}

MsgCompactText::MsgCompactText(QByteArrayView utf8)
{
    // Bytes that may not be valid UTF-8 take the way through QString, as reading them into one
    // always did, so that invalid sequences become U+FFFD here too.
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return uchar(c) < 0x80; }))
        store(utf8);
    else
        store(QString::fromUtf8(utf8).toUtf8());
}

void MsgCompactText::store(QByteArrayView utf8)
{
    std::array<char, kUuidBytes> bytes{};
    bool lowerCase = false;
    if (parseUuid(utf8, bytes, lowerCase))
        assign(lowerCase ? LowerUuid : UpperUuid, bytes.data(), bytes.size());
    else if (!utf8.isEmpty())
        assign(Utf8, utf8.data(), size_t(utf8.size()));
}

MsgCompactText::MsgCompactText(const MsgCompactText &other)
{
    *this = other;
}

MsgCompactText &MsgCompactText::operator=(const MsgCompactText &other)
{
    if (this != &other) {
        if (other.m_block)
            assign(other.kind(), other.payload(), other.payloadSize());
        else
            m_block.reset();
    }
    return *this;
}

void MsgCompactText::assign(Kind kind, const char *payload, size_t size)
{
    const quint64 header = (quint64(size) << 2) | kind;
    m_block = std::make_unique<char[]>(kHeader + size);
    std::memcpy(m_block.get(), &header, kHeader);
    std::memcpy(m_block.get() + kHeader, payload, size);
}

quint64 MsgCompactText::header() const
{
    quint64 header = 0;
    std::memcpy(&header, m_block.get(), kHeader);
    return header;
}

QByteArrayView MsgCompactText::utf8(Buffer &buffer) const
{
    if (!m_block)
        return {};
    if (kind() == Utf8)
        return {payload(), qsizetype(payloadSize())};
    const char *digits = kind() == LowerUuid ? "0123456789abcdef" : "0123456789ABCDEF";
    int out = 0;
    for (int i = 0; i < kUuidBytes; ++i) {
        if (isDashAt(out))
            buffer[size_t(out++)] = '-';
        const auto byte = uchar(payload()[i]);
        buffer[size_t(out++)] = digits[byte >> 4];
        buffer[size_t(out++)] = digits[byte & 0xF];
    }
    return {buffer.data(), kUuidLength};
}

QString MsgCompactText::toString() const
{
    Buffer buffer;
    const QByteArrayView bytes = utf8(buffer);
    if (bytes.isEmpty())
        return QString();
    return kind() == Utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

bool MsgCompactText::isPackedUuid() const
{
    return m_block && kind() != Utf8;
}

bool operator==(const MsgCompactText &a, const MsgCompactText &b)
{
    const size_t size = a.blockSize();
    return size == b.blockSize() &&
           (size == 0 || std::memcmp(a.m_block.get(), b.m_block.get(), size) == 0);
}
