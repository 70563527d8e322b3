// Writing rows into databases of the iOS 6 family: phone layouts and local databases, the
// column tests, duplicates, deletion and the upgrade of older local databases.
#include "fixtures/smsdbwriter.h"
#include "iosdb/ios6messagedb.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msgdata.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"
#include "model/sqlite3db.h"
#include "model/sqlite3sql.h"
#include "must.h"
#include "scratchdb.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>

#include <stdexcept>

namespace {

using Layout = SmsDbWriter::Layout;

_MsgHandle handleOf(const QString &id, const QString &service = QStringLiteral("iMessage"))
{
    _MsgHandle h;
    h.id = id;
    h.service = service;
    h.country = QStringLiteral("us");
    h._ct_name = QStringLiteral("Name of ") + id;
    h._photo = QByteArrayLiteral("\x89PNG");
    return h;
}

_MsgChat groupChat(const QString &guid)
{
    _MsgChat c;
    c.guid = guid;
    c.style = 43;
    c.chat_identifier = QStringLiteral("chat123456789012345678");
    c.service_name = QStringLiteral("iMessage");
    c.display_name = QStringLiteral("Team");
    return c;
}

_MsgMessage messageOf(const QString &guid, int date)
{
    _MsgMessage m;
    m.setGuid(guid);
    m.setText(QStringLiteral("text of ") + guid);
    m.setService(QStringLiteral("iMessage"));
    m.date = date;
    m.item_type = 2;
    m.setGroupTitle(QStringLiteral("New title"));
    m.is_audio_message = 1;
    m.message_action_type = 1;
    return m;
}

class IOS6WriterTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QDir sub(const QString &name) const { return QDir(m_dir.filePath(name)); }

    QTemporaryDir m_dir;
};

TEST_F(IOS6WriterTest, LocalDatabaseKeepsEveryColumnAndReadsBack)
{
    IOS6MessageDb db(sub(QStringLiteral("local")), QString(), true);
    _MsgChat chat = groupChat(QStringLiteral("iMessage;+;chat1"));
    _MsgHandle ann = handleOf(QStringLiteral("+15551230001"));
    _MsgHandle bob = handleOf(QStringLiteral("bob@example.com"));
    chat.handleMap.insert(QStringLiteral("1"), &ann);
    chat.handleMap.insert(QStringLiteral("2"), &bob);

    db.beginEdit();
    const qint64 chatId = db.insertChatAndHandles(chat);
    const qint64 annId = db.findHandle(ann);
    const qint64 bobId = db.findHandle(bob);
    ASSERT_GT(annId, 0);
    ASSERT_GT(bobId, 0);
    EXPECT_TRUE(db.isHandleBelong2Chat(chatId, bobId));
    const _MsgMessage msg = messageOf(QStringLiteral("M1"), 5000);
    const qint64 msgId = db.insertMessage(msg, annId, bobId, QString());
    db.joinChatMessage(chatId, msgId);
    db.updateChatLastDate21(chatId, msg.date);
    _MsgAttachment atta;
    atta.guid = QStringLiteral("A1");
    atta.filename = QStringLiteral("~/Library/SMS/Attachments/x/a:b.jpg");
    atta.transfer_name = QStringLiteral("a:b.jpg");
    atta.total_bytes = 42;
    const qint64 attaId = db.insertAttachment(atta);
    db.joinMessageAtta(msgId, attaId);
    db.joinMessageAtta(msgId, attaId);
    db.endEdit(true);

    EXPECT_EQ(db.findChat(chat.guid), chatId);
    EXPECT_EQ(db.findMessage(msg.guid()), msgId);
    EXPECT_EQ(db.findMessageHash(msg), msgId);
    EXPECT_EQ(db.findAttachment(atta), attaId);

    IOS6MessageDb reader(sub(QStringLiteral("local")), QString(), true);
    MsgData data;
    reader.messages(data, 0);
    const _MsgMessage *m = must(data.p()->messages.value(msgId));
    EXPECT_EQ((QStringList{m->text(), m->group_title()}),
              (QStringList{msg.text(), msg.group_title()}));
    EXPECT_EQ((QList<int>{m->item_type, int(m->is_audio_message), m->message_action_type,
                          int(m->cache_has_attachments)}),
              (QList<int>{2, 1, 1, 1}));
    EXPECT_EQ(must(m->handle)->_ct_name, ann._ct_name);
    EXPECT_EQ(must(m->otherHandle)->rowid, bobId);
    const _MsgChat *c = data.p()->chats.value(chatId);
    EXPECT_EQ(c->last, 5000);
    EXPECT_EQ(c->display_name, QStringLiteral("Team"));
    EXPECT_EQ(c->handleMap.size(), 2);
    ASSERT_EQ(m->attachmentMap.size(), 1);
    const _MsgAttachment *a = m->attachments().first();
    EXPECT_EQ(a->filename, atta.filename);
    EXPECT_EQ(a->total_bytes, 42);
    EXPECT_TRUE(
        a->localPath.endsWith(QStringLiteral("var/mobile/Library/SMS/Attachments/x/ab.jpg")));
    EXPECT_EQ(sqlValue(db.dbPath(), QStringLiteral("select logic_hash as v from message")),
              msg.logicalHash());
}

