#pragma once

#include "android/androiddevice.h"
#include "frame/progressworker.h"
#include "localdb/exportmessagesdb.h"

#include <QByteArray>
#include <QList>

#include <memory>

class AbsProgress;
class QTcpSocket;
struct _MsgAttachment;
struct _MsgMessage;

// Sends messages to a phone in batches of 100 and records them in the phone's cache database,
// so that a second transfer skips them. A batch is recorded only once the phone has confirmed
// it: after a dropped connection the unconfirmed messages are sent again next time.
class AndroidRestoreSMSThread : public ProgressWorker
{
    Q_OBJECT
public:
    static constexpr int kBatchSize = 100;

    AndroidRestoreSMSThread(const AndroidDevice &device, const QList<_MsgMessage *> &messages,
                            AbsProgress &progress, QObject *parent = nullptr);
    ~AndroidRestoreSMSThread() override;

    // Sent this time; not sent (already on the phone, or not transferable); sent without the data
    // of an attachment whose file could not be read.
    int sentCount() const { return m_sent; }
    int skippedCount() const { return m_skipped + m_alreadyThere; }
    int failedCount() const { return m_failed; }

protected:
    void work() override;
    // What the phone confirmed stays recorded, also after a cancel or a failure.
    void rollback(bool cancelled) override;

private:
    void transfer();
    // Closes the connection and records the confirmed batches; once per run.
    void finish();
    void switchDefaultApp();
    // True when every attachment's data could be read.
    bool sendMessage(const _MsgMessage &message);
    bool sendAttachment(const _MsgAttachment &attachment);
    bool sendPicture(const _MsgAttachment &attachment);
    bool sendFile(const _MsgAttachment &attachment);
    void send(const QString &command, const QString &parameter, bool flush);
    QString readFeedback(const QString &expected);

    const AndroidDevice m_device;
    QList<_MsgMessage *> m_messages;
    std::unique_ptr<QTcpSocket> m_socket;
    ExportMessagesDb m_writer;
    QByteArray m_chunk;
    bool m_recording = false;
    bool m_switchedApp = false;
    int m_skipped = 0;
    int m_alreadyThere = 0;
    int m_sent = 0;
    int m_failed = 0;
};
