#include "messageboxcloser.h"
#include "msgbuilder.h"
#include "msgtexts.h"
#include "phonebackupsample.h"
#include "recordingprogress.h"
#include "testfiles.h"
#include "textpieces.h"
#include "uitestdata.h"
#include "windowprobe.h"

#include "frame/appdirs.h"
#include "iosdb/ios6messagedb.h"
#include "localdb/backupsmsthread.h"
#include "model/msgchat.h"
#include "model/msgmessage.h"
#include "ui/itemmodelmain.h"
#include "ui/itemmodelsms.h"
#include "ui/loaditunesbackupdlg.h"
#include "ui/localdbitemnode.h"
#include "ui/localdbselform.h"
#include "ui/mainwindow.h"
#include "ui/mylistview.h"
#include "ui/mytreeview.h"
#include "ui/passcodedlg.h"
#include "ui/rootdeviceitemnode.h"
#include "ui/rootlocaldbitemnode.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>

namespace {

using Node = AbsTreeItemModel::_ItemNode;

// The main window with its file dialogs answered by the test.
class AnsweredWindow : public MainWindow
{
public:
    QString exportPath;
    QString exportFilter;
    QString folder;
    QStringList titlesAsked;

protected:
    QString askExportPath(const QString &title, const QString &, const QStringList &filters,
                          QString *chosenFilter) override
    {
        titlesAsked << title;
        EXPECT_TRUE(filters.contains(exportFilter)) << exportFilter.toStdString();
        *chosenFilter = exportFilter;
        return exportPath;
    }
    QString askFolder(const QString &title, const QString &) override
    {
        titlesAsked << title;
        return folder;
    }
};

void selectRows(MainWindow &window, const QList<int> &rows)
{
    const ItemModelSms &list = *window.smsModel();
    window.listView()->selectionModel()->clearSelection();
    for (const int row : rows)
        window.listView()->selectionModel()->select(
            list.index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

// What the database in a local database folder holds now, read afresh.
struct Stored
{
    QStringList texts;
    int chats = 0;
};

Stored stored(const QString &name)
{
    IOS6MessageDb db(QDir(g_localDbDir().filePath(name)), QString(), true);
    MsgData data;
    db.messages(data, 0);
    return {sortedTexts(data.messages()), static_cast<int>(data.chats().size())};
}

} // namespace

TEST(MainWindowCommands, ImportingEncryptedBackupCreatesAndListsLocalDatabase)
{
    const ScopedDataFolder data;
    QTemporaryDir backups;
    const PhoneBackupSample sample;
    sample.write(backups.filePath(QStringLiteral("phone")), true);
    MainWindow window;
    window.setBackupFolders({QDir(backups.path())});

    QString presetName;
    int passwordTries = 0;
    g_whenModal([&](QWidget *modal) {
        if (auto *chooser = qobject_cast<LoadItunesBackupDlg *>(modal)) {
            auto *list = chooser->findChild<QTreeView *>(QStringLiteral("listBackups"));
            list->selectionModel()->select(chooser->model().index(0, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
            chooser->findChild<QPushButton *>(QStringLiteral("btnLoad"))->click();
        } else if (auto *passcode = qobject_cast<PasscodeDlg *>(modal)) {
            ++passwordTries;
            passcode->findChild<QLineEdit *>(QStringLiteral("txtPasscode"))
                ->setText(QString::fromLatin1(PhoneBackupSample::kPassword));
            passcode->findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
        } else if (auto *form = qobject_cast<LocalDbSelForm *>(modal)) {
            presetName =
                form->findChild<QComboBox *>(QStringLiteral("cbLocalDbNames"))->currentText();
            form->findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
            return true;
        }
        return false;
    });
    MessageBoxCloser closer; // the save's success box
    action(window, "actionImportItunes")->trigger();

    EXPECT_EQ(passwordTries, 1);
    const QString expectedName = sample.device.deviceName + QStringLiteral("_Backup");
    EXPECT_EQ(presetName, expectedName);
    EXPECT_EQ(window.treeModel()->localDbNames(), QStringList({expectedName}));
    Node *db = window.treeModel()->findLocalDb(expectedName);
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(window.currentNode(), db);
    QStringList shown = shownTexts(window);
    shown.sort();
    EXPECT_EQ(shown, stored(expectedName).texts);
    EXPECT_EQ(shown, sample.texts());
    EXPECT_GT(db->childCount(), 0);
}

TEST(MainWindowCommands, ImportIntoLocalDatabasePresetsItsNameAndStopsWhenCancelled)
{
    const ScopedDataFolder data;
    g_writeSampleLocalDb(QStringLiteral("phone"));
    QTemporaryDir backups;
    PhoneBackupSample().write(backups.filePath(QStringLiteral("plain")), false);
    MainWindow window;
    window.setBackupFolders({QDir(backups.path())});
    select(window, window.treeModel()->findLocalDb(QStringLiteral("phone")));

    g_whenModal([&](QWidget *modal) {
        auto *chooser = qobject_cast<LoadItunesBackupDlg *>(modal);
        if (!chooser)
            return false;
        chooser->findChild<QTreeView *>(QStringLiteral("listBackups"))
            ->selectionModel()
            ->select(chooser->model().index(0, 0),
                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
        chooser->accept();
        return true;
    });
    QStringList offered;
    answerLocalDbForm(QString(), "btnClose", &offered);
    MessageBoxCloser closer;
    window.miImportToLocalDb();

    EXPECT_EQ(offered.value(offered.size() - 1), QStringLiteral("phone"));
    EXPECT_EQ(closer.count(), 0);
    EXPECT_EQ(stored(QStringLiteral("phone")).texts.size(), 4);
}

// The chosen filter decides the format; only the selected chat (Bob's) is written.
TEST(MainWindowCommands, ExportingSelectedChatWritesItsMessagesInTheChosenFormat)
{
    const struct
    {
        const char *filter, *file;
        QStringList expected;
    } cases[] = {
        {"CSV Files(*.csv)",
         "bob.csv",
         {"date,send,person,number,content\n", ",bob says hi\n", ",bye bob\n"}},
        {"Android Message Backup(*.xml)",
         "bob.xml",
         {"<smses count=\"0000000002\"", "body=\"bob says hi\"", "body=\"bye bob\""}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.filter);
        const ScopedDataFolder data;
        g_writeSampleLocalDb(QStringLiteral("phone"));
        QTemporaryDir out;
        AnsweredWindow window;
        Node *db = window.treeModel()->findLocalDb(QStringLiteral("phone"));
        select(window, db);
        select(window, db->child(0)); // Bob

        window.exportPath = out.filePath(QStringLiteral("bob"));
        window.exportFilter = QLatin1String(c.filter);
        MessageBoxCloser closer;
        action(window, "actionExport")->trigger();

        EXPECT_EQ(window.titlesAsked, QStringList{"Choose where to save the messages."});
        const QString written = QString::fromUtf8(readAll(out.filePath(QLatin1String(c.file))));
        EXPECT_EQ(missingFrom(written, c.expected), QStringList());
        EXPECT_FALSE(written.contains(QStringLiteral("alice")));
        // A cancelled save dialog writes nothing and says nothing.
        window.exportPath.clear();
        window.miExportAll();
        EXPECT_EQ(closer.texts(), QStringList{"Successfully exported 2 Messages."});
        EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList({QLatin1String(c.file)}));
    }
}

TEST(MainWindowCommands, ExtractionCopiesTheAttachmentFilesIntoANewFolder)
{
    const ScopedDataFolder data;
    QTemporaryDir files;
    const QString photoPath = files.filePath(QStringLiteral("source.jpg"));
    const QByteArray photo = QByteArrayLiteral("\xff\xd8\xff\xe0 picture bytes");
    writeFile(photoPath, photo);
    MsgBuilder builder;
    _MsgHandle *carol = builder.handle(QStringLiteral("+15550003333"));
    _MsgChat *chat = builder.chat(carol);
    _MsgMessage *withPhoto = builder.message(chat, carol, 86400, QString(QChar(0xFFFC)));
    builder.attachment(withPhoto, QStringLiteral("~/Library/SMS/Attachments/0a/10/x/IMG_7.JPG"),
                       photoPath);
    builder.message(chat, nullptr, 2 * 86400, QStringLiteral("nice"));
    RecordingProgress saving;
    BackupSMSThread saver(builder.data().messages(),
                          QDir(g_localDbDir().filePath(QStringLiteral("media"))), QString(),
                          saving);
    ASSERT_TRUE(saving.run(saver)) << saving.endText().toStdString();

    QTemporaryDir out;
    AnsweredWindow window;
    select(window, window.treeModel()->findLocalDb(QStringLiteral("media")));
    window.folder = out.path();
    MessageBoxCloser closer;
    window.miExtractMediaAll();

    EXPECT_EQ(window.titlesAsked, QStringList{"Choose a folder for the attachments."});
    const QStringList made = QDir(out.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(made.size(), 1);
    EXPECT_TRUE(made.first().startsWith(QStringLiteral("attachments(")));
    const QDir target(out.filePath(made.first()));
    ASSERT_EQ(target.entryList(QDir::Files), QStringList{"IMG_7.JPG"});
    EXPECT_EQ(readAll(target.filePath(QStringLiteral("IMG_7.JPG"))), photo);
    ASSERT_EQ(closer.count(), 1);
    EXPECT_TRUE(closer.last().text.startsWith(QStringLiteral("Successfully extracted 1 ")))
        << closer.last().text.toStdString();
}

TEST(MainWindowCommands, DeletingMessagesAndChatsUpdatesTreeListAndDatabase)
{
    const ScopedDataFolder data;
    g_writeSampleLocalDb(QStringLiteral("phone"));
    MainWindow window;
    Node *db = window.treeModel()->findLocalDb(QStringLiteral("phone"));
    select(window, db);
    select(window, db->child(0)); // Bob: "bob says hi", "bye bob"
    selectRows(window, {0});

    {
        MessageBoxCloser refuse(QMessageBox::No);
        window.miDelSel();
        EXPECT_EQ(refuse.texts(), QStringList{"Delete the selected messages?"});
        EXPECT_EQ(stored(QStringLiteral("phone")).texts.size(), 4);
    }
    {
        MessageBoxCloser confirm(QMessageBox::Yes);
        window.miDelSel();
        EXPECT_EQ(shownTexts(window), QStringList{"bye bob"});
        EXPECT_EQ(window.currentNode(), db->child(0));
        EXPECT_EQ(titles(db->children()), QStringList({"+15550002222", "+15550001111"}));
        const Stored now = stored(QStringLiteral("phone"));
        EXPECT_FALSE(now.texts.contains(QStringLiteral("bob says hi")));
        EXPECT_EQ(now.texts.size(), 3);
    }
    {
        // Bob's last message takes his chat with it.
        MessageBoxCloser confirm(QMessageBox::Yes);
        selectRows(window, {0});
        window.miDelSel();
        EXPECT_EQ(titles(db->children()), QStringList{"+15550001111"});
        EXPECT_EQ(window.smsModel()->rowCount(), 0);
        const Stored now = stored(QStringLiteral("phone"));
        EXPECT_EQ(now.texts, QStringList({"alice again", "hello alice"}));
        EXPECT_EQ(now.chats, 1);
    }
    {
        MessageBoxCloser confirm(QMessageBox::Yes);
        select(window, db->child(0)); // Alice
        window.miDelChat();
        ASSERT_GE(confirm.count(), 1);
        EXPECT_TRUE(confirm.last().text.contains(QStringLiteral("Successfully Deleted 2 Messages")))
            << confirm.last().text.toStdString();
        EXPECT_EQ(db->childCount(), 0);
        EXPECT_EQ(window.smsModel()->rowCount(), 0);
        EXPECT_EQ(window.currentChat(), nullptr);
        const Stored now = stored(QStringLiteral("phone"));
        EXPECT_TRUE(now.texts.isEmpty());
        EXPECT_EQ(now.chats, 0);
    }
}

TEST(MainWindowCommands, DeletionAndItsMenusOnlyActOnLocalDatabases)
{
    const ScopedDataFolder data;
    g_writeSampleLocalDb(QStringLiteral("phone"));
    // A device whose messages lie in a folder like a local database's: never deleted from here.
    ASSERT_TRUE(g_dataSaveDir().mkpath(QStringLiteral("virtual_ios")));
    const QString deviceFolder = g_dataSaveDir().filePath(QStringLiteral("virtual_ios/Phone"));
    ASSERT_TRUE(QDir().rename(g_localDbDir().filePath(QStringLiteral("phone")), deviceFolder));
    MainWindow window;
    Node *iPhone = window.treeModel()->devicesRoot()->child(0);
    ASSERT_NE(iPhone, nullptr);
    select(window, iPhone);
    ASSERT_EQ(window.smsModel()->rowCount(), 4);
    EXPECT_FALSE(action(window, "actionDelete")->isEnabled());
    EXPECT_TRUE(action(window, "actionExport")->isEnabled());
    EXPECT_TRUE(action(window, "actionExtract")->isEnabled());

    MessageBoxCloser closer(QMessageBox::Yes);
    selectRows(window, {0});
    window.miDelSel();
    select(window, iPhone->child(0));
    window.miDelChat();
    window.miDel();
    EXPECT_EQ(closer.count(), 0);
    IOS6MessageDb db{QDir(deviceFolder), QString(), true};
    MsgData left;
    db.messages(left, 0);
    EXPECT_EQ(left.messages().size(), 4);
}
