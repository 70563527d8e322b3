#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msgdata.h"
#include "model/msgfunctions.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

// These tests are meant to run under AddressSanitizer as well (-DTEXTLINK_ASAN=ON): a record
// freed twice or never is reported there as an error or leak.

namespace {

_MsgChat *addChat(MsgData &data, qint64 rowid, const QString &identifier, int last)
{
    auto chat = std::make_unique<_MsgChat>();
    chat->rowid = rowid;
    chat->chat_identifier = identifier;
    chat->last = last;
    data.p()->chats.insert(rowid, chat.get());
    return chat.release();
}

_MsgMessage *addMessage(MsgData &data, qint64 rowid, _MsgChat *chat)
{
    auto msg = std::make_unique<_MsgMessage>();
    msg->rowid = rowid;
    msg->chat = chat;
    chat->messageMap.insert(QString::number(rowid), msg.get());
    data.p()->messages.insert(rowid, msg.get());
    return msg.release();
}

// A loaded source as the readers build it: an SMS and an iMessage chat with one person sharing
// a handle, a message met in both chats, and an attachment shared by two messages.
MsgData makeLoadedData()
{
    MsgData data;
    auto handle = std::make_unique<_MsgHandle>();
    handle->rowid = 1;
    handle->id = QStringLiteral("+1 555 0100");
    _MsgChat *sms = addChat(data, 1, handle->id, 100);
    _MsgChat *imessage = addChat(data, 2, handle->id, 300);
    _MsgChat *group = addChat(data, 3, QStringLiteral("chat123456789012345678"), 200);
    for (_MsgChat *chat : {sms, imessage, group})
        chat->handleMap.insert(QStringLiteral("1"), handle.get());
    data.p()->handles.insert(1, handle.release());

    _MsgMessage *first = addMessage(data, 10, sms);
    _MsgMessage *second = addMessage(data, 11, imessage);
    addMessage(data, 12, group);
    // The same row met again through the second chat: linked, not created anew.
    imessage->messageMap.insert(QStringLiteral("10"), first);
    first->chat = imessage;

    auto attachment = std::make_unique<_MsgAttachment>();
    attachment->rowid = 5;
    first->attachmentMap.insert(QStringLiteral("5"), attachment.get());
    second->attachmentMap.insert(QStringLiteral("5"), attachment.get());
    data.p()->attachments.insert(5, attachment.release());
    return data;
}

} // namespace

TEST(MsgDataContainer, NewContainersAreEmptyAndSeparate)
{
    const MsgData a;
    const MsgData b;
    ASSERT_NE(a.p(), nullptr);
    EXPECT_NE(a.p(), b.p());
    EXPECT_TRUE(a.messages().isEmpty());
    EXPECT_TRUE(a.chats().isEmpty());
    EXPECT_TRUE(a.chatMergeList().isEmpty());
}

TEST(MsgDataContainer, CopiesShareTheRecordsUntilTheLastGoes)
{
    auto original = std::make_unique<MsgData>(makeLoadedData());
    const MsgData copy = *original;
    EXPECT_EQ(copy.p(), original->p());
    original.reset();
    // The copy still reaches every record; under AddressSanitizer a premature free shows here.
    ASSERT_EQ(copy.messages().size(), 3);
    for (const _MsgMessage *msg : copy.messages())
        EXPECT_NE(msg->chat, nullptr);
    EXPECT_EQ(copy.p()->attachments.value(5)->rowid, 5);
}

TEST(MsgDataContainer, RecordsLinkedTwiceAreFreedOnce)
{
    // A message in two chats' maps and an attachment of two messages: destroying the container
    // must free each once (AddressSanitizer reports a double free otherwise).
    {
        const MsgData data = makeLoadedData();
    }

    // A loader that registered one record under two row ids must not cause a double free either.
    MsgData data;
    _MsgChat *chat = addChat(data, 1, QStringLiteral("x"), 0);
    data.p()->chats.insert(99, chat);
    _MsgMessage *msg = addMessage(data, 7, chat);
    data.p()->messages.insert(8, msg);
    EXPECT_EQ(data.chats().size(), 2);
}

