#include "iosdb/typedstreamreader.h"

#include <QtEndian>

namespace {

constexpr quint8 kInt16 = 0x81;
constexpr quint8 kInt32 = 0x82;
constexpr quint8 kFloat = 0x83;
constexpr quint8 kNew = 0x84;
constexpr quint8 kNil = 0x85;
constexpr quint8 kEnd = 0x86;
constexpr quint8 kInt64 = 0x87;
// Head bytes from 0x80 to 0x91 are tags; from 0x92 on, read as signed bytes, they are small
// negative numbers, and in reference position they number table entries from 0.
constexpr quint8 kLastTag = 0x91;
constexpr qint64 kFirstReference = -110;
// Nesting deeper than any archive of a message body: a hostile archive could exhaust the stack.
constexpr int kMaxDepth = 64;

bool isStringClass(const QStringList &classes)
{
    return classes.contains(QLatin1String("NSString"));
}

} // namespace

std::optional<QString> TypedStreamReader::attributedText(const QByteArray &archive)
{
    TypedStreamReader reader(archive);
    try {
        reader.readHeader();
        const std::optional<QByteArray> type = reader.sharedString();
        if (!type || *type != "@")
            return std::nullopt;
        const int root = reader.readObject(0);
        if (root < 0 || reader.m_table.at(root).isClass)
            return std::nullopt;
        for (const Entry &entry : std::as_const(reader.m_table)) {
            if (!entry.isClass && entry.bytes && isStringClass(entry.classes))
                return QString::fromUtf8(*entry.bytes);
        }
    } catch (const Malformed &) {
    }
    return std::nullopt;
}

void TypedStreamReader::readHeader()
{
    if (integer() != 4)
        throw Malformed();
    const QByteArray signature = take(integer());
    if (signature == "streamtyped")
        m_bigEndian = false;
    else if (signature == "typedstream")
        m_bigEndian = true;
    else
        throw Malformed();
    integer(); // the writing system's version
}

quint8 TypedStreamReader::peek() const
{
    if (m_pos >= m_data.size())
        throw Malformed();
    return static_cast<quint8>(m_data.at(m_pos));
}

quint8 TypedStreamReader::next()
{
    const quint8 byte = peek();
    ++m_pos;
    return byte;
}

QByteArray TypedStreamReader::take(qint64 count)
{
    if (count < 0 || count > m_data.size() - m_pos)
        throw Malformed();
    const QByteArray bytes = m_data.mid(m_pos, count);
    m_pos += count;
    return bytes;
}

qint64 TypedStreamReader::fixedInteger(int bytes)
{
    const QByteArray raw = take(bytes);
    const auto *p = reinterpret_cast<const uchar *>(raw.constData());
    switch (bytes) {
    case 2:
        return m_bigEndian ? qFromBigEndian<qint16>(p) : qFromLittleEndian<qint16>(p);
    case 4:
        return m_bigEndian ? qFromBigEndian<qint32>(p) : qFromLittleEndian<qint32>(p);
    default:
        return m_bigEndian ? qFromBigEndian<qint64>(p) : qFromLittleEndian<qint64>(p);
    }
}

qint64 TypedStreamReader::integerAfter(quint8 head)
{
    switch (head) {
    case kInt16:
        return fixedInteger(2);
    case kInt32:
        return fixedInteger(4);
    case kInt64:
        return fixedInteger(8);
    default:
        if (head >= 0x80 && head <= kLastTag)
            throw Malformed();
        return static_cast<qint8>(head);
    }
}

qint64 TypedStreamReader::integer()
{
    return integerAfter(next());
}

int TypedStreamReader::reference(quint8 head, qsizetype tableSize)
{
    const qint64 number = integerAfter(head) - kFirstReference;
    if (number < 0 || number >= tableSize)
        throw Malformed();
    return static_cast<int>(number);
}

std::optional<QByteArray> TypedStreamReader::sharedString()
{
    const quint8 head = next();
    if (head == kNil)
        return std::nullopt;
    if (head == kNew) {
        m_strings.append(take(integer()));
        return m_strings.constLast();
    }
    return m_strings.at(reference(head, m_strings.size()));
}

