#include "recordingprogress.h"

#include "fields.h"
#include "fixtures/legacymmsdbwriter.h"
#include "frame/appdirs.h"
#include "iosdb/ios6messagedb.h"
#include "localdb/updatelocaldbthread.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msgdata.h"
#include "model/msgfunctions.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"
#include "model/sqlite3db.h"
#include "must.h"
#include "scratchdb.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

constexpr qint64 kDate21Epoch = 978307200; // 2001-01-01 00:00:00 UTC in Unix seconds
const QChar kPlaceholder(0xFFFC);

// A converted database read back through the local-database reader, messages oldest first.
struct Loaded
{
    MsgData data;
    QList<_MsgMessage *> messages;
};

Loaded load(const QDir &folder)
{
    Loaded loaded;
    IOS6MessageDb db(folder, QString(), true);
    db.chats(loaded.data);
    db.messages(loaded.data, 0);
    loaded.messages = loaded.data.messages();
    g_sortMessages(loaded.messages);
    return loaded;
}

class UpdateLocalDbTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_data.isValid());
        g_setDataSaveDirOverride(m_data.path());
    }
    void TearDown() override { g_setDataSaveDirOverride(QString()); }

    // An old database folder below the legacy data folder.
    QDir legacyFolder(const QString &name) const
    {
        return QDir(m_data.filePath(QStringLiteral("data/") + name));
    }
    QDir localFolder(const QString &name) const { return QDir(g_localDbDir().filePath(name)); }
    QString newDbPath(const QString &name) const
    {
        return localFolder(name).filePath(QStringLiteral("file-relay/") +
                                          QLatin1String(IOS6MessageDb::kDbRelativePath));
    }

    // Converts one folder directly into the local database of the same name.
    void convert(const QDir &oldFolder)
    {
        RecordingProgress progress;
        UpdateLocalDbThread worker(progress);
        worker.updateMessagesDbThrow(oldFolder, localFolder(oldFolder.dirName()));
    }

    qint64 scalar(const QString &name, const QString &sql) const
    {
        return sqlValue(newDbPath(name), sql).toLongLong();
    }

    QList<qint64> rowCounts(const QString &name) const
    {
        QList<qint64> counts;
        for (const char *table : {"message", "chat", "handle", "attachment", "chat_message_join",
                                  "chat_handle_join", "message_attachment_join"}) {
            counts.append(scalar(name, QStringLiteral("select count(*) from %1").arg(table)));
        }
        return counts;
    }

    QTemporaryDir m_data;
};

TEST_F(UpdateLocalDbTest, EachMediaPartBecomesAMessageWithItsFile)
{
    const QDir old = legacyFolder(QStringLiteral("Phone"));
    LegacyMmsDbWriter w(old);
    const qint64 ann = w.addHandle(QStringLiteral("+15550001"), QStringLiteral("Ann"));
    const qint64 mms = w.addMessage(ann, QString(), kDate21Epoch + 5000, false);
    w.addJpegPart(mms, QStringLiteral("12/beach.jpg"), 1);
    w.addJpegPart(mms, QStringLiteral("13/Sunset.JPG"), 2);
    w.close();

    convert(old);

    const Loaded loaded = load(localFolder(QStringLiteral("Phone")));
    ASSERT_EQ(loaded.messages.size(), 2);
    QStringList transferNames;
    for (const _MsgMessage *message : loaded.messages) {
        ASSERT_EQ(message->attachmentMap.size(), 1);
        const _MsgAttachment *attachment = message->attachmentMap.begin().value();
        transferNames.append(attachment->transfer_name);
        EXPECT_EQ(fields(message->text(), message->date, attachment->mime_type, attachment->uti,
                         attachment->created_date),
                  fields(QString(kPlaceholder), 5000, "image/jpeg", "public.jpeg", 5000));
        EXPECT_EQ(message->attributedBody, msgAttaAttributeBody(attachment->guid));
        // Named the way the phone files its attachments, below the database's own tree.
        const QString prefix = QStringLiteral("~/Library/SMS/Attachments/%1/%2/%3/")
                                   .arg(attachment->guid.left(2).toLower(),
                                        attachment->guid.mid(2, 2).toLower(), attachment->guid);
        EXPECT_EQ(attachment->filename, prefix + attachment->transfer_name);
        const QString copy =
            localFolder(QStringLiteral("Phone"))
                .filePath(QStringLiteral("file-relay/var/mobile/") + attachment->filename.mid(2));
        const QString original =
            old.filePath(QStringLiteral("attachments/") + (attachment->transfer_name == "beach.jpg"
                                                               ? QStringLiteral("12/beach.jpg")
                                                               : QStringLiteral("13/Sunset.JPG")));
        EXPECT_EQ(readAll(copy), readAll(original)) << copy.toStdString();
    }
    transferNames.sort();
    EXPECT_EQ(transferNames, QStringList({"Sunset.JPG", "beach.jpg"}));
    EXPECT_NE(loaded.messages[0]->guid(), loaded.messages[1]->guid());
    // The old files stay where they were.
    EXPECT_FALSE(readAll(old.filePath(QStringLiteral("attachments/12/beach.jpg"))).isEmpty());
}

