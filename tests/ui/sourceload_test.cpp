#include "msgtexts.h"
#include "uitestdata.h"
#include "windowprobe.h"

#include "fixtures/smsdbwriter.h"
#include "frame/appdirs.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msgfunctions.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"
#include "ui/absdbitemnode.h"
#include "ui/chatsessionitemnode.h"
#include "ui/desktopcontroller.h"
#include "ui/itemmodelmain.h"
#include "ui/itemmodelsms.h"
#include "ui/mainwindow.h"
#include "ui/mytreeview.h"
#include "ui/rootdeviceitemnode.h"
#include "ui/rootlocaldbitemnode.h"
#include "ui/sourcedisplay.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <functional>

namespace {

_AbsDBItemNode *localDb(const MainWindow &window, int row)
{
    return static_cast<_AbsDBItemNode *>(window.treeModel()->localDbRoot()->child(row));
}

// Chooses node the way a click does, without waiting for what that starts.
void click(MainWindow &window, AbsTreeItemModel::_ItemNode *node)
{
    window.treeView()->selectionModel()->setCurrentIndex(window.treeModel()->indexOfItemNode(node),
                                                         QItemSelectionModel::ClearAndSelect);
}

bool settles(MainWindow &window)
{
    return QTest::qWaitFor([&window] { return !window.display().loader().isBusy(); }, 10000);
}

// The texts of a database folder read in place, in the list's order.
QStringList textsReadInPlace(const QString &folder)
{
    MsgData data;
    DesktopController::localSource(folder)->messages(data, 0);
    QList<_MsgMessage *> messages = data.messages();
    g_sortMessages(messages, Qt::AscendingOrder);
    return textsOf(messages);
}

// A phone whose messages were brought onto this computer: the sample database moved to where
// a virtual iPhone's folder lies. Returns that folder.
QString writeSamplePhone()
{
    g_writeSampleLocalDb(QStringLiteral("phone"));
    const QString folder = g_dataSaveDir().filePath(QStringLiteral("virtual_ios/Phone"));
    g_dataSaveDir().mkpath(QStringLiteral("virtual_ios"));
    QDir().rename(g_localDbDir().filePath(QStringLiteral("phone")), folder);
    return folder;
}

QString countText(const MainWindow &window)
{
    return window.findChild<QLabel *>(QStringLiteral("lbSMSCount"))->text();
}

} // namespace

TEST(SourceLoad, RunsInTheBackgroundAndShowsWhatTheDatabaseHolds)
{
    const ScopedDataFolder data;
    g_writeSampleLocalDb(QStringLiteral("phone"));
    MainWindow window;
    _AbsDBItemNode *db = localDb(window, 0);

    click(window, db);
    EXPECT_EQ(window.smsModel()->rowCount(), 0);
    EXPECT_EQ(countText(window), QStringLiteral("Loading messages..."));
    ASSERT_TRUE(settles(window));
    EXPECT_TRUE(db->messagesLoaded);
    EXPECT_EQ(db->childCount(), 2);
    EXPECT_EQ(shownTexts(window),
              textsReadInPlace(g_localDbDir().filePath(QStringLiteral("phone"))));
    EXPECT_EQ(countText(window), QStringLiteral("Messages: 4"));
}

TEST(SourceLoad, SupersededOrCancelledLoadsNeverLand)
{
    const ScopedDataFolder data;
    g_writeSampleLocalDb(QStringLiteral("a"));
    g_writeSampleLocalDb(QStringLiteral("b"));
    MainWindow window;
    _AbsDBItemNode *a = localDb(window, 0);
    _AbsDBItemNode *b = localDb(window, 1);

    click(window, a);
    click(window, b);
    ASSERT_TRUE(settles(window));
    EXPECT_FALSE(a->messagesLoaded);
    EXPECT_EQ(a->childCount(), 0);
    EXPECT_TRUE(b->messagesLoaded);
    EXPECT_EQ(window.smsModel()->rowCount(), 4);

    click(window, a);
    window.findChild<QPushButton *>(QStringLiteral("btnCancelLoading"))->click();
    ASSERT_TRUE(settles(window));
    EXPECT_FALSE(a->messagesLoaded);
    EXPECT_EQ(window.smsModel()->rowCount(), 0);

    // A cancelled source loads when it is chosen again.
    select(window, b);
    select(window, a);
    EXPECT_TRUE(a->messagesLoaded);
    EXPECT_EQ(shownTexts(window), textsReadInPlace(g_localDbDir().filePath(QStringLiteral("a"))));
}

