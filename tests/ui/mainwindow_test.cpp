#include "messageboxcloser.h"
#include "testfiles.h"
#include "uitestdata.h"
#include "windowprobe.h"

#include "frame/appdirs.h"
#include "model/msgchat.h"
#include "model/msgmessage.h"
#include "ui/abstreeitemmodel.h"
#include "ui/bubbleviewmgr.h"
#include "ui/droppedsource.h"
#include "ui/itemmodelmain.h"
#include "ui/itemmodelsms.h"
#include "ui/itemnodetype.h"
#include "ui/localdbitemnode.h"
#include "ui/mainwindow.h"
#include "ui/mylistview.h"
#include "ui/mytreeview.h"
#include "ui/rootdeviceitemnode.h"
#include "ui/rootlocaldbitemnode.h"
#include "ui/sourcedisplay.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <QTimer>

#include <QPrintPreviewDialog>

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

namespace {

using Node = AbsTreeItemModel::_ItemNode;

Node *localDb(const MainWindow &window, int row)
{
    return window.treeModel()->localDbRoot()->child(row);
}

QString labelText(const MainWindow &window, const char *name)
{
    const auto *label = window.findChild<QLabel *>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<missing>");
}

const char *const kToolbarActions[] = {"actionBackup",  "actionI2A",    "actionDb2A",
                                       "actionExtract", "actionExport", "actionPrint",
                                       "actionDelete"};

QMap<QString, bool> toolbarState(const MainWindow &window)
{
    QMap<QString, bool> state;
    for (const char *name : kToolbarActions)
        state[QLatin1String(name)] = action(window, name)->isEnabled();
    return state;
}

QMap<QString, bool> enabledOnly(const QStringList &names)
{
    QMap<QString, bool> state;
    for (const char *name : kToolbarActions)
        state[QLatin1String(name)] = names.contains(QLatin1String(name));
    return state;
}

// The main window over a data folder of its own holding the sample local database "phone".
class SampleWindow : public ::testing::Test
{
protected:
    static bool writeSample()
    {
        g_writeSampleLocalDb(QStringLiteral("phone"));
        return true;
    }

    const ScopedDataFolder m_data;
    const bool m_written = writeSample();
    MainWindow m_window;
};

} // namespace

TEST(MainWindow, ListsLocalDatabaseFoldersAndTheTwoRoots)
{
    const ScopedDataFolder data;
    ASSERT_TRUE(g_localDbDir().mkdir(QStringLiteral("Work phone")));
    ASSERT_TRUE(g_localDbDir().mkdir(QStringLiteral("Archive 2012")));
    writeFile(g_localDbDir().filePath(QStringLiteral("notes.txt")), QByteArray());

    const MainWindow window;
    EXPECT_EQ(titles(window.treeModel()->topLevelNodes()),
              QStringList({"Devices", "Local Databases"}));
    EXPECT_EQ(window.treeModel()->localDbNames(), QStringList({"Archive 2012", "Work phone"}));
    EXPECT_EQ(window.treeModel()->devicesRoot()->childCount(), 0);
}

TEST_F(SampleWindow, SelectingLocalDatabaseListsChatsNewestFirstAndShowsAllMessages)
{
    Node *db = localDb(m_window, 0);
    ASSERT_NE(db, nullptr);
    ASSERT_EQ(db->childCount(), 0);

    select(m_window, db);
    EXPECT_EQ(titles(db->children()), QStringList({"+15550002222", "+15550001111"}));
    EXPECT_EQ(shownTexts(m_window),
              QStringList({"hello alice", "bob says hi", "alice again", "bye bob"}));
    EXPECT_EQ(m_window.currentChat(), nullptr);
    EXPECT_EQ(labelText(m_window, "lbSMSCount"), QStringLiteral("Messages: 4"));
    EXPECT_EQ(labelText(m_window, "lbChatName"), QStringLiteral("All"));
    QTRY_VERIFY(m_window.treeView()->isExpanded(m_window.treeModel()->indexOfItemNode(db)));

    select(m_window, db->child(1));
    EXPECT_EQ(shownTexts(m_window), QStringList({"hello alice", "alice again"}));
    ASSERT_NE(m_window.currentChat(), nullptr);
    EXPECT_EQ(labelText(m_window, "lbChatName"), QStringLiteral("+15550001111"));

    // Selecting the database again shows everything without rebuilding its chats.
    Node *firstChat = db->child(0);
    select(m_window, db);
    EXPECT_EQ(db->child(0), firstChat);
    EXPECT_EQ(m_window.smsModel()->rowCount(), 4);

    select(m_window, m_window.treeModel()->localDbRoot());
    EXPECT_EQ(m_window.smsModel()->rowCount(), 0);
    EXPECT_EQ(labelText(m_window, "lbSMSCount"), QStringLiteral("Messages: 0"));
    EXPECT_EQ(labelText(m_window, "lbChatName"), QString());
}