TEST_F(UpdateLocalDbTest, BodyAndTextPartsBecomeSeparateMessages)
{
    const QDir old = legacyFolder(QStringLiteral("Texts"));
    LegacyMmsDbWriter w(old);
    const qint64 bob = w.addHandle(QStringLiteral("+15550002"));
    const qint64 m = w.addMessage(bob, QStringLiteral("the body"), kDate21Epoch + 100, true,
                                  QStringLiteral("Subject line"));
    w.addTextPart(m, QStringLiteral("part1.txt"), QStringLiteral("Grüße aus Köln"));
    w.addTextPart(m, QStringLiteral("blank.txt"), QStringLiteral("  \n\t "));
    w.addPart(m, QStringLiteral("missing.txt"), QStringLiteral("TEXT/PLAIN"));
    w.close();

    convert(old);

    const Loaded loaded = load(localFolder(QStringLiteral("Texts")));
    QStringList texts;
    for (const _MsgMessage *message : loaded.messages) {
        texts.append(message->text());
        EXPECT_TRUE(message->attachmentMap.isEmpty());
        EXPECT_EQ(message->subject(), "Subject line");
        EXPECT_EQ(message->is_from_me, 1);
        EXPECT_EQ(message->chat, loaded.messages.first()->chat);
    }
    texts.sort();
    EXPECT_EQ(texts, QStringList({QStringLiteral("Grüße aus Köln"), QStringLiteral("the body")}));
}

TEST_F(UpdateLocalDbTest, ApplicationAndUntypedPartsAreSkipped)
{
    const QDir old = legacyFolder(QStringLiteral("Skips"));
    LegacyMmsDbWriter w(old);
    const qint64 h = w.addHandle(QStringLiteral("+15550003"));
    const qint64 m = w.addMessage(h, QStringLiteral("kept"), kDate21Epoch + 10, false);
    const QByteArray bytes("<smil/>");
    w.addPart(m, QStringLiteral("layout.smil"), QStringLiteral("application/smil"), &bytes);
    w.addPart(m, QStringLiteral("data.bin"), QStringLiteral("Application/Octet-Stream"), &bytes);
    w.addPart(m, QStringLiteral("untyped.jpg"), QString(), &bytes);
    const qint64 onlySkipped = w.addMessage(h, QString(), kDate21Epoch + 20, false);
    w.addPart(onlySkipped, QStringLiteral("other.smil"), QStringLiteral("application/smil"),
              &bytes);
    w.close();

    convert(old);

    const Loaded loaded = load(localFolder(QStringLiteral("Skips")));
    ASSERT_EQ(loaded.messages.size(), 1);
    EXPECT_EQ(loaded.messages.first()->text(), "kept");
    EXPECT_EQ(scalar(QStringLiteral("Skips"), QStringLiteral("select count(*) from attachment")),
              0);
    EXPECT_TRUE(filesBelow(localFolder(QStringLiteral("Skips"))
                               .filePath("file-relay/var/mobile/"
                                         "Library/SMS/"
                                         "Attachments"))
                    .isEmpty());
}

