#pragma once

#include "android/androiddevice.h"
#include "frame/progressworker.h"
#include "localdb/exportmessagesdb.h"
#include "model/countryinfo.h"

#include <memory>

class AbsProgress;
class QTcpSocket;
struct _MsgMessage;

// Mirrors a phone's messages into its cache database (a local message database in the phone's
// cache folder). Incremental: every phone record is known by its hash (parent_hash ties each
// stored message to the record it came from), records seen during this load are listed in
// valid_hash, and messages of records gone from the phone are deleted. All of it happens in one
// transaction: a failed or cancelled load leaves the cache as it was.
class AndroidLoadSMSThread : public ProgressWorker
{
    Q_OBJECT
public:
    AndroidLoadSMSThread(const AndroidDevice &device, AbsProgress &progress,
                         QObject *parent = nullptr);
    ~AndroidLoadSMSThread() override;

    // Records received, messages stored this time, messages deleted as gone from the phone.
    int processedCount() const { return m_processed; }
    int loadedCount() const { return m_loaded; }
    int deletedCount() const { return m_deleted; }

protected:
    void work() override;
    void rollback(bool cancelled) override;

private:
    void prepareTables();
    void handleBatchCommand();
    void saveOneSms(const QString &line);
    // Receives one announced attachment and stores what it becomes.
    void receiveAttachment(_MsgMessage &message, const QString &recordHash);
    void writeWithParent(_MsgMessage &message, const QString &recordHash);
    void removeVanished();
    void sendCommand(const QString &command);

    const AndroidDevice m_device;
    std::unique_ptr<QTcpSocket> m_socket;
    ExportMessagesDb m_writer;
    _CountryInfo m_country;
    int m_total = -1;
    int m_processed = 0;
    int m_loaded = 0;
    int m_deleted = 0;
};