TEST_F(IOS6WriterTest, PhoneLayoutsGetOnlyTheirColumns)
{
    for (const Layout layout : {Layout::Original, Layout::Extended}) {
        const QDir dir =
            sub(layout == Layout::Original ? QStringLiteral("old") : QStringLiteral("new"));
        SmsDbWriter w(dir, layout);
        w.close();
        IOS6MessageDb db(dir, QString(), false);
        _MsgChat chat = groupChat(QStringLiteral("iMessage;+;chat9"));
        _MsgHandle ann = handleOf(QStringLiteral("+15551230001"));
        chat.handleMap.insert(QStringLiteral("1"), &ann);
        const qint64 chatId = db.insertChatAndHandles(chat);
        const qint64 annId = db.findHandle(ann);
        const _MsgMessage msg = messageOf(QStringLiteral("P1"), 700);
        const qint64 msgId = db.insertMessage(msg, annId, annId, QString());
        db.joinChatMessage(chatId, msgId);
        _MsgAttachment atta;
        atta.guid = QStringLiteral("PA");
        atta.transfer_name = QStringLiteral("t.jpg");
        EXPECT_GT(db.insertAttachment(atta), 0);
        // Neither has a _last column nor logical hashes.
        EXPECT_NO_THROW(db.updateChatLastDate21(chatId, 900));
        EXPECT_EQ(db.findMessageHash(msg), 0);
        EXPECT_EQ(db.findMessage(msg.guid()), msgId);

        const bool extended = layout == Layout::Extended;
        EXPECT_EQ(db.isItemTypeEnabled(), extended);
        EXPECT_EQ(sqlValue(db.dbPath(), QStringLiteral("select handle_id as v from message")),
                  QString::number(annId));
        if (extended) {
            EXPECT_EQ(sqlValue(db.dbPath(), "select m.item_type || '|' || m.other_handle || '|' || "
                                            "c.display_name || '|' || a.transfer_name "
                                            "from message m, chat c, attachment a"),
                      QStringLiteral("2|%1|Team|t.jpg").arg(annId));
        }
    }
}

