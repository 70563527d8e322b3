#include "export/attachmentextractthread.h"

#include "export/exportlog.h"
#include "frame/absprogress.h"
#include "frame/filenames.h"
#include "frame/progressstep.h"
#include "frame/translation.h"
#include "model/msgattachment.h"
#include "model/msgfunctions.h"
#include "model/msgmessage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace {

bool isUsableName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..");
}

// Gives the copy the message's date, so that a folder of pictures sorts as the chat did.
void setFileDate(const QString &path, const QDateTime &date)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) ||
        !file.setFileTime(date, QFileDevice::FileModificationTime) ||
        !file.setFileTime(date, QFileDevice::FileAccessTime)) {
        qCWarning(lcExport) << "cannot set the date of" << path << file.errorString();
    }
}

} // namespace

AttachmentExtractThread::AttachmentExtractThread(AbsProgress &progress,
                                                 const QList<_MsgMessage *> &messages,
                                                 const QString &folder, QObject *parent)
    : ProgressWorker(progress, lcExport, "extraction", parent)
    , m_messages(messages)
    , m_folder(QDir::cleanPath(QDir(folder).absolutePath()))
{}

void AttachmentExtractThread::work()
{
    if (!QFileInfo(m_folder).isDir()) {
        if (!QDir().mkpath(m_folder))
            throw std::runtime_error(g_tr("IDS_CANNOT_CREATE_FOLDER").arg(m_folder).toStdString());
        m_createdFolder = true;
    }
    const int total = static_cast<int>(m_messages.size());
    int done = 0;
    for (const _MsgMessage *message : m_messages) {
        progress().throwIfCancelled();
        ++done;
        if (g_isProgressStep(done, total)) {
            progress().invokeUpdateProgress(g_tr("IDS_EXTRACTING_MEDIA_FILES"),
                                            g_progressPercent(done, total), QString());
        }
        for (const _MsgAttachment *attachment : message->attachments()) {
            progress().throwIfCancelled();
            extract(*message, *attachment);
        }
    }
    // A copy that failed is never passed over as a success.
    if (m_failed > 0) {
        throw std::runtime_error(g_tr("IDS_EXTRACT_%1_FAILED_%2_COPIED_TO_%3")
                                     .arg(m_failed)
                                     .arg(m_copied)
                                     .arg(m_folder)
                                     .toStdString());
    }
    progress().invokeSucceed(
        g_tr("IDS_SUC_EXTRACT_%1_MEDIA_FILES_TO_%2").arg(m_copied).arg(m_folder));
}

void AttachmentExtractThread::extract(const _MsgMessage &message, const _MsgAttachment &attachment)
{
    if (!g_isPlainFile(attachment.localPath))
        return;
    const QString target = targetPathFor(attachment);
    if (target.isEmpty() || !QFile::copy(attachment.localPath, target)) {
        ++m_failed;
        qCWarning(lcExport) << "cannot copy" << attachment.localPath << "to" << target;
        return;
    }
    m_written << target;
    setFileDate(target, dtFromDate21(message.date));
    ++m_copied;
}

QString AttachmentExtractThread::targetPathFor(const _MsgAttachment &attachment) const
{
    QString name = g_formatFileName(QFileInfo(attachment.filename).fileName());
    if (!isUsableName(name))
        name = g_formatFileName(attachment.transfer_name);
    if (!isUsableName(name))
        name = QStringLiteral("attachment");
    // The name holds no separator any more; the check keeps it that way whatever comes in.
    const QString path = g_safeChildPath(m_folder, name);
    if (path.isEmpty() || QFileInfo(path).path() != m_folder)
        return QString();
    return g_getValidFilePath(path);
}

void AttachmentExtractThread::rollback(bool cancelled)
{
    // A failure keeps what was copied before it; only a cancel takes the run back.
    if (!cancelled)
        return;
    if (m_createdFolder) {
        g_delDirCascade(m_folder);
        return;
    }
    // The folder was there before: only what this run put into it goes.
    for (const QString &path : std::as_const(m_written))
        QFile::remove(path);
}
