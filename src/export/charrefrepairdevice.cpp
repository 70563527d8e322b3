#include "export/charrefrepairdevice.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr qint64 kChunk = 64 * 1024;
// "&#x" and at most 8 digits and ";": longer runs are no reference this device repairs.
constexpr qsizetype kMaxReference = 12;

bool isHighSurrogate(qint64 code)
{
    return code >= 0xD800 && code <= 0xDBFF;
}

bool isLowSurrogate(qint64 code)
{
    return code >= 0xDC00 && code <= 0xDFFF;
}

// The characters XML 1.0 allows in a document.
bool isXmlChar(qint64 code)
{
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
           (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

QByteArray referenceTo(qint64 code)
{
    return "&#" + QByteArray::number(code) + ';';
}

} // namespace

CharRefRepairDevice::CharRefRepairDevice(QIODevice &source) : m_source(source)
{
    open(QIODevice::ReadOnly);
}

bool CharRefRepairDevice::atEnd() const
{
    return m_sourceDone && m_outPos >= m_out.size() && m_in.isEmpty() && QIODevice::atEnd();
}

qint64 CharRefRepairDevice::readData(char *data, qint64 maxSize)
{
    while (m_outPos >= m_out.size()) {
        m_out.clear();
        m_outPos = 0;
        if (!fill())
            return m_in.isEmpty() ? 0 : -1;
    }
    const qint64 n = std::min<qint64>(maxSize, m_out.size() - m_outPos);
    std::memcpy(data, m_out.constData() + m_outPos, size_t(n));
    m_outPos += n;
    return n;
}

bool CharRefRepairDevice::fill()
{
    if (m_sourceDone)
        return false;
    const qsizetype had = m_in.size();
    m_in.resize(had + kChunk);
    const qint64 n = m_source.read(m_in.data() + had, kChunk);
    m_in.resize(had + std::max<qint64>(n, 0));
    m_sourceFailed = n < 0;
    m_sourceDone = n <= 0;
    repair(m_sourceDone);
    return !m_out.isEmpty() || !m_sourceDone;
}

CharRefRepairDevice::Reference CharRefRepairDevice::parseReference(QByteArrayView text, bool final)
{
    // text starts with "&#".
    qsizetype i = 2;
    int base = 10;
    if (i < text.size() && (text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    }
    const qsizetype digitsStart = i;
    qint64 code = 0;
    for (; i < text.size() && i < kMaxReference; ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            break;
        code = code * base + digit;
    }
    if (i >= text.size())
        return {0, final ? 0 : -1};
    if (text[i] != ';' || i == digitsStart)
        return {0, 0};
    return {code, i + 1};
}

void CharRefRepairDevice::repair(bool final)
{
    QByteArrayView in(m_in);
    qsizetype done = 0;
    while (true) {
        const qsizetype amp = in.indexOf("&#", done);
        // A "&" at the very end may be the start of a reference that the next chunk completes.
        const qsizetype end = !final && in.endsWith('&') ? in.size() - 1 : in.size();
        const qsizetype cut = amp >= 0 ? amp : end;
        m_out += in.sliced(done, cut - done);
        done = cut;
        if (amp < 0)
            break;
        const Reference first = parseReference(in.sliced(amp), final);
        if (first.length < 0)
            break;
        if (first.length == 0) {
            m_out += "&#";
            done = amp + 2;
            continue;
        }
        qsizetype used = first.length;
        qint64 code = first.code;
        if (isHighSurrogate(code)) {
            const QByteArrayView rest = in.sliced(amp + used);
            if (!final && rest.size() < kMaxReference && !rest.contains(';'))
                break; // the low half may still come
            Reference second;
            if (rest.startsWith("&#"))
                second = parseReference(rest, true);
            if (second.length > 0 && isLowSurrogate(second.code)) {
                code = 0x10000 + ((code - 0xD800) << 10) + (second.code - 0xDC00);
                used += second.length;
            }
        }
        if (!isXmlChar(code))
            m_out += referenceTo(0xFFFD);
        else if (used != first.length)
            m_out += referenceTo(code); // a repaired pair
        else
            m_out += in.sliced(amp, used);
        done = amp + used;
    }
    m_in.remove(0, done);
}
