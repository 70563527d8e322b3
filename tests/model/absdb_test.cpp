// Lazily opened databases, their transactions, the transaction guard and the layout check of
// iPhone message databases.
#include "frame/absprogress.h"
#include "model/absdb.h"
#include "model/absiosmessagedb.h"
#include "model/sqlite3exception.h"
#include "model/sqlite3transaction.h"
#include "scratchdb.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <stdexcept>

namespace {

// A database with one table whose guid must be unique, opened on first use.
class GuidDb : public AbsDb
{
public:
    explicit GuidDb(const QString &path) : m_path(path) {}

    void openCheck() override
    {
        if (isOpen())
            return;
        openThrow(m_path, kOpenReadWrite | kOpenCreate);
        ++opens;
        QString error;
        if (exec(QStringLiteral("create table if not exists item (guid text unique, text text)"),
                 error) != SQLITE_OK)
            throw std::runtime_error(error.toStdString());
    }

    int opens = 0;

private:
    QString m_path;
};

Sqlite3Row itemRow(const QString &guid)
{
    Sqlite3Row row;
    row[QStringLiteral("guid")] = guid;
    row[QStringLiteral("text")] = QStringLiteral("text of ") + guid;
    return row;
}

class AbsDbTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("items.db"));
    }

    qint64 committedItems() { return sqlValue(m_path, "select count(*) from item").toLongLong(); }

    QTemporaryDir m_dir;
    QString m_path;
};

TEST_F(AbsDbTest, OpensOnFirstUseOnlyAndInsertsReturnTheirRowIds)
{
    GuidDb db(m_path);
    EXPECT_FALSE(db.isOpen());
    EXPECT_FALSE(QFile::exists(m_path));
    db.insertSqlRow(itemRow(QStringLiteral("a")), QStringLiteral("item"));
    db.beginEdit();
    db.endEdit(true);
    EXPECT_EQ(db.opens, 1);

    // Each insert hands back its new row.
    const qint64 first = db.insertSqlRow(itemRow(QStringLiteral("x")), QStringLiteral("item"));
    const qint64 second = db.insertSqlRow(itemRow(QStringLiteral("b")), QStringLiteral("item"), {});
    EXPECT_NE(first, second);
    Sqlite3Cursor cursor = db.queryThrow(
        Sqlite3Sql("select rowid, guid from item where rowid = ?").addInt64Param(second));
    ASSERT_TRUE(cursor.moveNext());
    EXPECT_EQ(cursor.getText(QStringLiteral("GUID")), QStringLiteral("b"));
}

TEST_F(AbsDbTest, EndEditWithoutBeginEditDoesNothing)
{
    GuidDb db(m_path);
    EXPECT_NO_THROW(db.endEdit(true));
    EXPECT_NO_THROW(db.endEdit(false));
    EXPECT_FALSE(db.editing());
    EXPECT_FALSE(db.inTransaction());
    // The database still takes work afterwards.
    db.insertSqlRow(itemRow(QStringLiteral("a")), QStringLiteral("item"));
    EXPECT_EQ(committedItems(), 1);
}

TEST_F(AbsDbTest, AConstraintViolationThrowsAndInsertsNothing)
{
    GuidDb db(m_path);
    db.beginEdit();
    const qint64 kept = db.insertSqlRow(itemRow(QStringLiteral("a")), QStringLiteral("item"));
    try {
        db.insertSqlRow(itemRow(QStringLiteral("a")), QStringLiteral("item"));
        FAIL() << "a duplicate guid was inserted";
    } catch (const Sqlite3Exception &e) {
        EXPECT_EQ(e.code(), SQLITE_CONSTRAINT);
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QLatin1String("UNIQUE"))) << e.what();
    }
    EXPECT_EQ(db.lastInsertId(), kept);
    // The failed statement alone is undone; the transaction and the row before it survive.
    EXPECT_TRUE(db.editing());
    db.endEdit(true);
    EXPECT_EQ(committedItems(), 1);
}

TEST_F(AbsDbTest, EndEditCommitsOrRollsBack)
{
    GuidDb db(m_path);
    db.openCheck();
    db.beginEdit();
    EXPECT_TRUE(db.editing());
    db.insertSqlRow(itemRow(QStringLiteral("a")), QStringLiteral("item"));
    db.endEdit(false);
    EXPECT_FALSE(db.editing());
    EXPECT_EQ(committedItems(), 0);

    db.beginEdit();
    db.beginEdit(); // harmless while the first is open
    db.insertSqlRow(itemRow(QStringLiteral("b")), QStringLiteral("item"));
    db.insertSqlRow(itemRow(QStringLiteral("c")), QStringLiteral("item"));
    EXPECT_EQ(committedItems(), 0);
    db.endEdit(true);
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(committedItems(), 2);
}

