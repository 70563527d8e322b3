#include "msgbuilder.h"
#include "recordingprogress.h"

#include "export/attachmentextractthread.h"
#include "export/deletemmsthread.h"
#include "fixtures/smsdbwriter.h"
#include "iosdb/ios6messagedb.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msgmessage.h"
#include "model/sqlite3cursor.h"
#include "model/sqlite3db.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

constexpr qint64 k2001 = 978307200;

QString written(const QString &path, const QByteArray &bytes)
{
    writeFile(path, bytes);
    return path;
}

} // namespace

class ExtractTest : public ::testing::Test
{
protected:
    void SetUp() override { m_chat = m_b.chat(m_b.handle(QStringLiteral("+15550001"))); }

    QString source(const char *name, const QByteArray &bytes)
    {
        return written(m_dir.filePath(QStringLiteral("src/%1/%2").arg(++m_n).arg(name)), bytes);
    }
    QString target() const { return m_dir.filePath(QStringLiteral("out/attachments(x)")); }

    QTemporaryDir m_dir;
    MsgBuilder m_b;
    _MsgChat *m_chat = nullptr;
    RecordingProgress m_progress;
    int m_n = 0;
};

TEST_F(ExtractTest, CopiesAreIdenticalDatedAndNeverOverwritten)
{
    QByteArray binary(3000, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char(i * 7);
    _MsgMessage *first = m_b.message(m_chat, nullptr, 400000000, QString());
    _MsgMessage *second = m_b.message(m_chat, nullptr, 400000500, QString());
    m_b.attachment(first, "~/Library/SMS/Attachments/a/IMG_1.jpg", source("x.jpg", binary));
    m_b.attachment(second, "~/Library/SMS/Attachments/b/IMG_1.jpg", source("y.jpg", "second"));
    m_b.attachment(second, "~/Library/SMS/Attachments/c/gone.jpg", m_dir.filePath("nothing.jpg"));

    AttachmentExtractThread worker(m_progress, {first, second}, target());
    ASSERT_TRUE(m_progress.run(worker)) << m_progress.endText().toStdString();
    EXPECT_EQ(worker.copiedCount(), 2);
    EXPECT_EQ(m_progress.endText(),
              QStringLiteral("Successfully extracted 2 attachment file(s) to %1.")
                  .arg(QDir(target()).absolutePath()));
    const QDir out(target());
    EXPECT_EQ(out.entryList(QDir::Files, QDir::Name), QStringList({"IMG_1(1).jpg", "IMG_1.jpg"}));
    EXPECT_EQ(readAll(out.filePath("IMG_1.jpg")), binary);
    EXPECT_EQ(readAll(out.filePath("IMG_1(1).jpg")), QByteArray("second"));
    const auto modified = [&out](const char *name) {
        return QFileInfo(out.filePath(name)).lastModified().toSecsSinceEpoch() - k2001;
    };
    EXPECT_EQ(QList<qint64>({modified("IMG_1.jpg"), modified("IMG_1(1).jpg")}),
              QList<qint64>({400000000, 400000500}));
}

TEST_F(ExtractTest, HostileNamesStayInsideTheFolder)
{
    _MsgMessage *m = m_b.message(m_chat, nullptr, 1, QString());
    m_b.attachment(m, "~/Library/SMS/Attachments/..", source("a", "dots"));
    m_b.attachment(m, "../../escape:me?.txt", source("b", "escape"));
    m_b.attachment(m, "", source("c", "nameless"));

    AttachmentExtractThread worker(m_progress, {m}, target());
    ASSERT_TRUE(m_progress.run(worker));
    EXPECT_EQ(worker.copiedCount(), 3);
    EXPECT_EQ(QDir(target()).entryList(QDir::Files).size(), 3);
    EXPECT_TRUE(QFile::exists(QDir(target()).filePath("escapeme.txt")));
    EXPECT_EQ(QDir(m_dir.filePath("out")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList({"attachments(x)"}));
}

TEST_F(ExtractTest, NoAttachmentsGiveAnEmptyFolder)
{
    _MsgMessage *m = m_b.message(m_chat, nullptr, 1, QStringLiteral("just text"));
    AttachmentExtractThread worker(m_progress, {m}, target());
    ASSERT_TRUE(m_progress.run(worker));
    EXPECT_TRUE(QFileInfo(target()).isDir());
    EXPECT_TRUE(m_progress.endText().startsWith("Successfully extracted 0 "));
}

TEST_F(ExtractTest, CancelTakesBackOnlyWhatThisRunWrote)
{
    QList<_MsgMessage *> messages;
    for (int i = 0; i < 3; ++i) {
        messages << m_b.message(m_chat, nullptr, i, QString());
        m_b.attachment(messages.last(), QStringLiteral("f%1.jpg").arg(i), source("f", "data"));
    }
    {
        RecordingProgress progress;
        progress.cancelAtUpdate(2);
        AttachmentExtractThread worker(progress, messages, target());
        EXPECT_FALSE(progress.run(worker));
        EXPECT_EQ(progress.endCount(), 0);
        EXPECT_FALSE(QFileInfo::exists(target())); // created by the run, so it goes
    }
    // A folder that was there before keeps what it held.
    const QString keep = written(QDir(target()).filePath("mine.txt"), "keep me");
    RecordingProgress progress;
    progress.cancelAtUpdate(2);
    AttachmentExtractThread worker(progress, messages, target());
    EXPECT_FALSE(progress.run(worker));
    EXPECT_EQ(QDir(target()).entryList(QDir::Files), QStringList({"mine.txt"}));
    EXPECT_EQ(readAll(keep), QByteArray("keep me"));
}

// A phone database with two chats; Ann's two messages share one attachment file.
class DeleteTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SmsDbWriter w(folder(), SmsDbWriter::Layout::Extended);
        const qint64 ann = w.addHandle(QStringLiteral("+15550001"));
        const qint64 bob = w.addHandle(QStringLiteral("+15550002"));
        const qint64 withAnn = w.addChat(ann);
        const qint64 withBob = w.addChat(bob);
        SmsDbWriter::Message m;
        m.text = QStringLiteral("one");
        m.date = 100;
        const qint64 a1 = w.addMessage(withAnn, m);
        m.text = QStringLiteral("two");
        const qint64 a2 = w.addMessage(withAnn, m);
        m.text = QStringLiteral("bob");
        const qint64 b1 = w.addMessage(withBob, m);
        const QByteArray shared("shared picture");
        const qint64 atta = w.addAttachment(a1, QStringLiteral("~/Library/SMS/Attachments/s.jpg"),
                                            QStringLiteral("image/jpeg"), &shared);
        w.exec(QStringLiteral("insert into message_attachment_join values (%1, %2)")
                   .arg(a2)
                   .arg(atta));
        const QByteArray own("bob's picture");
        w.addAttachment(b1, QStringLiteral("~/Library/SMS/Attachments/b.jpg"),
                        QStringLiteral("image/jpeg"), &own);
        w.close();
        load();
    }

    QDir folder() const { return QDir(m_dir.filePath(QStringLiteral("db"))); }
    QString file(const char *name) const
    {
        return folder().filePath(QStringLiteral("file-relay/var/mobile/Library/SMS/Attachments/") +
                                 QLatin1String(name));
    }

    void load()
    {
        m_data = MsgData();
        IOS6MessageDb db(folder(), QString(), false);
        db.messages(m_data, 0);
    }

    _MsgMessage *byText(const QString &text) const
    {
        for (_MsgMessage *m : m_data.messages()) {
            if (m->text() == text)
                return m;
        }
        return nullptr;
    }

    int count(const QString &sql) const
    {
        Sqlite3DB db;
        db.openThrow(SmsDbWriter::dbPathIn(folder()), Sqlite3DB::kOpenReadOnly);
        Sqlite3Cursor c = db.queryThrow(sql);
        return c.moveNext() ? static_cast<int>(c.getInt64(0)) : -1;
    }

    bool remove(const QList<_MsgMessage *> &messages, RecordingProgress &progress)
    {
        DeleteMMSThread worker(folder(), messages, progress);
        return progress.run(worker);
    }

    QTemporaryDir m_dir;
    MsgData m_data;
};