QStringList TypedStreamReader::readClass(int depth)
{
    if (depth > kMaxDepth)
        throw Malformed();
    const quint8 head = next();
    if (head == kNil)
        return {};
    if (head != kNew) {
        const Entry &known = m_table.at(reference(head, m_table.size()));
        if (!known.isClass)
            throw Malformed();
        return known.classes;
    }
    const std::optional<QByteArray> name = sharedString();
    if (!name)
        throw Malformed();
    integer(); // the class version
    const int index = int(m_table.size());
    m_table.append(Entry{true, {}, std::nullopt});
    QStringList chain{QString::fromUtf8(*name)};
    chain += readClass(depth + 1);
    m_table[index].classes = chain;
    return chain;
}

int TypedStreamReader::readObject(int depth)
{
    if (depth > kMaxDepth)
        throw Malformed();
    const quint8 head = next();
    if (head == kNil)
        return -1;
    if (head != kNew)
        return reference(head, m_table.size());
    // The object takes its number before its class does.
    const int index = int(m_table.size());
    m_table.append(Entry());
    const QStringList classes = readClass(depth + 1);
    if (classes.isEmpty())
        throw Malformed();
    m_table[index].classes = classes;
    while (!m_found && peek() != kEnd)
        readGroup(index, depth);
    if (!m_found)
        next();
    return index;
}

void TypedStreamReader::readGroup(int owner, int depth)
{
    const std::optional<QByteArray> type = sharedString();
    if (!type || type->isEmpty())
        throw Malformed();
    qsizetype pos = 0;
    while (pos < type->size() && !m_found)
        readValue(*type, pos, owner, depth);
}

void TypedStreamReader::readValue(const QByteArray &type, qsizetype &pos, int owner, int depth)
{
    if (depth > kMaxDepth || pos >= type.size())
        throw Malformed();
    const char code = type.at(pos++);
    switch (code) {
    case '@':
        readObject(depth + 1);
        return;
    case '#':
        readClass(depth + 1);
        return;
    case '+': {
        QByteArray bytes = take(integer());
        Entry &entry = m_table[owner];
        if (!entry.bytes) {
            entry.bytes = std::move(bytes);
            m_found = isStringClass(entry.classes);
        }
        return;
    }
    case '*': {
        // A C string: nil, or the new-literal tag before a shared string.
        const quint8 head = next();
        if (head == kNew)
            sharedString();
        else if (head != kNil)
            throw Malformed();
        return;
    }
    case '%':
    case ':':
        sharedString();
        return;
    case 'c':
    case 'C':
    case 's':
    case 'S':
    case 'i':
    case 'I':
    case 'l':
    case 'L':
    case 'q':
    case 'Q':
    case 'B':
        integer();
        return;
    case 'f':
    case 'd': {
        const quint8 head = next();
        if (head == kFloat)
            take(code == 'f' ? 4 : 8);
        else
            integerAfter(head);
        return;
    }
    case '[': {
        qint64 count = 0;
        while (pos < type.size() && type.at(pos) >= '0' && type.at(pos) <= '9') {
            count = count * 10 + (type.at(pos++) - '0');
            // Each element takes at least one byte: more than the bytes left cannot be.
            if (count > m_data.size() - m_pos)
                throw Malformed();
        }
        const qsizetype element = pos;
        if (element >= type.size())
            throw Malformed();
        if (type.at(element) == 'c' || type.at(element) == 'C') {
            take(count);
            pos = element + 1;
        } else {
            for (qint64 i = 0; i < count; ++i) {
                pos = element;
                readValue(type, pos, owner, depth + 1);
            }
            if (count == 0) {
                // The element type is still to be stepped over.
                pos = element + 1;
            }
        }
        if (pos >= type.size() || type.at(pos) != ']')
            throw Malformed();
        ++pos;
        return;
    }
    case '{': {
        const qsizetype equals = type.indexOf('=', pos);
        if (equals < 0)
            throw Malformed();
        pos = equals + 1;
        while (pos < type.size() && type.at(pos) != '}' && !m_found)
            readValue(type, pos, owner, depth + 1);
        if (!m_found) {
            if (pos >= type.size())
                throw Malformed();
            ++pos;
        }
        return;
    }
    default:
        throw Malformed();
    }
}