TEST_F(AbsDbTest, ChangesLostWithTheConnectionAreNotReportedAsCommitted)
{
    GuidDb db(m_path);
    db.beginEdit();
    db.insertSqlRow(itemRow(QStringLiteral("a")), QStringLiteral("item"));
    // A cancelled worker closes without committing; SQLite drops the open transaction.
    db.close();
    EXPECT_THROW(db.endEdit(true), Sqlite3Exception);
    EXPECT_FALSE(db.editing());
    EXPECT_EQ(committedItems(), 0);

    // Rolling back what is already gone is fine.
    db.beginEdit();
    db.close();
    EXPECT_NO_THROW(db.endEdit(false));
    EXPECT_FALSE(db.editing());
}

TEST_F(AbsDbTest, TransactionGuardRollsBackUnlessCommitted)
{
    GuidDb db(m_path);
    db.openCheck();
    try {
        Sqlite3Transaction transaction(db);
        db.insertSqlRow(itemRow(QStringLiteral("a")), QStringLiteral("item"));
        throw std::runtime_error("interrupted");
    } catch (const std::runtime_error &) {
    }
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(committedItems(), 0);

    try {
        Sqlite3Transaction transaction(db);
        db.insertSqlRow(itemRow(QStringLiteral("b")), QStringLiteral("item"));
        throw kUserCancelled;
    } catch (int) {
    }
    EXPECT_EQ(committedItems(), 0);

    {
        Sqlite3Transaction transaction(db);
        db.insertSqlRow(itemRow(QStringLiteral("c")), QStringLiteral("item"));
        transaction.commit();
        EXPECT_TRUE(transaction.isCommitted());
    }
    EXPECT_EQ(committedItems(), 1);

    // The guard outliving its transaction (the connection closed under it) must not throw.
    {
        Sqlite3Transaction transaction(db);
        db.close();
    }
    EXPECT_FALSE(db.isOpen());
}

class CheckDbTypeTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString createDb(const QString &name, const QString &script)
    {
        const QString path = m_dir.filePath(name);
        Sqlite3DB db;
        db.openThrow(path, Sqlite3DB::kOpenReadWrite | Sqlite3DB::kOpenCreate);
        QString error;
        EXPECT_EQ(db.exec(script, error), SQLITE_OK) << error.toStdString();
        return path;
    }

    QTemporaryDir m_dir;
};

TEST_F(CheckDbTypeTest, TellsTheLayoutsApart)
{
    const struct
    {
        const char *name, *script;
        int expected;
    } cases[] = {
        {"ios5.db",
         "create table message (ROWID integer primary key, address text);"
         "create table msg_group (ROWID integer primary key, type integer);"
         "create table group_member (ROWID integer primary key, group_id integer);"
         "create table chat (ROWID integer primary key);"
         "create table handle (ROWID integer primary key);",
         AbsIOSMessageDb::kIOS5},
        {"ios6.db",
         "create table chat (ROWID integer primary key, guid text unique);"
         "create table handle (ROWID integer primary key, id text);"
         "create table chat_handle_join (chat_id integer, handle_id integer);"
         "create table message (ROWID integer primary key, text text);"
         "create table chat_message_join (chat_id integer, message_id integer);"
         "create index message_idx on message(text);"
         "create view v as select * from chat;",
         AbsIOSMessageDb::kIOS6},
        // Names that merely resemble the tables (an index, a view) do not count.
        {"lookalike.db",
         "create table chat (ROWID integer primary key);"
         "create table handle (ROWID integer primary key);"
         "create table message (ROWID integer primary key);"
         "create table chat_message_join (chat_id integer, message_id integer);"
         "create view chat_handle_join as select * from chat;",
         AbsIOSMessageDb::kIOS5},
        // An empty file is the older layout.
        {"empty.db", "", AbsIOSMessageDb::kIOS5},
    };
    for (const auto &c : cases) {
        const QString path = createDb(QLatin1String(c.name), QLatin1String(c.script));
        EXPECT_EQ(AbsIOSMessageDb::checkDbType(path), c.expected) << c.name;
    }
}

TEST_F(CheckDbTypeTest, AMissingFileIsAnErrorAndStaysMissing)
{
    const QString missing = m_dir.filePath(QStringLiteral("sms.db"));
    EXPECT_THROW(AbsIOSMessageDb::checkDbType(missing), Sqlite3Exception);
    EXPECT_FALSE(QFile::exists(missing));

    const QString junk = m_dir.filePath(QStringLiteral("junk.db"));
    writeFile(junk, QByteArray(2048, '\x7f'));
    EXPECT_THROW(AbsIOSMessageDb::checkDbType(junk), Sqlite3Exception);
}

} // namespace