TEST_F(IOS6WriterTest, EdgeCasesOfTheRowOperations)
{
    IOS6MessageDb db(sub(QStringLiteral("local")), QString(), true);
    _MsgChat lower = groupChat(QStringLiteral("sms;-;x"));
    lower.service_name = QStringLiteral("sms");
    EXPECT_THROW(db.insertChatAndHandles(lower), std::runtime_error);
    EXPECT_EQ(db.findChat(lower.guid), 0);

    _MsgChat chat = groupChat(QStringLiteral("iMessage;+;chat2"));
    const qint64 chatId = db.insertChatAndHandles(chat);
    db.updateChatLastDate21(chatId, 800);
    db.updateChatLastDate21(chatId, 500);
    EXPECT_EQ(sqlValue(db.dbPath(), QStringLiteral("select _last as v from chat")),
              QStringLiteral("800"));
    db.updateChatLastHandle(chatId, QStringLiteral("+15551230001"));
    EXPECT_EQ(sqlValue(db.dbPath(), QStringLiteral("select last_addressed_handle as v from chat")),
              QStringLiteral("+15551230001"));

    const qint64 msgId = db.insertMessage(messageOf(QStringLiteral("E1"), 1), 0, 0, QString());
    EXPECT_EQ(
        sqlValue(db.dbPath(),
                 QStringLiteral("select other_handle as v from message where rowid=%1").arg(msgId)),
        QStringLiteral("-1"));
    db.insertMessage(messageOf(QStringLiteral("E2"), 1), 0, 0, QStringLiteral("given-hash"));
    EXPECT_EQ(sqlValue(db.dbPath(),
                       QStringLiteral("select logic_hash as v from message where guid='E2'")),
              QStringLiteral("given-hash"));
    EXPECT_ANY_THROW(db.insertMessage(messageOf(QStringLiteral("E1"), 2), 0, 0, QString()));

    // A chat without group id gets the same derived one in every database it is saved into.
    IOS6MessageDb other(sub(QStringLiteral("other")), QString(), true);
    other.insertChatAndHandles(chat);
    const QString groupId = sqlValue(db.dbPath(), QStringLiteral("select group_id as v from chat"));
    EXPECT_FALSE(groupId.isEmpty());
    EXPECT_EQ(sqlValue(other.dbPath(), QStringLiteral("select group_id as v from chat")), groupId);
}

// Empty values the row leaves to the table take the table's own defaults, whatever they are.
TEST_F(IOS6WriterTest, ValuesLeftOutTakeTheTablesDefaults)
{
    const QDir dir = sub(QStringLiteral("defaults"));
    SmsDbWriter(dir, Layout::Extended).close();
    {
        Sqlite3DB raw;
        raw.openThrow(IOS6MessageDb::dbPathIn(dir), Sqlite3DB::kOpenReadWrite);
        Sqlite3Cursor c = raw.queryThrow("select sql from sqlite_master where name = 'message'");
        ASSERT_TRUE(c.moveNext());
        QString sql = c.getText(0);
        c = Sqlite3Cursor();
        sql.replace(QStringLiteral("subject TEXT"), QStringLiteral("subject TEXT DEFAULT 'none'"));
        sql.replace(QStringLiteral("attributedBody BLOB"),
                    QStringLiteral("attributedBody BLOB DEFAULT x'00'"));
        raw.executeThrow("drop table message");
        raw.executeThrow(sql);
    }
    struct Case
    {
        const char *guid;
        QString subject;
        QByteArray body;
        qint64 otherHandle;
        const char *expected; // subject, attributedBody, other_handle, text, service_center
    };
    const Case cases[] = {
        {"D1", QString(), QByteArray(), 0, "'none'|X'00'|0|''|NULL"},
        {"D2", QStringLiteral("Hi"), QByteArrayLiteral("ab"), 5, "'Hi'|X'6162'|5|''|NULL"},
    };
    IOS6MessageDb db(dir, QString(), false);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.guid);
        _MsgMessage msg;
        msg.setGuid(QString::fromLatin1(c.guid));
        msg.setSubject(c.subject);
        msg.attributedBody = c.body;
        db.insertMessage(msg, 0, c.otherHandle, QString());
        EXPECT_EQ(
            sqlValue(db.dbPath(),
                     QStringLiteral("select quote(subject) || '|' || quote(attributedBody) || "
                                    "'|' || quote(other_handle) || '|' || quote(text) || "
                                    "'|' || quote(service_center) as v from message "
                                    "where guid = '%1'")
                         .arg(msg.guid())),
            QString::fromLatin1(c.expected));
    }
}

