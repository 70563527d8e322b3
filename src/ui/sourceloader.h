#pragma once

#include "ui/itemmodelmain.h"

#include <QList>
#include <QObject>

#include <memory>
#include <vector>

class MsgData;
class _AbsDBItemNode;
struct _MsgMessage;

// Loads one source at a time in the background. A new load supersedes the running one: that is
// cancelled and nothing of it lands. The signals come in the GUI thread, in this order: chats
// listed (may be skipped when the load ends first), rows loaded (any number of times, none for a
// source read whole), then loaded or failed; a cancelled load sends neither of the last two.
class SourceLoader : public QObject
{
    Q_OBJECT
public:
    explicit SourceLoader(QObject *parent = nullptr);
    // Cancels what still runs and waits for it.
    ~SourceLoader() override;

    void load(_AbsDBItemNode *source);
    // The running load ends without landing; the source stays as it was before the load.
    void cancel();
    // Before anything else uses a database: waits for every load; the current one lands now.
    void finish();
    // The source being loaded; null when none is.
    _AbsDBItemNode *source() const;
    // True while any load, cancelled ones included, still runs or has not been taken in.
    bool isBusy() const { return m_current || !m_retired.empty(); }

Q_SIGNALS:
    void started(_AbsDBItemNode *source);
    // nodes: the chat nodes for the records, for the receiver to take.
    void chatsListed(_AbsDBItemNode *source, const MsgData &chats, ItemModelMain::ChatNodes *nodes);
    // The next rows of the whole source's list, oldest first, finished and never written by the
    // load after; data holds their records (whoever shows them keeps a copy of it meanwhile).
    void rowsLoaded(_AbsDBItemNode *source, const MsgData &data, const QList<_MsgMessage *> &rows);
    // shown: the messages the list shows for the whole source, oldest first, after the rows
    // loaded before (all of them when there were none).
    void loaded(_AbsDBItemNode *source, const MsgData &data, const QList<_MsgMessage *> &shown,
                ItemModelMain::ChatNodes *nodes);
    void failed(_AbsDBItemNode *source, const QString &error);
    // Emitted when a load ends in any way, superseded ones included.
    void idle();

private:
    struct Job;

    void onChatsListed(Job *job);
    void onRowsRead(Job *job);
    // Sends the rows the job's worker handed over since the last time, if any.
    void deliverRows(Job *job);
    void onFinished(Job *job);

    std::unique_ptr<Job> m_current;
    // Cancelled loads whose threads have not ended yet.
    std::vector<std::unique_ptr<Job>> m_retired;
};
