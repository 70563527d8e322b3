// Statements kept for reuse by the connection, and reading rows by column position.
#include "fields.h"
#include "model/sqlite3exception.h"
#include "model/sqlite3recordreader.h"
#include "scratchdb.h"

#include <gtest/gtest.h>

namespace {

struct Person
{
    qint64 id = 0;
    QString name;
    int age = 0;
    qint64 bytes = 0;
    QByteArray photo;
    int rank = 0;
};

Sqlite3RecordReader<Person> personReader()
{
    return {{"id", &Person::id},       {"name", &Person::name},   {"age", &Person::age},
            {"bytes", &Person::bytes}, {"photo", &Person::photo}, {"rank", &Person::rank, -1}};
}

class Sqlite3ReuseTest : public ScratchDbTest
{
protected:
    void SetUp() override
    {
        ScratchDbTest::SetUp();
        run("create table p (id integer primary key, name text, age integer, bytes integer, "
            "photo blob)");
        for (int i = 1; i <= 5; ++i)
            insert(QStringLiteral("p%1").arg(i), 20 + i);
    }

    void insert(const QString &name, int age)
    {
        m_db.executeThrow(Sqlite3Sql("insert into p (name, age) values (?, ?)")
                              .addTextParam(name)
                              .addIntParam(age));
    }

    QString nameOf(qint64 id)
    {
        Sqlite3Cursor c =
            m_db.queryThrow(Sqlite3Sql("select name from p where id = ?").addInt64Param(id));
        return c.moveNext() ? c.getText(0) : QStringLiteral("<none>");
    }
};

TEST_F(Sqlite3ReuseTest, ReusedStatementsGiveTheSameResultsAsFreshOnes)
{
    // The inserts of SetUp ran one text five times: it waits once, not five times.
    EXPECT_EQ(m_db.cachedStatementCount(), 1);
    Sqlite3Cursor all = m_db.queryThrow("select count(*) from p");
    ASSERT_TRUE(all.moveNext());
    EXPECT_EQ(all.getInt64(0), 5);

    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(nameOf(2), "p2");
        EXPECT_EQ(nameOf(5), "p5");
        EXPECT_EQ(nameOf(9), "<none>");
    }
    EXPECT_EQ(m_db.cachedStatementCount(), 2);

    // A cursor read only partly goes back rewound: the next run starts at the first row again.
    for (int round = 0; round < 2; ++round) {
        Sqlite3Cursor c = m_db.queryThrow(
            Sqlite3Sql("select name from p where age > ? order by id").addIntParam(0));
        ASSERT_TRUE(c.moveNext());
        EXPECT_EQ(c.getText(0), "p1");
        EXPECT_EQ(c.count(), 5);
    }
}

TEST_F(Sqlite3ReuseTest, ValuesOfOneRunDoNotLeakIntoTheNext)
{
    const Sqlite3Sql withBlob =
        Sqlite3Sql("update p set photo = ? where id = ?").addBlobParam("abc").addInt64Param(1);
    m_db.executeThrow(withBlob);
    // The same text again, with one value missing: refused, not run with the old value.
    EXPECT_THROW(
        m_db.executeThrow(Sqlite3Sql("update p set photo = ? where id = ?").addBlobParam("xyz")),
        Sqlite3Exception);
    m_db.executeThrow(
        Sqlite3Sql("update p set photo = ? where id = ?").addNullParam().addInt64Param(2));

    Sqlite3Cursor c = m_db.queryThrow("select id, photo from p where photo is not null");
    ASSERT_TRUE(c.moveNext());
    EXPECT_EQ(c.getInt64(0), 1);
    EXPECT_EQ(c.getBlob(1), QByteArray("abc"));
    EXPECT_FALSE(c.moveNext());
}

TEST_F(Sqlite3ReuseTest, AStatementHeldByALiveCursorIsNotHandedOutTwice)
{
    const Sqlite3Sql sql = Sqlite3Sql("select name from p where age >= ? order by id");
    Sqlite3Cursor first = m_db.queryThrow(Sqlite3Sql(sql).addIntParam(22));
    ASSERT_TRUE(first.moveNext());
    EXPECT_EQ(first.getText(0), "p2");

    // Same text while the first cursor is mid-way: its own statement, its own position.
    Sqlite3Cursor second = m_db.queryThrow(Sqlite3Sql(sql).addIntParam(25));
    ASSERT_TRUE(second.moveNext());
    EXPECT_EQ(second.getText(0), "p5");
    EXPECT_FALSE(second.moveNext());

    ASSERT_TRUE(first.moveNext());
    EXPECT_EQ(first.getText(0), "p3");

    // Copies share one statement: it returns only when the last copy goes.
    const int waiting = m_db.cachedStatementCount();
    {
        Sqlite3Cursor copy = first;
        first = Sqlite3Cursor();
        EXPECT_EQ(m_db.cachedStatementCount(), waiting);
        ASSERT_TRUE(copy.moveNext());
        EXPECT_EQ(copy.getText(0), "p4");
    }
    EXPECT_EQ(m_db.cachedStatementCount(), waiting + 1);
    second = Sqlite3Cursor();
    // One waiting statement per text: the second one is finalised.
    EXPECT_EQ(m_db.cachedStatementCount(), waiting + 1);
}

