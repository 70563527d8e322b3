#include "msgbuilder.h"
#include "recordingprogress.h"

#include "frame/translation.h"
#include "iosdb/ios6messagedb.h"
#include "localdb/backupsmsthread.h"
#include "localdb/exportmessagesdb.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"
#include "model/sqlite3db.h"
#include "scratchdb.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

class ExportMessagesDbTest : public ::testing::Test
{
protected:
    QString dbFolder() const { return m_dir.filePath(QStringLiteral("archive")); }
    QString fileRelay() const { return dbFolder() + QStringLiteral("/file-relay"); }
    QString dbPath() const
    {
        return fileRelay() + QStringLiteral("/var/mobile/Library/SMS/sms.db");
    }

    // Saves the messages in one run and returns how many were new.
    int save(const QList<_MsgMessage *> &messages)
    {
        ExportMessagesDb target{QDir(dbFolder()), QString()};
        target.init();
        for (_MsgMessage *message : messages)
            target.write(*message);
        target.uninit();
        return target.insertedCount();
    }

    qint64 scalar(const QString &sql) { return sqlValue(dbPath(), sql).toLongLong(); }
    QString text(const QString &sql) { return sqlValue(dbPath(), sql); }

    qint64 messageRows() { return scalar("select count(*) from message"); }
    // Rows of chat, handle, message, attachment and the three joins.
    QString rowCounts()
    {
        return text("select (select count(*) from chat) || ',' || (select count(*) from handle) "
                    "|| ',' || (select count(*) from message) || ',' || (select count(*) from "
                    "attachment) || ',' || (select count(*) from chat_message_join) || ',' || "
                    "(select count(*) from chat_handle_join) || ',' || (select count(*) from "
                    "message_attachment_join)");
    }

    // Every row of every table, in row order, one line each.
    QStringList allRows()
    {
        Sqlite3DB db;
        db.openThrow(dbPath(), Sqlite3DB::kOpenReadOnly);
        QStringList rows;
        Sqlite3Cursor tables =
            db.queryThrow("select name from sqlite_master where type = 'table' order by name");
        while (tables.moveNext()) {
            const QString table = tables.getText(0);
            Sqlite3Cursor cursor =
                db.queryThrow(QStringLiteral("select * from \"%1\" order by rowid").arg(table));
            while (cursor.moveNext()) {
                QStringList values{table};
                for (int i = 0; i < cursor.columnCount(); ++i)
                    values << cursor.getText(i);
                rows << values.join(QLatin1Char('|'));
            }
        }
        return rows;
    }

    // Two people, a one-to-one chat with each and a group of both; seven messages.
    QList<_MsgMessage *> conversation(MsgBuilder &b)
    {
        _MsgHandle *ann = b.handle(QStringLiteral("+15550001"));
        _MsgHandle *bob = b.handle(QStringLiteral("bob@example.com"), QStringLiteral("iMessage"));
        _MsgChat *withAnn = b.chat(ann);
        _MsgChat *withBob = b.chat(bob);
        _MsgChat *group = b.groupChat(QStringLiteral("chat100000000000000001"), {ann, bob});
        return {b.message(withAnn, ann, 1000, QStringLiteral("hello")),
                b.message(withAnn, nullptr, 1010, QStringLiteral("hi Ann")),
                b.message(withAnn, ann, 1020, QStringLiteral("hello")), // same text, later
                b.message(withBob, bob, 1030, QStringLiteral("lunch?")),
                b.message(withBob, nullptr, 1040, QStringLiteral("sure")),
                b.message(group, ann, 1050, QStringLiteral("all here")),
                b.message(group, bob, 1060, QStringLiteral("yes"))};
    }

    QTemporaryDir m_dir;
};

TEST_F(ExportMessagesDbTest, SavingTheSameMessagesTwiceAddsNothing)
{
    MsgBuilder b;
    const QList<_MsgMessage *> messages = conversation(b);
    EXPECT_EQ(save(messages), messages.size());
    const QString first = rowCounts();
    EXPECT_EQ(first, "3,2,7,0,7,4,0");

    EXPECT_EQ(save(messages), 0);
    EXPECT_EQ(rowCounts(), first);
}

