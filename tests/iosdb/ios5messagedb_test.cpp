// Reading the phone's iOS 5 message database: SMS groups and their identifiers, MMS parts written
// out as files, iMessage chats and attachments, and the paths all of them may take.
#include "fields.h"
#include "fixtures/addressbookwriter.h"
#include "fixtures/ios5smsdbwriter.h"
#include "iosdb/ios5messagedb.h"
#include "model/countrylibdb.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msgdata.h"
#include "model/msgfunctions.h"
#include "model/msghandle.h"
#include "model/msgidentity.h"
#include "model/msgmessage.h"
#include "must.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include <stdexcept>

namespace {

const QString kUsMcc = QStringLiteral("310");
const QString kAnna = QStringLiteral("(310) 555-1234");
const QString kBen = QStringLiteral("+1 310 555 1235");
const QString kBenMail = QStringLiteral("ben@example.com");
const QChar kFffc(0xFFFC);
constexpr qint64 kSmsUnixDate = 1330000000; // February 2012, as an iOS 5 phone stored it
const QByteArray kPicture1 = QByteArrayLiteral("\xFF\xD8\xFF\xE0"
                                               "first picture");
const QByteArray kPicture2 = QByteArrayLiteral("\x89PNG\r\n\x1A\nsecond picture");

QString formattedUs(const QString &address)
{
    CountryLibDb lib{QString()};
    return lib.infoByCode(QStringLiteral("us")).formatNumber(address);
}

IOS5SmsDbWriter::Sms sms(const QString &text, qint64 unixDate, bool fromMe,
                         const QString &address = QString())
{
    IOS5SmsDbWriter::Sms s;
    s.text = text;
    s.unixDate = unixDate;
    s.fromMe = fromMe;
    s.address = address;
    return s;
}

// What an iOS 5 phone holds: a one-to-one SMS chat with an MMS, a two-member group, a group left
// without members, and iMessage chats with attachments (present, named twice, hostile).
struct Ios5History
{
    qint64 annaGroup = 0, pairGroup = 0, emptyGroup = 0;
    qint64 annaFirst = 0, annaReply = 0, mms = 0, pairFromBen = 0, pairFromMe = 0, orphan = 0;
    qint64 imChat = 0, imGroup = 0;
    qint64 imOnce = 0, imTwice = 0, imTwoAttas = 0, imEvil = 0, imInGroup = 0;
    QString photoGuid, mapGuid, evilGuid;
    QList<qint64> mmsParts;

