#include "messageboxcloser.h"
#include "msgbuilder.h"
#include "phonebackupsample.h"
#include "recordingprogress.h"
#include "testfiles.h"
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
#include <QFile>
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
    Stored result;
    for (const _MsgMessage *message : data.messages())
        result.texts << message->text();
    result.texts.sort();
    result.chats = data.chats().size();
    return result;
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
    window.findChild<QAction *>(QStringLiteral("actionImportItunes"))->trigger();

    EXPECT_EQ(passwordTries, 1);
    const QString expectedName = sample.device.deviceName + QStringLiteral("_Backup");
    EXPECT_EQ(presetName, expectedName);
    EXPECT_EQ(window.treeModel()->localDbNames(), QStringList({expectedName}));
    Node *db = window.treeModel()->findLocalDb(expectedName);
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(window.currentNode(), db);
    QStringList shown = shownTexts(window);
    shown.sort();
    QStringList expected = sample.texts();
    expected.sort();
    EXPECT_EQ(shown, expected);
    EXPECT_GT(db->childCount(), 0);
    EXPECT_EQ(stored(expectedName).texts, expected);
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

    QString presetName;
    g_whenModal([&](QWidget *modal) {
        if (auto *chooser = qobject_cast<LoadItunesBackupDlg *>(modal)) {
            chooser->findChild<QTreeView *>(QStringLiteral("listBackups"))
                ->selectionModel()
                ->select(chooser->model().index(0, 0),
                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
            chooser->accept();
        } else if (auto *form = qobject_cast<LocalDbSelForm *>(modal)) {
            presetName =
                form->findChild<QComboBox *>(QStringLiteral("cbLocalDbNames"))->currentText();
            form->findChild<QPushButton *>(QStringLiteral("btnClose"))->click();
            return true;
        }
        return false;
    });
    MessageBoxCloser closer;
    window.miImportToLocalDb();

    EXPECT_EQ(presetName, QStringLiteral("phone"));
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
        window.findChild<QAction *>(QStringLiteral("actionExport"))->trigger();

        EXPECT_EQ(window.titlesAsked,
                  QStringList({QStringLiteral("Choose where to save the messages.")}));
        const QString written = QString::fromUtf8(readAll(out.filePath(QLatin1String(c.file))));
        for (const QString &part : c.expected)
            EXPECT_TRUE(written.contains(part)) << part.toStdString();
        EXPECT_FALSE(written.contains(QStringLiteral("alice")));
        ASSERT_EQ(closer.count(), 1);
        EXPECT_EQ(closer.last().text, QStringLiteral("Successfully exported 2 Messages."));

        // A cancelled save dialog writes nothing and says nothing.
        window.exportPath.clear();
        window.miExportAll();
        EXPECT_EQ(closer.count(), 1);
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

    EXPECT_EQ(window.titlesAsked,
              QStringList({QStringLiteral("Choose a folder for the attachments.")}));
    const QStringList made = QDir(out.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(made.size(), 1);
    EXPECT_TRUE(made.first().startsWith(QStringLiteral("attachments(")));
    const QDir target(out.filePath(made.first()));
    ASSERT_EQ(target.entryList(QDir::Files), QStringList({QStringLiteral("IMG_7.JPG")}));
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
        ASSERT_EQ(refuse.count(), 1);
        EXPECT_EQ(refuse.last().text, QStringLiteral("Delete the selected messages?"));
        EXPECT_EQ(stored(QStringLiteral("phone")).texts.size(), 4);
    }
    {
        MessageBoxCloser confirm(QMessageBox::Yes);
        window.miDelSel();
        EXPECT_EQ(shownTexts(window), QStringList({QStringLiteral("bye bob")}));
        EXPECT_EQ(window.currentNode(), db->child(0));
        EXPECT_EQ(titles(db->children()),
                  QStringList({QStringLiteral("+15550002222"), QStringLiteral("+15550001111")}));
        const Stored now = stored(QStringLiteral("phone"));
        EXPECT_FALSE(now.texts.contains(QStringLiteral("bob says hi")));
        EXPECT_EQ(now.texts.size(), 3);
    }
    {
        // Bob's last message takes his chat with it.
        MessageBoxCloser confirm(QMessageBox::Yes);
        selectRows(window, {0});
        window.miDelSel();
        EXPECT_EQ(titles(db->children()), QStringList({QStringLiteral("+15550001111")}));
        EXPECT_EQ(window.smsModel()->rowCount(), 0);
        const Stored now = stored(QStringLiteral("phone"));
        EXPECT_EQ(now.texts,
                  QStringList({QStringLiteral("alice again"), QStringLiteral("hello alice")}));
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
    EXPECT_FALSE(window.findChild<QAction *>(QStringLiteral("actionDelete"))->isEnabled());
    EXPECT_TRUE(window.findChild<QAction *>(QStringLiteral("actionExport"))->isEnabled());
    EXPECT_TRUE(window.findChild<QAction *>(QStringLiteral("actionExtract"))->isEnabled());

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
