// Reading the phone's iOS 6 message database (both layouts, WAL, damaged shapes) and the
// attachment path rules.
#include "errortext.h"
#include "fields.h"
#include "fixtures/smsdbwriter.h"
#include "iosdb/ios6messagedb.h"
#include "model/countrylibdb.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msgdata.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"
#include "must.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include <stdexcept>

namespace {

using Layout = SmsDbWriter::Layout;

SmsDbWriter::Message msgAt(int date, qint64 handle, const QString &text = QStringLiteral("hi"))
{
    SmsDbWriter::Message m;
    m.text = text;
    m.date = date;
    m.handle = handle;
    m.fromMe = handle == 0;
    return m;
}

QString formatted(const QString &countryCode, const QString &number)
{
    CountryLibDb lib{QString()};
    return lib.infoByCode(countryCode).formatNumber(number);
}

// A phone history with what real phones hold: one address over SMS and iMessage, a group with a
// member who left, system and location items, attachments present, missing and hostile.
struct PhoneHistory
{
    qint64 anna = 0, annaIm = 0, ben = 0, cleo = 0, lonely = 0;
    qint64 annaSms = 0, annaChat = 0, group = 0, empty = 0;
    qint64 cleoEarly = 0, cleoLeft = 0, location = 0, photoMsg = 0, missingMsg = 0, evilMsg = 0;
    QByteArray photo = QByteArrayLiteral("\xFF\xD8\xFF\xE0picture");

    explicit PhoneHistory(SmsDbWriter &w)
    {
        anna = w.addHandle(QStringLiteral("+15551230001"));
        annaIm = w.addHandle(QStringLiteral("+15551230001"), QStringLiteral("iMessage"));
        ben = w.addHandle(QStringLiteral("ben@example.com"), QStringLiteral("iMessage"));
        cleo = w.addHandle(QStringLiteral("+15551230003"), QStringLiteral("iMessage"));
        lonely = w.addHandle(QStringLiteral("+15551230009"));
        annaSms = w.addChat(anna);
        annaChat = w.addChat(annaIm);
        group =
            w.addGroupChat({annaIm, ben, cleo}, QStringLiteral("iMessage"), QStringLiteral("Trip"));
        empty = w.addChat(lonely);

        w.addMessage(annaSms, msgAt(1000, anna));
        w.addMessage(annaSms, msgAt(3000, 0));
        w.addMessage(annaChat, msgAt(2000, annaIm));
        photoMsg = w.addMessage(annaChat, msgAt(2500, 0, QStringLiteral("\uFFFC")));
        w.addAttachment(photoMsg, QStringLiteral("~/Library/SMS/Attachments/ab/01/IMG_1.JPG"),
                        QStringLiteral("image/jpeg"), &photo);
        cleoEarly = w.addMessage(group, msgAt(5000, cleo, QStringLiteral("early words")));
        missingMsg = w.addMessage(group, msgAt(5100, ben, QStringLiteral("\uFFFC")));
        w.addAttachment(missingMsg,
                        QStringLiteral("/var/mobile/Library/SMS/Attachments/cd/02/map.png"),
                        QStringLiteral("image/png"));
        evilMsg = w.addMessage(group, msgAt(5200, ben, QStringLiteral("\uFFFC")));
        w.addAttachment(evilMsg, QStringLiteral("~/Library/SMS/Attachments/../../../../../../x"),
                        QStringLiteral("text/plain"));
        SmsDbWriter::Message left = msgAt(6000, cleo, QString());
        left.itemType = 3;
        cleoLeft = w.addMessage(group, left);
        SmsDbWriter::Message loc = msgAt(6100, ben, QString());
        loc.itemType = 4;
        location = w.addMessage(group, loc);
        w.removeFromChat(group, cleo);
    }
};

class IOS6ReaderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QDir folder() const { return QDir(m_dir.path()); }
    // The phone history written in the given layout; wal: left in the write-ahead log.
    PhoneHistory writeHistory(Layout layout = Layout::Extended, bool wal = false)
    {
        SmsDbWriter w(folder(), layout, wal);
        const PhoneHistory h(w);
        w.close();
        return h;
    }
    // Everything the database in the folder holds, read as the desktop reads it.
    MsgData loadAll()
    {
        MsgData data;
        m_db.messages(data, 0);
        return data;
    }

    QTemporaryDir m_dir;
    IOS6MessageDb m_db{folder(), QString(), false};
};