    explicit Ios5History(IOS5SmsDbWriter &w)
    {
        annaGroup = w.addGroup({{kAnna}});
        pairGroup = w.addGroup({{kAnna}, {kBen}});
        emptyGroup = w.addGroup({});

        annaFirst = w.addSms(annaGroup, sms(QStringLiteral("hello"), kSmsUnixDate, false));
        annaReply = w.addSms(annaGroup, sms(QStringLiteral("hi back"), kSmsUnixDate + 60, true));
        mms = w.addMms(annaGroup, sms(QString(), kSmsUnixDate + 120, false),
                       {{QStringLiteral("application/smil"), QStringLiteral("smil.xml"),
                         QByteArrayLiteral("<smil/>")},
                        {QStringLiteral("text/plain"), QStringLiteral("text_0.txt"),
                         QByteArrayLiteral("look at these")},
                        {QStringLiteral("image/jpeg"), QStringLiteral("IMG_0001.jpg"), kPicture1},
                        {QStringLiteral("image/png"), QStringLiteral("IMG_0002.png"), kPicture2}});
        mmsParts = w.partRowIds(mms);
        pairFromBen =
            w.addSms(pairGroup, sms(QStringLiteral("group hi"), kSmsUnixDate + 200, false, kBen));
        pairFromMe =
            w.addSms(pairGroup, sms(QStringLiteral("mine"), kSmsUnixDate + 300, true, kAnna));
        orphan = w.addSms(emptyGroup, sms(QStringLiteral("who?"), kSmsUnixDate + 400, false, kBen));

        const QString annaIm = QStringLiteral("+13105551234");
        imChat = w.addIMessageChat(annaIm, {annaIm});
        imGroup = w.addIMessageChat(QStringLiteral("chat123456789012345678"), {annaIm, kBenMail});
        photoGuid = w.addIMessageAttachment(
            QStringLiteral("/var/mobile/Library/SMS/Attachments/ab/01/IMG_0100.JPG"),
            QStringLiteral("image/jpeg"), &kPicture1, true);
        mapGuid = w.addIMessageAttachment(
            QStringLiteral("/var/mobile/Library/SMS/Attachments/cd/02/map.png"),
            QStringLiteral("image/png"), &kPicture2, false);
        evilGuid = w.addIMessageAttachment(
            QStringLiteral("/var/mobile/Library/SMS/Attachments/../../../../../../../evil.txt"),
            QStringLiteral("text/plain"));

        imOnce = w.addIMessage(im(annaIm, QString(), 350000000, false, {}));
        imTwice = w.addIMessage(im(annaIm, QString(), 350000100, true, {photoGuid, photoGuid}));
        imTwoAttas = w.addIMessage(im(annaIm, QString(), 350000200, false, {photoGuid, mapGuid}));
        imEvil = w.addIMessage(im(annaIm, QString(), 350000300, false, {evilGuid}));
        imInGroup = w.addIMessage(
            im(kBenMail, QStringLiteral("chat123456789012345678"), 350000400, false, {}));
    }

    static IOS5SmsDbWriter::IMessage im(const QString &handle, const QString &room, int date,
                                        bool fromMe, const QStringList &attas)
    {
        IOS5SmsDbWriter::IMessage m;
        m.text = QStringLiteral("im %1").arg(date);
        m.handle = handle;
        m.roomName = room;
        m.date = date;
        m.fromMe = fromMe;
        m.attachmentGuids = attas;
        return m;
    }
};

class IOS5ReaderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QDir folder() const { return QDir(m_dir.path()); }
    Ios5History writeHistory()
    {
        IOS5SmsDbWriter w(folder());
        const Ios5History h(w);
        w.close();
        return h;
    }

    MsgData loadAll(qint64 chatId = 0)
    {
        IOS5MessageDb db(folder(), kUsMcc);
        MsgData data;
        db.messages(data, chatId);
        return data;
    }

    QTemporaryDir m_dir;
};

_MsgMessage *msgOf(const MsgData &data, qint64 rowid)
{
    return data.p()->messages.value(rowid);
}

TEST_F(IOS5ReaderTest, SmsGroupsTakeTheirIdentifiersFromTheirMembers)
{
    const Ios5History h = writeHistory();

    const MsgData first = loadAll();
    const auto &chats = first.p()->chats;
    const _MsgChat *single = must(chats.value(h.annaGroup));
    EXPECT_EQ(fields(single->chat_identifier, single->guid, single->style, single->service_name,
                     single->last, single->handleMap.contains(formattedUs(kAnna))),
              fields(formattedUs(kAnna), "SMS;-;" + formattedUs(kAnna), 45, "SMS",
                     kSmsUnixDate + 120 - 978307200, true));

    const _MsgChat *pair = must(chats.value(h.pairGroup));
    // The identifier is seeded by the chat's guid as a one-to-one chat with its first member.
    const QString id = genChatIdentifier("SMS;-;" + formattedUs(kAnna));
    EXPECT_EQ(fields(pair->handleMap.size(), pair->isGroup(), pair->style, pair->chat_identifier,
                     pair->guid, pair->room_name, pair->account_id),
              fields(2, true, 43, id, "SMS;+;" + id, id, hashUUID(("SMS;+;" + id).toUtf8())));

    const MsgData second = loadAll();
    const _MsgChat *again = must(second.p()->chats.value(h.pairGroup));
    EXPECT_EQ(fields(again->chat_identifier, again->guid), fields(id, pair->guid));

    const _MsgChat *empty = must(chats.value(h.emptyGroup));
    EXPECT_EQ(fields(empty->chat_identifier, empty->handleMap.size()), fields("unknown", 0));
}

