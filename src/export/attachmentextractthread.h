#pragma once

#include "frame/progressworker.h"

#include <QList>
#include <QString>

class AbsProgress;
struct _MsgAttachment;
struct _MsgMessage;

// Copies the attachment files of messages into one folder, without sub-folders: each copy named
// after the attachment's file name (made unique, never overwriting) and dated with its message.
// Attachments whose file is not on this computer are skipped. Ends with exactly one success or
// error report, none after a cancel; a cancel takes back everything copied (the folder too, when
// this run created it).
class AttachmentExtractThread : public ProgressWorker
{
    Q_OBJECT
public:
    // The messages stay owned by their MsgData, which must outlive the thread. folder: where the
    // copies go, created with its parents when missing (see g_extractionFolderPath).
    AttachmentExtractThread(AbsProgress &progress, const QList<_MsgMessage *> &messages,
                            const QString &folder, QObject *parent = nullptr);

    // Files copied.
    int copiedCount() const { return m_copied; }
    // Files that were there but could not be copied (logged, not counted as copied); any makes
    // the run end with an error naming both counts.
    int failedCount() const { return m_failed; }
    const QString &folder() const { return m_folder; }

protected:
    void work() override;
    void rollback(bool cancelled) override;

private:
    void extract(const _MsgMessage &message, const _MsgAttachment &attachment);
    QString targetPathFor(const _MsgAttachment &attachment) const;

    const QList<_MsgMessage *> m_messages;
    const QString m_folder;
    bool m_createdFolder = false;
    QStringList m_written;
    int m_copied = 0;
    int m_failed = 0;
};