TEST_F(UpdateLocalDbTest, DatesDirectionsAddressesAndContactsCarryOver)
{
    const QDir old = legacyFolder(QStringLiteral("People"));
    LegacyMmsDbWriter w(old);
    const qint64 ann = w.addHandle(QStringLiteral("+1 (555) 000-1234"), QStringLiteral("Ann Lee"));
    const qint64 mail = w.addHandle(QStringLiteral("Bob@Example.COM"), QStringLiteral("Bob"));
    const qint64 annAgain = w.addHandle(QStringLiteral("+15550001234"));
    w.addMessage(ann, QStringLiteral("at the epoch"), kDate21Epoch, false);
    w.addMessage(ann, QStringLiteral("sent later"), kDate21Epoch + 86400, true);
    w.addMessage(mail, QStringLiteral("mail"), kDate21Epoch + 2 * 86400, false);
    w.addMessage(annAgain, QStringLiteral("same person"), kDate21Epoch + 3 * 86400, false);
    w.close();

    convert(old);

    const Loaded loaded = load(localFolder(QStringLiteral("People")));
    ASSERT_EQ(loaded.messages.size(), 4);
    const _MsgMessage *first = loaded.messages[0];
    const _MsgHandle *sender = must(first->handle);
    EXPECT_EQ(fields(first->text(), first->date, first->date_read, first->date_delivered,
                     first->is_from_me, first->service(), sender->id, sender->_ct_name,
                     first->chat->chat_identifier, first->chat->guid),
              fields("at the epoch", 0, 0, 0, 0, "SMS", "+15550001234", "Ann Lee", "+15550001234",
                     "SMS;-;+15550001234"));
    EXPECT_EQ(fields(loaded.messages[1]->date, loaded.messages[1]->is_from_me), fields(86400, 1));
    const _MsgHandle *bob = must(loaded.messages[2]->handle);
    EXPECT_EQ(fields(bob->id, bob->_ct_name), fields("bob@example.com", "Bob"));

    // Two old spellings of one number meet in one conversation.
    EXPECT_EQ(loaded.messages[3]->chat, first->chat);
    EXPECT_EQ(loaded.data.chats().size(), 2);
    EXPECT_EQ(scalar(QStringLiteral("People"), QStringLiteral("select count(*) from handle")), 2);
}

TEST_F(UpdateLocalDbTest, NamesLeavingTheOldFolderAreNeverRead)
{
    const QDir old = legacyFolder(QStringLiteral("Hostile"));
    const QByteArray secret("secret outside the folder");
    writeFile(m_data.filePath(QStringLiteral("data/secret.txt")), secret);
    writeFile(m_data.filePath(QStringLiteral("data/secret.jpg")), secret);
    LegacyMmsDbWriter w(old);
    const qint64 h = w.addHandle(QStringLiteral("+15550004"));
    const qint64 m = w.addMessage(h, QStringLiteral("body stays"), kDate21Epoch + 50, false);
    w.addPart(m, QStringLiteral("../../secret.txt"), QStringLiteral("text/plain"));
    w.addPart(m, QStringLiteral("../../secret.jpg"), QStringLiteral("image/jpeg"));
    // A link inside the folder that points out of it.
    QDir().mkpath(old.filePath(QStringLiteral("attachments")));
    ASSERT_TRUE(QFile::link(m_data.filePath(QStringLiteral("data/secret.jpg")),
                            old.filePath(QStringLiteral("attachments/link.jpg"))));
    w.addPart(m, QStringLiteral("link.jpg"), QStringLiteral("image/jpeg"));
    w.close();

    convert(old);

    const Loaded loaded = load(localFolder(QStringLiteral("Hostile")));
    QStringList texts;
    int pictures = 0;
    for (const _MsgMessage *message : loaded.messages) {
        texts.append(message->text());
        pictures += message->attachmentMap.size();
    }
    EXPECT_TRUE(texts.contains("body stays"));
    EXPECT_FALSE(texts.contains(QString::fromUtf8(secret)));
    // The pictures keep their messages, without a file.
    EXPECT_EQ(pictures, 2);
    const QDir hostile = localFolder(QStringLiteral("Hostile"));
    for (const QString &file : filesBelow(hostile.path()))
        EXPECT_NE(readAll(hostile.filePath(file)), secret) << file.toStdString();
}

TEST_F(UpdateLocalDbTest, MissingOldDatabaseChangesNothing)
{
    const QDir old = legacyFolder(QStringLiteral("Empty"));
    QDir().mkpath(old.path());
    convert(old);
    EXPECT_FALSE(localFolder(QStringLiteral("Empty")).exists());
}

