#include "itunes/mbdbparser.h"

#include "frame/filenames.h"

#include "frame/translation.h"
#include "itunes/ituneslog.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QtEndian>

#include <stdexcept>

namespace {

// Thrown by the readers below; parse() turns it into a message naming the file.
struct ShortRead
{};

struct ReadFailed
{};

void readExactly(QIODevice &device, char *buffer, qint64 length)
{
    const qint64 got = device.read(buffer, length);
    if (got < 0)
        throw ReadFailed();
    if (got != length)
        throw ShortRead();
}

template <typename T> T readBigEndian(QIODevice &device)
{
    uchar bytes[sizeof(T)];
    readExactly(device, reinterpret_cast<char *>(bytes), sizeof(T));
    return qFromBigEndian<T>(bytes);
}

quint8 g_readByte(QIODevice &device)
{
    return readBigEndian<quint8>(device);
}

quint16 g_readInt16(QIODevice &device)
{
    return readBigEndian<quint16>(device);
}

quint32 g_readInt32(QIODevice &device)
{
    return readBigEndian<quint32>(device);
}

quint64 g_readInt64(QIODevice &device)
{
    return readBigEndian<quint64>(device);
}

MBDBParser::_MBDBBinary g_readBinary(QIODevice &device)
{
    MBDBParser::_MBDBBinary binary;
    binary.length = g_readInt16(device);
    if (binary.isValid()) {
        // A length that promises more bytes than remain is a damaged file, not a short string.
        binary.data.resize(binary.length);
        readExactly(device, binary.data.data(), binary.length);
    }
    return binary;
}

MBDBParser::_MBDBItem readItem(QIODevice &device)
{
    MBDBParser::_MBDBItem item;
    item.domain = g_readBinary(device);
    item.path = g_readBinary(device);
    item.linkTarget = g_readBinary(device);
    item.dataHash = g_readBinary(device);
    item.encryptionKey = g_readBinary(device);
    item.mode = g_readInt16(device);
    item.inodeHigh = g_readInt32(device);
    item.inodeLow = g_readInt32(device);
    item.userId = g_readInt32(device);
    item.groupId = g_readInt32(device);
    item.modifiedTime = g_readInt32(device);
    item.accessedTime = g_readInt32(device);
    item.createdTime = g_readInt32(device);
    item.size = g_readInt64(device);
    item.protectionClass = g_readByte(device);
    // The count is a signed byte in the format: a "negative" count means no properties.
    const auto propertyCount = static_cast<qint8>(g_readByte(device));
    for (int i = 0; i < propertyCount; ++i) {
        MBDBParser::_MBDBProperty property;
        property.name = g_readBinary(device);
        property.value = g_readBinary(device);
        item.properties.append(property);
    }
    return item;
}

void readHeader(QIODevice &device)
{
    // The two bytes after the magic are a format version that every known writer sets to 5.0;
    // they are not checked, so that a minor revision still reads.
    char header[6];
    readExactly(device, header, sizeof(header));
    if (QByteArray(header, 4) != "mbdb")
        throw ShortRead();
}

} // namespace

QString MBDBParser::_MBDBBinary::toString() const
{
    return isValid() ? QString::fromUtf8(data) : QString();
}

namespace {
constexpr quint16 kModeTypeMask = 0xF000;
constexpr quint16 kModeFolder = 0x4000;
constexpr quint16 kModeLink = 0xA000;
} // namespace

bool MBDBParser::_MBDBItem::isFolder() const
{
    const quint16 type = mode & kModeTypeMask;
    if (type != 0)
        return type == kModeFolder;
    return size == 0 && linkTarget.toString().isEmpty();
}

bool MBDBParser::_MBDBItem::isLink() const
{
    return (mode & kModeTypeMask) == kModeLink || linkTarget.isValid();
}

QString MBDBParser::_MBDBItem::backupFileName() const
{
    return getFileHashName(domain.toString(), path.toString());
}

bool MBDBParser::_MBDBItem::hasSafePath() const
{
    // An application's domain becomes a folder of its own ("Applications/<identifier>"), so it
    // must be one harmless path component too.
    static const QString appPrefix = QStringLiteral("AppDomain-");
    const QString domainText = domain.toString();
    const QString folder =
        domainText.startsWith(appPrefix) ? domainText.mid(appPrefix.size()) : domainText;
    return !folder.contains(QLatin1Char('/')) && g_isSafeRelativePath(folder) &&
           g_isSafeRelativePath(path.toString());
}

MBDBParser::ItemMap MBDBParser::parse(const QString &mbdbPath)
{
    QFile file(mbdbPath);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error(
            g_tr("IDS_MBDB_OPEN_FAILED").arg(mbdbPath, file.errorString()).toStdString());
    }
    ItemMap items;
    try {
        try {
            readHeader(file);
        } catch (const ShortRead &) {
            throw std::runtime_error(g_tr("IDS_MBDB_NOT_MANIFEST").arg(mbdbPath).toStdString());
        }
        while (!file.atEnd()) {
            const _MBDBItem item = readItem(file);
            items.insert(item.backupFileName(), item);
        }
    } catch (const ShortRead &) {
        qCWarning(lcItunes) << "manifest ends inside a record:" << mbdbPath << "at" << file.pos();
        throw std::runtime_error(g_tr("IDS_MBDB_TRUNCATED").arg(mbdbPath).toStdString());
    } catch (const ReadFailed &) {
        throw std::runtime_error(
            g_tr("IDS_MBDB_READ_FAILED").arg(mbdbPath, file.errorString()).toStdString());
    }
    return items;
}

QString MBDBParser::getFileHashName(const QString &domain, const QString &path)
{
    const QByteArray text = (domain + QLatin1Char('-') + path).toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(text, QCryptographicHash::Sha1).toHex());
}
