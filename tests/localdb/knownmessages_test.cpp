// The in-memory index of stored messages a save consults for duplicates.
#include "localdb/knownmessages.h"
#include "model/sqlite3db.h"
#include "model/sqlite3transaction.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QTemporaryDir>

namespace {

QString hashOf(int n)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(QByteArray::number(n), QCryptographicHash::Md5).toHex());
}

QString guidOf(int n)
{
    return QStringLiteral("guid-%1").arg(n);
}

// Thousands of rows, so that the tables grow several times while loading and while adding.
TEST(KnownMessagesTest, FindsEveryStoredAndAddedRowAndKeepsTheFirstOfEachHash)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Sqlite3DB db;
    db.openThrow(dir.filePath(QStringLiteral("k.db")),
                 Sqlite3DB::kOpenReadWrite | Sqlite3DB::kOpenCreate);
    db.executeThrow("create table message (rowid integer primary key, guid text, logic_hash text)");
    constexpr int kStored = 3000;
    {
        Sqlite3Transaction transaction(db);
        // Row n holds hash n % 2000: rows 2001 to 3000 repeat the hashes of rows 1 to 1000.
        for (int n = 1; n <= kStored; ++n) {
            db.executeThrow(Sqlite3Sql("insert into message values (?, ?, ?)")
                                .addInt64Param(n)
                                .addTextParam(guidOf(n))
                                .addTextParam(hashOf(n % 2000)));
        }
        db.executeThrow("insert into message values (9000, 'odd', 'NOT-A-HASH')");
        transaction.commit();
    }

    KnownMessages known;
    known.load(db, true);
    EXPECT_FALSE(known.isEmpty());
    for (int n = 1; n <= kStored; ++n) {
        const KnownMessages::Keys keys = KnownMessages::keys(hashOf(n % 2000), guidOf(n));
        ASSERT_EQ(known.rowIdOfHash(keys), n <= 2000 ? n : n - 2000) << n;
        ASSERT_TRUE(known.mayHoldGuid(keys)) << n;
    }
    EXPECT_TRUE(known.mayHoldGuid(KnownMessages::keys(QString(), QStringLiteral("odd"))));
    EXPECT_EQ(known.rowIdOfHash(KnownMessages::keys(QStringLiteral("NOT-A-HASH"), QString())), 0);

    // Added rows are found as well; a hash already held keeps its stored row.
    for (int n = 2000; n < 8000; ++n)
        known.add(10000 + n, KnownMessages::keys(hashOf(n), guidOf(n + kStored)));
    for (int n = 2000; n < 8000; ++n) {
        const KnownMessages::Keys keys = KnownMessages::keys(hashOf(n), guidOf(n + kStored));
        ASSERT_EQ(known.rowIdOfHash(keys), 10000 + n) << n;
        ASSERT_TRUE(known.mayHoldGuid(keys)) << n;
    }
    const KnownMessages::Keys stored = KnownMessages::keys(hashOf(5), QStringLiteral("again"));
    known.add(20000, stored);
    EXPECT_EQ(known.rowIdOfHash(stored), 5);
    EXPECT_TRUE(known.mayHoldGuid(stored));
    const KnownMessages::Keys unknown = KnownMessages::keys(hashOf(-1), QStringLiteral("unknown"));
    EXPECT_EQ(known.rowIdOfHash(unknown), 0);
    EXPECT_FALSE(known.mayHoldGuid(unknown));

    known.load(db, false);
    EXPECT_EQ(known.rowIdOfHash(KnownMessages::keys(hashOf(1), guidOf(1))), 0);
    EXPECT_TRUE(known.mayHoldGuid(KnownMessages::keys(hashOf(1), guidOf(1))));
}

} // namespace