TEST(SourceLoad, AChatChosenWhileItsSourceLoadsIsShownWhenTheLoadLands)
{
    const ScopedDataFolder data;
    g_writeSampleLocalDb(QStringLiteral("phone"));
    MainWindow window;
    _AbsDBItemNode *db = localDb(window, 0);
    // The user clicks the older conversation as soon as the chats are listed.
    bool clicked = false;
    QObject::connect(&window.display().loader(), &SourceLoader::chatsListed, &window, [&] {
        ASSERT_FALSE(clicked) << "the source was loaded twice";
        clicked = true;
        click(window, db->child(1));
        EXPECT_EQ(countText(window), QStringLiteral("Loading messages..."));
        EXPECT_FALSE(db->messagesLoaded);
    });

    click(window, db);
    ASSERT_TRUE(settles(window));
    EXPECT_TRUE(clicked);
    const AbsTreeItemModel::_ItemNode *current = window.display().currentNode();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->parent, db);
    EXPECT_EQ(shownTexts(window),
              QStringList({QStringLiteral("hello alice"), QStringLiteral("alice again")}));
}

TEST(SourceLoad, APhoneLoadsInTheBackground)
{
    const ScopedDataFolder data;
    const QString folder = writeSamplePhone();
    MainWindow window;
    AbsTreeItemModel::_ItemNode *phone = window.treeModel()->devicesRoot()->child(0);
    ASSERT_NE(phone, nullptr);
    // Its chats were listed when it was added.
    EXPECT_EQ(phone->childCount(), 2);

    click(window, phone);
    EXPECT_EQ(countText(window), QStringLiteral("Loading messages..."));
    EXPECT_EQ(window.smsModel()->rowCount(), 0);
    ASSERT_TRUE(settles(window));
    EXPECT_TRUE(static_cast<_AbsDBItemNode *>(phone)->messagesLoaded);
    EXPECT_EQ(phone->childCount(), 2);
    EXPECT_EQ(shownTexts(window), textsReadInPlace(folder));
    EXPECT_EQ(countText(window), QStringLiteral("Messages: 4"));
}

TEST(SourceLoad, NothingLandsOfAPhoneUnpluggedWhileItLoads)
{
    const ScopedDataFolder data;
    writeSamplePhone();
    MainWindow window;
    click(window, window.treeModel()->devicesRoot()->child(0));
    window.miUnmoutDevice();
    ASSERT_TRUE(settles(window));
    EXPECT_EQ(window.treeModel()->devicesRoot()->childCount(), 0);
    EXPECT_EQ(window.smsModel()->rowCount(), 0);
    EXPECT_EQ(countText(window), QStringLiteral("Messages: 0"));
}

TEST(SourceLoad, APhonesChatChosenBeforeItsMessagesAreReadIsShownOnceTheyAre)
{
    const ScopedDataFolder data;
    writeSamplePhone();
    MainWindow window;
    AbsTreeItemModel::_ItemNode *phone = window.treeModel()->devicesRoot()->child(0);
    ASSERT_NE(phone, nullptr);

    click(window, phone->child(1));
    EXPECT_EQ(countText(window), QStringLiteral("Loading messages..."));
    ASSERT_TRUE(settles(window));
    const AbsTreeItemModel::_ItemNode *current = window.display().currentNode();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->parent, phone);
    EXPECT_EQ(shownTexts(window),
              QStringList({QStringLiteral("hello alice"), QStringLiteral("alice again")}));
}

namespace {

// A local database "big" of count messages in three chats: enough that its list fills in
// several steps. Returns its folder.
QString writeBigLocalDb(int count)
{
    const QString folder = g_localDbDir().filePath(QStringLiteral("big"));
    SmsDbWriter writer{QDir(folder), SmsDbWriter::Layout::Extended};
    writer.addBulk(count, 3);
    writer.close();
    return folder;
}

} // namespace

TEST(SourceLoad, AllFillsInListOrderWhileItIsReadAndEndsWhole)
{
    const ScopedDataFolder data;
    const QString folder = writeBigLocalDb(3000);
    MainWindow window;
    _AbsDBItemNode *big = localDb(window, 0);
    QList<_MsgMessage *> arrived;
    int batches = 0;
    QObject::connect(&window.display().loader(), &SourceLoader::rowsLoaded, &window,
                     [&](_AbsDBItemNode *, const MsgData &, const QList<_MsgMessage *> &rows) {
                         ++batches;
                         arrived += rows;
                         // Shown at once, the rest still loading.
                         EXPECT_EQ(window.smsModel()->messages(), arrived);
                         EXPECT_EQ(countText(window), QStringLiteral("Loading messages..."));
                         EXPECT_FALSE(big->messagesLoaded);
                     });

    click(window, big);
    ASSERT_TRUE(settles(window));
    // At least once before the load landed (more when the list took them apart).
    EXPECT_GT(batches, 0);
    EXPECT_EQ(shownTexts(window), textsReadInPlace(folder));
    // The rows shown while filling stayed: the list went on from them.
    EXPECT_EQ(window.smsModel()->messages().mid(0, arrived.size()), arrived);
    EXPECT_EQ(countText(window), QStringLiteral("Messages: 3000"));
}