TEST_F(DeleteTest, SharedFileStaysUntilItsLastMessageGoes)
{
    RecordingProgress progress;
    ASSERT_TRUE(remove({byText("one")}, progress)) << progress.endText().toStdString();
    EXPECT_EQ(progress.endText(), "Successfully Deleted 1 Messages.");
    EXPECT_TRUE(QFile::exists(file("s.jpg")));
    EXPECT_EQ(count("select count(*) from message"), 2);
    EXPECT_EQ(count("select count(*) from attachment"), 1 + 1);

    load();
    RecordingProgress again;
    ASSERT_TRUE(remove({byText("two")}, again));
    EXPECT_FALSE(QFile::exists(file("s.jpg")));
    EXPECT_TRUE(QFile::exists(file("b.jpg")));
}

// The deletion sets a costly trigger aside while it works; the database keeps it, working.
TEST_F(DeleteTest, TriggerSetAsideDuringTheDeletionIsBackAfterIt)
{
    const char *sql = "select count(*) from sqlite_master where type='trigger' and "
                      "name='clean_orphaned_messages'";
    ASSERT_EQ(count(sql), 1);
    RecordingProgress progress;
    ASSERT_TRUE(remove({byText("one")}, progress));
    EXPECT_EQ(count(sql), 1);
    {
        Sqlite3DB db;
        db.openThrow(SmsDbWriter::dbPathIn(folder()), Sqlite3DB::kOpenReadWrite);
        db.executeThrow("delete from chat_message_join");
    }
    EXPECT_EQ(count("select count(*) from message"), 0);
}

TEST_F(DeleteTest, CancelLeavesDatabaseAndFilesAsBefore)
{
    const QByteArray before = readAll(SmsDbWriter::dbPathIn(folder()));
    RecordingProgress progress;
    progress.cancelAtUpdate(3); // after the first messages are gone inside the transaction
    EXPECT_FALSE(remove(m_data.messages(), progress));
    EXPECT_EQ(progress.endCount(), 0);
    EXPECT_EQ(QList<int>({count("select count(*) from message"), count("select count(*) from chat"),
                          count("select count(*) from message_attachment_join")}),
              QList<int>({3, 2, 3}));
    EXPECT_TRUE(QFile::exists(file("s.jpg")) && QFile::exists(file("b.jpg")));
    EXPECT_EQ(readAll(SmsDbWriter::dbPathIn(folder())), before);
}

TEST_F(DeleteTest, FilesOutsideTheDatabaseFolderAreNeverRemoved)
{
    const QString outside = written(m_dir.filePath(QStringLiteral("elsewhere.jpg")), "mine");
    _MsgMessage *bob = byText("bob");
    bob->attachments().first()->localPath = outside;
    RecordingProgress progress;
    ASSERT_TRUE(remove({bob}, progress));
    EXPECT_TRUE(QFile::exists(outside));
}
