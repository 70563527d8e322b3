// The connection, statement and cursor layer against real database files.
#include "errortext.h"
#include "fields.h"
#include "model/sqlite3exception.h"
#include "model/sqlite3row.h"
#include "scratchdb.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QThread>

#include <sqlite3.h>

#include <limits>
#include <memory>

namespace {

class Sqlite3DBTest : public ScratchDbTest
{
protected:
    void SetUp() override
    {
        ScratchDbTest::SetUp();
        run("create table t (id integer primary key, name text, n integer, data blob)");
    }

    int liveStatements() const
    {
        int count = 0;
        for (sqlite3_stmt *s = sqlite3_next_stmt(m_db.handle(), nullptr); s;
             s = sqlite3_next_stmt(m_db.handle(), s))
            ++count;
        return count;
    }
};

TEST_F(Sqlite3DBTest, OpeningAMissingFileWithoutCreateFailsAndCreatesNothing)
{
    const QString missing = m_dir.filePath(QStringLiteral("missing.db"));
    for (const int flags : {Sqlite3DB::kOpenReadOnly, Sqlite3DB::kOpenReadWrite}) {
        Sqlite3DB db;
        EXPECT_TRUE(
            errorText<Sqlite3Exception>([&] { db.openThrow(missing, flags); }).contains(missing));
        EXPECT_EQ(db.handle(), nullptr);
        EXPECT_FALSE(QFile::exists(missing));
    }
}

TEST_F(Sqlite3DBTest, CloseNullsTheHandleAndOperationsThenFailCleanly)
{
    EXPECT_NE(m_db.handle(), nullptr);
    EXPECT_TRUE(m_db.close());
    EXPECT_EQ(m_db.handle(), nullptr);
    EXPECT_FALSE(m_db.isOpen());
    EXPECT_THROW(m_db.queryThrow("select 1"), Sqlite3Exception);
    EXPECT_THROW(m_db.executeThrow("delete from t"), Sqlite3Exception);
    QString error;
    EXPECT_NE(m_db.exec(QStringLiteral("select 1"), error), SQLITE_OK);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(m_db.lastInsertId(), 0);

    // Reopening the same object gets the data written before.
    m_db.openThrow(m_path, Sqlite3DB::kOpenReadOnly);
    EXPECT_EQ(m_db.tbInfo(QStringLiteral("t")).size(), 4);
}

TEST_F(Sqlite3DBTest, ErrorsCarrySqlitesMessageAndTheFileName)
{
    try {
        m_db.queryThrow("select * from no_such_table");
        FAIL() << "query of a missing table succeeded";
    } catch (const Sqlite3Exception &e) {
        const QString message = QString::fromUtf8(e.what());
        EXPECT_TRUE(message.contains(QLatin1String("no such table: no_such_table"))) << e.what();
        EXPECT_TRUE(message.contains(QLatin1String("test.db"))) << e.what();
        EXPECT_EQ(e.code(), SQLITE_ERROR);
    }

    // A file that is not a database is noticed on first use, not hidden.
    const QString junk = m_dir.filePath(QStringLiteral("junk.db"));
    writeFile(junk, QByteArray(4096, 'x'));
    Sqlite3DB db;
    try {
        db.openThrow(junk, Sqlite3DB::kOpenReadWrite);
        db.queryThrow("select * from sqlite_master");
        FAIL() << "read a junk file as a database";
    } catch (const Sqlite3Exception &e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QLatin1String("junk.db"))) << e.what();
        EXPECT_EQ(e.code(), SQLITE_NOTADB);
    }
}