TEST_F(IOS6ReaderTest, LoadsAPhoneHistoryCompletely)
{
    const PhoneHistory h = writeHistory();

    const MsgData data = loadAll();
    const __MsgData &d = *data.p();

    EXPECT_EQ(m_db.type(), 6);
    EXPECT_TRUE(m_db.isItemTypeEnabled());
    EXPECT_EQ(d.chats.size(), 4);
    // Every message but the location item, which is never shown.
    EXPECT_EQ(d.messages.size(), 8);
    EXPECT_FALSE(d.messages.contains(h.location));

    // One address over SMS and iMessage: two chats shown as one conversation.
    const _MsgChat *sms = d.chats.value(h.annaSms);
    const _MsgChat *im = d.chats.value(h.annaChat);
    ASSERT_TRUE(sms && im);
    EXPECT_EQ(sms->chat_identifier, im->chat_identifier);
    bool merged = false;
    for (const _MsgChatMerge &m : data.chatMergeList()) {
        if (m.chats.contains(const_cast<_MsgChat *>(sms)))
            merged = m.chats.size() == 2 && m.chats.contains(const_cast<_MsgChat *>(im));
    }
    EXPECT_TRUE(merged);
    EXPECT_EQ(sms->last, 3000);
    EXPECT_EQ(d.chats.value(h.empty)->last, 0);
    EXPECT_EQ(d.chats.value(h.group)->display_name, QStringLiteral("Trip"));

    // Addresses are formatted by their country.
    EXPECT_EQ(d.handles.value(h.anna)->id,
              formatted(QStringLiteral("us"), QStringLiteral("+15551230001")));

    // The member who left is no participant any more, yet keeps their earlier messages.
    const _MsgChat *group = d.chats.value(h.group);
    const _MsgHandle *cleo = must(d.handles.value(h.cleo));
    const _MsgMessage *left = must(d.messages.value(h.cleoLeft));
    EXPECT_EQ(fields(group->handleMap.size(), group->handleMap.contains(QString::number(h.cleo)),
                     group->messageMap.size(), left->item_type),
              fields(2, false, 4, 3));
    EXPECT_EQ(must(d.messages.value(h.cleoEarly))->handle, cleo);
    EXPECT_EQ(left->handle, cleo);

    // Attachments: a present file, one never downloaded, one whose name climbs out of the root.
    const _MsgMessage *photoMsg = d.messages.value(h.photoMsg);
    ASSERT_EQ(photoMsg->attachmentMap.size(), 1);
    EXPECT_EQ(readAll(photoMsg->attachments().first()->localPath), h.photo);
    const _MsgAttachment *missing = d.messages.value(h.missingMsg)->attachments().first();
    EXPECT_TRUE(missing->localPath.startsWith(m_db.root() + QLatin1Char('/')));
    EXPECT_FALSE(QFileInfo::exists(missing->localPath));
    ASSERT_EQ(d.messages.value(h.evilMsg)->attachmentMap.size(), 1);
    EXPECT_TRUE(d.messages.value(h.evilMsg)->attachments().first()->localPath.isEmpty());

    EXPECT_EQ(fields(m_db.isHandleBelong2Chat(h.group, h.ben),
                     m_db.isHandleBelong2Chat(h.group, h.cleo),
                     m_db.isHandleBelong2Chat(h.annaSms, h.ben)),
              fields(true, false, false));
}

TEST_F(IOS6ReaderTest, OriginalLayoutLoadsEveryMessage)
{
    const PhoneHistory h = writeHistory(Layout::Original);

    const MsgData data = loadAll();
    EXPECT_FALSE(m_db.isItemTypeEnabled());
    // Without item_type nothing is filtered: the location row is an ordinary message here.
    EXPECT_EQ(data.p()->messages.size(), 9);
    for (const _MsgMessage *m : data.p()->messages) {
        EXPECT_EQ(m->item_type, 0);
        EXPECT_EQ(m->otherHandle, nullptr);
    }
    EXPECT_EQ(data.p()->messages.value(h.cleoEarly)->handle, data.p()->handles.value(h.cleo));
}

TEST_F(IOS6ReaderTest, LoadingOneChatAfterAllAddsNothingTwice)
{
    const PhoneHistory h = writeHistory();

    MsgData data = loadAll();
    const auto counts = [&data, &h] {
        const __MsgData &d = *data.p();
        return fields(d.messages.size(), d.attachments.size(),
                      d.chats.value(h.group)->messageMap.size(),
                      d.messages.value(h.missingMsg)->attachmentMap.size());
    };
    const auto before = counts();
    m_db.messages(data, h.group);
    EXPECT_EQ(counts(), before);

    MsgData one;
    m_db.messages(one, h.annaSms);
    EXPECT_EQ(one.p()->messages.size(), 2);
    EXPECT_EQ(one.p()->chats.size(), 4);
}

