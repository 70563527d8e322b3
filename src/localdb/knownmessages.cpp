#include "localdb/knownmessages.h"

#include "model/sqlite3db.h"

#include <algorithm>

namespace {

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
}

qint64 KnownMessages::rowIdOfHash(const QString &logicHash) const
{
    Digest digest;
    if (!parse(logicHash, digest))
        return 0;
    const auto stored = std::lower_bound(
        m_hashes.cbegin(), m_hashes.cend(), digest,
        [](const std::pair<Digest, qint64> &entry, const Digest &d) { return entry.first < d; });
    if (stored != m_hashes.cend() && stored->first == digest)
        return stored->second;
    const auto added = m_addedHashes.find(digest);
    return added == m_addedHashes.end() ? 0 : added->second;
}

bool KnownMessages::mayHoldGuid(const QString &guid) const
{
    const quint64 digest = guidDigest(guid);
    return std::binary_search(m_guids.cbegin(), m_guids.cend(), digest) ||
           m_addedGuids.count(digest) != 0;
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
    quint64 words[2] = {0, 0};
    for (int i = 0; i < 32; ++i) {
        const int value = hexValue(logicHash.at(i).unicode());
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
