#include "cli/jsonline.h"

#include <algorithm>
#include <cstring>

namespace {

// The longest form of one UTF-16 unit: a backslash, "u" and four hexadecimal digits.
constexpr qsizetype kMaxBytesPerUnit = 6;

char hexDigit(uint value)
{
    return "0123456789abcdef"[value & 0xf];
}

// The writers below put bytes at p and return the position after them; the caller has made room.
char *putEscape(char *p, char16_t unit)
{
    *p++ = '\\';
    *p++ = 'u';
    *p++ = hexDigit(unit >> 12);
    *p++ = hexDigit(unit >> 8);
    *p++ = hexDigit(unit >> 4);
    *p++ = hexDigit(unit);
    return p;
}

char *putAscii(char *p, char16_t unit)
{
    char escaped = 0;
    switch (unit) {
    case u'"':
        escaped = '"';
        break;
    case u'\\':
        escaped = '\\';
        break;
    case u'\b':
        escaped = 'b';
        break;
    case u'\f':
        escaped = 'f';
        break;
    case u'\n':
        escaped = 'n';
        break;
    case u'\r':
        escaped = 'r';
        break;
    case u'\t':
        escaped = 't';
        break;
    default:
        if (unit < 0x20)
            return putEscape(p, unit);
        *p++ = char(unit);
        return p;
    }
    *p++ = '\\';
    *p++ = escaped;
    return p;
}

char *putUtf8(char *p, char32_t code)
{
    if (code < 0x800) {
        *p++ = char(0xc0 | (code >> 6));
    } else if (code < 0x10000) {
        *p++ = char(0xe0 | (code >> 12));
        *p++ = char(0x80 | ((code >> 6) & 0x3f));
    } else {
        *p++ = char(0xf0 | (code >> 18));
        *p++ = char(0x80 | ((code >> 12) & 0x3f));
        *p++ = char(0x80 | ((code >> 6) & 0x3f));
    }
    *p++ = char(0x80 | (code & 0x3f));
    return p;
}

} // namespace

JsonLine::JsonLine()
{
    room(1024);
}

void JsonLine::clear()
{
    m_size = 0;
    m_first.clear();
}

char *JsonLine::room(qsizetype n)
{
    if (m_size + n > m_capacity) {
        const qsizetype capacity = std::max(m_size + n, 2 * m_capacity);
        auto grown = std::make_unique<char[]>(size_t(capacity));
        if (m_size > 0)
            std::memcpy(grown.get(), m_data.get(), size_t(m_size));
        m_data = std::move(grown);
        m_capacity = capacity;
    }
    return m_data.get() + m_size;
}

void JsonLine::append(const char *text, qsizetype n)
{
    char *p = room(n);
    std::memcpy(p, text, size_t(n));
    setEnd(p + n);
}

bool JsonLine::needsComma()
{
    if (m_first.empty())
        return false;
    const bool comma = !m_first.back();
    m_first.back() = false;
    return comma;
}

void JsonLine::appendKey(const char *key)
{
    const auto length = qsizetype(std::strlen(key));
    char *p = room(length + 4);
    if (needsComma())
        *p++ = ',';
    *p++ = '"';
    std::memcpy(p, key, size_t(length));
    p += length;
    *p++ = '"';
    *p++ = ':';
    setEnd(p);
}

JsonLine &JsonLine::beginObject(const char *key)
{
    if (key)
        appendKey(key);
    else if (needsComma())
        append(",", 1);
    append("{", 1);
    m_first.push_back(true);
    return *this;
}

JsonLine &JsonLine::endObject()
{
    append("}", 1);
    m_first.pop_back();
    return *this;
}

JsonLine &JsonLine::beginArray(const char *key)
{
    appendKey(key);
    append("[", 1);
    m_first.push_back(true);
    return *this;
}

JsonLine &JsonLine::endArray()
{
    append("]", 1);
    m_first.pop_back();
    return *this;
}

JsonLine &JsonLine::add(const char *key, const QString &value)
{
    appendKey(key);
    setEnd(putString(room(2 + value.size() * kMaxBytesPerUnit), value));
    return *this;
}

JsonLine &JsonLine::addUtf8(const char *key, QByteArrayView value, bool withoutPlaceholders)
{
    appendKey(key);
    setEnd(putUtf8String(room(2 + value.size() * kMaxBytesPerUnit), value, withoutPlaceholders));
    return *this;
}

JsonLine &JsonLine::add(const char *key, qint64 value)
{
    appendKey(key);
    // Formatted in place, digits from the right: QByteArray::number made a new array for every
    // number of every record, and printf cost more than the division.
    char digits[24];
    char *const end = digits + sizeof digits;
    char *p = end;
    // Through the unsigned magnitude, so that the lowest 64-bit value has one too.
    quint64 magnitude = value < 0 ? 0 - quint64(value) : quint64(value);
    do {
        *--p = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        *--p = '-';
    append(p, end - p);
    return *this;
}

JsonLine &JsonLine::add(const char *key, bool value)
{
    appendKey(key);
    if (value)
        append("true", 4);
    else
        append("false", 5);
    return *this;
}

char *JsonLine::putString(char *p, const QString &value)
{
    // Written through a pointer into room made beforehand: appending byte by byte cost more than
    // everything else of a listing's output.
    *p++ = '"';
    const auto *it = reinterpret_cast<const char16_t *>(value.constData());
    const char16_t *const end = it + value.size();
    while (it != end) {
        const char16_t unit = *it++;
        if (unit >= 0x20 && unit < 0x80 && unit != u'"' && unit != u'\\') {
            // Most text is plain ASCII: copied without the look at escapes below.
            *p++ = char(unit);
        } else if (unit < 0x80) {
            p = putAscii(p, unit);
        } else if (!QChar::isSurrogate(unit)) {
            p = putUtf8(p, unit);
        } else if (QChar::isHighSurrogate(unit) && it != end && QChar::isLowSurrogate(*it)) {
            p = putUtf8(p, QChar::surrogateToUcs4(unit, *it++));
        } else {
            // A lone half of a pair has no UTF-8 form; the escape keeps it, as Qt's writer does.
            p = putEscape(p, unit);
        }
    }
    *p++ = '"';
    return p;
}

char *JsonLine::putUtf8String(char *p, QByteArrayView value, bool withoutPlaceholders)
{
    // Valid UTF-8 holds no lone surrogate, so every byte from 0x80 up is copied as it stands:
    // the text a QString of it would be written as.
    static constexpr char kPlaceholder[] = "\xEF\xBF\xBC"; // U+FFFC
    *p++ = '"';
    const char *it = value.data();
    const char *const end = it + value.size();
    while (it != end) {
        const auto byte = uchar(*it);
        if (byte >= 0x20 && byte != '"' && byte != '\\') {
            if (withoutPlaceholders && byte == 0xEF && end - it >= 3 &&
                std::memcmp(it, kPlaceholder, 3) == 0) {
                it += 3;
                continue;
            }
            *p++ = char(byte);
        } else {
            p = putAscii(p, byte);
        }
        ++it;
    }
    *p++ = '"';
    return p;
}