TEST(MsgDataContainer, CopyingAMessageKeepsLinksNotOwnership)
{
    const MsgData data = makeLoadedData();
    const _MsgMessage *stored = data.p()->messages.value(10);
    {
        const _MsgMessage copy = *stored;
        EXPECT_EQ(copy.chat, stored->chat);
        EXPECT_EQ(copy.attachmentMap, stored->attachmentMap);
    }
    // The copy is gone; the linked records are still the container's.
    EXPECT_EQ(stored->attachmentMap.value(QStringLiteral("5"))->rowid, 5);
}

TEST(ChatMerge, SameIdentifierMergesWithNewestLast)
{
    const MsgData data = makeLoadedData();
    QList<_MsgChatMerge> merges = data.chatMergeList();
    ASSERT_EQ(merges.size(), 2);
    std::sort(merges.begin(), merges.end(), compareMsgChatMergeLastDesc);
    const _MsgChatMerge &person = merges[0];
    EXPECT_EQ(person.last, 300);
    ASSERT_EQ(person.chats.size(), 2);
    EXPECT_EQ(person.chats[0]->chat_identifier, person.chats[1]->chat_identifier);
    // Message 10 belongs to both chats, so it appears once per chat.
    QList<qint64> rows;
    for (const _MsgMessage *msg : person.messages())
        rows << msg->rowid;
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (QList<qint64>{10, 10, 11}));

    EXPECT_EQ(merges[1].last, 200);
    ASSERT_EQ(merges[1].chats.size(), 1);
    EXPECT_EQ(merges[1].messages().size(), 1);
}

TEST(ChatMerge, IdentifiersCompareExactly)
{
    MsgData data;
    addChat(data, 1, QStringLiteral("anna@example.com"), 5);
    addChat(data, 2, QStringLiteral("anna@example.com "), 6);
    addChat(data, 3, QStringLiteral("Anna@example.com"), 7);
    addChat(data, 4, QStringLiteral("anna@example.com"), 3);
    const QList<_MsgChatMerge> merges = data.chatMergeList();
    ASSERT_EQ(merges.size(), 3);
    int chatsSeen = 0;
    for (const _MsgChatMerge &merge : merges) {
        chatsSeen += merge.chats.size();
        if (merge.chats.first()->chat_identifier == QStringLiteral("anna@example.com")) {
            EXPECT_EQ(merge.chats.size(), 2);
            EXPECT_EQ(merge.last, 5);
        }
    }
    EXPECT_EQ(chatsSeen, 4);
}

TEST(MsgDataRemoval, DropsMessagesAndHandsBackTheChatsTheyEmptied)
{
    // Rows removed, then the chats (by row id) emptied and the messages left.
    struct Case
    {
        QList<qint64> removed;
        QList<qint64> emptiedChats;
        QList<qint64> messagesLeft;
    };
    const Case cases[] = {
        {{12}, {3}, {10, 11}},
        {{11}, {}, {10, 12}},
        // Message 10 is in two chats: the SMS chat held only it, the iMessage chat keeps 11.
        {{10}, {1}, {11, 12}},
        {{10, 11, 12}, {1, 2, 3}, {}},
    };
    for (const Case &c : cases) {
        MsgData data = makeLoadedData();
        QList<_MsgMessage *> doomed;
        for (const qint64 row : c.removed)
            doomed << data.p()->messages.value(row);
        // A record of another container is not this one's to free.
        const MsgData other = makeLoadedData();
        doomed << other.p()->messages.value(11);

        const auto emptied = data.removeMessages(doomed);
        QList<qint64> emptiedRows;
        for (const auto &chat : emptied) {
            emptiedRows << chat->rowid;
            EXPECT_FALSE(data.p()->chats.contains(chat->rowid));
        }
        std::sort(emptiedRows.begin(), emptiedRows.end());
        EXPECT_EQ(emptiedRows, c.emptiedChats) << c.removed.size();
        QList<qint64> left = data.p()->messages.keys();
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, c.messagesLeft);
        // No chat that stays still links a removed message.
        for (const _MsgChat *chat : data.chats()) {
            for (_MsgMessage *message : chat->messageMap)
                EXPECT_TRUE(data.messages().contains(message));
        }
        EXPECT_EQ(other.messages().size(), 3);
    }
}

