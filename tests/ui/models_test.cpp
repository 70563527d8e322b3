#include "msgbuilder.h"
#include "windowprobe.h"

#include "model/msgchat.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"
#include "ui/chatentrydelegate.h"
#include "ui/chatmatch.h"
#include "ui/chatsessionitemnode.h"
#include "ui/itemmodelmain.h"
#include "ui/itemmodelsms.h"
#include "ui/itemnodetype.h"
#include "ui/localdbitemnode.h"
#include "ui/rootdeviceitemnode.h"
#include "ui/rootlocaldbitemnode.h"
#include "ui/wrappedsearch.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QLocale>

namespace {

using Node = AbsTreeItemModel::_ItemNode;

} // namespace

TEST(WrappedSearch, ContinuesAfterTheCurrentPositionAndWrapsAround)
{
    const QList<bool> hits = {true, false, true, false};
    const auto matches = [&hits](int i) { return hits.at(i); };
    EXPECT_EQ(g_findWrapped(4, -1, matches), 0);
    EXPECT_EQ(g_findWrapped(4, 0, matches), 2);
    EXPECT_EQ(g_findWrapped(4, 2, matches), 0);
    EXPECT_EQ(g_findWrapped(4, 3, matches), 0);
    // The current item is tried last, so being the only match it is found again.
    EXPECT_EQ(g_findWrapped(4, 1, [](int i) { return i == 1; }), 1);
    EXPECT_EQ(g_findWrapped(4, 1, [](int) { return false; }), -1);
    EXPECT_EQ(g_findWrapped(0, -1, [](int) { return true; }), -1);
}

TEST(ItemModelMain, ListsChatsLatestFirstAndKeepsRowsRightAfterRemovals)
{
    ItemModelMain model;
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.devicesRoot()->type, int(ITEMNODE_ROOT_DEVICE));
    EXPECT_EQ(model.localDbRoot()->type, int(ITEMNODE_ROOT_LOCALDB));

    _LocalDBItemNode *empty = model.addLocalDb({}, QStringLiteral("empty"));
    model.listChats(empty);
    EXPECT_EQ(empty->childCount(), 0);

    _LocalDBItemNode *db = model.addLocalDb({}, QStringLiteral("db"));
    MsgBuilder builder;
    for (const auto &[address, date] :
         {std::pair{"+1001", 50}, std::pair{"+1002", 900}, std::pair{"+1003", 400}}) {
        _MsgHandle *handle = builder.handle(QLatin1String(address));
        builder.message(builder.chat(handle), handle, date, QStringLiteral("hi"));
    }
    db->data = builder.data();
    model.listChats(db);
    EXPECT_EQ(titles(db->children()), QStringList({"+1002", "+1003", "+1001"}));
    EXPECT_EQ(ItemModelMain::sourceOf(db->child(0)), db);
    EXPECT_EQ(ItemModelMain::sourceOf(model.localDbRoot()), nullptr);

    Node *last = db->child(2);
    EXPECT_EQ(model.indexOfItemNode(last).row(), 2);
    model.removeNode(db->child(0));
    EXPECT_EQ(model.indexOfItemNode(last).row(), 1);
    EXPECT_EQ(AbsTreeItemModel::nodeOf(model.index(1, 0, model.indexOfItemNode(db))), last);
    EXPECT_EQ(model.parent(model.indexOfItemNode(last)), model.indexOfItemNode(db));

    EXPECT_EQ(titles(model.nodes()),
              QStringList({"Devices", "Local Databases", "empty", "db", "+1003", "+1001"}));
    EXPECT_EQ(model.findLocalDb(QStringLiteral("DB")), db);
    model.removeNode(db);
    EXPECT_EQ(model.localDbNames(), QStringList{"empty"});
    EXPECT_FALSE(model.indexOfItemNode(nullptr).isValid());
}

