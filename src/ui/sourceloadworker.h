#pragma once

#include "frame/progressworker.h"
#include "model/msgdata.h"
#include "ui/itemmodelmain.h"

#include <QList>
#include <QSharedPointer>

class AbsMessageDb;
struct _MsgMessage;

// Reads a source in two steps off the GUI thread: its chats first (chatsListed() then lets the
// window list them), then all of it again with the messages, into records of its own, so that
// nothing the window already shows is written meanwhile. A cancel interrupts the running query.
class SourceLoadWorker : public ProgressWorker
{
    Q_OBJECT
public:
    SourceLoadWorker(QSharedPointer<AbsMessageDb> db, AbsProgress &progress);

    // The chats alone; ready when chatsListed() is emitted, never written after.
    const MsgData &chats() const { return m_chats; }
    // Ready once the thread has finished with success: the records, and the messages the list
    // shows (reactions left out), oldest first.
    const MsgData &data() const { return m_data; }
    const QList<_MsgMessage *> &shown() const { return m_shown; }
    // The chat nodes of chats() (once chatsListed() is emitted) and of data() (once finished),
    // built here to spare the GUI thread; whoever shows the records takes them.
    ItemModelMain::ChatNodes &listedNodes() { return m_listedNodes; }
    ItemModelMain::ChatNodes &loadedNodes() { return m_loadedNodes; }

Q_SIGNALS:
    void chatsListed();

protected:
    void work() override;
    // Frees what a cancelled load read here rather than in the GUI thread.
    void rollback(bool cancelled) override;

private:
    void read();

    const QSharedPointer<AbsMessageDb> m_db;
    MsgData m_chats;
    MsgData m_data;
    QList<_MsgMessage *> m_shown;
    ItemModelMain::ChatNodes m_listedNodes;
    ItemModelMain::ChatNodes m_loadedNodes;
};