TEST_F(Sqlite3ReuseTest, CloseFinalisesWaitingStatementsAndLiveCursorsStayReadable)
{
    EXPECT_EQ(nameOf(1), "p1");
    Sqlite3Cursor live =
        m_db.queryThrow(Sqlite3Sql("select name from p where id > ? order by id").addIntParam(3));
    ASSERT_GT(m_db.cachedStatementCount(), 0);

    // Waiting statements must not keep the connection open: close succeeds apart from the
    // cursor, which keeps reading its rows.
    EXPECT_FALSE(m_db.close());
    EXPECT_EQ(m_db.cachedStatementCount(), 0);
    ASSERT_TRUE(live.moveNext());
    EXPECT_EQ(live.getText(0), "p4");

    // Reopened, the old cursor's statement does not return into the new connection's cache.
    m_db.openThrow(m_path, Sqlite3DB::kOpenReadWrite);
    live = Sqlite3Cursor();
    EXPECT_EQ(m_db.cachedStatementCount(), 0);
    EXPECT_EQ(nameOf(4), "p4");
    EXPECT_TRUE(m_db.close());
}

TEST_F(Sqlite3ReuseTest, TheCacheStaysBounded)
{
    for (int i = 0; i < 200; ++i) {
        // Distinct texts, as statements built with varying column sets give.
        m_db.queryThrow(
                Sqlite3Sql(QStringLiteral("select %1 from p where id = ?").arg(i)).addIntParam(1))
            .moveNext();
    }
    EXPECT_LE(m_db.cachedStatementCount(), 64);
    EXPECT_EQ(nameOf(3), "p3");
}

TEST_F(Sqlite3ReuseTest, ColumnsAddedAfterAStatementWasKeptAreSeen)
{
    const auto readAll = [this] {
        Sqlite3Cursor c =
            m_db.queryThrow(Sqlite3Sql("select * from p where id = ?").addInt64Param(1));
        EXPECT_TRUE(c.moveNext());
        return c;
    };
    EXPECT_FALSE(readAll().hasColumn(QStringLiteral("nick")));
    run("alter table p add column nick text default 'x'");
    const Sqlite3Cursor after = readAll();
    EXPECT_TRUE(after.hasColumn(QStringLiteral("nick")));
    EXPECT_EQ(after.getText(QStringLiteral("nick")), "x");
}

TEST_F(Sqlite3ReuseTest, PositionGettersMatchTheNamedOnes)
{
    m_db.executeThrow(Sqlite3Sql("update p set photo = ?, bytes = ? where id = 1")
                          .addBlobParam(QByteArray("\0\1", 2))
                          .addInt64Param(5000000000LL));
    Sqlite3Cursor c = m_db.queryThrow("select ID, name, age, photo, bytes from p order by id");
    ASSERT_TRUE(c.moveNext());
    EXPECT_EQ(fields(c.columnIndex(QStringLiteral("id")), c.columnIndex(QStringLiteral("Photo")),
                     c.columnIndex(QStringLiteral("missing")), c.getInt(2), c.getText(1),
                     c.getBlob(3), c.getInt64(4)),
              fields(0, 3, -1, 21, "p1", QByteArray("\0\1", 2), 5000000000LL));
    // Positions outside the row read as nothing, like names the query lacks.
    EXPECT_EQ(
        fields(c.getInt(-1), c.getText(17), c.getBlob(-1).isNull(), Sqlite3Cursor().getInt(0)),
        fields(0, "", true, 0));
}

TEST_F(Sqlite3ReuseTest, RecordReadersFollowEachQuerysColumns)
{
    m_db.executeThrow(Sqlite3Sql("update p set photo = ?, bytes = ? where id = 2")
                          .addBlobParam("pic")
                          .addInt64Param(3000000000LL));
    Sqlite3RecordReader<Person> reader = personReader();

    Sqlite3Cursor full = m_db.queryThrow("select * from p where id = 2");
    ASSERT_TRUE(full.moveNext());
    Person a;
    reader.read(full, a);
    // A column the query lacks keeps its missing value (rank).
    EXPECT_EQ(fields(a.id, a.name, a.age, a.bytes, a.photo, a.rank),
              fields(2, "p2", 22, 3000000000LL, QByteArray("pic"), -1));

    // The same reader on a query with other columns in another order.
    Sqlite3Cursor part = m_db.queryThrow("select 7 as rank, age, NAME, id from p where id = 4");
    ASSERT_TRUE(part.moveNext());
    Person b;
    b.name = QStringLiteral("stale");
    b.photo = "stale";
    reader.read(part, b);
    EXPECT_EQ(fields(b.id, b.name, b.age, b.bytes, b.photo, b.rank),
              fields(4, "p4", 24, 0, QByteArray(), 7));

    // Back to the first shape, NULLs read as 0 and empty.
    Sqlite3Cursor rows = m_db.queryThrow("select * from p where id in (1, 3) order by id");
    QStringList names;
    while (rows.moveNext()) {
        Person p;
        reader.read(rows, p);
        names << p.name;
        EXPECT_EQ(p.bytes, 0);
        EXPECT_TRUE(p.photo.isEmpty());
    }
    EXPECT_EQ(names, QStringList({"p1", "p3"}));
}

} // namespace
