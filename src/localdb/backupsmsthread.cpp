#include "localdb/backupsmsthread.h"

#include "frame/absprogress.h"
#include "frame/translation.h"
#include "localdb/exportmessagesdb.h"
#include "localdb/localdblog.h"
#include "model/msgmessage.h"

#include <QSet>

#include <exception>

BackupSMSThread::BackupSMSThread(const QList<_MsgMessage *> &messages, const QDir &databaseFolder,
                                 const QString &mmc, AbsProgress &progress, QObject *parent)
    : QThread(parent)
    , m_messages(withReactions(messages))
    , m_folder(databaseFolder)
    , m_mmc(mmc)
    , m_progress(progress)
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

void BackupSMSThread::run()
{
    ExportMessagesDb target(m_folder, m_mmc);
    try {
        m_progress.invokeUpdateProgress(g_tr("IDS_BACKING_UP_SMS"), 0, QString());
        target.init();
        for (_MsgMessage *message : m_messages) {
            m_progress.throwIfCancelled();
            ++m_processed;
            reportProgress(m_processed);
            target.write(*message);
        }
        target.uninit();
        m_inserted = target.insertedCount();
        QString text = g_tr("IDS_SUC_BACKUP_%1_SMS").arg(m_processed);
        if (!m_successNote.isEmpty())
            text += QLatin1Char('\n') + m_successNote;
        m_progress.invokeSucceed(text);
    } catch (int code) {
        if (code != kUserCancelled)
            throw;
        target.abort();
        qCInfo(lcLocalDb) << "save cancelled after" << m_processed << "messages";
    } catch (const std::exception &e) {
        try {
            target.abort();
        } catch (const std::exception &closing) {
            qCWarning(lcLocalDb) << "closing after a failed save:" << closing.what();
        }
        m_progress.invokeErrorOccurred(QString::fromUtf8(e.what()));
    }
}

void BackupSMSThread::reportProgress(int done)
{
    // A redraw per message would cost more than the save itself on large selections; a
    // thousandth of the total is finer than any bar shows.
    const int total = static_cast<int>(m_messages.size());
    const int step = qMax(1, total / 1000);
    if (done != 1 && done != total && done % step != 0)
        return;
    m_progress.invokeUpdateProgress(g_tr("IDS_BACKING_UP_SMS"),
                                    static_cast<int>(qint64(done) * 100 / total),
                                    g_tr("IDS_SMS_%1_%2").arg(done).arg(total));
}
