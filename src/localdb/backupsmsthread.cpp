#include "localdb/backupsmsthread.h"

#include "frame/absprogress.h"
#include "frame/filenames.h"
#include "frame/progressstep.h"
#include "frame/translation.h"
#include "localdb/localdblog.h"
#include "model/msgmessage.h"

#include <QSet>

#include <algorithm>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Smaller batches would cost more passes over the chats than they save in memory.
constexpr qsizetype kMinReleaseBatch = 50000;

} // namespace

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
    // Reactions are shown with their targets rather than listed, yet saved like any message. Only
    // the reactions are gathered in a set: one of all the messages cost tens of megabytes at a
    // million.
    QSet<const _MsgMessage *> unlisted;
    QList<_MsgMessage *> reactions;
    for (const _MsgMessage *message : messages) {
        for (_MsgMessage *reaction : message->reactions) {
            if (!unlisted.contains(reaction)) {
                unlisted.insert(reaction);
                reactions.append(reaction);
            }
        }
    }
    if (reactions.isEmpty())
        return messages;
    for (const _MsgMessage *message : messages)
        unlisted.remove(message);
    QList<_MsgMessage *> result = messages;
    for (_MsgMessage *reaction : std::as_const(reactions)) {
        if (unlisted.contains(reaction))
            result.append(reaction);
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
    // Freed in ten batches: each costs a pass over every chat's list and every message left, and
    // fewer held more memory while saving duplicates.
    const qsizetype batch = m_releaseBatch > 0
                                ? m_releaseBatch
                                : std::max<qsizetype>(kMinReleaseBatch, m_messages.size() / 10);
    qsizetype released = 0;
    for (_MsgMessage *message : m_messages) {
        writeMessage(*message);
        if (m_release && m_processed - released >= batch) {
            releaseBatch(released, m_processed);
            released = m_processed;
        }
    }
    // Before the commit, which builds the indexes of a new database.
    if (m_release)
        releaseBatch(released, m_processed);
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

void BackupSMSThread::releaseBatch(qsizetype from, qsizetype to)
{
    m_release->releaseMessages(m_messages.mid(from, to - from));
#ifdef __GLIBC__
    // The allocator keeps freed pages mapped; SQLite's cache and sorter, which grow meanwhile, get
    // theirs elsewhere (large blocks are mapped apart), so hand them back.
    malloc_trim(0);
#endif
}

void BackupSMSThread::reportProgress(int done)
{
    const int total = static_cast<int>(m_total);
    if (g_isProgressStep(done, total)) {
        progress().invokeUpdateProgress(g_tr("IDS_BACKING_UP_SMS"), g_progressPercent(done, total),
                                        g_tr("IDS_SMS_%1_%2").arg(done).arg(total));
    }
}