TEST_F(ExportMessagesDbTest, SameMessagesFromAnotherSourceMergeByContent)
{
    MsgBuilder phone(0, QStringLiteral("phone-"));
    MsgBuilder android(500, QStringLiteral("android-"));
    const QList<_MsgMessage *> fromPhone = conversation(phone);
    const QList<_MsgMessage *> fromAndroid = conversation(android);
    ASSERT_NE(fromPhone.first()->guid(), fromAndroid.first()->guid());

    save(fromPhone);
    const QString first = rowCounts();
    EXPECT_EQ(save(fromAndroid), 0);
    EXPECT_EQ(rowCounts(), first);

    // A message that differs only in its text is a new one.
    _MsgMessage *changed = fromAndroid.first();
    changed->setText(QStringLiteral("hello!"));
    EXPECT_EQ(save({changed}), 1);
    EXPECT_EQ(messageRows(), fromPhone.size() + 1);
}

TEST_F(ExportMessagesDbTest, StoredRowsCarryTheNewDatabasesIdsAndTheLastDate)
{
    MsgBuilder b(7000);
    const QList<_MsgMessage *> messages = conversation(b);
    save(messages);
    // Handle links point at rows of this database, not of the source; messages without a hash;
    // the newest date of Ann's chat; members joined to the group chat.
    EXPECT_EQ(text("select (select count(*) from message m where m.is_from_me = 0 and not exists "
                   "(select 1 from handle h where h.rowid = m.handle_id)) || ',' || "
                   "(select count(*) from message where is_from_me = 1 and handle_id <> 0) || ',' "
                   "|| (select count(*) from message where logic_hash is null or logic_hash = '') "
                   "|| ',' || (select _last from chat where chat_identifier = '+15550001') || ',' "
                   "|| (select count(*) from chat_handle_join j join chat c on c.rowid = "
                   "j.chat_id where c.style = 43)"),
              "0,0,0,1020,2");
}

TEST_F(ExportMessagesDbTest, MessageWithoutChatIsSkippedAndTheRestSaved)
{
    MsgBuilder b;
    QList<_MsgMessage *> messages = conversation(b);
    messages[2]->chat = nullptr;
    EXPECT_EQ(save(messages), messages.size() - 1);
    EXPECT_EQ(messageRows(), messages.size() - 1);
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from message where guid = '%1'")
                         .arg(messages[2]->guid())),
              0);
}

TEST_F(ExportMessagesDbTest, GroupItemsAreSkippedWhereTheDatabaseCannotHoldThem)
{
    MsgBuilder b;
    QList<_MsgMessage *> messages = conversation(b);
    messages[5]->item_type = 1; // "added to the group": the local schema has item_type
    EXPECT_EQ(save(messages), messages.size());
    EXPECT_EQ(scalar("select count(*) from message where item_type = 1"), 1);
}

class AttachmentCopy : public ExportMessagesDbTest
{
protected:
    _MsgMessage *messageWithAttachment(MsgBuilder &b, const QString &filename,
                                       const QByteArray &content)
    {
        const QString local = m_dir.filePath(QStringLiteral("source/file%1").arg(++m_files));
        writeFile(local, content);
        _MsgHandle *ann = b.handle(QStringLiteral("+15550001"));
        _MsgMessage *message = b.message(b.chat(ann), ann, 2000 + m_files, QString(QChar(0xFFFC)));
        b.attachment(message, filename, local);
        return message;
    }

    int m_files = 0;
};

