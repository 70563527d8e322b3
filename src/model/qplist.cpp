#include "model/qplist.h"

#include "frame/translation.h"

#include <QFile>
#include <QLoggingCategory>
#include <QTimeZone>

#include <plist/plist.h>

#include <cstdlib>
#include <limits>
#include <memory>
#include <stdexcept>

// The one place that talks to libplist. Strings, buffers and iterators that libplist 2.2
// allocates are released with free() (or its *_free helpers) through the owners below.
struct QPlist_private
{
    plist_t node = nullptr;
    bool owned = false;
    // For an item inside a tree: the handle record of that tree, kept alive with the item.
    QSharedPointer<QPlist_private> container;

    ~QPlist_private()
    {
        if (owned && node)
            plist_free(node);
    }
};

namespace {

Q_LOGGING_CATEGORY(lcPlist, "textlink.model")

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
using CString = std::unique_ptr<char, FreeDeleter>;

// The epoch of property-list dates.
QDateTime plistEpoch()
{
    return QDateTime(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
}

QPlist wrapNew(plist_t node, bool owned)
{
    return node ? QPlist(node, owned) : QPlist::create(owned);
}

} // namespace

QPlist::QPlist() : m_d(QSharedPointer<QPlist_private>::create()) {}

QPlist::QPlist(void *node, bool owned) : m_d(QSharedPointer<QPlist_private>::create())
{
    m_d->node = node;
    m_d->owned = owned;
}

void *QPlist::plist() const
{
    return m_d->node;
}

void *&QPlist::plist_ref()
{
    return m_d->node;
}

int QPlist::nodeType() const
{
    return m_d->node ? static_cast<int>(plist_get_node_type(m_d->node)) : -1;
}

bool QPlist::isNull() const
{
    return !m_d->node;
}

bool QPlist::isDict() const
{
    return nodeType() == PLIST_DICT;
}

bool QPlist::isArray() const
{
    return nodeType() == PLIST_ARRAY;
}

bool QPlist::isKey() const
{
    return nodeType() == PLIST_KEY;
}

bool QPlist::isString() const
{
    return nodeType() == PLIST_STRING;
}

bool QPlist::isDate() const
{
    return nodeType() == PLIST_DATE;
}

bool QPlist::isData() const
{
    return nodeType() == PLIST_DATA;
}

bool QPlist::isReal() const
{
    return nodeType() == PLIST_REAL;
}

bool QPlist::isUint() const
{
    return nodeType() == PLIST_UINT;
}

bool QPlist::isBool() const
{
    return nodeType() == PLIST_BOOLEAN;
}

QString QPlist::toString() const
{
    if (!isString())
        return QString();
    // By pointer and length: the copying getter aborts on a string holding a zero byte, which a
    // damaged or hostile property list can contain.
    uint64_t length = 0;
    const char *raw = plist_get_string_ptr(m_d->node, &length);
    return raw ? QString::fromUtf8(raw, static_cast<qsizetype>(length)) : QString();
}

QString QPlist::toKeyString() const
{
    if (!isKey())
        return QString();
    char *raw = nullptr;
    plist_get_key_val(m_d->node, &raw);
    const CString value(raw);
    return value ? QString::fromUtf8(value.get()) : QString();
}

quint64 QPlist::toUint() const
{
    uint64_t value = 0;
    if (isUint())
        plist_get_uint_val(m_d->node, &value);
    return value;
}

double QPlist::toReal() const
{
    double value = 0;
    if (isReal())
        plist_get_real_val(m_d->node, &value);
    return value;
}

bool QPlist::toBool() const
{
    uint8_t value = 0;
    if (isBool())
        plist_get_bool_val(m_d->node, &value);
    return value != 0;
}

QByteArray QPlist::toData() const
{
    if (!isData())
        return QByteArray();
    char *raw = nullptr;
    uint64_t length = 0;
    plist_get_data_val(m_d->node, &raw, &length);
    const CString value(raw);
    if (!value || length > static_cast<uint64_t>(std::numeric_limits<int>::max()))
        return QByteArray();
    return QByteArray(value.get(), static_cast<int>(length));
}

QDateTime QPlist::toDate() const
{
    if (!isDate())
        return QDateTime();
    int32_t seconds = 0;
    int32_t microseconds = 0;
    plist_get_date_val(m_d->node, &seconds, &microseconds);
    return plistEpoch().addSecs(seconds).addMSecs(microseconds / 1000);
}

QByteArray QPlist::toBin() const
{
    if (isNull())
        return QByteArray();
    char *raw = nullptr;
    uint32_t length = 0;
    plist_to_bin(m_d->node, &raw, &length);
    if (!raw)
        return QByteArray();
    const QByteArray bytes(raw, static_cast<int>(length));
    plist_to_bin_free(raw);
    return bytes;
}

QString QPlist::toXml() const
{
    if (isNull())
        return QString();
    char *raw = nullptr;
    uint32_t length = 0;
    plist_to_xml(m_d->node, &raw, &length);
    if (!raw)
        return QString();
    const QString text = QString::fromUtf8(raw, static_cast<int>(length));
    plist_to_xml_free(raw);
    return text;
}

QPlist QPlist::childHandle(void *node) const
{
    if (!node)
        return QPlist();
    QPlist child(node, false);
    child.m_d->container = m_d;
    return child;
}

QPlist QPlist::adoptable(const QPlist &value) const
{
    // Only a free-standing node that its handle owns may move into this tree; anything else
    // (an item of some tree, a borrowed node, this tree or one holding it) is copied.
    bool holdsThis = false;
    for (const QPlist_private *d = m_d.data(); d; d = d->container.data())
        holdsThis = holdsThis || d->node == value.m_d->node;
    if (value.m_d->owned && !holdsThis) {
        value.m_d->owned = false;
        value.m_d->container = m_d;
        return value;
    }
    return QPlist(plist_copy(value.m_d->node), false);
}

QPlist QPlist::get(const QString &key) const
{
    if (!isDict())
        return QPlist();
    return childHandle(plist_dict_get_item(m_d->node, key.toUtf8().constData()));
}

void QPlist::put(const QString &key, const QPlist &value)
{
    if (!isDict() || value.isNull())
        return;
    const QPlist item = adoptable(value);
    if (item.isNull())
        return;
    // Replaces and frees any earlier item of the key.
    plist_dict_set_item(m_d->node, key.toUtf8().constData(), item.plist());
}

quint32 QPlist::dict_size() const
{
    return isDict() ? plist_dict_get_size(m_d->node) : 0;
}

QMap<QString, QPlist> QPlist::toMap() const
{
    QMap<QString, QPlist> map;
    if (!isDict())
        return map;
    plist_dict_iter rawIter = nullptr;
    plist_dict_new_iter(m_d->node, &rawIter);
    const std::unique_ptr<void, FreeDeleter> iter(rawIter);
    if (!iter)
        return map;
    for (;;) {
        char *rawKey = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(m_d->node, iter.get(), &rawKey, &item);
        const CString key(rawKey);
        if (!item)
            break;
        if (key)
            map.insert(QString::fromUtf8(key.get()), QPlist(plist_copy(item), true));
    }
    return map;
}

quint32 QPlist::array_size() const
{
    return isArray() ? plist_array_get_size(m_d->node) : 0;
}

QPlist QPlist::at(quint32 index) const
{
    if (index >= array_size())
        return QPlist();
    return childHandle(plist_array_get_item(m_d->node, index));
}

QStringList QPlist::toStringList() const
{
    QStringList strings;
    const quint32 count = array_size();
    for (quint32 i = 0; i < count; ++i) {
        const QPlist item = at(i);
        if (item.isString())
            strings << item.toString();
    }
    return strings;
}

void QPlist::push_back(const QPlist &value)
{
    if (!isArray() || value.isNull())
        return;
    const QPlist item = adoptable(value);
    if (item.isNull())
        return;
    plist_array_append_item(m_d->node, item.plist());
}

QPlist QPlist::newDict(bool owned)
{
    return wrapNew(plist_new_dict(), owned);
}

QPlist QPlist::newArray(bool owned)
{
    return wrapNew(plist_new_array(), owned);
}

QPlist QPlist::create(bool owned)
{
    return QPlist(nullptr, owned);
}

QPlist QPlist::fromString(const QString &value, bool owned)
{
    return wrapNew(plist_new_string(value.toUtf8().constData()), owned);
}

QPlist QPlist::fromKey(const QString &value, bool owned)
{
    // libplist 2.2 has no constructor for key nodes: make a string node and turn it into a key.
    const QPlist node = fromString(value, owned);
    if (!node.isNull())
        plist_set_key_val(node.plist(), value.toUtf8().constData());
    return node;
}

QPlist QPlist::fromData(const QByteArray &value, bool owned)
{
    return wrapNew(plist_new_data(value.constData(), static_cast<uint64_t>(value.size())), owned);
}

QPlist QPlist::fromUint(quint64 value, bool owned)
{
    return wrapNew(plist_new_uint(value), owned);
}

QPlist QPlist::fromReal(double value, bool owned)
{
    return wrapNew(plist_new_real(value), owned);
}

QPlist QPlist::fromBool(bool value, bool owned)
{
    return wrapNew(plist_new_bool(value ? 1 : 0), owned);
}

QPlist QPlist::fromDate(const QDateTime &value, bool owned)
{
    if (!value.isValid())
        return create(owned);
    const qint64 seconds = plistEpoch().secsTo(value);
    if (seconds < std::numeric_limits<int32_t>::min() ||
        seconds > std::numeric_limits<int32_t>::max()) {
        return create(owned);
    }
    return wrapNew(plist_new_date(static_cast<int32_t>(seconds), 0), owned);
}

QPlist QPlist::fromFileBin(const QByteArray &data, bool owned)
{
    QPlist parsed = create(owned);
    if (data.isEmpty() || static_cast<quint64>(data.size()) > std::numeric_limits<uint32_t>::max())
        return parsed;
    const auto length = static_cast<uint32_t>(data.size());
    if (data.size() >= 9 && data.startsWith("bplist00"))
        plist_from_bin(data.constData(), length, &parsed.plist_ref());
    else
        plist_from_xml(data.constData(), length, &parsed.plist_ref());
    return parsed;
}

QPlist QPlist::fromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error(
            g_tr("IDS_PLIST_OPEN_FAILED").arg(path, file.errorString()).toStdString());
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw std::runtime_error(
            g_tr("IDS_PLIST_OPEN_FAILED").arg(path, file.errorString()).toStdString());
    }
    QPlist parsed = fromFileBin(data, true);
    if (parsed.isNull()) {
        qCWarning(lcPlist) << "not a property list:" << path;
        throw std::runtime_error(g_tr("IDS_PLIST_INVALID").arg(path).toStdString());
    }
    return parsed;
}

QPlist QPlist::clone(bool owned) const
{
    return isNull() ? create(owned) : QPlist(plist_copy(m_d->node), owned);
}

void QPlist::plistFree()
{
    // A node inside someone else's tree is only let go: freeing it would leave its parent with a
    // dangling item.
    if (m_d->owned && m_d->node)
        plist_free(m_d->node);
    m_d->node = nullptr;
    m_d->container.reset();
}