TEST_F(IOS5ReaderTest, SmsMessagesGetDatesFlagsAndSenders)
{
    const Ios5History h = writeHistory();
    const MsgData data = loadAll();

    const _MsgMessage *received = must(msgOf(data, h.annaFirst));
    const int date = received->date;
    EXPECT_EQ(fields(dtFromDate21(date).toSecsSinceEpoch(), received->date_read,
                     received->date_delivered, received->is_from_me, received->service(),
                     received->srcRowId, received->guid().size(), must(received->handle)->id),
              fields(kSmsUnixDate, date, date, 0, "SMS", h.annaFirst, 36, formattedUs(kAnna)));
    EXPECT_EQ(received->chat, data.p()->chats.value(h.annaGroup));

    // A one-to-one chat names its only member on both sides of the conversation.
    const _MsgMessage *reply = must(msgOf(data, h.annaReply));
    EXPECT_EQ(reply->is_from_me, 1);
    EXPECT_EQ(reply->handle, received->handle);

    const _MsgMessage *fromBen = must(msgOf(data, h.pairFromBen));
    EXPECT_EQ(must(fromBen->handle)->id, formattedUs(kBen));
    const _MsgMessage *mine = must(msgOf(data, h.pairFromMe));
    EXPECT_EQ(mine->handle, nullptr);
    EXPECT_TRUE(
        data.p()->chats.value(h.pairGroup)->messageMap.contains(QString::number(h.pairFromMe)));

    const _MsgMessage *orphan = must(msgOf(data, h.orphan));
    EXPECT_EQ(orphan->handle, nullptr);
    EXPECT_EQ(orphan->contactInfo(), QStringLiteral("Unknown"));
}

TEST_F(IOS5ReaderTest, SameSmsLoadedTwiceKeepsItsGuidAndLogicalHash)
{
    const Ios5History h = writeHistory();
    const MsgData first = loadAll();
    const MsgData second = loadAll();
    for (const qint64 id : {h.annaFirst, h.pairFromBen, h.orphan}) {
        const _MsgMessage *a = msgOf(first, id);
        const _MsgMessage *b = msgOf(second, id);
        ASSERT_TRUE(a && b) << id;
        // Made from the row: a message whose date cannot be read is known again by it.
        EXPECT_EQ(a->guid(), b->guid()) << id;
        EXPECT_EQ(a->logicalHash(), b->logicalHash()) << id;
    }
    EXPECT_NE(msgOf(first, h.annaFirst)->guid(), msgOf(first, h.orphan)->guid());
}