TEST_F(SampleWindow, ListSortsByAnyColumnWhileTheConversationStaysOldestFirst)
{
    select(m_window, localDb(m_window, 0));
    QHeaderView *header = m_window.listView()->header();
    const QStringList oldestFirst = {"hello alice", "bob says hi", "alice again", "bye bob"};

    struct Case
    {
        int column;
        Qt::SortOrder order;
        QString firstShown;
    };
    const Case cases[] = {
        {ItemModelSms::ColDate, Qt::DescendingOrder, "bye bob"},
        {ItemModelSms::ColContent, Qt::AscendingOrder, "alice again"},
        {ItemModelSms::ColFlag, Qt::DescendingOrder, "alice again"}, // "To" before "From"
        {ItemModelSms::ColContact, Qt::DescendingOrder, "bob says hi"},
    };
    for (const Case &c : cases) {
        header->setSortIndicator(c.column, c.order);
        EXPECT_EQ(header->sortIndicatorSection(), c.column);
        EXPECT_EQ(shownTexts(m_window).first(), c.firstShown) << c.column;
        // The bubbles read as the conversation went, with the date lines in their places.
        const QString html = m_window.bubbleView()->html();
        qsizetype at = 0;
        for (const QString &text : oldestFirst) {
            const qsizetype next = html.indexOf(text, at);
            EXPECT_GT(next, at) << text.toStdString() << " after sorting by " << c.column;
            at = next;
        }
        EXPECT_EQ(html.count(QStringLiteral("<div class=\"dt\">")), 4) << c.column;
    }
}

TEST_F(SampleWindow, ContactSearchFindsNamesAndNumbersAndNotesAMiss)
{
    Node *db = localDb(m_window, 0);
    select(m_window, db);
    auto *keyword = m_window.findChild<QLineEdit *>(QStringLiteral("txtHandleKeyword"));
    auto *note = m_window.findChild<QLabel *>(QStringLiteral("txtHandleKeywordNote"));
    ASSERT_NE(keyword, nullptr);
    ASSERT_NE(note, nullptr);
    EXPECT_FALSE(keyword->placeholderText().isEmpty());

    keyword->setText(QStringLiteral(" 555000 "));
    m_window.searchCotnact();
    EXPECT_EQ(m_window.currentNode(), db->child(0));
    m_window.searchCotnact();
    EXPECT_EQ(m_window.currentNode(), db->child(1));
    m_window.searchCotnact(); // past the last chat: back to the first
    EXPECT_EQ(m_window.currentNode(), db->child(0));

    // Typed as people write numbers: only the digits count.
    keyword->setText(QStringLiteral("(555) 000-1111"));
    m_window.searchCotnact();
    EXPECT_EQ(m_window.currentNode(), db->child(1));
    m_window.searchCotnact(); // the only match is the current chat
    EXPECT_EQ(m_window.currentNode(), db->child(1));

    // No box: a note beside the search line.
    MessageBoxCloser closer;
    keyword->setText(QStringLiteral("<b>carol"));
    m_window.searchCotnact();
    EXPECT_EQ(closer.count(), 0);
    EXPECT_EQ(note->text(), QStringLiteral("No contact matches <b>carol."));
    EXPECT_EQ(m_window.currentNode(), db->child(1));
}

TEST_F(SampleWindow, MessageSearchCountsMatchesAndStepsBothWays)
{
    auto *keyword = m_window.findChild<QLineEdit *>(QStringLiteral("txtSMSKeyword"));
    auto *note = m_window.findChild<QLabel *>(QStringLiteral("txtSMSKeywordNote"));
    ASSERT_NE(keyword, nullptr);
    ASSERT_NE(note, nullptr);

    MessageBoxCloser closer;
    keyword->setText(QStringLiteral("bob"));
    m_window.searchMessages();
    EXPECT_EQ(note->text(), QStringLiteral("No messages to search."));

    select(m_window, localDb(m_window, 0));
    // The selected message and the note beside the search line.
    const auto found = [this, note] {
        const int row = m_window.listView()->currentIndex().row();
        return m_window.smsModel()->messageAt(row)->text() + " | " + note->text();
    };
    keyword->setText(QStringLiteral("BOB"));
    m_window.searchMessages();
    EXPECT_EQ(found(), "bob says hi | 1 of 2");
    m_window.findNext();
    EXPECT_EQ(found(), "bye bob | 2 of 2");
    m_window.findNext();
    EXPECT_EQ(found(), "bob says hi | 1 of 2");
    m_window.findPrevious();
    EXPECT_EQ(found(), "bye bob | 2 of 2");
    // The matching rows are marked in the list.
    const auto background = [this](int row) {
        return m_window.smsModel()->data(m_window.smsModel()->index(row, 3), Qt::BackgroundRole);
    };
    EXPECT_EQ(background(1), background(3));
    EXPECT_NE(background(0), background(1));

    keyword->setText(QStringLiteral("nobody"));
    m_window.searchMessages();
    EXPECT_EQ(found(), "bye bob | No message matches nobody.");
    EXPECT_EQ(closer.count(), 0);
}

