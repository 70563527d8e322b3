#pragma once

#include <QString>

#include <vector>

class Sqlite3DB;

// The messages a local database already holds, by logical hash and by guid, read once when a save
// begins: finding a duplicate then costs a look-up in memory instead of two queries per message.
// Hashes are kept as their 16 bytes and guids as a 64-bit digest: sorted arrays for the stored
// rows, open-addressing tables for those the run adds; a few dozen bytes a message.
class KnownMessages
{
public:
    // A message's keys, worked out once for its look-up and its adding.
    struct Keys
    {
        quint64 hashHigh = 0;
        quint64 hashLow = 0;
        bool hasHash = false;
        quint64 guid = 0;
    };

    // Forgets everything, then reads the rows of db's message table (its logic_hash column only
    // when withHashes).
    void load(Sqlite3DB &db, bool withHashes);
    void clear();
    // Whether the database held no message when loaded (what this run added aside).
    bool isEmpty() const { return m_storedGuids.empty(); }

    // A hash that is not 32 lower-case hexadecimal digits, which no hash of this program's making
    // is, finds nothing.
    static Keys keys(const QString &logicHash, const QString &guid);
    // The lowest row id stored with that logical hash, 0 when none.
    qint64 rowIdOfHash(const Keys &keys) const;
    // Whether a row may hold that guid: false is certain, true only says that the database is
    // worth asking (two guids can share a digest).
    bool mayHoldGuid(const Keys &keys) const;
    // A row this run inserted; a hash held already keeps its earlier row.
    void add(qint64 rowid, const Keys &keys);

private:
    struct HashSlot
    {
        quint64 high = 0;
        quint64 low = 0;
        qint64 rowid = 0; // 0: empty
    };

    // Where each run of sorted keys sharing their top 16 bits begins (one entry more at the end):
    // a look-up then searches a few neighbours, where a binary search over a million entries
    // missed the processor's cache at nearly every step.
    template <typename Entry, typename TopBits>
    static std::vector<quint32> bucketStarts(const std::vector<Entry> &sorted, TopBits topBits);
    qint64 storedRowIdOfHash(const Keys &keys) const;
    bool storedGuid(quint64 guid) const;
    void insertHash(quint64 high, quint64 low, qint64 rowid);
    void insertGuid(quint64 guid);
    void growHashes();
    void growGuids();

    // Sorted, from the database: the most compact form for what a large archive holds.
    std::vector<HashSlot> m_stored;
    std::vector<quint64> m_storedGuids;
    std::vector<quint32> m_hashBuckets;
    std::vector<quint32> m_guidBuckets;
    // What this run adds, in open-addressing tables.
    std::vector<HashSlot> m_hashes;
    std::vector<quint64> m_guids; // 0: empty
    size_t m_hashCount = 0;
    size_t m_guidCount = 0;
};
