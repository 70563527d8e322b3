#include "itunes/mbfilerecord.h"

#include "itunes/ituneslog.h"

#include <QtEndian>

#include <plist/plist.h>

#include <limits>
#include <memory>

namespace {

struct PlistDeleter
{
    void operator()(void *node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

// Archives nest values at most this deep; deeper chains of references are loops.
constexpr int kMaxReferenceDepth = 8;
// Seconds between 1970 and 2001, for records that hold real property-list dates.
constexpr qint64 kSecondsTo2001 = 978307200;

class Archive
{
public:
    explicit Archive(plist_t root) : m_objects(plist_dict_get_item(root, "$objects")) {}

    bool isValid() const { return plist_get_node_type(m_objects) == PLIST_ARRAY; }

    // A UID stands for the object at that index; anything else is itself.
    plist_t resolve(plist_t node) const
    {
        for (int depth = 0; node && plist_get_node_type(node) == PLIST_UID; ++depth) {
            if (depth == kMaxReferenceDepth)
                return nullptr;
            uint64_t index = 0;
            plist_get_uid_val(node, &index);
            if (index >= plist_array_get_size(m_objects))
                return nullptr;
            node = plist_array_get_item(m_objects, static_cast<uint32_t>(index));
        }
        return node;
    }

    // A dictionary wrapping the value under "NS.data" or "NS.string" yields that value.
    plist_t value(plist_t dict, const char *key) const
    {
        plist_t node = resolve(plist_dict_get_item(dict, key));
        if (plist_get_node_type(node) != PLIST_DICT)
            return node;
        for (const char *inner : {"NS.data", "NS.string", "NS.bytes"}) {
            if (plist_t wrapped = resolve(plist_dict_get_item(node, inner)))
                return wrapped;
        }
        return nullptr;
    }

private:
    plist_t m_objects;
};

std::optional<quint64> uintOf(plist_t node)
{
    if (plist_get_node_type(node) == PLIST_UINT) {
        uint64_t v = 0;
        plist_get_uint_val(node, &v);
        return v;
    }
    if (plist_get_node_type(node) == PLIST_DATE) {
        int32_t sec = 0;
        int32_t usec = 0;
        plist_get_date_val(node, &sec, &usec);
        return static_cast<quint64>(qMax<qint64>(0, qint64(sec) + kSecondsTo2001));
    }
    return std::nullopt;
}

// By pointer and length: libplist's copying string getter aborts on a zero byte inside.
QByteArray bytesOf(plist_t node)
{
    uint64_t length = 0;
    const char *bytes = nullptr;
    if (plist_get_node_type(node) == PLIST_DATA)
        bytes = plist_get_data_ptr(node, &length);
    else if (plist_get_node_type(node) == PLIST_STRING)
        bytes = plist_get_string_ptr(node, &length);
    return bytes ? QByteArray(bytes, static_cast<qsizetype>(length)) : QByteArray();
}

template <typename T> void setNumber(T &field, plist_t node)
{
    if (const std::optional<quint64> v = uintOf(node))
        field = static_cast<T>(qMin<quint64>(*v, std::numeric_limits<T>::max()));
}

MBDBParser::_MBDBBinary binary(const QByteArray &data)
{
    MBDBParser::_MBDBBinary out;
    if (!data.isEmpty() && data.size() <= 0xFFFE) {
        out.length = static_cast<quint16>(data.size());
        out.data = data;
    }
    return out;
}

} // namespace

std::optional<MBDBParser::_MBDBItem> MBFileRecord::parse(const QByteArray &blob,
                                                         const MBDBParser::_MBDBItem &base)
{
    if (blob.isEmpty() || blob.size() > std::numeric_limits<int>::max())
        return std::nullopt;
    plist_t raw = nullptr;
    plist_from_memory(blob.constData(), static_cast<uint32_t>(blob.size()), &raw);
    const PlistPtr root(raw);
    if (plist_get_node_type(raw) != PLIST_DICT)
        return std::nullopt;
    const Archive archive(raw);
    if (!archive.isValid())
        return std::nullopt;
    // The record is the object named by $top.root, not a fixed index.
    const plist_t top = plist_dict_get_item(raw, "$top");
    const plist_t record = archive.resolve(plist_dict_get_item(top, "root"));
    if (plist_get_node_type(record) != PLIST_DICT)
        return std::nullopt;

    MBDBParser::_MBDBItem item = base;
    setNumber(item.mode, archive.value(record, "Mode"));
    setNumber(item.size, archive.value(record, "Size"));
    setNumber(item.modifiedTime, archive.value(record, "LastModified"));
    setNumber(item.accessedTime, archive.value(record, "LastStatusChange"));
    setNumber(item.createdTime, archive.value(record, "Birth"));
    setNumber(item.userId, archive.value(record, "UserID"));
    setNumber(item.groupId, archive.value(record, "GroupID"));
    quint64 inode = 0;
    setNumber(inode, archive.value(record, "InodeNumber"));
    item.inodeHigh = static_cast<quint32>(inode >> 32);
    item.inodeLow = static_cast<quint32>(inode);
    item.linkTarget = binary(bytesOf(archive.value(record, "Target")));
    item.encryptionKey = binary(bytesOf(archive.value(record, "EncryptionKey")));

    const std::optional<quint64> protection = uintOf(archive.value(record, "ProtectionClass"));
    const QByteArray &key = item.encryptionKey.data;
    if (protection) {
        item.protectionClass = static_cast<quint8>(qMin<quint64>(*protection, 255));
        if (key.size() >= 4 && qFromLittleEndian<quint32>(key.constData()) != *protection)
            qCInfo(lcItunes) << "file record class" << *protection << "differs from its key's"
                             << qFromLittleEndian<quint32>(key.constData());
    } else if (key.size() >= 4) {
        item.protectionClass =
            static_cast<quint8>(qMin<quint32>(qFromLittleEndian<quint32>(key.constData()), 255));
    }
    return item;
}
