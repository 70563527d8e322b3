#include "localdb/knownmessages.h"

#include "model/sqlite3db.h"

#include <algorithm>
#include <numeric>

namespace {

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

} // namespace

void KnownMessages::clear()
{
    m_hashes = {};
    m_guids = {};
    m_hashBuckets = {};
    m_guidBuckets = {};
    m_addedHashes = {};
    m_addedGuids = {};
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
        m_guids.push_back(guidDigest(c.getText(1)));
        Digest digest;
        if (withHashes && parse(c.getText(2), digest))
            m_hashes.emplace_back(digest, c.getInt64(0));
    }
    std::sort(m_guids.begin(), m_guids.end());
    std::stable_sort(m_hashes.begin(), m_hashes.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    m_hashBuckets = bucketStarts(m_hashes, [](const auto &entry) { return entry.first.high; });
    m_guidBuckets = bucketStarts(m_guids, [](quint64 guid) { return guid; });
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

qint64 KnownMessages::rowIdOfHash(const QString &logicHash) const
{
    Digest digest;
    if (!parse(logicHash, digest))
        return 0;
    if (!m_hashes.empty()) {
        const quint32 bucket = bucketOf(digest.high);
        const auto first = m_hashes.cbegin() + m_hashBuckets[bucket];
        const auto last = m_hashes.cbegin() + m_hashBuckets[bucket + 1];
        const auto stored = std::lower_bound(first, last, digest,
                                             [](const std::pair<Digest, qint64> &entry,
                                                const Digest &d) { return entry.first < d; });
        if (stored != last && stored->first == digest)
            return stored->second;
    }
    const auto added = m_addedHashes.find(digest);
    return added == m_addedHashes.end() ? 0 : added->second;
}

bool KnownMessages::mayHoldGuid(const QString &guid) const
{
    const quint64 digest = guidDigest(guid);
    if (!m_guids.empty()) {
        const quint32 bucket = bucketOf(digest);
        if (std::binary_search(m_guids.cbegin() + m_guidBuckets[bucket],
                               m_guids.cbegin() + m_guidBuckets[bucket + 1], digest))
            return true;
    }
    return m_addedGuids.count(digest) != 0;
}

void KnownMessages::add(qint64 rowid, const QString &logicHash, const QString &guid)
{
    m_addedGuids.insert(guidDigest(guid));
    Digest digest;
    // emplace keeps an earlier row of the same hash, as the first found wins.
    if (parse(logicHash, digest))
        m_addedHashes.emplace(digest, rowid);
}

bool KnownMessages::parse(const QString &logicHash, Digest &digest)
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
    digest.high = words[0];
    digest.low = words[1];
    return true;
}

quint64 KnownMessages::guidDigest(const QString &guid)
{
    // FNV-1a over the UTF-16 units: stable and cheap; a shared digest only costs one query.
    quint64 digest = 14695981039346656037ULL;
    for (const QChar c : guid) {
        digest ^= c.unicode();
        digest *= 1099511628211ULL;
    }
    return digest;
}
