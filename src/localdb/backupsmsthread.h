#pragma once

#include <QDir>
#include <QList>
#include <QString>
#include <QThread>

class AbsProgress;
struct _MsgMessage;

// Saves messages into a local database in one transaction, reporting through progress. A cancel
// drops everything written so far; the run ends with exactly one success or error report (none
// after a cancel).
class BackupSMSThread : public QThread
{
    Q_OBJECT
public:
    // The messages stay owned by their MsgData, which must outlive the thread. mmc: the phone's
    // mobile country code, empty when saving from a local source.
    BackupSMSThread(const QList<_MsgMessage *> &messages, const QDir &databaseFolder,
                    const QString &mmc, AbsProgress &progress, QObject *parent = nullptr);

    // Messages handed over so far, skipped ones included.
    int processedCount() const { return m_processed; }
    // Messages stored as new rows.
    int insertedCount() const { return m_inserted; }
    // A line added below the success message (e.g. what the source lacked); empty adds none.
    void setSuccessNote(const QString &note) { m_successNote = note; }

protected:
    void run() override;

private:
    static QList<_MsgMessage *> withReactions(const QList<_MsgMessage *> &messages);
    void reportProgress(int done);

    const QList<_MsgMessage *> m_messages;
    const QDir m_folder;
    const QString m_mmc;
    AbsProgress &m_progress;
    int m_processed = 0;
    int m_inserted = 0;
    QString m_successNote;
};