TEST(MainWindow, ToolbarFollowsTheSelectedSource)
{
    const ScopedDataFolder data;
    g_writeSampleLocalDb(QStringLiteral("phone"));
    ASSERT_TRUE(QDir(data.path()).mkpath(QStringLiteral("virtual_ios/Test iPhone")));
    MainWindow window;
    EXPECT_EQ(toolbarState(window), enabledOnly({}));

    Node *db = localDb(window, 0);
    select(window, db);
    const auto localDbState =
        enabledOnly({"actionExtract", "actionExport", "actionPrint", "actionDelete"});
    EXPECT_EQ(toolbarState(window), localDbState);
    select(window, db->child(0));
    EXPECT_EQ(toolbarState(window), localDbState);

    Node *iPhone = window.treeModel()->devicesRoot()->child(0);
    ASSERT_NE(iPhone, nullptr);
    EXPECT_EQ(iPhone->type, int(ITEMNODE_IOS_DEVICE));
    EXPECT_EQ(iPhone->title, QStringLiteral("Test iPhone"));
    select(window, iPhone);
    // Without an Android phone nothing can be transferred.
    EXPECT_EQ(toolbarState(window),
              enabledOnly({"actionBackup", "actionExtract", "actionExport", "actionPrint"}));

    select(window, window.treeModel()->devicesRoot());
    EXPECT_EQ(toolbarState(window), enabledOnly({}));
}

TEST_F(SampleWindow, PrintingOpensThePreviewOfTheShownMessages)
{
    select(m_window, localDb(m_window, 0));
    int previews = 0;
    QTimer closer;
    closer.setInterval(50);
    QObject::connect(&closer, &QTimer::timeout, [&previews] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *preview = qobject_cast<QPrintPreviewDialog *>(widget);
            if (preview && preview->isVisible()) {
                ++previews;
                preview->reject();
            }
        }
    });
    closer.start();
    action(m_window, "actionPrint")->trigger();
    EXPECT_EQ(previews, 1);
}

TEST_F(SampleWindow, SavingSelectedMessagesIntoNewDatabaseCreatesAndListsIt)
{
    Node *source = localDb(m_window, 0);
    select(m_window, source);
    select(m_window, source->child(0)); // Bob's chat
    const ItemModelSms &list = *m_window.smsModel();
    m_window.listView()->selectionModel()->select(
        QItemSelection(list.index(0, 0), list.index(list.rowCount() - 1, 0)),
        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    ASSERT_EQ(m_window.listView()->selectedRowsInOrder().size(), 2);

    QStringList offered;
    answerLocalDbForm(QStringLiteral("Bob only"), "btnOK", &offered);
    MessageBoxCloser closer; // the success box of the save
    m_window.miBackupSel();

    EXPECT_EQ(offered, QStringList({QString(), "phone", "phone_Backup"}));
    ASSERT_GE(closer.count(), 1);
    EXPECT_TRUE(closer.last().text.contains(QStringLiteral("2")))
        << closer.last().text.toStdString();
    EXPECT_TRUE(QFile::exists(g_localDbDir().filePath(
        QStringLiteral("Bob only/file-relay/var/mobile/Library/SMS/sms.db"))));

    Node *saved = m_window.treeModel()->findLocalDb(QStringLiteral("bob ONLY"));
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->title, QStringLiteral("Bob only"));
    EXPECT_EQ(titles(saved->children()), QStringList{"+15550002222"});
    EXPECT_EQ(m_window.currentNode(), saved);
    EXPECT_EQ(shownTexts(m_window), QStringList({"bob says hi", "bye bob"}));
}

