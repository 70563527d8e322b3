#include "cli/jsonline.h"

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
    m_bytes.reserve(1024);
}

void JsonLine::clear()
{
    m_bytes.resize(0);
    m_first.clear();
}

void JsonLine::separate()
{
    if (m_first.empty())
        return;
    if (!m_first.back())
        m_bytes += ',';
    m_first.back() = false;
}

void JsonLine::appendKey(const char *key)
{
    separate();
    m_bytes += '"';
    m_bytes += key;
    m_bytes += "\":";
}

JsonLine &JsonLine::beginObject(const char *key)
{
    if (key)
        appendKey(key);
    else
        separate();
    m_bytes += '{';
    m_first.push_back(true);
    return *this;
}

JsonLine &JsonLine::endObject()
{
    m_bytes += '}';
    m_first.pop_back();
    return *this;
}

JsonLine &JsonLine::beginArray(const char *key)
{
    appendKey(key);
    m_bytes += '[';
    m_first.push_back(true);
    return *this;
}

JsonLine &JsonLine::endArray()
{
    m_bytes += ']';
    m_first.pop_back();
    return *this;
}

JsonLine &JsonLine::add(const char *key, const QString &value)
{
    appendKey(key);
    appendString(m_bytes, value);
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
    m_bytes.append(p, end - p);
    return *this;
}

JsonLine &JsonLine::add(const char *key, bool value)
{
    appendKey(key);
    m_bytes += value ? "true" : "false";
    return *this;
}

void JsonLine::appendString(QByteArray &out, const QString &value)
{
    // Written through a pointer into room made beforehand: appending byte by byte cost more than
    // everything else of a listing's output.
    const qsizetype start = out.size();
    out.resize(start + 2 + value.size() * kMaxBytesPerUnit);
    char *p = out.data() + start;
    *p++ = '"';
    const auto *it = reinterpret_cast<const char16_t *>(value.constData());
    const char16_t *const end = it + value.size();
    while (it != end) {
        const char16_t unit = *it++;
        if (unit < 0x80) {
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
    out.resize(p - out.constData());
}