TEST_F(IOS6WriterTest, DeletingTheLastMessageDeletesItsChat)
{
    for (const bool local : {true, false}) {
        const QDir dir = sub(local ? QStringLiteral("local") : QStringLiteral("phone"));
        if (!local) {
            SmsDbWriter w(dir, Layout::Extended);
            w.close();
        }
        IOS6MessageDb db(dir, QString(), local);
        _MsgHandle ann = handleOf(QStringLiteral("+15551230001"));
        _MsgChat one = groupChat(QStringLiteral("iMessage;+;one"));
        _MsgChat two = groupChat(QStringLiteral("iMessage;+;two"));
        one.handleMap.insert(QStringLiteral("1"), &ann);
        const qint64 oneId = db.insertChatAndHandles(one);
        const qint64 twoId = db.insertChatAndHandles(two);
        const qint64 annId = db.findHandle(ann);
        auto add = [&](qint64 chatId, const QString &guid) {
            const qint64 id = db.insertMessage(messageOf(guid, 1), annId, 0, QString());
            db.joinChatMessage(chatId, id);
            _MsgAttachment atta;
            atta.guid = guid + QStringLiteral("-a");
            db.joinMessageAtta(id, db.insertAttachment(atta));
            return id;
        };
        _MsgMessage only = messageOf(QStringLiteral("only"), 1);
        only.rowid = add(oneId, only.guid());
        only.chat = &one;
        one.rowid = oneId;
        _MsgMessage first = messageOf(QStringLiteral("first"), 1);
        first.rowid = add(twoId, first.guid());
        first.chat = &two;
        two.rowid = twoId;
        add(twoId, QStringLiteral("second"));

        db.deleteMessage(&only);
        db.deleteMessage(&first);
        EXPECT_EQ(db.findChat(one.guid), 0) << local;
        EXPECT_EQ(db.findChat(two.guid), twoId) << local;
        EXPECT_EQ(db.findMessage(QStringLiteral("second")) > 0, true) << local;
        EXPECT_EQ(db.findMessage(first.guid()), 0) << local;
        EXPECT_EQ(sqlValue(db.dbPath(), "select (select count(*) from attachment) || '|' || "
                                        "(select count(*) from chat_handle_join)"),
                  "1|0")
            << local;
    }
}

TEST_F(IOS6WriterTest, DeletingAMessageListedInTwoChatsDeletesBothWhenEmptied)
{
    const QDir dir = sub(QStringLiteral("shared"));
    IOS6MessageDb db(dir, QString(), true);
    _MsgChat sms = groupChat(QStringLiteral("SMS;+;chat1"));
    _MsgChat imessage = groupChat(QStringLiteral("iMessage;+;chat1"));
    sms.rowid = db.insertChatAndHandles(sms);
    imessage.rowid = db.insertChatAndHandles(imessage);
    _MsgMessage shared = messageOf(QStringLiteral("shared"), 1);
    shared.rowid = db.insertMessage(shared, 0, 0, QString());
    db.joinChatMessage(sms.rowid, shared.rowid);
    db.joinChatMessage(imessage.rowid, shared.rowid);
    // Shown under the chat read last, as the reader links it.
    shared.chat = &imessage;

    db.deleteMessage(&shared);
    EXPECT_EQ(db.findChat(sms.guid), 0);
    EXPECT_EQ(db.findChat(imessage.guid), 0);
    EXPECT_EQ(sqlValue(db.dbPath(), QStringLiteral("select count(*) as v from chat")),
              QStringLiteral("0"));
}

