// Messages read one row at a time must be those a whole load lists, in the same order, with the
// same links: chats, senders, attachments and the reactions shown with their targets.
#include "fixtures/smsdbwriter.h"
#include "iosdb/ios6messagedb.h"
#include "iosdb/ios6messagestream.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msgdata.h"
#include "model/msgfunctions.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"
#include "model/msgreactions.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <functional>

namespace {

using Layout = SmsDbWriter::Layout;
using Message = SmsDbWriter::Message;

// Everything a listing shows of a message that depends on how it was read.
QString described(const _MsgMessage &msg)
{
    const QString none = QStringLiteral("-");
    QStringList parts{QString::number(msg.rowid), msg.chat ? msg.chat->chat_identifier : none,
                      msg.handle ? msg.handle->id : none, msg.logicalHash()};
    for (const _MsgAttachment *attachment : msg.attachments())
        parts << QStringLiteral("a%1").arg(attachment->rowid);
    for (const _MsgMessage *reaction : MsgReactions::standing(msg))
        parts << QStringLiteral("r%1").arg(reaction->rowid);
    return parts.join(QLatin1Char(' '));
}

QStringList streamed(const QDir &folder)
{
    IOS6MessageDb db(folder, QString(), false);
    MsgData data;
    IOS6MessageStream stream(db, data);
    stream.prepare();
    QStringList lines;
    stream.visit([&lines](const _MsgMessage &msg) { lines << described(msg); });
    return lines;
}

QStringList loaded(const QDir &folder)
{
    IOS6MessageDb db(folder, QString(), false);
    MsgData data;
    db.messages(data, 0);
    QList<_MsgMessage *> shown = data.messages();
    shown.removeIf([](const _MsgMessage *msg) { return !msg->isShownAlone(); });
    g_sortMessages(shown);
    QStringList lines;
    for (const _MsgMessage *msg : shown)
        lines << described(*msg);
    return lines;
}

struct TwoChats
{
    qint64 anna = 0, ben = 0, annaChat = 0, benChat = 0;
};

// Two chats whose dates interleave (and repeat, and run against the storing order), a message
// in both chats, a location item, a join row of a chat that is gone and attachments.
TwoChats twoChats(SmsDbWriter &w)
{
    TwoChats c;
    const qint64 anna = c.anna = w.addHandle(QStringLiteral("+15551230001"));
    const qint64 ben = c.ben = w.addHandle(QStringLiteral("+15551230002"));
    const qint64 annaChat = c.annaChat = w.addChat(anna);
    const qint64 benChat = c.benChat = w.addChat(ben);
    w.addMessage(annaChat, Message::at(5000, anna, QStringLiteral("A1")));
    w.addMessage(benChat, Message::at(100, ben));
    w.addMessage(annaChat, Message::at(100, 0));
    const qint64 shared = w.addMessage(benChat, Message::at(100, ben));
    w.exec(
        QStringLiteral("insert into chat_message_join values (%1, %2)").arg(annaChat).arg(shared));
    w.addMessage(annaChat, Message::at(50, anna));
    const qint64 photo = w.addMessage(benChat, Message::at(20000, 0));
    w.addAttachment(photo, QStringLiteral("~/Library/SMS/Attachments/p.jpg"),
                    QStringLiteral("image/jpeg"));
    w.addAttachment(shared, QStringLiteral("~/Library/SMS/Attachments/s.jpg"),
                    QStringLiteral("image/jpeg"));
    SmsDbWriter::Message location = Message::at(3000, ben);
    location.itemType = 4;
    w.addMessage(benChat, location);
    const qint64 orphan = w.addMessage(benChat, Message::at(4000, ben));
    w.exec(QStringLiteral("update chat_message_join set chat_id = 999 where message_id = %1")
               .arg(orphan));
    return c;
}

// On top of twoChats: reactions in the other chat than their target, one taken back, one whose
// target is missing, one to a reaction.
void reactions(SmsDbWriter &w, const TwoChats &c)
{
    for (const char *column : {"associated_message_guid text", "associated_message_type integer",
                               "associated_message_emoji text", "thread_originator_guid text"})
        w.exec(QStringLiteral("alter table message add column %1").arg(QLatin1String(column)));
    w.setReaction(w.addMessage(c.benChat, Message::at(5010, c.ben)), QStringLiteral("A1"), 2000);
    w.setReaction(w.addMessage(c.benChat, Message::at(5020, c.ben)), QStringLiteral("A1"), 2001);
    w.setReaction(w.addMessage(c.benChat, Message::at(5030, c.ben)), QStringLiteral("A1"), 3000);
    w.setReaction(w.addMessage(c.annaChat, Message::at(5040, 0, QStringLiteral("R4"))),
                  QStringLiteral("GONE"), 2003);
    w.setReaction(w.addMessage(c.annaChat, Message::at(5050, 0)), QStringLiteral("R4"), 2002);
}

struct Case
{
    const char *name;
    Layout layout;
    bool withReactions;
};

class StreamedAsLoaded : public testing::TestWithParam<Case>
{};

TEST_P(StreamedAsLoaded, SameMessagesInTheSameOrderWithTheSameLinks)
{
    QTemporaryDir dir;
    const QDir folder(dir.path());
    {
        SmsDbWriter w(folder, GetParam().layout);
        const TwoChats chats = twoChats(w);
        if (GetParam().withReactions)
            reactions(w, chats);
        w.close();
    }
    const QString expected = loaded(folder).join(QLatin1Char('\n'));
    EXPECT_EQ(streamed(folder).join(QLatin1Char('\n')).toStdString(), expected.toStdString());
    // The fixture holds what the comparison is about: reactions shown with their target.
    if (GetParam().withReactions) {
        EXPECT_TRUE(expected.contains(QLatin1String(" r")));
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, StreamedAsLoaded,
                         testing::Values(Case{"Original", Layout::Original, false},
                                         Case{"Extended", Layout::Extended, false},
                                         Case{"Reactions", Layout::Extended, true}),
                         [](const testing::TestParamInfo<Case> &info) {
                             return std::string(info.param.name);
                         });

} // namespace