TEST_F(IOS6ReaderTest, EmptyCountryTakesThePhonesCountry)
{
    SmsDbWriter w(folder(), Layout::Extended);
    const qint64 handle =
        w.addHandle(QStringLiteral("(555) 123-0005"), QStringLiteral("SMS"), QString());
    const qint64 chat = w.addChat(handle);
    const qint64 msg = w.addMessage(chat, msgAt(100, handle));
    w.close();

    const QString usMcc = QStringLiteral("310");
    IOS6MessageDb db(folder(), usMcc, false);
    MsgData data;
    db.messages(data, 0);
    CountryLibDb lib(usMcc);
    const _MsgHandle *h = must(data.p()->handles.value(handle));
    EXPECT_EQ(h->country, lib.defCountryInfo().sn.toLower());
    EXPECT_FALSE(h->country.isEmpty());
    EXPECT_EQ(h->id, lib.defCountryInfo().formatNumber(QStringLiteral("(555) 123-0005")));
    // The message takes its empty country from its sender.
    EXPECT_EQ(data.p()->messages.value(msg)->country(), h->country);
}

TEST_F(IOS6ReaderTest, ReadsTheWriteAheadLog)
{
    writeHistory(Layout::Extended, true);
    ASSERT_TRUE(QFileInfo(m_db.dbPath() + QStringLiteral("-wal")).size() > 0);
    const MsgData data = loadAll();
    EXPECT_EQ(data.p()->messages.size(), 8);
    EXPECT_EQ(data.p()->chats.size(), 4);
}

TEST_F(IOS6ReaderTest, DanglingJoinRowsAreSkippedQuietly)
{
    SmsDbWriter w(folder(), Layout::Extended);
    const PhoneHistory h(w);
    w.exec(QStringLiteral("insert into chat_message_join values (%1, 9999)").arg(h.annaSms));
    w.exec(QStringLiteral("insert into chat_message_join values (8888, %1)").arg(h.cleoEarly));
    w.exec(QStringLiteral("insert into chat_handle_join values (%1, 7777)").arg(h.annaSms));
    w.exec(QStringLiteral("insert into chat_handle_join values (6666, %1)").arg(h.ben));
    w.exec(QStringLiteral("insert into message_attachment_join values (5555, 1)"));
    w.exec(
        QStringLiteral("insert into message_attachment_join values (%1, 4444)").arg(h.cleoEarly));
    // A message whose only chat is gone.
    const qint64 orphan = w.addMessage(h.annaSms, msgAt(7000, h.anna));
    w.exec(QStringLiteral("update chat_message_join set chat_id=3333 where message_id=%1")
               .arg(orphan));
    w.close();

    MsgData data;
    ASSERT_NO_THROW(m_db.messages(data, 0));
    const __MsgData &d = *data.p();
    EXPECT_EQ(d.chats.size(), 4);
    EXPECT_FALSE(d.chats.contains(8888));
    EXPECT_FALSE(d.messages.contains(orphan));
    EXPECT_EQ(d.messages.value(h.cleoEarly)->chat, d.chats.value(h.group));
    EXPECT_TRUE(d.messages.value(h.cleoEarly)->attachmentMap.isEmpty());
    EXPECT_EQ(d.chats.value(h.annaSms)->handleMap.size(), 1);
    for (const _MsgMessage *m : d.messages)
        EXPECT_NE(m->chat, nullptr);
}

TEST_F(IOS6ReaderTest, CutDownDatabaseGivesAClearError)
{
    SmsDbWriter w(folder(), Layout::Extended);
    w.exec(QStringLiteral("drop table chat; drop table chat_handle_join; "
                          "drop table chat_message_join"));
    w.close();

    IOS6MessageDb db(folder(), QString(), false);
    MsgData data;
    const QString error = errorText([&] { db.messages(data, 0); });
    EXPECT_TRUE(error.contains("sms.db") && error.contains("chat_message_join"))
        << qPrintable(error);
    EXPECT_FALSE(db.isOpen());
    // Asking again fails the same way instead of reading a half-opened database.
    EXPECT_THROW(db.chats(data), std::runtime_error);
}

TEST_F(IOS6ReaderTest, DatesAreReadInSecondsOrNanosecondsValueByValue)
{
    // Later phones store nanoseconds, yet one row can mix units (a seconds date_read beside a
    // nanoseconds date) and attachments keep seconds.
    SmsDbWriter w(folder(), Layout::Extended);
    const qint64 handle = w.addHandle(QStringLiteral("+15551230001"));
    const qint64 chat = w.addChat(handle);
    const qint64 msg = w.addMessage(chat, msgAt(0, handle));
    const qint64 atta = w.addAttachment(msg, QStringLiteral("~/Library/SMS/Attachments/a.jpg"),
                                        QStringLiteral("image/jpeg"));
    w.exec(QStringLiteral("update message set date=600000000123456789, date_read=600000100, "
                          "date_delivered=600000050999999999 where rowid=%1")
               .arg(msg));
    w.exec(QStringLiteral("update attachment set created_date=600000001 where rowid=%1").arg(atta));
    w.close();

    MsgData data;
    ASSERT_NO_THROW(m_db.messages(data, 0));
    const _MsgMessage *read = data.p()->messages.value(msg);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->date, 600000000);
    EXPECT_EQ(read->date_read, 600000100);
    EXPECT_EQ(read->date_delivered, 600000050);
    EXPECT_EQ(data.p()->attachments.value(atta)->created_date, 600000001);
    // The chat's newest date comes from the same values, not from the raw nanoseconds.
    EXPECT_EQ(data.p()->chats.value(chat)->last, 600000000);
}