// Released messages are forgotten everywhere: the hash, every chat's list (message 10 is in two)
// and the reaction and reply links of those left; the chats stay.
TEST(MsgDataRelease, ForgetsReleasedMessagesEverywhere)
{
    const QList<qint64> cases[] = {{10}, {11}, {12}, {10, 12}, {10, 11, 12}};
    for (const QList<qint64> &released : cases) {
        MsgData data = makeLoadedData();
        _MsgMessage *first = data.p()->messages.value(10);
        _MsgMessage *second = data.p()->messages.value(11);
        _MsgMessage *third = data.p()->messages.value(12);
        // 11 reacts to 10, 12 answers 10 and is reacted to by 11 as well.
        second->reactionTarget = first;
        first->reactions << second;
        third->replyTarget = first;
        third->reactions << second;
        QList<_MsgMessage *> doomed;
        for (const qint64 row : released)
            doomed << data.p()->messages.value(row);
        const MsgData other = makeLoadedData();
        doomed << other.p()->messages.value(11);

        data.releaseMessages(doomed);
        EXPECT_EQ(data.p()->chats.size(), 3);
        EXPECT_EQ(other.messages().size(), 3);
        EXPECT_EQ(data.messages().size(), 3 - released.size());
        const QList<_MsgMessage *> left = data.messages();
        for (const _MsgChat *chat : data.chats()) {
            for (_MsgMessage *message : chat->messageMap)
                EXPECT_TRUE(left.contains(message)) << released.size();
        }
        for (const _MsgMessage *message : left) {
            const QList<_MsgMessage *> linked =
                message->reactions +
                QList<_MsgMessage *>{message->reactionTarget, message->replyTarget};
            for (_MsgMessage *link : linked)
                EXPECT_TRUE(!link || left.contains(link)) << message->rowid;
        }
        if (!released.contains(10) && !released.contains(11)) {
            EXPECT_EQ(second->reactionTarget, first) << "a link between kept messages stays";
        }
    }
}

// A record is stored once made; a make that fails, makes nothing or adds to the same hash itself
// (moving the slot reserved for the row) must leave the hash as if the row were never met.
TEST(MsgDataContainer, InsertOrGetStoresOnlyWhatWasMade)
{
    QHash<qint64, _MsgHandle *> handles;
    const auto make = [] { return std::make_unique<_MsgHandle>(); };
    bool made = false;
    _MsgHandle *first = __MsgData::insertOrGet(handles, 1, make, &made);
    EXPECT_TRUE(made);
    EXPECT_EQ(__MsgData::insertOrGet(handles, 1, make, &made), first);
    EXPECT_FALSE(made);

    EXPECT_EQ(__MsgData::insertOrGet(handles, 2, [] { return std::unique_ptr<_MsgHandle>(); }),
              nullptr);
    EXPECT_THROW(__MsgData::insertOrGet(
                     handles, 3,
                     []() -> std::unique_ptr<_MsgHandle> { throw std::runtime_error("bad row"); }),
                 std::runtime_error);
    EXPECT_EQ(handles.keys(), QList<qint64>{1}) << "no empty slot left behind";

    // Enough rows added from inside make to grow the hash while the new row's slot is open.
    _MsgHandle *outer = __MsgData::insertOrGet(handles, 100, [&] {
        for (qint64 rowid = 200; rowid < 400; ++rowid)
            __MsgData::insertOrGet(handles, rowid, make);
        return make();
    });
    EXPECT_EQ(handles.value(100), outer);
    EXPECT_EQ(handles.size(), 202);
    qDeleteAll(handles);
}
