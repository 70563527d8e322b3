#pragma once

#include "export/exporterfactory.h"
#include "export/exportpaths.h"
#include "frame/progressworker.h"

#include <QList>
#include <QString>

class AbsProgress;
struct _MsgMessage;

// Exports messages to a file (TXT, CSV) or to one file per chat in a folder (PDF, HTML), sorted
// for the format. Ends with exactly one success or error report, none after a cancel. A cancelled
// or failed single-file export leaves no file behind (an older file of that name is kept); the
// per-chat files finished before a cancel stay.
class ExportMessagesThread : public ProgressWorker
{
    Q_OBJECT
public:
    using FormatType = ExportFormat;

    // The messages stay owned by their MsgData, which must outlive the thread. path: the file,
    // or for per-chat formats the folder (created when missing); see g_exportTargetPath.
    ExportMessagesThread(const QList<_MsgMessage *> &messages, const QString &path,
                         FormatType format, AbsProgress &progress, QObject *parent = nullptr);

    // Messages written so far.
    int exportedCount() const { return m_exported; }

protected:
    void work() override;
    void rollback(bool cancelled) override;

private:
    void switchChat(const _MsgMessage &message);
    QString chatFileName(const _MsgMessage &message) const;
    void copyPageResources() const;
    void reportProgress(int done, int total);

    QList<_MsgMessage *> m_messages;
    const QString m_path;
    const FormatType m_format;
    MessageExporter m_exporter;
    QString m_chatKey;
    int m_exported = 0;
};