TEST_F(IOS6ReaderTest, MissingFileCreatesAnEmptyLocalDatabase)
{
    const QDir dir(folder().filePath(QStringLiteral("new")));
    IOS6MessageDb db(dir, QString(), true);
    MsgData data;
    ASSERT_NO_THROW(db.messages(data, 0));
    EXPECT_TRUE(QFileInfo::exists(db.dbPath()));
    EXPECT_TRUE(data.p()->chats.isEmpty());
    for (const char *table : {"message", "handle", "chat", "attachment", "chat_handle_join",
                              "chat_message_join", "message_attachment_join"})
        EXPECT_TRUE(db.tableSql().contains(QLatin1String(table))) << table;
    EXPECT_TRUE(db.tableSqlContains(QStringLiteral("message"), QStringLiteral("logic_hash")));
    EXPECT_TRUE(db.tableSqlContains(QStringLiteral("chat"), QStringLiteral("_last INTEGER")));
    EXPECT_TRUE(db.isItemTypeEnabled());
}

// Handles joined to no chat are read only when a message names them, as sender or as the other
// party of a group item; the list of chats alone reads them too.
TEST_F(IOS6ReaderTest, UnjoinedHandlesAreReadWhenAMessageNamesThem)
{
    SmsDbWriter w(folder(), Layout::Extended);
    const qint64 anna = w.addHandle(QStringLiteral("+15551230001"));
    const qint64 added = w.addHandle(QStringLiteral("+15551230004"));
    const qint64 stranger = w.addHandle(QStringLiteral("+15551230005"));
    SmsDbWriter::Message item = msgAt(1000, anna, QString());
    item.itemType = 1;
    item.otherHandle = added;
    w.addMessage(w.addChat(anna), item);
    w.close();

    MsgData chatsOnly;
    m_db.chats(chatsOnly);
    const MsgData &chats = chatsOnly;
    const MsgData all = loadAll();
    for (const MsgData *data : {&chats, &all}) {
        EXPECT_TRUE(data->p()->handles.contains(anna));
        EXPECT_TRUE(data->p()->handles.contains(added));
        EXPECT_FALSE(data->p()->handles.contains(stranger));
    }
}

TEST(IOS6AttachmentPath, PhoneNamesResolveBelowTheRootOrToNothing)
{
    const QString root = QStringLiteral("/data/db/file-relay");
    const QString home = IOS6MessageDb::resolveAttachmentPath(
        root, QStringLiteral("~/Library/SMS/Attachments/ab/IMG_1.JPG"));
    EXPECT_EQ(home, IOS6MessageDb::resolveAttachmentPath(
                        root, QStringLiteral("/var/mobile/Library/SMS/Attachments/ab/IMG_1.JPG")));
    EXPECT_TRUE(home.startsWith(root + QLatin1Char('/')));
    EXPECT_TRUE(home.endsWith(QStringLiteral("/var/mobile/Library/SMS/Attachments/ab/IMG_1.JPG")));

    EXPECT_EQ(IOS6MessageDb::attachmentRelativePath(QStringLiteral("~/a/b:c*d?e\"f<g>h|i.txt")),
              QStringLiteral("var/mobile/a/bcdefghi.txt"));
    // Only a leading home sign is the phone user's home.
    EXPECT_EQ(IOS6MessageDb::attachmentRelativePath(QStringLiteral("a/~/b")),
              QStringLiteral("a/~/b"));

    // Names leaving the root resolve to nothing.
    for (const char *name : {"~/Library/SMS/Attachments/../../../../../etc/passwd",
                             "/var/mobile/../../../x", "//etc/passwd", "..", "/", "a/../../b"}) {
        EXPECT_TRUE(IOS6MessageDb::resolveAttachmentPath(root, QString::fromLatin1(name)).isEmpty())
            << name;
    }
    // Dots inside a name are harmless.
    EXPECT_FALSE(
        IOS6MessageDb::resolveAttachmentPath(root, QStringLiteral("~/a/..b/c..")).isEmpty());
}

} // namespace