TEST_F(UpdateLocalDbTest, RunConvertsEveryFolderOnceAndKeepsABackup)
{
    LegacyMmsDbWriter legacy(legacyFolder(QStringLiteral("Old Phone")));
    const qint64 ann = legacy.addHandle(QStringLiteral("+15550001"), QStringLiteral("Ann"));
    const qint64 m = legacy.addMessage(ann, QStringLiteral("hello"), kDate21Epoch + 60, false);
    legacy.addJpegPart(m, QStringLiteral("1.jpg"), 3);
    legacy.addTextPart(m, QStringLiteral("1.txt"), QStringLiteral("caption"));
    legacy.close();
    // An old database that already lies among the local databases is converted in place.
    LegacyMmsDbWriter inPlace(localFolder(QStringLiteral("Archive")));
    inPlace.addMessage(inPlace.addHandle(QStringLiteral("+15550002")), QStringLiteral("x"),
                       kDate21Epoch, true);
    inPlace.close();
    QDir().mkpath(legacyFolder(QStringLiteral("No database")).path());

    const QList<QDir> found = UpdateLocalDbThread::oldDatabaseFolders();
    ASSERT_EQ(found.size(), 2);
    EXPECT_EQ(found[0].dirName(), "Archive");
    EXPECT_EQ(found[1].dirName(), "Old Phone");

    RecordingProgress progress;
    UpdateLocalDbThread worker(progress);
    ASSERT_TRUE(progress.run(worker)) << progress.endText().toStdString();
    EXPECT_EQ(progress.endCount(), 1);
    EXPECT_EQ(progress.endText(), "Successfully updated local database. Please restart software.");
    EXPECT_TRUE(progress.statuses().contains("Updating local database Old Phone messages..."));
    EXPECT_EQ(progress.values().last(), 100);
    EXPECT_EQ(worker.convertedNames(), QStringList({"Archive", "Old Phone"}));

    EXPECT_TRUE(UpdateLocalDbThread::oldDatabaseFolders().isEmpty());
    EXPECT_TRUE(
        QFileInfo::exists(legacyFolder(QStringLiteral("Old Phone")).filePath("mms.db-bak")));
    EXPECT_FALSE(QFileInfo::exists(legacyFolder(QStringLiteral("Old Phone")).filePath("mms.db")));
    EXPECT_EQ(load(localFolder(QStringLiteral("Old Phone"))).messages.size(), 3);
    EXPECT_EQ(load(localFolder(QStringLiteral("Archive"))).messages.size(), 1);

    // Restoring the old file and converting again adds nothing.
    const QList<qint64> before = rowCounts(QStringLiteral("Old Phone"));
    const QDir folder = legacyFolder(QStringLiteral("Old Phone"));
    ASSERT_TRUE(QFile::rename(folder.filePath("mms.db-bak"), folder.filePath("mms.db")));
    RecordingProgress again;
    UpdateLocalDbThread second(again);
    ASSERT_TRUE(again.run(second)) << again.endText().toStdString();
    EXPECT_EQ(rowCounts(QStringLiteral("Old Phone")), before);
}

TEST_F(UpdateLocalDbTest, AnEarlierBackupIsNotOverwritten)
{
    const QDir old = legacyFolder(QStringLiteral("Twice"));
    LegacyMmsDbWriter w(old);
    w.addMessage(w.addHandle(QStringLiteral("+15550005")), QStringLiteral("x"), kDate21Epoch,
                 false);
    w.close();
    writeFile(old.filePath(QStringLiteral("mms.db-bak")), "an older backup");

    RecordingProgress progress;
    UpdateLocalDbThread worker(progress);
    ASSERT_TRUE(progress.run(worker)) << progress.endText().toStdString();

    EXPECT_EQ(readAll(old.filePath(QStringLiteral("mms.db-bak"))), "an older backup");
    EXPECT_FALSE(QFileInfo::exists(old.filePath(QStringLiteral("mms.db"))));
    const QStringList backups = old.entryList({QStringLiteral("*bak")}, QDir::Files);
    EXPECT_EQ(backups.size(), 2);
}

TEST_F(UpdateLocalDbTest, AFailingFolderStopsTheRunAndKeepsItsDatabase)
{
    for (const QString &name : {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}) {
        LegacyMmsDbWriter w(legacyFolder(name));
        const qint64 h = w.addHandle(QStringLiteral("+1555000") + QString::number(name.size()));
        w.addMessage(h, QStringLiteral("one"), kDate21Epoch + 1, false);
        w.addMessage(h, QStringLiteral("two"), kDate21Epoch + 2, false);
        if (name == "b")
            w.exec(QStringLiteral("drop table message_attachment"));
        w.close();
    }

    RecordingProgress progress;
    UpdateLocalDbThread worker(progress);
    EXPECT_FALSE(progress.run(worker));
    EXPECT_EQ(progress.endCount(), 1);
    EXPECT_TRUE(progress.endText().contains("message_attachment"))
        << progress.endText().toStdString();
    EXPECT_EQ(worker.convertedNames(), QStringList({"a"}));

    EXPECT_TRUE(QFileInfo::exists(legacyFolder("a").filePath("mms.db-bak")));
    for (const QString &name : {QStringLiteral("b"), QStringLiteral("c")}) {
        EXPECT_TRUE(QFileInfo::exists(legacyFolder(name).filePath("mms.db"))) << name.toStdString();
        EXPECT_FALSE(QFileInfo::exists(legacyFolder(name).filePath("mms.db-bak")));
    }
    // The failed folder's messages written before the failure were dropped with its transaction.
    if (QFileInfo::exists(newDbPath(QStringLiteral("b")))) {
        EXPECT_EQ(scalar(QStringLiteral("b"), QStringLiteral("select count(*) from message")), 0);
    }
    EXPECT_FALSE(localFolder(QStringLiteral("c")).exists());
}

} // namespace