TEST_F(Sqlite3DBTest, ParametersAreBoundNotSpliced)
{
    const QString nasty = QStringLiteral("O'Brien \"quoted\"'); drop table t; -- \u00e9\U0001F600");
    const QByteArray blob("a\0b\0\0c'\"", 8);
    const qint64 big = std::numeric_limits<qint64>::max();
    const qint64 small = std::numeric_limits<qint64>::min();

    Sqlite3Sql insert("insert into t (name, n, data) values (?, ?, ?)");
    insert.addTextParam(nasty).addInt64Param(big).addBlobParam(blob);
    m_db.executeThrow(insert);
    const qint64 first = m_db.lastInsertId();
    m_db.executeThrow(Sqlite3Sql("insert into t (name, n, data) values (?, ?, ?)")
                          .addTextParam(QString())
                          .addInt64Param(small)
                          .addBlobParam(QByteArray()));
    const qint64 second = m_db.lastInsertId();
    EXPECT_NE(first, second);

    Sqlite3Sql select("select *, typeof(name) as name_type, typeof(data) as data_type from t");
    select.appendSql(QStringLiteral(" where id = ?")).addInt64Param(first);
    Sqlite3Cursor cursor = m_db.queryThrow(select);
    ASSERT_TRUE(cursor.moveNext());
    EXPECT_EQ(cursor.getText(QStringLiteral("name")), nasty);
    EXPECT_EQ(cursor.getInt64(QStringLiteral("n")), big);
    EXPECT_EQ(cursor.getBlob(QStringLiteral("data")), blob);
    EXPECT_EQ(cursor.getBlob(QStringLiteral("data")).size(), 8);
    EXPECT_FALSE(cursor.moveNext());

    // Empty values stay empty values of their type rather than turning into NULL.
    cursor = m_db.queryThrow(Sqlite3Sql("select *, typeof(name) as name_type, typeof(data) as "
                                        "data_type from t where id = ?")
                                 .addInt64Param(second));
    ASSERT_TRUE(cursor.moveNext());
    EXPECT_EQ(cursor.getInt64(QStringLiteral("n")), small);
    EXPECT_EQ(cursor.getText(QStringLiteral("name_type")), QStringLiteral("text"));
    EXPECT_EQ(cursor.getText(QStringLiteral("data_type")), QStringLiteral("blob"));
    EXPECT_EQ(value("select count(*) from t"), "2");
}

TEST_F(Sqlite3DBTest, WrongParameterCountsAndExtraStatementsAreRefused)
{
    EXPECT_THROW(m_db.executeThrow(Sqlite3Sql("insert into t (name) values (?)")),
                 Sqlite3Exception);
    EXPECT_THROW(m_db.executeThrow(Sqlite3Sql("insert into t (name) values (?)")
                                       .addTextParam(QStringLiteral("a"))
                                       .addTextParam(QStringLiteral("b"))),
                 Sqlite3Exception);
    // The second statement would silently not run: refused, and the first does not run either.
    EXPECT_THROW(m_db.executeThrow("insert into t (name) values ('a'); delete from t"),
                 Sqlite3Exception);
    EXPECT_EQ(value("select count(*) from t"), "0");

    // A trailing semicolon or comment is not a second statement.
    m_db.executeThrow("insert into t (name) values ('a'); -- the only one\n");
    EXPECT_EQ(value("select count(*) from t"), "1");
}

TEST_F(Sqlite3DBTest, ColumnsAreFoundWithoutRegardToCaseAndMissingOnesReadEmpty)
{
    run("create table upper (ROWID integer primary key, Name text, nullable integer)");
    run("insert into upper (Name) values ('first')");
    Sqlite3Cursor cursor = m_db.queryThrow("select ROWID, Name, nullable from upper");

    // Before the first row there is nothing to read.
    EXPECT_EQ(cursor.getText(QStringLiteral("Name")), QString());
    ASSERT_TRUE(cursor.moveNext());
    EXPECT_EQ(fields(cursor.getInt64(QStringLiteral("rowid")),
                     cursor.getInt(QStringLiteral("ROWID")), cursor.getText(QStringLiteral("NAME")),
                     cursor.getText(QStringLiteral("name")),
                     cursor.hasColumn(QStringLiteral("NULLABLE")),
                     cursor.getInt(QStringLiteral("nullable")),
                     cursor.getText(QStringLiteral("nullable"))),
              fields(1, 1, "first", "first", true, 0, ""));
    const QString last = QStringLiteral("_last");
    EXPECT_EQ(fields(cursor.hasColumn(last), cursor.getInt(last), cursor.getInt64(last),
                     cursor.getText(last), cursor.getBlob(last), cursor.getInt64(7),
                     cursor.getInt64(-1)),
              fields(false, 0, 0, "", QByteArray(), 0, 0));

    // Past the end the cursor stays finished instead of starting over.
    EXPECT_FALSE(cursor.moveNext());
    EXPECT_FALSE(cursor.moveNext());
    EXPECT_EQ(cursor.getInt64(QStringLiteral("rowid")), 0);
}

