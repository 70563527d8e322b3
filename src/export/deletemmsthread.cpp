#include "export/deletemmsthread.h"

#include "export/exportlog.h"
#include "frame/absprogress.h"
#include "frame/filenames.h"
#include "frame/progressstep.h"
#include "frame/translation.h"
#include "iosdb/ios6messagedb.h"
#include "model/absdbedit.h"
#include "model/msgattachment.h"
#include "model/msgmessage.h"
#include "model/sqlite3cursor.h"

#include <QFile>
#include <QFileInfo>

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
    : ProgressWorker(progress, lcExport, "deletion", parent)
    , m_folder(databaseFolder)
    , m_messages(messages)
{}

void DeleteMMSThread::work()
{
    IOS6MessageDb db(m_folder, QString(), false);
    progress().invokeUpdateProgress(g_tr("IDS_DELETING_MMS"), 0, QString());
    db.openCheck();
    QSet<QString> orphanedFiles;
    {
        AbsDbEdit edit(db);
        orphanedFiles = deleteAll(db);
        edit.commit();
    }
    db.close();
    removeFiles(orphanedFiles);
    progress().invokeSucceed(g_tr("IDS_SUC_DELETE_%1_MESSAGES").arg(m_deleted));
}

void DeleteMMSThread::rollback(bool)
{
    // The edit guard has rolled the database back; nothing was deleted.
    m_deleted = 0;
}

QSet<QString> DeleteMMSThread::deleteAll(IOS6MessageDb &db)
{
    const int total = static_cast<int>(m_messages.size());
    QSet<QString> candidates;
    for (const _MsgMessage *message : m_messages) {
        progress().throwIfCancelled();
        const int done = m_deleted + 1;
        if (g_isProgressStep(done, total)) {
            progress().invokeUpdateProgress(QString(), g_progressPercent(done, total),
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
    Sqlite3Cursor c = db.queryThrow(
        "select a.filename from attachment as a where exists (select 1 from "
        "message_attachment_join as j inner join message as m on m.rowid=j.message_id "
        "where j.attachment_id=a.rowid)");
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