TEST_F(IOS5ReaderTest, MmsWithTwoPicturesBecomesTwoMessagesInTheChat)
{
    const Ios5History h = writeHistory();
    ASSERT_EQ(h.mmsParts.size(), 4);
    const MsgData data = loadAll();
    const _MsgChat *chat = data.p()->chats.value(h.annaGroup);

    const _MsgMessage *mms = must(msgOf(data, h.mms));
    EXPECT_EQ(mms->text(), QStringLiteral("look at these") + kFffc);
    ASSERT_EQ(mms->attachmentMap.size(), 1);
    const _MsgAttachment *first = mms->attachmentMap.cbegin().value();
    EXPECT_EQ(fields(first->rowid, first->mime_type, first->uti, first->transfer_name,
                     first->is_outgoing),
              fields(h.mmsParts.at(2), "image/jpeg", "public.jpeg", "IMG_0001.jpg", 0));
    EXPECT_EQ(mms->attributedBody, msgAttaAttributeBody(first->guid));
    EXPECT_TRUE(first->filename.startsWith(QStringLiteral("~/Library/SMS/Attachments/") +
                                           first->guid.left(2).toLower() + QLatin1Char('/')));
    EXPECT_TRUE(first->filename.endsWith(QLatin1Char('/') + first->guid + "/IMG_0001.jpg"));
    EXPECT_EQ(readAll(first->localPath), kPicture1);
    EXPECT_TRUE(
        first->localPath.startsWith(folder().filePath("file-relay/var/mobile/Library/SMS/Parts/")));

    const qint64 extraId = IOS5MessageDb::kExtraMessageBase - h.mmsParts.at(3);
    const _MsgMessage *extra = must(msgOf(data, extraId));
    EXPECT_EQ(extra->text(), QString(kFffc));
    ASSERT_EQ(extra->attachmentMap.size(), 1);
    const _MsgAttachment *second = extra->attachmentMap.cbegin().value();
    EXPECT_EQ(second->mime_type, QStringLiteral("image/png"));
    EXPECT_NE(second->guid, first->guid);
    EXPECT_EQ(readAll(second->localPath), kPicture2);
    EXPECT_NE(extra->guid(), mms->guid());
    EXPECT_EQ(extra->date, mms->date);
    EXPECT_EQ(extra->chat, chat);
    EXPECT_EQ(extra->handle, mms->handle);
    // Both are shown in the conversation, not only in the container.
    EXPECT_EQ(chat->messageMap.value(QString::number(h.mms)), mms);
    EXPECT_EQ(chat->messageMap.value(QString::number(extraId)), extra);

    // The layout part is no attachment; loading again reuses the same part guids.
    EXPECT_FALSE(data.p()->attachments.contains(h.mmsParts.at(0)));
    const MsgData again = loadAll();
    EXPECT_EQ(msgOf(again, extraId)->guid(), extra->guid());
    EXPECT_EQ(again.p()->attachments.value(h.mmsParts.at(2))->guid, first->guid);
}

TEST_F(IOS5ReaderTest, MmsPartNamesNeverLeaveTheFileRelayRoot)
{
    IOS5SmsDbWriter w(folder());
    const qint64 group = w.addGroup({{kAnna}});
    const qint64 mms =
        w.addMms(group, sms(QString(), kSmsUnixDate, false),
                 {{QStringLiteral("image/jpeg"), QStringLiteral("../../../../../../../escape.jpg"),
                   kPicture1},
                  {QStringLiteral("image/png"), QStringLiteral("x.p/../../../up"), kPicture2},
                  {QStringLiteral("image/gif"), QStringLiteral(".."), kPicture1}});
    w.close();
    const MsgData data = loadAll();

    const QString partsRoot = folder().filePath("file-relay/var/mobile/Library/SMS/Parts/");
    int attachments = 0;
    for (const _MsgAttachment *atta : std::as_const(data.p()->attachments)) {
        ++attachments;
        EXPECT_TRUE(atta->localPath.startsWith(partsRoot)) << qPrintable(atta->localPath);
        EXPECT_TRUE(QFileInfo::exists(atta->localPath)) << qPrintable(atta->localPath);
        EXPECT_FALSE(atta->transfer_name.contains(QLatin1Char('/')));
        EXPECT_FALSE(atta->filename.contains(QStringLiteral("/../")));
        EXPECT_FALSE(atta->filename.endsWith(QStringLiteral("/..")));
    }
    EXPECT_EQ(attachments, 3);
    EXPECT_EQ(msgOf(data, mms)->attachmentMap.size(), 1);
    // Nothing was written beside or above the source folder.
    QDir parent = folder();
    ASSERT_TRUE(parent.cdUp());
    EXPECT_FALSE(QFileInfo::exists(parent.filePath("escape.jpg")));
    EXPECT_FALSE(QFileInfo::exists(folder().filePath("escape.jpg")));
    EXPECT_FALSE(QFileInfo::exists(folder().filePath("up")));
}