TEST(MainWindow, SavingIntoExistingNameInOtherCaseMergesIntoIt)
{
    const ScopedDataFolder data;
    g_writeSampleLocalDb(QStringLiteral("phone"));
    g_writeSampleLocalDb(QStringLiteral("Archive"));
    MainWindow window;
    Node *source = window.treeModel()->findLocalDb(QStringLiteral("phone"));
    select(window, source);

    answerLocalDbForm(QStringLiteral("ARCHIVE"));
    MessageBoxCloser closer;
    window.miBackupAll();

    EXPECT_EQ(window.treeModel()->localDbNames(), QStringList({"Archive", "phone"}));
    EXPECT_FALSE(QDir(g_localDbDir().filePath(QStringLiteral("ARCHIVE"))).exists() &&
                 !QDir(g_localDbDir().filePath(QStringLiteral("Archive"))).exists());
    // The same messages again: nothing is added twice.
    EXPECT_EQ(window.smsModel()->rowCount(), 4);
}

TEST(MainWindow, DeletingLocalDatabaseRemovesNodeAndFolder)
{
    const ScopedDataFolder data;
    g_writeSampleLocalDb(QStringLiteral("keep"));
    g_writeSampleLocalDb(QStringLiteral("doomed"));
    MainWindow window;
    Node *doomed = window.treeModel()->findLocalDb(QStringLiteral("doomed"));
    select(window, doomed->parent);
    {
        // Only a local database can be deleted.
        MessageBoxCloser closer(QMessageBox::Yes);
        window.miDelAll();
        EXPECT_EQ(closer.count(), 0);
    }
    select(window, doomed);
    {
        MessageBoxCloser closer(QMessageBox::No);
        window.miDelAll();
        EXPECT_EQ(closer.texts(), QStringList{"Delete this database and all its messages?"});
        EXPECT_TRUE(QDir(g_localDbDir().filePath(QStringLiteral("doomed"))).exists());
    }
    MessageBoxCloser closer(QMessageBox::Yes);
    window.miDelAll();
    EXPECT_EQ(closer.texts(), QStringList({"Delete this database and all its messages?",
                                           "Successfully Deleted Database doomed."}));
    EXPECT_FALSE(QDir(g_localDbDir().filePath(QStringLiteral("doomed"))).exists());
    EXPECT_TRUE(QDir(g_localDbDir().filePath(QStringLiteral("keep"))).exists());
    EXPECT_EQ(window.treeModel()->localDbNames(), QStringList{"keep"});
}

TEST(MainWindow, DroppedPhoneFoldersAndDatabasesOpenUnderDevices)
{
    const ScopedDataFolder data;
    g_writeSampleLocalDb(QStringLiteral("phone"));
    QTemporaryDir elsewhere;
    const QString phoneFolder = g_localDbDir().filePath(QStringLiteral("phone"));
    const QString loneDb = elsewhere.filePath(QStringLiteral("old-phone.db"));
    ASSERT_TRUE(QFile::copy(DroppedSource::smsDbPathIn(phoneFolder), loneDb));
    const QString notes = elsewhere.filePath(QStringLiteral("notes.txt"));
    writeFile(notes, "not a database");

    MainWindow window;
    EXPECT_TRUE(window.findChild<QLabel *>(QStringLiteral("lbFirstRunHint"))->isHidden());
    struct Case
    {
        QString path;
        QString title; // of the new device node; empty when nothing opens
    };
    const Case cases[] = {
        {phoneFolder, QStringLiteral("phone")},
        {DroppedSource::smsDbPathIn(phoneFolder), QStringLiteral("phone")},
        {loneDb, QStringLiteral("old-phone.db")},
        {notes, QString()},
    };
    for (const Case &c : cases) {
        MessageBoxCloser closer;
        const int before = window.treeModel()->devicesRoot()->childCount();
        window.openDropped(c.path);
        if (c.title.isEmpty()) {
            EXPECT_EQ(window.treeModel()->devicesRoot()->childCount(), before);
            EXPECT_EQ(closer.count(), 1);
            continue;
        }
        ASSERT_EQ(window.treeModel()->devicesRoot()->childCount(), before + 1)
            << c.path.toStdString();
        Node *device = window.treeModel()->devicesRoot()->child(before);
        EXPECT_EQ(device->title, c.title);
        EXPECT_EQ(window.currentNode(), device);
        // Its chats and messages are read in the background.
        window.display().loader().finish();
        EXPECT_EQ(device->childCount(), 2);
        EXPECT_EQ(window.smsModel()->rowCount(), 4);
        EXPECT_EQ(window.windowTitle(), c.title + QStringLiteral(" \u2013 TextLink"));
    }
    // The original database is read from a copy, never changed.
    EXPECT_TRUE(QFileInfo::exists(loneDb));
}

