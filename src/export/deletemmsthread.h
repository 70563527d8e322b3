#pragma once

#include "frame/progressworker.h"

#include <QDir>
#include <QList>
#include <QSet>
#include <QString>

class AbsProgress;
class IOS6MessageDb;
struct _MsgMessage;

// Deletes messages from the message database in a folder, in one transaction, with their joins,
// the chats they leave empty and their attachment files. Files go only after the commit, and only
// those inside the database's folder that no remaining message refers to. A cancel or an error
// leaves database and files as they were. Ends with exactly one success or error report, none
// after a cancel.
class DeleteMMSThread : public ProgressWorker
{
    Q_OBJECT
public:
    // The messages must have been loaded from the database in databaseFolder; their MsgData must
    // outlive the thread.
    DeleteMMSThread(const QDir &databaseFolder, const QList<_MsgMessage *> &messages,
                    AbsProgress &progress, QObject *parent = nullptr);

    int deletedCount() const { return m_deleted; }
    // Attachment files removed from disk.
    int removedFileCount() const { return m_removedFiles; }

protected:
    void work() override;
    void rollback(bool cancelled) override;

private:
    // The files to remove once the deletion has committed.
    QSet<QString> deleteAll(IOS6MessageDb &db);
    QSet<QString> referencedFiles(IOS6MessageDb &db) const;
    void removeFiles(const QSet<QString> &paths);

    const QDir m_folder;
    const QList<_MsgMessage *> m_messages;
    int m_deleted = 0;
    int m_removedFiles = 0;
};
