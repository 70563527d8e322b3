#pragma once

#include "frame/progressworker.h"

#include <QDir>
#include <QList>
#include <QString>
#include <QStringList>

class AbsProgress;
class ExportMessagesDb;
class Sqlite3Cursor;
class Sqlite3DB;
struct _MsgMessage;

// Converts the local databases of the old single-file layout (a folder holding "mms.db" and an
// "attachments" folder) into local databases of today's layout, one folder after another. Not
// cancellable: a folder is either converted completely and its "mms.db" renamed to "mms.db-bak",
// or it keeps its "mms.db" and the run stops there with an error report.
class UpdateLocalDbThread : public ProgressWorker
{
    Q_OBJECT
public:
    // The file that marks a folder of the old layout.
    static const char *const kOldDbName;

    explicit UpdateLocalDbThread(AbsProgress &progress, QObject *parent = nullptr);

    // The folders holding an old database: sub-folders of the local-databases folder, then of the
    // legacy data folder, in the order the file system lists them.
    static QList<QDir> oldDatabaseFolders();

    // Converts oldFolder's "mms.db" into the local database in newFolder (created when missing)
    // in one transaction; nothing when there is no "mms.db". Converting again adds nothing.
    // Leaves the old files as they are. Throws std::runtime_error.
    void updateMessagesDbThrow(const QDir &oldFolder, const QDir &newFolder);

    // Names of the folders converted by the last run, in order.
    QStringList convertedNames() const { return m_converted; }

protected:
    void work() override;

private:
    void convertFolder(const QDir &folder);
    void convertRow(Sqlite3DB &oldDb, const Sqlite3Cursor &row, const QDir &oldFolder,
                    ExportMessagesDb &target);
    void convertPart(const Sqlite3Cursor &part, const QDir &oldFolder, _MsgMessage &message,
                     ExportMessagesDb &target);
    void reportRow(int done, int total);

    QStringList m_converted;
    int m_lastPercent = -1;
};