TEST(ItemModelMain, ConversationEntriesCarryTheNewestMessage)
{
    ItemModelMain model;
    _LocalDBItemNode *db = model.addLocalDb({}, QStringLiteral("db"));
    MsgBuilder builder;
    _MsgHandle *ann = builder.handle(QStringLiteral("+5001"));
    _MsgChat *chat = builder.chat(ann);
    // Added out of order: the newest is the one with the latest date, not the last added.
    builder.message(chat, ann, 900, QStringLiteral("see you\nat nine"));
    builder.message(chat, nullptr, 100, QStringLiteral("first"));
    db->data = builder.data();
    model.listChats(db);
    const QModelIndex entry = model.indexOfItemNode(db->child(0));
    EXPECT_EQ(entry.data(ItemModelMain::SnippetRole).toString(), QStringLiteral("see you at nine"));
    EXPECT_EQ(entry.data(ItemModelMain::LastDateRole).toDateTime().toSecsSinceEpoch(),
              978307200 + 900);
    EXPECT_GT(entry.data(Qt::SizeHintRole).toSize().height(),
              model.indexOfItemNode(db).data(Qt::SizeHintRole).toSize().height());
    // Other entries have no such details.
    EXPECT_FALSE(model.indexOfItemNode(db).data(ItemModelMain::SnippetRole).isValid());

    const QDate today(2026, 12, 6);
    EXPECT_EQ(ChatEntryDelegate::dateText(QDateTime(today, QTime(9, 5)), today),
              QStringLiteral("9:05 AM"));
    EXPECT_EQ(ChatEntryDelegate::dateText(QDateTime(today.addDays(-1), QTime(9, 5)), today),
              QLocale().toString(today.addDays(-1), QLocale::ShortFormat));
}

TEST(ItemModelMain, CountsDevicesByKind)
{
    ItemModelMain model;
    model.addIOSDevice({}, "iPhone", "udid");
    model.addAndroidDevice({}, "Pixel", "serial");
    model.addAndroidDevice({}, "Galaxy", "serial2");
    EXPECT_EQ(model.devicesRoot()->deviceCount(ITEMNODE_IOS_DEVICE), 1);
    EXPECT_EQ(model.devicesRoot()->deviceCount(ITEMNODE_ANDROID_DEVICE), 2);
}

