// Statements kept for a whole run, and indexes built after a bulk insert instead of row by row.
#include "model/sqlite3exception.h"
#include "model/sqlite3indexpause.h"
#include "model/sqlite3repeatstmt.h"
#include "model/sqlite3transaction.h"
#include "scratchdb.h"

#include <gtest/gtest.h>

namespace {

class Sqlite3BulkTest : public ScratchDbTest
{
protected:
    void SetUp() override
    {
        ScratchDbTest::SetUp();
        // Indexes and triggers interleaved, as in the local schema.
        run("create table t (id integer primary key, k text unique, v text, n integer default 7);"
            "create index t_v on t(v);"
            "create table log (what text);"
            "create trigger t_added after insert on t begin insert into log values (new.k); end;"
            "create index t_n on t(n, v);"
            "create view t_keys as select k from t;"
            "create index log_what on log(what);");
    }

    // The schema as a dump lists it: tables, then indexes, triggers and views, each in the
    // order they were made.
    QString schema()
    {
        return value("select group_concat(type || ' ' || name || ': ' || sql, ';') from (select * "
                     "from sqlite_master where sql is not null order by type <> 'table', rowid)");
    }

    void insert(const QString &key, const QString &v)
    {
        Sqlite3RepeatStmt &stmt = m_db.repeatStmt("insert into t (k, v) values (?, ?)");
        stmt.bindText(1, key);
        stmt.bindText(2, v);
        stmt.execute();
    }
};

TEST_F(Sqlite3BulkTest, KeptStatementBindsEmptyValuesAsSuchAndSurvivesAFailedRun)
{
    Sqlite3RepeatStmt &stmt = m_db.repeatStmt("insert into t (k, v, n) values (?, ?, ?)");
    EXPECT_EQ(&stmt, &m_db.repeatStmt("insert into t (k, v, n) values (?, ?, ?)"));
    EXPECT_EQ(stmt.parameterCount(), 3);
    stmt.bindText(1, QStringLiteral("a"));
    stmt.bindText(2, QString());
    stmt.bindBlob(3, QByteArray());
    stmt.execute();
    EXPECT_EQ(value("select typeof(v) || ',' || quote(n) from t where k = 'a'"), "text,X''");

    // A constraint failure throws and leaves the statement ready for the next values.
    stmt.bindText(1, QStringLiteral("a"));
    stmt.bindNull(2);
    stmt.bindInt64(3, 1);
    EXPECT_THROW(stmt.execute(), Sqlite3Exception);
    stmt.bindText(1, QStringLiteral("b"));
    stmt.execute();
    EXPECT_EQ(value("select quote(v) || ',' || n from t where k = 'b'"), "NULL,1");

    Sqlite3RepeatStmt &find = m_db.repeatStmt("select id from t where k = ?");
    find.bindText(1, QStringLiteral("b"));
    EXPECT_EQ(find.firstInt64(), 2);
    find.bindText(1, QStringLiteral("none"));
    EXPECT_EQ(find.firstInt64(), 0);

    EXPECT_THROW(m_db.repeatStmt("select 1; select 2"), Sqlite3Exception);
    EXPECT_THROW(stmt.bindInt64(4, 1), Sqlite3Exception);
    // Kept statements go with the connection, which then closes at once.
    EXPECT_TRUE(m_db.close());
}

TEST_F(Sqlite3BulkTest, PausedIndexesComeBackInTheSchemasOrderOnCommitAndOnRollback)
{
    const QString before = schema();
    for (const bool commit : {true, false}) {
        SCOPED_TRACE(commit ? "commit" : "rollback");
        const QString prefix = commit ? QStringLiteral("c") : QStringLiteral("r");
        {
            Sqlite3Transaction transaction(m_db);
            Sqlite3IndexPause pause(m_db);
            EXPECT_EQ(value("select count(*) from sqlite_master where type = 'index' and "
                            "sql is not null"),
                      "0");
            for (int i = 0; i < 50; ++i)
                insert(prefix + QString::number(i), QString::number(i % 7));
            // The trigger and the unique constraint stay in force meanwhile.
            EXPECT_EQ(value("select count(*) from log where what like '" + prefix + "%'"), "50");
            EXPECT_THROW(insert(prefix + QStringLiteral("0"), QString()), Sqlite3Exception);
            if (commit) {
                pause.restore();
                transaction.commit();
            }
        }
        EXPECT_EQ(schema().toStdString(), before.toStdString());
        EXPECT_EQ(value("pragma integrity_check"), "ok");
    }
    EXPECT_EQ(value("select count(*) from t indexed by t_n where n = 7"), "50");
}

} // namespace
