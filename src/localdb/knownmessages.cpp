#include "localdb/knownmessages.h"

#include "model/sqlite3db.h"

#include <algorithm>
#include <numeric>

namespace {

constexpr size_t kMinSlots = 1024;
constexpr int kBucketBits = 16;

quint32 bucketOf(quint64 key)
{
    return quint32(key >> (64 - kBucketBits));
}

int hexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

bool parseHash(const QString &logicHash, quint64 &high, quint64 &low)
{
    if (logicHash.size() != 32)
        return false;
    const auto *units = reinterpret_cast<const char16_t *>(logicHash.constData());
    quint64 words[2] = {0, 0};
    for (int i = 0; i < 32; ++i) {
        const int value = hexValue(units[i]);
        if (value < 0)
            return false;
        words[i / 16] = words[i / 16] << 4 | quint64(value);
    }
    high = words[0];
    low = words[1];
    return true;
}

quint64 guidDigest(const QString &guid)
{
    // FNV-1a over the UTF-16 units: stable and cheap; a shared digest only costs one query.
    quint64 digest = 14695981039346656037ULL;
    for (const QChar c : guid) {
        digest ^= c.unicode();
        digest *= 1099511628211ULL;
    }
    // 0 marks an empty slot.
    return digest == 0 ? 1 : digest;
}

// Hashes are evenly spread already; guid digests are mixed once more, since FNV's low bits,
// which pick the slot, depend mostly on the last characters.
size_t slotOf(quint64 key, size_t mask)
{
    return size_t((key ^ (key >> 29)) * 0xbf58476d1ce4e5b9ULL >> 17) & mask;
}

// Grown past seven tenths full: linear probing slows sharply beyond.
bool isCrowded(size_t count, size_t slots)
{
    return (count + 1) * 10 > slots * 7;
}

} // namespace

void KnownMessages::clear()
{
    m_stored = {};
    m_storedGuids = {};
    m_hashBuckets = {};
    m_guidBuckets = {};
    m_hashes = {};
    m_guids = {};
    m_hashCount = 0;
    m_guidCount = 0;
}

void KnownMessages::load(Sqlite3DB &db, bool withHashes)
{
    clear();
    // In row order, so that of equal hashes the first kept is the lowest row id, as the
    // indexed query found it.
    Sqlite3Cursor c = db.queryThrow(withHashes ? "select rowid, guid, logic_hash from message "
                                                 "order by rowid"
                                               : "select rowid, guid from message order by rowid");
    while (c.moveNext()) {
        m_storedGuids.push_back(guidDigest(c.getText(1)));
        HashSlot slot;
        if (withHashes && parseHash(c.getText(2), slot.high, slot.low)) {
            slot.rowid = c.getInt64(0);
            m_stored.push_back(slot);
        }
    }
    std::sort(m_storedGuids.begin(), m_storedGuids.end());
    std::stable_sort(m_stored.begin(), m_stored.end(), [](const HashSlot &a, const HashSlot &b) {
        return a.high != b.high ? a.high < b.high : a.low < b.low;
    });
    m_hashBuckets = bucketStarts(m_stored, [](const HashSlot &slot) { return slot.high; });
    m_guidBuckets = bucketStarts(m_storedGuids, [](quint64 guid) { return guid; });
}

template <typename Entry, typename TopBits>
std::vector<quint32> KnownMessages::bucketStarts(const std::vector<Entry> &sorted, TopBits topBits)
{
    std::vector<quint32> starts((size_t(1) << kBucketBits) + 1, 0);
    for (const Entry &entry : sorted)
        ++starts[bucketOf(topBits(entry)) + 1];
    std::partial_sum(starts.begin(), starts.end(), starts.begin());
    return starts;
}