TEST_F(IOS6WriterTest, OlderLocalDatabaseIsUpgradedOnOpen)
{
    // A local database from before the group columns and logical hashes: the phone's first
    // layout plus the contact and last-date columns.
    const QDir dir = sub(QStringLiteral("old"));
    {
        SmsDbWriter w(dir, Layout::Original);
        w.exec(QStringLiteral("alter table handle add column _ct_name TEXT; "
                              "alter table handle add column _photo BLOB; "
                              "alter table chat add column _last INTEGER DEFAULT 0"));
        const qint64 h = w.addHandle(QStringLiteral("+15551230001"));
        const qint64 chat = w.addChat(h);
        SmsDbWriter::Message m;
        m.guid = QStringLiteral("OLD-1");
        m.text = QStringLiteral("from before");
        m.handle = h;
        w.addMessage(chat, m);
        w.close();
    }
    {
        IOS6MessageDb phoneView(dir, QString(), false);
        phoneView.openCheck();
        EXPECT_FALSE(phoneView.isItemTypeEnabled());
    }
    IOS6MessageDb db(dir, QString(), true);
    db.openCheck();
    EXPECT_TRUE(db.isItemTypeEnabled());
    const auto columns = db.tbInfo(QStringLiteral("message"));
    for (const char *name :
         {"is_audio_message", "is_played", "date_played", "item_type", "other_handle",
          "group_title", "group_action_type", "share_status", "share_direction", "is_expirable",
          "expire_state", "message_action_type", "logic_hash", "associated_message_guid",
          "associated_message_type", "associated_message_emoji", "thread_originator_guid",
          "date_edited", "message_summary_info"})
        EXPECT_TRUE(columns.contains(QLatin1String(name))) << name;
    EXPECT_TRUE(db.tbInfo(QStringLiteral("chat")).contains(QStringLiteral("group_id")));
    EXPECT_EQ(sqlValue(db.dbPath(), QStringLiteral("select count(*) as v from sqlite_master where "
                                                   "name='message_idx_logic_hash'")),
              QStringLiteral("1"));
    EXPECT_EQ(sqlValue(db.dbPath(), QStringLiteral("select other_handle as v from message")),
              QStringLiteral("-1"));
    // Older rows carry no hash: found by guid only.
    _MsgMessage old;
    old.setGuid(QStringLiteral("OLD-1"));
    old.setText(QStringLiteral("from before"));
    EXPECT_EQ(db.findMessageHash(old), 0);
    EXPECT_GT(db.findMessage(old.guid()), 0);

    // A second open finds nothing left to add.
    db.close();
    IOS6MessageDb again(dir, QString(), true);
    EXPECT_NO_THROW(again.openCheck());
}

} // namespace

namespace {

// Saves msg alone in a chat of one participant into a new local database at folder.
void saveAlone(const QDir &folder, const _MsgMessage &msg)
{
    IOS6MessageDb db(folder, QString(), true);
    _MsgChat chat = groupChat(QStringLiteral("iMessage;+;chat1"));
    _MsgHandle ann = handleOf(QStringLiteral("+15551230001"));
    chat.handleMap.insert(QStringLiteral("1"), &ann);
    db.beginEdit();
    const qint64 chatId = db.insertChatAndHandles(chat);
    const qint64 annId = db.findHandle(ann);
    db.joinChatMessage(chatId, db.insertMessage(msg, annId, annId, QString()));
    db.endEdit(true);
}

// Every column of the message rows as text.
std::string messageRow(const QString &path)
{
    Sqlite3DB db;
    db.openThrow(path, Sqlite3DB::kOpenReadOnly);
    Sqlite3Cursor c = db.queryThrow(QStringLiteral("select * from message"));
    QStringList values;
    while (c.moveNext()) {
        for (int i = 0; i < c.columnCount(); ++i)
            values << c.getText(i);
    }
    return values.join(QLatin1Char('|')).toStdString();
}

} // namespace

