#include "export/deletemmsthread.h"

#include "export/exportlog.h"
#include "export/progressstep.h"
#include "frame/absprogress.h"
#include "frame/filenames.h"
#include "frame/translation.h"
#include "iosdb/ios6messagedb.h"
#include "model/msgattachment.h"
#include "model/msgmessage.h"
#include "model/sqlite3cursor.h"
#include "model/sqlite3triggerpause.h"

#include <QFile>
#include <QFileInfo>

#include <exception>

namespace {

QString cleanPath(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// Whether path lies below root (not root itself).
bool isInside(const QString &root, const QString &path)
{
    const QString prefix = cleanPath(root) + QLatin1Char('/');
    return path.startsWith(prefix);
}

} // namespace

DeleteMMSThread::DeleteMMSThread(const QDir &databaseFolder, const QList<_MsgMessage *> &messages,
                                 AbsProgress &progress, QObject *parent)
    : QThread(parent), m_folder(databaseFolder), m_messages(messages), m_progress(progress)
{}

void DeleteMMSThread::run()
{
    IOS6MessageDb db(m_folder, QString(), false);
    try {
        m_progress.invokeUpdateProgress(g_tr("IDS_DELETING_MMS"), 0, QString());
        db.openCheck();
        db.beginEdit();
        // For each join row deleted, this trigger looks through every message of the archive for
        // one left without a chat: n deletions in an archive of N messages cost n x N. Each
        // message here goes with its own rows explicitly, so the trigger has nothing left to do.
        Sqlite3TriggerPause orphanSweep(db, QStringLiteral("clean_orphaned_messages"));
        const QSet<QString> orphanedFiles = deleteAll(db);
        orphanSweep.restore();
        db.endEdit(true);
        db.close();
        removeFiles(orphanedFiles);
        m_progress.invokeSucceed(g_tr("IDS_SUC_DELETE_%1_MESSAGES").arg(m_deleted));
    } catch (int code) {
        if (code != kUserCancelled)
            throw;
        db.endEdit(false);
        m_deleted = 0;
        qCInfo(lcExport) << "deletion cancelled, nothing deleted";
    } catch (const std::exception &e) {
        try {
            db.endEdit(false);
        } catch (const std::exception &rollback) {
            qCWarning(lcExport) << "rolling back a failed deletion:" << rollback.what();
        }
        m_deleted = 0;
        m_progress.invokeErrorOccurred(QString::fromUtf8(e.what()));
    }
}

QSet<QString> DeleteMMSThread::deleteAll(IOS6MessageDb &db)
{
    const int total = static_cast<int>(m_messages.size());
    QSet<QString> candidates;
    for (const _MsgMessage *message : m_messages) {
        m_progress.throwIfCancelled();
        const int done = m_deleted + 1;
        if (g_isProgressStep(done, total)) {
            m_progress.invokeUpdateProgress(QString(), g_progressPercent(done, total),
                                            g_tr("IDS_SMS_%1_%2").arg(done).arg(total));
        }
        db.deleteMessage(message);
        ++m_deleted;
        for (const _MsgAttachment *attachment : message->attachments()) {
            if (!attachment->localPath.isEmpty())
                candidates.insert(cleanPath(attachment->localPath));
        }
    }
    // A file can be shared: by an attachment that another message also carries, or by two
    // attachment rows naming the same file. It goes only when nothing left refers to it, and
    // never when it lies outside the database's own folder.
    const QSet<QString> stillUsed = referencedFiles(db);
    QSet<QString> orphaned;
    for (const QString &path : std::as_const(candidates)) {
        if (!stillUsed.contains(path) && isInside(db.root(), path))
            orphaned.insert(path);
    }
    return orphaned;
}

QSet<QString> DeleteMMSThread::referencedFiles(IOS6MessageDb &db) const
{
    QSet<QString> paths;
    // From the joins to the rows by row id: the join table has no index on attachment_id, so a
    // look-up per attachment would read the whole join table for each.
    Sqlite3Cursor c = db.queryThrow(
        "select distinct a.filename from message_attachment_join as j inner join message as m on "
        "m.rowid=j.message_id inner join attachment as a on a.rowid=j.attachment_id");
    while (c.moveNext()) {
        const QString path = db.resolveAttachmentPath(c.getText(QStringLiteral("filename")));
        if (!path.isEmpty())
            paths.insert(cleanPath(path));
    }
    return paths;
}

void DeleteMMSThread::removeFiles(const QSet<QString> &paths)
{
    for (const QString &path : paths) {
        if (!QFileInfo::exists(path))
            continue;
        if (QFile::remove(path))
            ++m_removedFiles;
        else
            qCWarning(lcExport) << "cannot remove attachment file" << path;
    }
}
