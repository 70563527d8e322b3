#pragma once

#include "frame/progressworker.h"
#include "localdb/exportmessagesdb.h"
#include "model/msgdata.h"

#include <QDir>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class AbsProgress;
struct _MsgMessage;

// Saves messages into a local database in one transaction, reporting through progress. A cancel
// drops everything written so far; the run ends with exactly one success or error report (none
// after a cancel).
class BackupSMSThread : public ProgressWorker
{
    Q_OBJECT
public:
    // The messages stay owned by their MsgData, which must outlive the thread. mmc: the phone's
    // mobile country code, empty when saving from a local source.
    BackupSMSThread(const QList<_MsgMessage *> &messages, const QDir &databaseFolder,
                    const QString &mmc, AbsProgress &progress, QObject *parent = nullptr);

    // Calls total once with how many messages there are, then write with each in turn.
    using MessageFeed = std::function<void(const std::function<void(qsizetype)> &total,
                                           const std::function<void(_MsgMessage &)> &write)>;
    // Saves what feed hands over, each message needed only during its write, so that a source
    // read one message at a time is never held whole.
    BackupSMSThread(MessageFeed feed, const QDir &databaseFolder, const QString &mmc,
                    AbsProgress &progress, QObject *parent = nullptr);

    // Messages handed over so far, skipped ones included.
    int processedCount() const { return m_processed; }
    // Messages stored as new rows.
    int insertedCount() const { return m_inserted; }
    // Messages that could not be saved (see ExportMessagesDb::skippedCount).
    int skippedCount() const { return m_skipped; }
    // A line added below the success message (e.g. what the source lacked); empty adds none.
    void setSuccessNote(const QString &note) { m_successNote = note; }
    // Frees the messages from data in batches as they are written, for a caller that holds data
    // for this save alone: a save of a million messages then never holds all their records and
    // the database's own memory at once. The messages given are gone after the run. batch: how
    // many at a time; 0 picks a tenth of them, at least 50,000.
    void releaseWritten(const MsgData &data, qsizetype batch = 0)
    {
        m_release = data;
        m_releaseBatch = batch;
    }

protected:
    void work() override;
    void rollback(bool cancelled) override;

private:
    static QList<_MsgMessage *> withReactions(const QList<_MsgMessage *> &messages);
    void writeMessage(_MsgMessage &message);
    void reportProgress(int done);
    // Frees the messages [from, to) when releasing written ones.
    void releaseBatch(qsizetype from, qsizetype to);
    QString successText() const;

    const QList<_MsgMessage *> m_messages;
    // Set instead of m_messages for a streamed save.
    const MessageFeed m_feed;
    qsizetype m_total = 0;
    const QDir m_folder;
    ExportMessagesDb m_target;
    // Whether this run made the database's folder, which a failed run then takes away.
    bool m_createdFolder = false;
    int m_processed = 0;
    int m_inserted = 0;
    int m_skipped = 0;
    QString m_successNote;
    std::optional<MsgData> m_release;
    qsizetype m_releaseBatch = 0;
};