TEST(SourceLoad, AChatChosenWhileAllFillsIsShownAloneAndAllComesBackFilled)
{
    const ScopedDataFolder data;
    const QString folder = writeBigLocalDb(3000);
    MainWindow window;
    _AbsDBItemNode *big = localDb(window, 0);
    AbsTreeItemModel::_ItemNode *chat = nullptr;
    qsizetype arrived = 0;
    QObject::connect(&window.display().loader(), &SourceLoader::rowsLoaded, &window,
                     [&](_AbsDBItemNode *, const MsgData &, const QList<_MsgMessage *> &rows) {
                         const bool first = arrived == 0;
                         arrived += rows.size();
                         if (!first) {
                             // Rows that follow go to all, not to the chat shown.
                             EXPECT_EQ(window.smsModel()->rowCount(), chat ? 0 : arrived);
                             return;
                         }
                         click(window, big->child(0));
                         EXPECT_EQ(window.smsModel()->rowCount(), 0);
                         // Back to all: the rows read so far, at once.
                         click(window, big);
                         EXPECT_EQ(window.smsModel()->rowCount(), arrived);
                         chat = big->child(1);
                         click(window, chat);
                     });

    click(window, big);
    ASSERT_TRUE(settles(window));
    ASSERT_NE(chat, nullptr);
    const auto *current = static_cast<_ChatSessionItemNode *>(window.display().currentNode());
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->parent, big);
    const QList<_MsgMessage *> shown = window.smsModel()->messages();
    EXPECT_EQ(shown.size(), current->merge.messages().size());
    EXPECT_GT(shown.size(), 0);
    for (const _MsgMessage *message : shown)
        EXPECT_EQ(message->chat, current->firstChat());
}

namespace {

QString rowidOf(const _MsgMessage *message)
{
    return message ? QString::number(message->rowid) : QStringLiteral("-");
}

// Every link of data's records, one line a record, in row id order.
QStringList linksOf(const MsgData &data)
{
    QStringList lines;
    QList<_MsgChat *> chats = data.chats();
    std::sort(chats.begin(), chats.end(), [](auto *a, auto *b) { return a->rowid < b->rowid; });
    for (const _MsgChat *chat : std::as_const(chats)) {
        QStringList messages;
        for (const _MsgMessage *message : chat->messageMap)
            messages << rowidOf(message);
        messages.sort();
        lines << QStringLiteral("chat %1 %2 last %3: %4")
                     .arg(chat->rowid)
                     .arg(chat->chat_identifier)
                     .arg(chat->last)
                     .arg(messages.join(QLatin1Char(' ')));
    }
    QList<_MsgMessage *> messages = data.messages();
    std::sort(messages.begin(), messages.end(),
              [](auto *a, auto *b) { return a->rowid < b->rowid; });
    for (const _MsgMessage *message : std::as_const(messages)) {
        QStringList reactions;
        for (const _MsgMessage *reaction : message->reactions)
            reactions << rowidOf(reaction);
        QStringList attachments;
        for (const _MsgAttachment *attachment : message->attachments())
            attachments << QString::number(attachment->rowid) + attachment->filename;
        lines << QStringLiteral("message %1 in %2 from %3 alone %4 reactions %5 to %6 reply to %7 "
                                "attachments %8")
                     .arg(rowidOf(message), message->chat->chat_identifier,
                          message->handle ? message->handle->id : QStringLiteral("-"))
                     .arg(message->isShownAlone())
                     .arg(reactions.join(QLatin1Char(' ')), rowidOf(message->reactionTarget),
                          rowidOf(message->replyTarget), attachments.join(QLatin1Char(' ')));
    }
    return lines;
}

} // namespace