TEST_F(Sqlite3DBTest, RepeatedColumnNamesGiveTheFirst)
{
    run("create table other (id integer primary key, name text)");
    run("insert into t (id, name) values (1, 'left')");
    run("insert into other (id, name) values (1, 'right')");
    Sqlite3Cursor cursor = m_db.queryThrow("select t.*, other.name from t join other using (id)");
    ASSERT_TRUE(cursor.moveNext());
    EXPECT_EQ(cursor.getText(QStringLiteral("NAME")), QStringLiteral("left"));
}

TEST_F(Sqlite3DBTest, CursorCopiesShareOneStatementFinalisedOnce)
{
    for (int i = 0; i < 3; ++i)
        m_db.executeThrow(Sqlite3Sql("insert into t (n) values (?)").addIntParam(i));
    {
        auto original =
            std::make_unique<Sqlite3Cursor>(m_db.queryThrow("select n from t order by n"));
        Sqlite3Cursor copy = *original;
        Sqlite3Cursor assigned;
        assigned = copy;
        ASSERT_TRUE(original->moveNext());
        // The position is shared: the copies see the same row and continue from it.
        EXPECT_EQ(copy.getInt(QStringLiteral("n")), 0);
        original.reset();
        ASSERT_TRUE(copy.moveNext());
        EXPECT_EQ(assigned.getInt(QStringLiteral("n")), 1);
        EXPECT_EQ(liveStatements(), m_db.cachedStatementCount() + 1);
    }
    // Only the insert, waiting for its next run, is left.
    EXPECT_EQ(liveStatements(), m_db.cachedStatementCount());
    // sqlite3_close succeeds only when every statement has been finalised.
    EXPECT_TRUE(m_db.close());
}

TEST_F(Sqlite3DBTest, ClosingUnderAnOpenCursorLeavesTheCursorUsable)
{
    m_db.executeThrow("insert into t (n) values (1)");
    m_db.executeThrow("insert into t (n) values (2)");
    Sqlite3Cursor cursor = m_db.queryThrow("select n from t order by n");
    ASSERT_TRUE(cursor.moveNext());
    EXPECT_FALSE(m_db.close());
    EXPECT_EQ(m_db.handle(), nullptr);
    ASSERT_TRUE(cursor.moveNext());
    EXPECT_EQ(cursor.getInt(QStringLiteral("n")), 2);
    EXPECT_FALSE(cursor.moveNext());
}

TEST_F(Sqlite3DBTest, CountLeavesThePositionAlone)
{
    for (int i = 0; i < 5; ++i)
        m_db.executeThrow(Sqlite3Sql("insert into t (n) values (?)").addIntParam(i));
    Sqlite3Cursor cursor =
        m_db.queryThrow(Sqlite3Sql("select n from t where n >= ? order by n").addIntParam(2));
    ASSERT_TRUE(cursor.moveNext());
    EXPECT_EQ(cursor.count(), 3);
    ASSERT_TRUE(cursor.moveNext());
    EXPECT_EQ(cursor.getInt(QStringLiteral("n")), 3);
    EXPECT_EQ(Sqlite3Cursor().count(), 0);
    EXPECT_FALSE(Sqlite3Cursor().moveNext());
}

