#pragma once

#include <QDir>
#include <QList>
#include <QSharedPointer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class AbsMessageDb;
class BackupManifest;
class ItemModelMain;
class MainWindow;
class MsgData;
class _AbsDBItemNode;
class _LocalDBItemNode;
struct _MsgChat;
struct _MsgMessage;

// The flows behind the window's commands: saving into local databases, importing backups,
// exporting, extracting, printing and deleting. Each asks what it needs, runs its worker behind a
// progress dialog and keeps the records in step with the database; the window only shows the
// outcome.
class DesktopController
{
public:
    explicit DesktopController(MainWindow &window);

    // Lists the local databases and virtual devices of the data folder in the source tree.
    void listSources();

    // Saves into a local database the user picks (defaultName proposed); the database saved
    // into, or null when the user cancelled or the save failed. successNote: a line added below
    // the success message ("" adds none).
    _LocalDBItemNode *backupMessages(const QString &defaultName,
                                     const QList<_MsgMessage *> &messages,
                                     const QString &successNote = QString());
    // Lets the user pick a backup (preselected: one to list and select first), loads it and
    // saves it into localDbName (empty: a name made from the backup); the database saved into,
    // or null.
    _LocalDBItemNode *importBackup(const QString &localDbName, const QList<QDir> &backupFolders,
                                   const QString &preselected = QString());
    void exportMessages(const QList<_MsgMessage *> &messages);
    void extractMediaFiles(const QList<_MsgMessage *> &messages);
    void printMessages(const QList<_MsgMessage *> &messages);

    // Deletes the messages from the local database and then from its records; false when nothing
    // was deleted. The chats this emptied are handed back in emptied (already out of the
    // records) so that the chat nodes pointing at them can be rebuilt before they are freed.
    using EmptiedChats = std::vector<std::unique_ptr<_MsgChat>>;
    bool deleteMessages(_AbsDBItemNode *source, const QList<_MsgMessage *> &messages,
                        EmptiedChats *emptied);
    // Deletes a local database's folder and its node; false when it was refused or failed (the
    // user has been told).
    bool deleteLocalDb(_LocalDBItemNode *node);
    void clearCache();
    // Opens an iPhone's cache folder; other sources have none yet.
    void viewCache(const _AbsDBItemNode *source);

    // Opens a dropped backup folder (imported into a local database), phone folder or message
    // database (listed under the devices); the source to show, or null when nothing opened
    // (the user has been told why).
    _AbsDBItemNode *openDropped(const QString &path, const QList<QDir> &backupFolders);

    // Opens one of the project's pages in the desktop's browser; when none is set the user is
    // told.
    enum class Page { Update, Help, Feedback };
    void openPage(Page page);
    void openLink(const QString &url);

    // A local database's message source on its folder.
    static QSharedPointer<AbsMessageDb> localSource(const QString &folder);
    // A phone folder's messages. A folder not of this program's own (own false) is read from a
    // private copy, never in place; a damaged database is read, for what is left of it, from a
    // copy and only when the user agrees. Null when the user declines. Throws
    // std::runtime_error.
    static QSharedPointer<AbsMessageDb> openPhoneFolder(const QString &folder, bool own);
    // Runs work, showing a std::exception as an error box; false when it threw.
    static bool runGuarded(const std::function<void()> &work);

private:
    _AbsDBItemNode *addPhoneFolder(const QString &name, const QString &folder, bool own);
    // Extracts and loads a chosen backup's messages into data; false when it did not succeed.
    bool loadBackup(BackupManifest &backup, MsgData &data, int &missingAttachments);

    MainWindow &m_window;
    ItemModelMain &m_tree;
};
