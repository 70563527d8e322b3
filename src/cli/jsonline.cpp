#include "cli/jsonline.h"

namespace {

char hexDigit(uint value)
{
    return "0123456789abcdef"[value & 0xf];
}

void appendEscape(QByteArray &out, char16_t unit)
{
    out += '\\';
    out += 'u';
    out += hexDigit(unit >> 12);
    out += hexDigit(unit >> 8);
    out += hexDigit(unit >> 4);
    out += hexDigit(unit);
}

void appendAscii(QByteArray &out, char16_t unit)
{
    switch (unit) {
    case u'"':
        out += "\\\"";
        return;
    case u'\\':
        out += "\\\\";
        return;
    case u'\b':
        out += "\\b";
        return;
    case u'\f':
        out += "\\f";
        return;
    case u'\n':
        out += "\\n";
        return;
    case u'\r':
        out += "\\r";
        return;
    case u'\t':
        out += "\\t";
        return;
    default:
        if (unit < 0x20)
            appendEscape(out, unit);
        else
            out += char(unit);
    }
}

void appendUtf8(QByteArray &out, char32_t code)
{
    if (code < 0x800) {
        out += char(0xc0 | (code >> 6));
    } else if (code < 0x10000) {
        out += char(0xe0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3f));
    } else {
        out += char(0xf0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3f));
        out += char(0x80 | ((code >> 6) & 0x3f));
    }
    out += char(0x80 | (code & 0x3f));
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
    m_bytes += QByteArray::number(value);
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
    out += '"';
    const auto *it = reinterpret_cast<const char16_t *>(value.constData());
    const char16_t *const end = it + value.size();
    while (it != end) {
        const char16_t unit = *it++;
        if (unit < 0x80) {
            appendAscii(out, unit);
        } else if (!QChar::isSurrogate(unit)) {
            appendUtf8(out, unit);
        } else if (QChar::isHighSurrogate(unit) && it != end && QChar::isLowSurrogate(*it)) {
            appendUtf8(out, QChar::surrogateToUcs4(unit, *it++));
        } else {
            // A lone half of a pair has no UTF-8 form; the escape keeps it, as Qt's writer does.
            appendEscape(out, unit);
        }
    }
    out += '"';
}