TEST_F(IOS5ReaderTest, IMessageChatsParticipantsAndAttachments)
{
    AddressBookWriter book;
    AddressBookWriter::Person ann;
    ann.first = QStringLiteral("Ann");
    ann.last = QStringLiteral("Lee");
    AddressBookWriter::Phone phone;
    phone.callingCode = QStringLiteral("1");
    phone.national = QStringLiteral("3105551234");
    ann.phones = {phone};
    book.addPerson(ann);
    book.write(folder());
    const Ios5History h = writeHistory();
    const MsgData data = loadAll();

    const _MsgChat *chat = must(data.p()->chats.value(-h.imChat));
    EXPECT_EQ(
        fields(chat->service_name, chat->chat_identifier, chat->guid, chat->last),
        fields("iMessage", formattedUs(kAnna), "iMessage;-;" + formattedUs(kAnna), 350000300));
    ASSERT_EQ(chat->handleMap.size(), 1);
    const _MsgHandle *annaIm = chat->handleMap.cbegin().value();
    EXPECT_EQ(
        fields(annaIm->rowid < 0, annaIm->service, annaIm->_ct_name, annaIm->_photo.isEmpty()),
        fields(true, "iMessage", "Ann Lee", false));
    // The SMS address of the same person is named too.
    EXPECT_EQ(data.p()->chats.value(h.annaGroup)->handleMap.cbegin().value()->_ct_name,
              QStringLiteral("Ann Lee"));

    const _MsgChat *group = must(data.p()->chats.value(-h.imGroup));
    EXPECT_EQ(fields(group->guid, group->handleMap.size(), group->handleMap.contains(kBenMail),
                     group->last),
              fields("iMessage;+;chat123456789012345678", 2, true, 350000400));
    const _MsgMessage *inGroup = must(msgOf(data, h.imInGroup));
    EXPECT_EQ(inGroup->chat, group);
    EXPECT_EQ(must(inGroup->handle)->id, kBenMail);

    const _MsgMessage *plain = must(msgOf(data, h.imOnce));
    EXPECT_EQ(fields(plain->service(), plain->date, plain->is_from_me, plain->attachmentMap.size()),
              fields("iMessage", 350000000, 0, 0));
    EXPECT_EQ(plain->chat, chat);
    EXPECT_EQ(plain->handle, annaIm);

    const _MsgMessage *twice = must(msgOf(data, h.imTwice));
    EXPECT_EQ(twice->is_from_me, 1);
    ASSERT_EQ(twice->attachmentMap.size(), 1);
    const _MsgAttachment *photo = must(twice->attachmentMap.value(h.photoGuid));
    EXPECT_EQ(twice->attributedBody, msgAttaAttributeBody(h.photoGuid));
    const QString photoPath = QStringLiteral("Library/SMS/Attachments/ab/01/IMG_0100.JPG");
    EXPECT_EQ(
        fields(photo->filename, photo->localPath, photo->is_outgoing, photo->rowid < 0),
        fields("~/" + photoPath, folder().filePath("file-relay/var/mobile/" + photoPath), 0, true));
    EXPECT_TRUE(QFileInfo::exists(photo->localPath));

    // Two different attachments: one record each, shared between messages, and the message
    // keeps its own archived body.
    const _MsgMessage *two = must(msgOf(data, h.imTwoAttas));
    ASSERT_EQ(two->attachmentMap.size(), 2);
    EXPECT_EQ(two->attachmentMap.value(h.photoGuid), photo);
    EXPECT_EQ(two->attachmentMap.value(h.mapGuid)->is_outgoing, 1);
    EXPECT_NE(two->attributedBody, msgAttaAttributeBody(h.photoGuid));
    EXPECT_FALSE(two->attributedBody.isEmpty());

    const _MsgMessage *evil = must(msgOf(data, h.imEvil));
    ASSERT_EQ(evil->attachmentMap.size(), 1);
    EXPECT_TRUE(evil->attachmentMap.cbegin().value()->localPath.isEmpty());
}

