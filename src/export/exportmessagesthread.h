#pragma once

#include "export/exporterfactory.h"
#include "export/exportpaths.h"
#include "frame/progressworker.h"

#include <QList>
#include <QString>

#include <functional>

class AbsProgress;
class IOS6MessageStream;
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

    // Calls total once with how many messages there are, then write with each in the order the
    // format writes them (see g_sortMessagesByChat for per-chat formats, else oldest first).
    using MessageFeed = std::function<void(const std::function<void(qsizetype)> &total,
                                           const std::function<void(_MsgMessage &)> &write)>;
    // Exports what feed hands over, each message needed only during its write, so that a source
    // read one message at a time is never held whole.
    ExportMessagesThread(MessageFeed feed, const QString &path, FormatType format,
                         AbsProgress &progress, QObject *parent = nullptr);

    // Hands a prepared stream's messages to a feed's total and write, in the order format writes
    // them. The stream was prepared after linkAsLoaded(): the order of the chats depends on their
    // newest dates, and a reply quotes the message it answers.
    static void feedFrom(IOS6MessageStream &messages, FormatType format,
                         const std::function<void(qsizetype)> &total,
                         const std::function<void(_MsgMessage &)> &write);

    // Messages written so far.
    int exportedCount() const { return m_exported; }

protected:
    void work() override;
    void rollback(bool cancelled) override;

private:
    void announce();
    // Sets the total and opens the file, or makes the folder of a per-chat format.
    void begin(qsizetype total);
    void writeMessage(_MsgMessage &message);
    void switchChat(const _MsgMessage &message);
    QString chatFileName(const _MsgMessage &message) const;
    void copyPageResources() const;
    void reportProgress(int done, int total);

    QList<_MsgMessage *> m_messages;
    // Set instead of m_messages for a streamed export.
    const MessageFeed m_feed;
    qsizetype m_total = 0;
    const QString m_path;
    const FormatType m_format;
    MessageExporter m_exporter;
    QString m_chatKey;
    int m_exported = 0;
};