TEST_F(Sqlite3DBTest, ExecRunsScriptsAndReportsErrorsWithoutThrowing)
{
    QString error;
    EXPECT_EQ(m_db.exec(QStringLiteral("create table a (x); insert into a values (1);"
                                       "insert into a values (2);"),
                        error),
              SQLITE_OK);
    EXPECT_EQ(value("select count(*) from a"), "2");

    const int rc = m_db.exec(
        QStringLiteral("insert into a values (3); insert into nowhere values (1);"), error);
    EXPECT_NE(rc, SQLITE_OK);
    EXPECT_TRUE(error.contains(QLatin1String("no such table: nowhere"))) << error.toStdString();

    error.clear();
    EXPECT_NE(m_db.exec(QStringLiteral("this is not sql"), error), SQLITE_OK);
    EXPECT_TRUE(error.contains(QLatin1String("syntax error"))) << error.toStdString();
}

TEST_F(Sqlite3DBTest, TableInfoListsTheDeclaredColumns)
{
    run("create table \"odd \"\"name\" (guid text not null unique, \"group\" integer default 7)");
    const auto columns = m_db.tbInfo(QStringLiteral("odd \"name"));
    ASSERT_EQ(columns.size(), 2);
    EXPECT_EQ(columns.value(QStringLiteral("guid")).type, QStringLiteral("TEXT"));
    EXPECT_TRUE(columns.value(QStringLiteral("guid")).notNull);
    EXPECT_EQ(columns.value(QStringLiteral("group")).defaultValue, QStringLiteral("7"));
    EXPECT_EQ(m_db.tbInfo(QStringLiteral("t")).value(QStringLiteral("id")).primaryKey, 1);
    EXPECT_TRUE(m_db.tbInfo(QStringLiteral("missing")).isEmpty());
}

TEST_F(Sqlite3DBTest, RowsInsertEveryEntryExceptTheSkippedOnes)
{
    run("create table r (\"group\" text, \"quo\"\"te\" integer, skipped text default 'kept', "
        "v real)");
    Sqlite3Row row;
    row[QStringLiteral("group")] = QStringLiteral("g'1");
    row[QStringLiteral("quo\"te")] = qint64(1) << 40;
    row[QStringLiteral("skipped")] = QStringLiteral("never written");
    row[QStringLiteral("v")] = 2.5;
    m_db.executeThrow(row.insertSql(QStringLiteral("r"), {QStringLiteral("skipped")}));
    m_db.executeThrow(Sqlite3Row().insertSql(QStringLiteral("r")));

    Sqlite3Cursor cursor =
        m_db.queryThrow("select \"group\", \"quo\"\"te\" as q, skipped, v from r order by rowid");
    ASSERT_TRUE(cursor.moveNext());
    EXPECT_EQ(cursor.getText(QStringLiteral("group")), QStringLiteral("g'1"));
    EXPECT_EQ(cursor.getInt64(QStringLiteral("q")), qint64(1) << 40);
    EXPECT_EQ(cursor.getText(QStringLiteral("skipped")), QStringLiteral("kept"));
    EXPECT_EQ(cursor.getText(QStringLiteral("v")), QStringLiteral("2.5"));
    ASSERT_TRUE(cursor.moveNext());
    EXPECT_EQ(cursor.getText(QStringLiteral("group")), QString());
    EXPECT_FALSE(cursor.moveNext());
}

TEST_F(Sqlite3DBTest, ABrieflyLockedDatabaseIsWaitedFor)
{
    Sqlite3DB other;
    other.openThrow(m_path, Sqlite3DB::kOpenReadWrite);
    other.executeThrow("begin immediate");
    other.executeThrow("insert into t (n) values (1)");
    std::unique_ptr<QThread> releaser(QThread::create([&other] {
        QThread::msleep(200);
        other.commitTran();
    }));
    releaser->start();
    // Without waiting for the lock this would fail at once with "database is locked".
    EXPECT_NO_THROW(m_db.executeThrow("insert into t (n) values (2)"));
    releaser->wait();
    EXPECT_EQ(value("select count(*) from t"), "2");
}

} // namespace