TEST(SourceLoad, RecordsReadInListOrderAreLinkedAsAWholeReadLinksThem)
{
    const ScopedDataFolder data;
    const QString folder = g_localDbDir().filePath(QStringLiteral("linked"));
    {
        SmsDbWriter w{QDir(folder), SmsDbWriter::Layout::Extended};
        for (const char *column :
             {"associated_message_guid text", "associated_message_type integer",
              "thread_originator_guid text"})
            w.exec(QStringLiteral("alter table message add column %1").arg(QLatin1String(column)));
        const qint64 anna = w.addHandle(QStringLiteral("+15551230001"));
        const qint64 ben = w.addHandle(QStringLiteral("+15551230002"));
        const qint64 annaChat = w.addChat(anna);
        const qint64 benChat = w.addChat(ben);
        const auto add = [&w](qint64 chat, int date, qint64 from, const char *guid) {
            SmsDbWriter::Message m;
            m.text = QStringLiteral("at %1").arg(date);
            m.date = date;
            m.handle = from;
            m.fromMe = from == 0;
            m.guid = QLatin1String(guid);
            return w.addMessage(chat, m);
        };
        add(annaChat, 500, anna, "A1");
        add(benChat, 100, ben, "");
        // One message in both chats, with an attachment.
        const qint64 shared = add(benChat, 300, ben, "");
        w.exec(QStringLiteral("insert into chat_message_join values (%1, %2)")
                   .arg(annaChat)
                   .arg(shared));
        w.addAttachment(shared, QStringLiteral("~/Library/SMS/Attachments/s.jpg"),
                        QStringLiteral("image/jpeg"));
        // Reactions to A1 from the other chat, one taken back; a reply to it; a reaction whose
        // target is missing.
        w.setReaction(add(benChat, 510, ben, ""), QStringLiteral("A1"), 2000);
        w.setReaction(add(benChat, 520, ben, ""), QStringLiteral("A1"), 3000);
        w.setReaction(add(annaChat, 530, 0, ""), QStringLiteral("GONE"), 2001);
        w.exec(QStringLiteral("update message set thread_originator_guid = 'A1' where rowid = %1")
                   .arg(add(benChat, 600, 0, "")));
        w.close();
    }
    MsgData whole;
    DesktopController::localSource(folder)->messages(whole, 0);
    MainWindow window;
    _AbsDBItemNode *db = localDb(window, 0);

    click(window, db);
    ASSERT_TRUE(settles(window));
    ASSERT_TRUE(db->messagesLoaded);
    const QStringList expected = linksOf(whole);
    EXPECT_EQ(linksOf(db->data), expected);
    // The fixture holds what the comparison is about.
    const QString all = expected.join(QLatin1Char('\n'));
    for (const char *piece : {"last 530: 1 3 6", "reactions 4 5 to", "reply to 1 ", "s.jpg"})
        EXPECT_TRUE(all.contains(QLatin1String(piece))) << piece;
}

namespace {

// What the user does on the first rows of "big" while its list of all fills, and what the list
// then shows once nothing loads any more.
struct MidFillCase
{
    const char *name;
    std::function<void(MainWindow &, _AbsDBItemNode *big)> act;
    bool bigLoaded;
    int rows;
};

class SourceLoadMidFill : public testing::TestWithParam<MidFillCase>
{};

TEST_P(SourceLoadMidFill, LeavesNothingHalfDone)
{
    const ScopedDataFolder data;
    writeBigLocalDb(3000);
    g_writeSampleLocalDb(QStringLiteral("other"));
    MainWindow window;
    _AbsDBItemNode *big = localDb(window, 0);
    bool acted = false;
    QObject::connect(&window.display().loader(), &SourceLoader::rowsLoaded, &window, [&] {
        if (!std::exchange(acted, true))
            GetParam().act(window, big);
    });

    click(window, big);
    ASSERT_TRUE(settles(window));
    ASSERT_TRUE(acted);
    EXPECT_EQ(big->messagesLoaded, GetParam().bigLoaded);
    EXPECT_EQ(window.smsModel()->rowCount(), GetParam().rows);

    // Nothing of a read cut short stands in the way of the next.
    select(window, localDb(window, 1));
    select(window, big);
    EXPECT_TRUE(big->messagesLoaded);
    EXPECT_EQ(window.smsModel()->rowCount(), 3000);
}

INSTANTIATE_TEST_SUITE_P(
    SourceLoad, SourceLoadMidFill,
    testing::Values(
        MidFillCase{"Cancelled",
                    [](MainWindow &w, _AbsDBItemNode *) {
                        w.findChild<QPushButton *>(QStringLiteral("btnCancelLoading"))->click();
                    },
                    false, 0},
        MidFillCase{"AnotherSourceChosen",
                    [](MainWindow &w, _AbsDBItemNode *) { click(w, localDb(w, 1)); }, false, 4},
        // What an export or a deletion does first: it waits for the whole source.
        MidFillCase{"AllMessagesAskedFor",
                    [](MainWindow &w, _AbsDBItemNode *big) {
                        EXPECT_EQ(w.display().allMessages(big).size(), 3000);
                    },
                    true, 3000}),
    [](const testing::TestParamInfo<MidFillCase> &info) { return std::string(info.param.name); });

} // namespace