TEST_F(AttachmentCopy, HomeRelativeNameIsCopiedBelowTheFileTreeWithoutForbiddenCharacters)
{
    MsgBuilder b;
    const QString name = QStringLiteral("~/Library/SMS/Attachments/ab/01/IMG:1?.jpg");
    _MsgMessage *message = messageWithAttachment(b, name, "picture bytes");
    save({message});

    const QString copy =
        fileRelay() + QStringLiteral("/var/mobile/Library/SMS/Attachments/ab/01/IMG1.jpg");
    EXPECT_EQ(readAll(copy), QByteArray("picture bytes"));
    EXPECT_EQ(text("select filename as value from attachment"), name);
    EXPECT_EQ(scalar("select count(*) from message_attachment_join"), 1);
    EXPECT_EQ(scalar("select cache_has_attachments from message"), 1);
    // No temporary file is left beside the copy.
    EXPECT_EQ(QDir(QFileInfo(copy).absolutePath()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(AttachmentCopy, AbsoluteNameLandsAtTheSamePlaceAndExistingFilesAreKept)
{
    MsgBuilder b;
    const QString target =
        fileRelay() + QStringLiteral("/var/mobile/Library/SMS/Attachments/cd/02/a.jpg");
    writeFile(target, "already here");
    _MsgMessage *message = messageWithAttachment(
        b, QStringLiteral("/var/mobile/Library/SMS/Attachments/cd/02/a.jpg"), "new bytes");
    save({message});
    EXPECT_EQ(readAll(target), QByteArray("already here"));
    EXPECT_EQ(scalar("select count(*) from attachment"), 1);
}

TEST_F(AttachmentCopy, NameClimbingOutOfTheFileTreeIsNotCopiedButTheRowIsKept)
{
    MsgBuilder b;
    _MsgMessage *message =
        messageWithAttachment(b, QStringLiteral("~/../../../../escaped.jpg"), "must stay inside");
    _MsgMessage *other = messageWithAttachment(
        b, QStringLiteral("/var/mobile/Library/SMS/../../../../../escaped2.jpg"), "nor this");
    EXPECT_EQ(save({message, other}), 2);

    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath(QStringLiteral("escaped.jpg"))));
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath(QStringLiteral("escaped2.jpg"))));
    EXPECT_FALSE(QFileInfo::exists(dbFolder() + QStringLiteral("/escaped.jpg")));
    EXPECT_EQ(scalar("select count(*) from attachment"), 2);
    EXPECT_EQ(scalar("select count(*) from message_attachment_join"), 2);
}

TEST_F(AttachmentCopy, MissingFileOfAFirstSaveIsAddedByTheNext)
{
    MsgBuilder b;
    const QString name = QStringLiteral("~/Library/SMS/Attachments/ef/03/late.jpg");
    _MsgMessage *message = messageWithAttachment(b, name, "late bytes");
    _MsgAttachment *attachment = message->attachments().first();
    const QString local = attachment->localPath;
    attachment->localPath = m_dir.filePath(QStringLiteral("missing.jpg"));
    save({message});
    const QString copy =
        fileRelay() + QStringLiteral("/var/mobile/Library/SMS/Attachments/ef/03/late.jpg");
    EXPECT_FALSE(QFileInfo::exists(copy));

    attachment->localPath = local;
    EXPECT_EQ(save({message}), 0);
    EXPECT_EQ(readAll(copy), QByteArray("late bytes"));
    EXPECT_EQ(scalar("select count(*) from attachment"), 1);
}

TEST_F(AttachmentCopy, KnownMessageGainsItsNewAttachmentAndKeepsItsStoredLinks)
{
    MsgBuilder b;
    _MsgMessage *message = messageWithAttachment(
        b, QStringLiteral("~/Library/SMS/Attachments/aa/01/first.jpg"), "first");
    save({message});
    const char *links = "select group_concat(rowid || ':' || message_id || ':' || attachment_id) "
                        "from message_attachment_join";
    const QString before = text(links);

    b.attachment(message, QStringLiteral("~/Library/SMS/Attachments/aa/02/second.jpg"),
                 m_dir.filePath(QStringLiteral("source/file1")));
    EXPECT_EQ(save({message}), 0);
    EXPECT_EQ(scalar("select count(*) from attachment"), 2);
    EXPECT_EQ(text(links), before + QStringLiteral(",2:1:2"));
    EXPECT_EQ(scalar("select cache_has_attachments from message"), 1);
}

TEST_F(ExportMessagesDbTest, DuplicateGroupMessageStillUpdatesTheLastAddressedHandle)
{
    MsgBuilder b;
    const QList<_MsgMessage *> messages = conversation(b);
    _MsgMessage *fromAnn = messages[5];
    _MsgMessage *fromBob = messages[6];
    save(messages);
    const char *lastHandle = "select last_addressed_handle as value from chat where style = 43";
    EXPECT_EQ(text(lastHandle), fromBob->handle->id);

    EXPECT_EQ(save({fromAnn}), 0);
    EXPECT_EQ(text(lastHandle), fromAnn->handle->id);
}

