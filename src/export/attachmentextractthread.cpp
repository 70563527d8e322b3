#include "export/attachmentextractthread.h"

#include "export/exportlog.h"
#include "export/progressstep.h"
#include "frame/absprogress.h"
#include "frame/filenames.h"
#include "frame/translation.h"
#include "model/msgattachment.h"
#include "model/msgfunctions.h"
#include "model/msgmessage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <exception>
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
    : QThread(parent)
    , m_progress(progress)
    , m_messages(messages)
    , m_folder(QDir::cleanPath(QDir(folder).absolutePath()))
{}

void AttachmentExtractThread::run()
{
    try {
        extractAll();
        m_progress.invokeSucceed(
            g_tr("IDS_SUC_EXTRACT_%1_MEDIA_FILES_TO_%2").arg(m_copied).arg(m_folder));
    } catch (int code) {
        if (code != kUserCancelled)
            throw;
        takeBack();
        qCInfo(lcExport) << "extraction cancelled after" << m_copied << "files";
    } catch (const std::exception &e) {
        m_progress.invokeErrorOccurred(QString::fromUtf8(e.what()));
    }
}

void AttachmentExtractThread::extractAll()
{
    if (!QFileInfo(m_folder).isDir()) {
        if (!QDir().mkpath(m_folder))
            throw std::runtime_error(g_tr("IDS_CANNOT_CREATE_FOLDER").arg(m_folder).toStdString());
        m_createdFolder = true;
    }
    const int total = static_cast<int>(m_messages.size());
    int done = 0;
    for (const _MsgMessage *message : m_messages) {
        m_progress.throwIfCancelled();
        ++done;
        if (g_isProgressStep(done, total)) {
            m_progress.invokeUpdateProgress(g_tr("IDS_EXTRACTING_MEDIA_FILES"),
                                            g_progressPercent(done, total), QString());
        }
        for (const _MsgAttachment *attachment : message->attachments()) {
            m_progress.throwIfCancelled();
            extract(*message, *attachment);
        }
    }
}

void AttachmentExtractThread::extract(const _MsgMessage &message, const _MsgAttachment &attachment)
{
    if (attachment.localPath.isEmpty() || !QFileInfo(attachment.localPath).isFile())
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

void AttachmentExtractThread::takeBack()
{
    if (m_createdFolder) {
        g_delDirCascade(m_folder);
        return;
    }
    // The folder was there before: only what this run put into it goes.
    for (const QString &path : std::as_const(m_written))
        QFile::remove(path);
}