TEST_F(IOS6WriterTest, EveryColumnSurvivesASaveAndAReload)
{
    _MsgMessage msg = messageOf(QStringLiteral("M1"), 5000);
    const QString text = QStringLiteral("v");
    msg.setCountry(text + QLatin1String("country"));
    msg.attributedBody = QByteArrayLiteral("body");
    msg.setAccount(text + QLatin1String("account"));
    msg.setAccountGuid(text + QLatin1String("account_guid"));
    msg.setServiceCenter(text + QLatin1String("service_center"));
    msg.setSubject(text + QLatin1String("subject"));
    msg.setCacheRoomnames(text + QLatin1String("cache_roomnames"));
    msg.setAssociatedMessageGuid(text + QLatin1String("associated_message_guid"));
    msg.setAssociatedMessageEmoji(text + QLatin1String("associated_message_emoji"));
    msg.setThreadOriginatorGuid(text + QLatin1String("thread_originator_guid"));
    msg.setMessageSummaryInfo(QByteArrayLiteral("summary"));
    int next = 2;
    for (int *value : {&msg.replace, &msg.version, &msg.type, &msg.error, &msg.date_read,
                       &msg.date_delivered, &msg.date_played, &msg.group_action_type,
                       &msg.share_status, &msg.share_direction, &msg.expire_state,
                       &msg.message_action_type, &msg.associated_message_type, &msg.date_edited})
        *value = next++;
    msg.is_delivered = msg.is_finished = msg.is_emote = msg.is_from_me = msg.is_empty = 1;
    msg.is_delayed = msg.is_auto_reply = msg.is_prepared = msg.is_read = 1;
    msg.is_system_message = msg.is_sent = msg.has_dd_results = msg.is_service_message = 1;
    msg.is_forward = msg.was_downgraded = msg.is_archive = msg.cache_has_attachments = 1;
    msg.was_data_detected = msg.was_deduplicated = msg.is_played = msg.is_expirable = 1;
    saveAlone(sub(QStringLiteral("first")), msg);
    IOS6MessageDb first(sub(QStringLiteral("first")), QString(), true);

    const struct
    {
        const char *sql;
        QString value;
    } cases[] = {
        {"select count(*) as v from message", QStringLiteral("1")},
        {"select service_center || subject || cache_roomnames || group_title || "
         "associated_message_guid || associated_message_emoji || thread_originator_guid as v "
         "from message",
         QStringLiteral("vservice_centervsubjectvcache_roomnamesNew titlevassociated_message_guid"
                        "vassociated_message_emojivthread_originator_guid")},
        {"select country || account || account_guid || attributedBody || message_summary_info "
         "as v from message",
         QStringLiteral("vcountryvaccountvaccount_guidbodysummary")},
        {"select replace || version || type || error || group_action_type || share_status || "
         "share_direction || expire_state || message_action_type || associated_message_type "
         "as v from message",
         QStringLiteral("234591011121314")},
        {"select is_delivered + is_finished + is_emote + is_from_me + is_empty + is_delayed + "
         "is_auto_reply + is_prepared + is_read + is_system_message + is_sent + has_dd_results + "
         "is_service_message + is_forward + was_downgraded + is_archive + cache_has_attachments + "
         "was_data_detected + was_deduplicated + is_audio_message + is_played + is_expirable "
         "as v from message",
         QStringLiteral("22")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(sqlValue(first.dbPath(), QString::fromLatin1(c.sql)), c.value) << c.sql;

    // Read back and saved again, the row comes out the same in every column.
    MsgData data;
    first.messages(data, 0);
    ASSERT_EQ(data.p()->messages.size(), 1);
    saveAlone(sub(QStringLiteral("second")), *data.p()->messages.values().first());
    const IOS6MessageDb second(sub(QStringLiteral("second")), QString(), true);
    EXPECT_EQ(messageRow(second.dbPath()), messageRow(first.dbPath()));
}

TEST_F(IOS6WriterTest, AnyStoredFlagValueButZeroReadsAsSet)
{
    _MsgMessage msg = messageOf(QStringLiteral("M1"), 5000);
    saveAlone(sub(QStringLiteral("local")), msg);
    IOS6MessageDb db(sub(QStringLiteral("local")), QString(), true);
    {
        Sqlite3DB raw;
        raw.openThrow(db.dbPath(), Sqlite3DB::kOpenReadWrite);
        raw.executeThrow(
            Sqlite3Sql(QStringLiteral("update message set is_read = 2, is_sent = 256")));
    }
    MsgData data;
    db.messages(data, 0);
    ASSERT_EQ(data.p()->messages.size(), 1);
    const _MsgMessage *read = data.p()->messages.values().first();
    EXPECT_EQ(read->is_read, 1u);
    EXPECT_EQ(read->is_sent, 1u);
    EXPECT_EQ(read->is_from_me, 0u);
}