// A dropped phone folder is read from a copy; a damaged database opens only when the user asks
// to read what is left of it.
TEST(MainWindow, DroppedDamagedPhoneFolderOpensOnlyWhenSalvagedAndIsNeverWritten)
{
    const ScopedDataFolder data;
    g_writeSampleLocalDb(QStringLiteral("phone"));
    QTemporaryDir elsewhere;
    const QString phone = elsewhere.filePath(QStringLiteral("phone"));
    ASSERT_TRUE(QDir().rename(g_localDbDir().filePath(QStringLiteral("phone")), phone));
    // The sample's first table is its message table: the end of its page holds the rows.
    QFile db(DroppedSource::smsDbPathIn(phone));
    ASSERT_TRUE(db.open(QIODevice::ReadWrite) && db.seek(2 * 4096 - 1024));
    db.write(QByteArray(1024, '\xa5'));
    db.close();
    const QStringList files = filesBelow(phone);
    const QByteArray bytes = readAll(db.fileName());

    MainWindow window;
    Node *devices = window.treeModel()->devicesRoot();
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        MessageBoxCloser closer(answer);
        const int before = devices->childCount();
        window.openDropped(phone);
        const bool salvaged = answer == QMessageBox::Yes;
        EXPECT_EQ(devices->childCount(), before + (salvaged ? 1 : 0));
        // The question, then the count of what was salvaged.
        ASSERT_EQ(closer.count(), salvaged ? 2 : 1);
        EXPECT_TRUE(closer.last().text.contains(salvaged ? "salvaged" : "damaged"))
            << closer.last().text.toStdString();
    }
    EXPECT_LE(window.smsModel()->rowCount(), 4);
    EXPECT_EQ(filesBelow(phone), files);
    EXPECT_EQ(readAll(db.fileName()), bytes);
}

TEST(MainWindow, FirstRunHintTitleAboutAndRememberedLayout)
{
    const ScopedDataFolder data;
    {
        MainWindow window;
        EXPECT_FALSE(window.findChild<QLabel *>(QStringLiteral("lbFirstRunHint"))->isHidden());
        EXPECT_EQ(window.windowTitle(), QStringLiteral("TextLink"));
        {
            MessageBoxCloser closer;
            action(window, "actionAbout")->trigger();
            ASSERT_EQ(closer.count(), 1);
            EXPECT_TRUE(closer.last().text.contains(QStringLiteral(TEXTLINK_VERSION)));
        }
        window.resize(1000, 700);
        window.listView()->setColumnWidth(ItemModelSms::ColContact, 222);
        window.close();
    }
    g_writeSampleLocalDb(QStringLiteral("phone"));
    MainWindow window;
    EXPECT_TRUE(window.findChild<QLabel *>(QStringLiteral("lbFirstRunHint"))->isHidden());
    EXPECT_EQ(window.size(), QSize(1000, 700));
    EXPECT_EQ(window.listView()->columnWidth(ItemModelSms::ColContact), 222);
    // The list opens in date order whatever order it was left in.
    EXPECT_EQ(window.listView()->header()->sortIndicatorSection(), int(ItemModelSms::ColDate));

    Node *db = localDb(window, 0);
    select(window, db);
    select(window, db->child(0));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("phone \u2013 +15550002222 \u2013 TextLink"));
}

TEST(MainWindow, CommandsShowTheirShortcutsAndImportIsOnTheToolbar)
{
    const ScopedDataFolder data;
    const MainWindow window;
    const struct
    {
        const char *action;
        QKeySequence keys;
    } cases[] = {
        {"actionImportItunes", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"actionFind", QKeySequence(Qt::CTRL | Qt::Key_F)},
        {"actionFindNext", QKeySequence(Qt::Key_F3)},
        {"actionFindPrevious", QKeySequence(Qt::SHIFT | Qt::Key_F3)},
        {"actionExport", QKeySequence(Qt::CTRL | Qt::Key_E)},
        {"actionPrint", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {"actionDelete", QKeySequence(Qt::Key_Delete)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(action(window, c.action)->shortcut(), c.keys) << c.action;
    const auto *toolbar = window.findChild<QToolBar *>(QStringLiteral("toolBarMain"));
    ASSERT_NE(toolbar, nullptr);
    EXPECT_TRUE(toolbar->actions().contains(action(window, "actionImportItunes")));
    QSet<QString> labels;
    for (const QAction *item : toolbar->actions()) {
        if (!item->isSeparator()) {
            EXPECT_FALSE(item->icon().isNull()) << item->objectName().toStdString();
            // Buttons that do different things must not read the same.
            EXPECT_FALSE(labels.contains(item->iconText())) << item->iconText().toStdString();
            labels.insert(item->iconText());
        }
    }
}