TEST(ItemModelSms, ShowsFlagsContactsAndSortsByTheDate)
{
    MsgBuilder builder;
    _MsgHandle *ann = builder.handle(QStringLiteral("+2001"));
    _MsgChat *chat = builder.chat(ann);
    _MsgMessage *received = builder.message(chat, ann, 3 * 86400, QStringLiteral("zulu"));
    _MsgMessage *sent = builder.message(chat, nullptr, 1 * 86400, QStringLiteral("alpha"));
    _MsgMessage *system = builder.message(chat, ann, 2 * 86400, QString());
    system->item_type = 2;

    ItemModelSms model;
    model.loadSMS({received, sent, system});
    EXPECT_EQ(model.columnCount(), 4);
    QStringList headers;
    for (int column = 0; column < 4; ++column)
        headers << model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    EXPECT_EQ(headers, QStringList({"Date", "Flag", "Contact", "Content"}));
    const auto cell = [&model](int row, int column) {
        return model.data(model.index(row, column), Qt::DisplayRole).toString();
    };
    EXPECT_EQ(QStringList({cell(0, ItemModelSms::ColFlag), cell(1, ItemModelSms::ColFlag),
                           cell(2, ItemModelSms::ColFlag)}),
              QStringList({"From", "To", ""}));
    EXPECT_EQ(cell(2, ItemModelSms::ColContact), chat->displayName(false));
    EXPECT_EQ(cell(0, ItemModelSms::ColContent), QStringLiteral("zulu"));
    EXPECT_NE(model.data(model.index(0, 0), Qt::BackgroundRole),
              model.data(model.index(1, 0), Qt::BackgroundRole));

    model.sort(ItemModelSms::ColDate, Qt::DescendingOrder);
    EXPECT_EQ(model.messages(), QList<_MsgMessage *>({received, system, sent}));
    EXPECT_FALSE(model.indexOfPos(3).isValid());
    EXPECT_EQ(model.messageAt(-1), nullptr);
    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(ItemModelSms, EveryColumnSortsWithTheDateBreakingTies)
{
    MsgBuilder builder;
    _MsgHandle *zed = builder.handle(QStringLiteral("+3009"));
    _MsgHandle *amy = builder.handle(QStringLiteral("+3001"));
    _MsgMessage *late = builder.message(builder.chat(zed), zed, 4 * 86400, QStringLiteral("beta"));
    _MsgMessage *early =
        builder.message(builder.chat(amy), nullptr, 1 * 86400, QStringLiteral("delta"));
    _MsgMessage *mid = builder.message(builder.chat(amy), amy, 2 * 86400, QStringLiteral("alpha"));
    using List = QList<_MsgMessage *>;
    struct Case
    {
        int column;
        Qt::SortOrder order;
        List expected;
    };
    const Case cases[] = {
        {ItemModelSms::ColDate, Qt::AscendingOrder, {early, mid, late}},
        {ItemModelSms::ColFlag, Qt::AscendingOrder, {mid, late, early}},    // From, From, To
        {ItemModelSms::ColContact, Qt::AscendingOrder, {early, mid, late}}, // +3001 twice
        {ItemModelSms::ColContact, Qt::DescendingOrder, {late, early, mid}},
        {ItemModelSms::ColContent, Qt::AscendingOrder, {mid, late, early}},
        {ItemModelSms::ColContent, Qt::DescendingOrder, {early, late, mid}},
    };
    for (const Case &c : cases) {
        ItemModelSms model;
        model.loadSMS({late, mid, early});
        model.sort(c.column, c.order);
        EXPECT_EQ(model.messages(), c.expected) << c.column << " " << c.order;
    }
}

TEST(ItemModelSms, GroupRowsNameTheirSenderAndMatchesAreMarked)
{
    MsgBuilder builder;
    _MsgHandle *ann = builder.handle(QStringLiteral("+4001"));
    ann->_ct_name = QStringLiteral("Ann");
    _MsgHandle *bob = builder.handle(QStringLiteral("+4002"));
    _MsgChat *group = builder.groupChat(QStringLiteral("chat77"), {ann, bob});
    _MsgMessage *fromAnn = builder.message(group, ann, 100, QStringLiteral("Tent?"));
    _MsgMessage *fromBob = builder.message(group, bob, 200, QStringLiteral("the tent is mine"));
    _MsgMessage *mine = builder.message(group, nullptr, 300, QStringLiteral("ok"));
    ItemModelSms model;
    model.loadSMS({fromAnn, fromBob, mine});
    const auto contact = [&model](int row) {
        return model.data(model.index(row, ItemModelSms::ColContact), Qt::DisplayRole).toString();
    };
    EXPECT_EQ(QStringList({contact(0), contact(1), contact(2)}),
              QStringList({"Ann (+4001)", "+4002", "Me"}));

    const auto background = [&model](int row) {
        return model.data(model.index(row, ItemModelSms::ColContent), Qt::BackgroundRole);
    };
    const QVariant plain = background(1);
    EXPECT_EQ(model.setHighlight(QStringLiteral("TENT")), QList<int>({0, 1}));
    EXPECT_NE(background(1), plain);
    EXPECT_EQ(background(0), background(1));
    EXPECT_EQ(model.setHighlight(QString()), QList<int>());
    EXPECT_EQ(background(1), plain);
}

TEST(WrappedSearch, NextMatchGoesEitherWayAndWraps)
{
    const QList<int> matches = {2, 5, 9};
    struct Case
    {
        int current;
        bool forward;
        int expected;
    };
    const Case cases[] = {
        {-1, true, 2},  {2, true, 5},  {4, true, 5},  {9, true, 2},  {11, true, 2},
        {-1, false, 9}, {9, false, 5}, {6, false, 5}, {2, false, 9}, {0, false, 9},
    };
    for (const Case &c : cases)
        EXPECT_EQ(g_nextMatch(matches, c.current, c.forward), c.expected)
            << c.current << " " << c.forward;
    EXPECT_EQ(g_nextMatch({}, 3, true), -1);
}

TEST(ChatMatch, NamesAddressesAndNumberDigits)
{
    MsgBuilder builder;
    _MsgHandle *dora = builder.handle(QStringLiteral("+1 (555) 010-8"));
    dora->_ct_name = QStringLiteral("Dora");
    _MsgHandle *eve = builder.handle(QStringLiteral("eve@example.com"));
    _MsgChatMerge merge;
    merge.chats = {builder.groupChat(QStringLiteral("chat9001"), {dora, eve})};
    const QString title = QStringLiteral("Family");
    const struct
    {
        const char *keyword;
        bool matches;
    } cases[] = {
        {"family", true},      {"5550108", true}, {"555-0108", true}, {"+1 555 010", true},
        {"EVE@EXAMPLE", true}, {"dora", true},    {"chat9001", true}, {"12", false},
        {"0109", false},       {"carol", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(g_chatMatchesKeyword(merge, title, QLatin1String(c.keyword)), c.matches)
            << c.keyword;
}
