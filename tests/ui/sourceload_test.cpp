#include "msgtexts.h"
#include "uitestdata.h"
#include "windowprobe.h"

#include "frame/appdirs.h"
#include "model/msgfunctions.h"
#include "model/msgmessage.h"
#include "ui/absdbitemnode.h"
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