TEST_F(IOS5ReaderTest, LoadingOneChatLoadsOnlyItsMessages)
{
    const Ios5History h = writeHistory();
    const QString partsFolder = folder().filePath("file-relay/var/mobile/Library/SMS/Parts");

    const MsgData im = loadAll(-h.imChat);
    for (const _MsgMessage *m : im.messages()) {
        EXPECT_EQ(m->service(), QStringLiteral("iMessage")) << m->rowid;
        EXPECT_EQ(m->chat, im.p()->chats.value(-h.imChat)) << m->rowid;
    }
    EXPECT_EQ(im.messages().size(), 4);
    // MMS parts are never read for an iMessage chat: no part records, no part files.
    for (const qint64 part : h.mmsParts)
        EXPECT_FALSE(im.p()->attachments.contains(part));
    EXPECT_FALSE(QFileInfo::exists(partsFolder));

    const MsgData pair = loadAll(h.pairGroup);
    EXPECT_EQ(pair.messages().size(), 2);
    EXPECT_TRUE(pair.p()->attachments.isEmpty());

    const MsgData sms = loadAll(h.annaGroup);
    EXPECT_NE(msgOf(sms, IOS5MessageDb::kExtraMessageBase - h.mmsParts.at(3)), nullptr);
    EXPECT_TRUE(QFileInfo::exists(partsFolder));
}

TEST_F(IOS5ReaderTest, LoadingTwiceIntoOneContainerAddsNothing)
{
    const Ios5History h = writeHistory();
    IOS5MessageDb db(folder(), kUsMcc);
    MsgData data;
    db.messages(data, 0);
    const auto counts = [&data] {
        const __MsgData &d = *data.p();
        return QList<int>{int(d.chats.size()), int(d.handles.size()), int(d.messages.size()),
                          int(d.attachments.size())};
    };
    const QList<int> before = counts();
    db.messages(data, 0);
    db.messages(data, -h.imGroup);
    EXPECT_EQ(counts(), before);
    EXPECT_EQ(data.p()->chats.value(h.annaGroup)->messageMap.size(), 4);
}

TEST_F(IOS5ReaderTest, TheOldTriggersRunOnTheReadersConnection)
{
    IOS5SmsDbWriter w(folder());
    const qint64 group = w.addGroup({{kAnna}});
    const qint64 msg = w.addSms(group, sms(QStringLiteral("x"), kSmsUnixDate, false));
    // Unread, as the phone leaves a message that just came in.
    w.exec(QStringLiteral("update message set flags=0 where ROWID=%1").arg(msg));
    w.exec(QStringLiteral("update msg_group set unread_count=1 where ROWID=%1").arg(group));
    w.close();
    IOS5MessageDb db(folder(), kUsMcc);
    db.openCheck();
    // The phone's triggers call read(); without it the statement fails.
    EXPECT_NO_THROW(
        db.executeThrow(QStringLiteral("update message set flags=2 where ROWID=%1").arg(msg)));
    Sqlite3Cursor c = db.queryThrow(
        QStringLiteral("select unread_count from msg_group where ROWID=%1").arg(group));
    ASSERT_TRUE(c.moveNext());
    EXPECT_EQ(c.getInt(QStringLiteral("unread_count")), 0);
}

TEST_F(IOS5ReaderTest, MissingDatabaseIsAnErrorAndCreatesNothing)
{
    IOS5MessageDb db(folder(), kUsMcc);
    MsgData data;
    EXPECT_THROW(db.messages(data, 0), std::exception);
    EXPECT_FALSE(QFileInfo::exists(db.dbPath()));
    EXPECT_FALSE(QFileInfo::exists(folder().filePath("file-relay")));
    EXPECT_TRUE(data.p()->messages.isEmpty());

    writeFile(db.dbPath(), "this is no database at all, only some text");
    EXPECT_THROW(db.openCheck(), std::exception);
    EXPECT_FALSE(db.isOpen());
}

