#pragma once

#include <QString>

#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

class Sqlite3DB;

// The messages a local database already holds, by logical hash and by guid, read once when a save
// begins: finding a duplicate then costs a look-up in memory instead of two queries per message.
// Hashes are kept as their 16 bytes and guids as a 64-bit digest, a few dozen bytes a message.
class KnownMessages
{
public:
    // Forgets everything, then reads the rows of db's message table (its logic_hash column only
    // when withHashes).
    void load(Sqlite3DB &db, bool withHashes);
    void clear();
    // Whether the database held no message when loaded (what this run added aside).
    bool isEmpty() const { return m_guids.empty(); }

    // The lowest row id stored with that logical hash, 0 when none.
    qint64 rowIdOfHash(const QString &logicHash) const;
    // Whether a row may hold that guid: false is certain, true only says that the database is
    // worth asking (two guids can share a digest).
    bool mayHoldGuid(const QString &guid) const;
    // A row this run inserted; a hash the database held already keeps its stored row.
    void add(qint64 rowid, const QString &logicHash, const QString &guid);

private:
    struct Digest
    {
        quint64 high = 0;
        quint64 low = 0;
        bool operator<(const Digest &other) const
        {
            return high != other.high ? high < other.high : low < other.low;
        }
        bool operator==(const Digest &other) const
        {
            return high == other.high && low == other.low;
        }
    };
    struct DigestHash
    {
        size_t operator()(const Digest &d) const { return size_t(d.high ^ (d.low * 31)); }
    };

    // The hash's bytes; false for text that is not 32 lower-case hexadecimal digits, which no
    // hash of this program's making equals.
    static bool parse(const QString &logicHash, Digest &digest);
    static quint64 guidDigest(const QString &guid);
    // Where each run of sorted keys sharing their top 16 bits begins (one entry more at the end):
    // a look-up then searches a few neighbours, where a binary search over a million entries
    // missed the processor's cache at nearly every step.
    template <typename Entry, typename TopBits>
    static std::vector<quint32> bucketStarts(const std::vector<Entry> &sorted, TopBits topBits);

    // Sorted, from the database; what this run adds goes to the maps beside them.
    std::vector<std::pair<Digest, qint64>> m_hashes;
    std::vector<quint64> m_guids;
    std::vector<quint32> m_hashBuckets;
    std::vector<quint32> m_guidBuckets;
    std::unordered_map<Digest, qint64, DigestHash> m_addedHashes;
    std::unordered_set<quint64> m_addedGuids;
};