TEST_F(ExportMessagesDbTest, DatabaseFromBeforeTheHashIsUpgradedAndMatchedByGuid)
{
    MsgBuilder b;
    const QList<_MsgMessage *> messages = conversation(b);
    save(messages);
    {
        Sqlite3DB db;
        db.openThrow(dbPath(), Sqlite3DB::kOpenReadWrite);
        db.executeThrow("drop index message_idx_logic_hash");
        db.executeThrow("alter table message drop column logic_hash");
    }
    EXPECT_EQ(save(messages), 0);
    EXPECT_EQ(messageRows(), messages.size());
    EXPECT_EQ(scalar("select count(*) from sqlite_master where name = 'message_idx_logic_hash'"),
              1);
    EXPECT_EQ(scalar("select count(*) from pragma_table_info('message') "
                     "where name = 'logic_hash'"),
              1);
}

TEST_F(ExportMessagesDbTest, AbortLeavesNothingOfTheRun)
{
    MsgBuilder b;
    const QList<_MsgMessage *> messages = conversation(b);
    save(messages.mid(0, 2));
    const QString before = rowCounts();
    {
        ExportMessagesDb target{QDir(dbFolder()), QString()};
        target.init();
        for (_MsgMessage *message : messages)
            target.write(*message);
        target.abort();
    }
    EXPECT_EQ(rowCounts(), before);
    {
        // A run that ends with an exception, never reaching uninit, is dropped as well.
        ExportMessagesDb target{QDir(dbFolder()), QString()};
        target.init();
        target.write(*messages.last());
    }
    EXPECT_EQ(rowCounts(), before);
}

// A first save builds the indexes at its end: the schema ends as a dump lists it at the start,
// after a commit and after an abort alike.
TEST_F(ExportMessagesDbTest, FirstSaveEndsWithTheSchemaItBeganWith)
{
    const QString schema = QStringLiteral(
        "select group_concat(type || name || sql, ';') as value from (select * from sqlite_master "
        "where sql is not null order by type <> 'table', rowid)");
    IOS6MessageDb(QDir(dbFolder()), QString(), true).openCheck();
    const QString before = text(schema);
    ASSERT_TRUE(before.contains(QStringLiteral("message_idx_logic_hash")));

    MsgBuilder b;
    const QList<_MsgMessage *> messages = conversation(b);
    {
        ExportMessagesDb target{QDir(dbFolder()), QString()};
        target.init();
        for (_MsgMessage *message : messages)
            target.write(*message);
        target.abort();
    }
    EXPECT_EQ(text(schema), before);
    EXPECT_EQ(messageRows(), 0);

    save(messages);
    EXPECT_EQ(text(schema), before);
    EXPECT_EQ(scalar("select count(*) from message indexed by message_idx_logic_hash "
                     "where logic_hash > ''"),
              messages.size());
}