qint64 KnownMessages::storedRowIdOfHash(const Keys &keys) const
{
    if (m_stored.empty())
        return 0;
    const quint32 bucket = bucketOf(keys.hashHigh);
    const auto first = m_stored.cbegin() + m_hashBuckets[bucket];
    const auto last = m_stored.cbegin() + m_hashBuckets[bucket + 1];
    const auto found = std::lower_bound(first, last, keys, [](const HashSlot &slot, const Keys &k) {
        return slot.high != k.hashHigh ? slot.high < k.hashHigh : slot.low < k.hashLow;
    });
    return found != last && found->high == keys.hashHigh && found->low == keys.hashLow
               ? found->rowid
               : 0;
}

bool KnownMessages::storedGuid(quint64 guid) const
{
    if (m_storedGuids.empty())
        return false;
    const quint32 bucket = bucketOf(guid);
    return std::binary_search(m_storedGuids.cbegin() + m_guidBuckets[bucket],
                              m_storedGuids.cbegin() + m_guidBuckets[bucket + 1], guid);
}

KnownMessages::Keys KnownMessages::keys(const QString &logicHash, const QString &guid)
{
    Keys keys;
    keys.hasHash = parseHash(logicHash, keys.hashHigh, keys.hashLow);
    keys.guid = guidDigest(guid);
    return keys;
}

qint64 KnownMessages::rowIdOfHash(const Keys &keys) const
{
    if (!keys.hasHash)
        return 0;
    if (const qint64 stored = storedRowIdOfHash(keys))
        return stored;
    if (m_hashes.empty())
        return 0;
    const size_t mask = m_hashes.size() - 1;
    for (size_t i = slotOf(keys.hashHigh, mask);; i = (i + 1) & mask) {
        const HashSlot &slot = m_hashes[i];
        if (slot.rowid == 0)
            return 0;
        if (slot.high == keys.hashHigh && slot.low == keys.hashLow)
            return slot.rowid;
    }
}

bool KnownMessages::mayHoldGuid(const Keys &keys) const
{
    if (storedGuid(keys.guid))
        return true;
    if (m_guids.empty())
        return false;
    const size_t mask = m_guids.size() - 1;
    for (size_t i = slotOf(keys.guid, mask);; i = (i + 1) & mask) {
        if (m_guids[i] == 0)
            return false;
        if (m_guids[i] == keys.guid)
            return true;
    }
}

void KnownMessages::add(qint64 rowid, const Keys &keys)
{
    insertGuid(keys.guid);
    if (keys.hasHash)
        insertHash(keys.hashHigh, keys.hashLow, rowid);
}

void KnownMessages::insertHash(quint64 high, quint64 low, qint64 rowid)
{
    if (isCrowded(m_hashCount, m_hashes.size()))
        growHashes();
    const size_t mask = m_hashes.size() - 1;
    for (size_t i = slotOf(high, mask);; i = (i + 1) & mask) {
        HashSlot &slot = m_hashes[i];
        if (slot.rowid == 0) {
            slot = {high, low, rowid};
            ++m_hashCount;
            return;
        }
        if (slot.high == high && slot.low == low)
            return;
    }
}

void KnownMessages::insertGuid(quint64 guid)
{
    if (isCrowded(m_guidCount, m_guids.size()))
        growGuids();
    const size_t mask = m_guids.size() - 1;
    for (size_t i = slotOf(guid, mask);; i = (i + 1) & mask) {
        if (m_guids[i] == guid)
            return;
        if (m_guids[i] == 0) {
            m_guids[i] = guid;
            ++m_guidCount;
            return;
        }
    }
}

void KnownMessages::growHashes()
{
    std::vector<HashSlot> old(std::max(kMinSlots, m_hashes.size() * 2));
    old.swap(m_hashes);
    m_hashCount = 0;
    for (const HashSlot &slot : old) {
        if (slot.rowid != 0)
            insertHash(slot.high, slot.low, slot.rowid);
    }
}

void KnownMessages::growGuids()
{
    std::vector<quint64> old(std::max(kMinSlots, m_guids.size() * 2));
    old.swap(m_guids);
    m_guidCount = 0;
    for (const quint64 guid : old) {
        if (guid != 0)
            insertGuid(guid);
    }
}
