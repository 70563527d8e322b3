#include "localdb/backupsmsthread.h"

#include "frame/absprogress.h"
#include "frame/filenames.h"
#include "frame/progressstep.h"
#include "frame/translation.h"
#include "localdb/localdblog.h"
#include "model/msgmessage.h"

#include <QSet>

BackupSMSThread::BackupSMSThread(const QList<_MsgMessage *> &messages, const QDir &databaseFolder,
                                 const QString &mmc, AbsProgress &progress, QObject *parent)
    : ProgressWorker(progress, lcLocalDb, "save", parent)
    , m_messages(withReactions(messages))
    , m_total(m_messages.size())
    , m_folder(databaseFolder)
    , m_target(databaseFolder, mmc)
{}

BackupSMSThread::BackupSMSThread(MessageFeed feed, const QDir &databaseFolder, const QString &mmc,
                                 AbsProgress &progress, QObject *parent)
    : ProgressWorker(progress, lcLocalDb, "save", parent)
    , m_feed(std::move(feed))
    , m_folder(databaseFolder)
    , m_target(databaseFolder, mmc)
{}

QList<_MsgMessage *> BackupSMSThread::withReactions(const QList<_MsgMessage *> &messages)
{
    // Reactions are shown with their targets rather than listed, yet saved like any message.
    QList<_MsgMessage *> result = messages;
    QSet<const _MsgMessage *> listed(messages.cbegin(), messages.cend());
    for (const _MsgMessage *message : messages) {
        for (_MsgMessage *reaction : message->reactions) {
            if (!listed.contains(reaction)) {
                listed.insert(reaction);
                result.append(reaction);
            }
        }
    }
    return result;
}

void BackupSMSThread::work()
{
    progress().invokeUpdateProgress(g_tr("IDS_BACKING_UP_SMS"), 0, QString());
    m_createdFolder = !m_folder.exists();
    m_target.init();
    if (m_feed) {
        m_feed([this](qsizetype total) { m_total = total; },
               [this](_MsgMessage &message) { writeMessage(message); });
    }
    for (_MsgMessage *message : m_messages)
        writeMessage(*message);
    m_target.uninit();
    m_inserted = m_target.insertedCount();
    m_skipped = m_target.skippedCount();
    QString text = successText();
    if (!m_successNote.isEmpty())
        text += QLatin1Char('\n') + m_successNote;
    progress().invokeSucceed(text);
}

void BackupSMSThread::writeMessage(_MsgMessage &message)
{
    progress().throwIfCancelled();
    ++m_processed;
    reportProgress(m_processed);
    m_target.write(message);
}

QString BackupSMSThread::successText() const
{
    const int known = m_processed - m_inserted - m_skipped;
    if (known == 0 && m_skipped == 0)
        return g_tr("IDS_SUC_BACKUP_%1_SMS").arg(m_inserted);
    return g_tr("IDS_SUC_BACKUP_%1_SAVED_%2_KNOWN_%3_NOT_SAVED")
        .arg(m_inserted)
        .arg(known)
        .arg(m_skipped);
}

void BackupSMSThread::rollback(bool)
{
    m_target.abort();
    // A database this run began would otherwise stay behind empty and be listed as a source.
    if (m_createdFolder && !g_delDirCascade(m_folder.absolutePath()))
        qCWarning(lcLocalDb) << "cannot remove the unfinished database" << m_folder.absolutePath();
}

void BackupSMSThread::reportProgress(int done)
{
    const int total = static_cast<int>(m_total);
    if (g_isProgressStep(done, total)) {
        progress().invokeUpdateProgress(g_tr("IDS_BACKING_UP_SMS"), g_progressPercent(done, total),
                                        g_tr("IDS_SMS_%1_%2").arg(done).arg(total));
    }
}