TEST_F(IOS5ReaderTest, DamagedParticipantListsLeaveTheChatWithoutParticipants)
{
    IOS5SmsDbWriter w(folder());
    const qint64 garbage = w.addIMessageChat(QStringLiteral("+13105551234"), {kBenMail});
    const qint64 dict = w.addIMessageChat(QStringLiteral("ben@example.com"), {kBenMail});
    const qint64 xml = w.addIMessageChat(QStringLiteral("chat1"), {});
    w.exec(QStringLiteral("update madrid_chat set participants=x'62706c6973743030ffff' "
                          "where ROWID=%1")
               .arg(garbage));
    // A dictionary where an array belongs, and an XML list (which readers accept as well).
    w.exec(QStringLiteral("update madrid_chat set participants=CAST('<plist><dict><key>a</key>"
                          "<string>b</string></dict></plist>' AS BLOB) where ROWID=%1")
               .arg(dict));
    w.exec(QStringLiteral("update madrid_chat set participants=CAST('<plist><array><string>"
                          "a@example.com</string><integer>3</integer><string>b@example.com"
                          "</string></array></plist>' AS BLOB) where ROWID=%1")
               .arg(xml));
    w.close();
    const MsgData data = loadAll();
    for (const qint64 id : {garbage, dict}) {
        const _MsgChat *chat = must(data.p()->chats.value(-id));
        EXPECT_TRUE(chat->handleMap.isEmpty()) << id;
        EXPECT_TRUE(chat->guid.startsWith(QStringLiteral("iMessage;-;"))) << id;
    }
    const _MsgChat *listed = must(data.p()->chats.value(-xml));
    EXPECT_EQ(listed->handleMap.size(), 2);
    EXPECT_TRUE(listed->guid.startsWith(QStringLiteral("iMessage;+;")));
}

} // namespace

// The phone's madrid_chat identifiers need not match what its messages name: such iMessages get
// a chat made from their handle or room, listed like the others and loadable by itself.
TEST_F(IOS5ReaderTest, IMessagesWithoutAListedChatGetAChatOfTheirOwn)
{
    IOS5SmsDbWriter w(folder());
    const Ios5History h(w);
    const qint64 lone = w.addIMessage(Ios5History::im(kBenMail, QString(), 350000500, false, {}));
    const qint64 inRoom =
        w.addIMessage(Ios5History::im(kBenMail, QStringLiteral("chat999"), 350000600, false, {}));
    w.close();

    IOS5MessageDb db(folder(), kUsMcc);
    MsgData chats;
    db.chats(chats);
    const MsgData all = loadAll();
    for (const qint64 id : {lone, inRoom}) {
        const _MsgMessage *m = must(msgOf(all, id));
        ASSERT_NE(m->chat, nullptr) << id;
        ASSERT_NE(m->handle, nullptr) << id;
        EXPECT_EQ(m->handle->id, kBenMail) << id;
        const _MsgChat *listed = must(chats.p()->chats.value(m->chat->rowid));
        EXPECT_EQ(listed->guid, m->chat->guid) << id;
        const MsgData one = loadAll(m->chat->rowid);
        EXPECT_EQ(one.messages().size(), 1) << id;
        EXPECT_EQ(one.messages().value(0)->rowid, id);
    }
    EXPECT_EQ(msgOf(all, lone)->chat->guid, QStringLiteral("iMessage;-;") + kBenMail);
    EXPECT_EQ(msgOf(all, inRoom)->chat->guid, QStringLiteral("iMessage;+;chat999"));
    // Messages of listed chats stay where they were.
    EXPECT_EQ(msgOf(all, h.imInGroup)->chat->rowid, -h.imGroup);
}