// Duplicates are found in memory, among the rows the database held when the run began and those
// the run itself added: by content first, then by guid.
TEST_F(ExportMessagesDbTest, DuplicatesAreFoundAmongStoredRowsAndThoseOfTheSameRun)
{
    struct Case
    {
        const char *name;
        bool savedBefore; // the first message is in the database before the run
        int date;         // the second message's date (the first's is 1000)
        const char *text; // the second message's text (the first's is "hello")
        bool sameGuid;    // the second message has the first one's guid
        int inserted;     // new rows of the run
    };
    const Case cases[] = {
        {"same content, other guid, same run", false, 1000, "hello", false, 1},
        {"same guid, other content, same run", false, 1000, "edited", true, 1},
        {"other content and guid, same run", false, 1001, "hello", false, 2},
        {"same content, other guid, stored", true, 1000, "hello", false, 0},
        {"same guid, other content, stored", true, 2000, "edited", true, 0},
        {"other content and guid, stored", true, 1000, "hello!", false, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(dbFolder()).removeRecursively();
        MsgBuilder b;
        _MsgHandle *ann = b.handle(QStringLiteral("+15550001"));
        _MsgChat *chat = b.chat(ann);
        _MsgMessage *first = b.message(chat, ann, 1000, QStringLiteral("hello"));
        _MsgMessage *second = b.message(chat, ann, c.date, QString::fromLatin1(c.text));
        if (c.sameGuid)
            second->setGuid(first->guid());
        if (c.savedBefore) {
            ASSERT_EQ(save({first}), 1);
        }
        const int inserted = save(c.savedBefore ? QList<_MsgMessage *>{second}
                                                : QList<_MsgMessage *>{first, second});
        EXPECT_EQ(inserted, c.inserted);
        EXPECT_EQ(messageRows(), c.savedBefore ? 1 + c.inserted : c.inserted);
    }
}

class BackupSMSThreadTest : public ExportMessagesDbTest
{};

TEST_F(BackupSMSThreadTest, CancelInTheMiddleRollsEverythingBack)
{
    MsgBuilder b;
    const QList<_MsgMessage *> messages = conversation(b);
    save(messages.mid(0, 1));
    RecordingProgress progress;
    progress.cancelAtUpdate(4);
    BackupSMSThread worker(messages, QDir(dbFolder()), QString(), progress);
    EXPECT_FALSE(progress.run(worker));
    EXPECT_EQ(progress.callsOf(RecordingProgress::Kind::Succeed).size(), 0);
    EXPECT_EQ(progress.callsOf(RecordingProgress::Kind::Error).size(), 0);
    EXPECT_GT(worker.processedCount(), 1);
    EXPECT_EQ(messageRows(), 1);
}

TEST_F(BackupSMSThreadTest, FailureIsReportedAsAnError)
{
    MsgBuilder b;
    QList<_MsgMessage *> messages = conversation(b);
    messages[1]->chat->service_name = QStringLiteral("sms"); // refused by the writer
    RecordingProgress progress;
    BackupSMSThread worker(messages, QDir(dbFolder()), QString(), progress);
    EXPECT_FALSE(progress.run(worker));
    ASSERT_EQ(progress.callsOf(RecordingProgress::Kind::Error).size(), 1);
    EXPECT_FALSE(progress.endText().isEmpty());
    // The database this failed run began is gone: no empty archive is left to be listed.
    EXPECT_FALSE(QFileInfo::exists(dbFolder()));
}

// Messages freed two at a time as they are written are stored as a save that keeps them stores
// them, a reaction saved after its freed target included; none is left held afterwards.
TEST_F(BackupSMSThreadTest, FreeingWrittenMessagesStoresTheSameRows)
{
    const auto rowsOfSave = [this](bool release) {
        QDir(dbFolder()).removeRecursively();
        MsgBuilder b;
        QList<_MsgMessage *> messages = conversation(b);
        _MsgMessage *target = messages.first();
        _MsgMessage *reaction = messages.takeLast();
        reaction->associated_message_type = 2000;
        reaction->setAssociatedMessageGuid(target->guid());
        reaction->reactionTarget = target;
        target->reactions << reaction;
        RecordingProgress progress;
        BackupSMSThread worker(messages, QDir(dbFolder()), QString(), progress);
        if (release)
            worker.releaseWritten(b.data(), 2);
        EXPECT_TRUE(progress.run(worker)) << progress.endText().toStdString();
        EXPECT_EQ(worker.insertedCount(), 7) << "the reaction is saved after the listed six";
        EXPECT_EQ(b.data().messages().size(), release ? 0 : 7);
        return allRows();
    };
    const QStringList kept = rowsOfSave(false);
    EXPECT_GT(kept.size(), 7);
    EXPECT_EQ(rowsOfSave(true), kept);
}

TEST_F(BackupSMSThreadTest, SavesAndReportsOnceCountingSavedKnownAndNotSaved)
{
    MsgBuilder b;
    QList<_MsgMessage *> messages = conversation(b);
    save(messages.mid(0, 2));
    messages.last()->chat = nullptr;
    RecordingProgress progress;
    BackupSMSThread worker(messages, QDir(dbFolder()), QString(), progress);
    ASSERT_TRUE(progress.run(worker)) << progress.endText().toStdString();
    EXPECT_EQ(progress.endCount(), 1);
    EXPECT_EQ(progress.values().last(), 100);
    EXPECT_EQ(worker.processedCount(), messages.size());
    EXPECT_EQ(worker.skippedCount(), 1);
    const int saved = static_cast<int>(messages.size()) - 3;
    EXPECT_EQ(worker.insertedCount(), saved);
    EXPECT_EQ(messageRows(), saved + 2);
    EXPECT_EQ(progress.endText(),
              g_tr("IDS_SUC_BACKUP_%1_SAVED_%2_KNOWN_%3_NOT_SAVED").arg(saved).arg(2).arg(1));
}

} // namespace
