#pragma once

#include "frame/progressworker.h"
#include "model/msgdata.h"
#include "model/msgreactions.h"
#include "ui/itemmodelmain.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QSharedPointer>

class AbsMessageDb;
class IOS6MessageDb;
struct _MsgMessage;

// Reads a source in two steps off the GUI thread: its chats first (chatsListed() then lets the
// window list them), then all of it again with the messages, into records of its own, so that
// nothing the window already shows is written meanwhile. A cancel interrupts the running query.
// A database read in list order hands its rows over while it reads (rowsRead()): each is
// finished when handed over and never written here after.
class SourceLoadWorker : public ProgressWorker
{
    Q_OBJECT
public:
    SourceLoadWorker(QSharedPointer<AbsMessageDb> db, AbsProgress &progress);

    // The chats alone; ready when chatsListed() is emitted, never written after.
    const MsgData &chats() const { return m_chats; }
    // Ready once the thread has finished with success: the records, and the messages the list
    // shows (reactions left out), oldest first, but for the rows handed over by takeRows().
    const MsgData &data() const { return m_data; }
    const QList<_MsgMessage *> &shown() const { return m_shown; }
    // The chat nodes of chats() (once chatsListed() is emitted) and of data() (once finished),
    // built here to spare the GUI thread; whoever shows the records takes them.
    ItemModelMain::ChatNodes &listedNodes() { return m_listedNodes; }
    ItemModelMain::ChatNodes &loadedNodes() { return m_loadedNodes; }
    // The rows read since the last call, in list order, and into holder the records holding them
    // (which become data()). shown() follows on from the last rows handed over this way.
    QList<_MsgMessage *> takeRows(MsgData &holder);
    // Once finished: the replies and the messages they answer, for the GUI thread to link, since
    // the replies may already be shown.
    const MsgReactions::ReplyLinks &replyLinks() const { return m_replyLinks; }

Q_SIGNALS:
    void chatsListed();
    // Rows are ready for takeRows(); not sent again until they are taken.
    void rowsRead();

protected:
    void work() override;
    // Frees what a cancelled load read here rather than in the GUI thread.
    void rollback(bool cancelled) override;

private:
    void read();
    // The messages of a database read in list order into data, the rows handed over as they come.
    // newest: each chat's newest date by its row id. rest: the rows not handed over.
    void readInOrder(IOS6MessageDb &db, const QHash<qint64, int> &newest, MsgData &data,
                     QList<_MsgMessage *> &rest);
    // Hands rows over when enough have gathered since the last time.
    void handOver(const MsgData &data, QList<_MsgMessage *> &rows);

    const QSharedPointer<AbsMessageDb> m_db;
    MsgData m_chats;
    MsgData m_data;
    QList<_MsgMessage *> m_shown;
    ItemModelMain::ChatNodes m_listedNodes;
    ItemModelMain::ChatNodes m_loadedNodes;
    MsgReactions::ReplyLinks m_replyLinks;
    QMutex m_rowsLock;
    // Under m_rowsLock: rows not taken yet, and the records holding them.
    QList<_MsgMessage *> m_rows;
    MsgData m_rowsHolder;
    qsizetype m_handedOver = 0;
    QElapsedTimer m_sinceStart;
};
