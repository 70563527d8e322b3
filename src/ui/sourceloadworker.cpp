#include "ui/sourceloadworker.h"

#include "frame/absprogress.h"
#include "model/absmessagedb.h"
#include "model/msgfunctions.h"
#include "model/msgmessage.h"
#include "ui/uilogging.h"

#include <QElapsedTimer>

#include <sqlite3.h>

#include <ctime>
#include <exception>

namespace {

// How many virtual machine steps SQLite runs between two looks at the cancel flag.
constexpr int kInterruptCheckSteps = 10000;

// While alive, a cancel of progress makes the connection's running statement fail at once
// instead of reading on to its end.
class InterruptOnCancel
{
public:
    InterruptOnCancel(sqlite3 *db, const AbsProgress &progress) : m_db(db)
    {
        if (m_db)
            sqlite3_progress_handler(m_db, kInterruptCheckSteps, &cancelled,
                                     const_cast<AbsProgress *>(&progress));
    }
    ~InterruptOnCancel()
    {
        if (m_db)
            sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
    }
    InterruptOnCancel(const InterruptOnCancel &) = delete;
    InterruptOnCancel &operator=(const InterruptOnCancel &) = delete;

private:
    static int cancelled(void *progress)
    {
        return static_cast<const AbsProgress *>(progress)->isFinishedWithoutSuccess() ? 1 : 0;
    }

    sqlite3 *const m_db;
};

// Milliseconds of processor time this thread has used: on a busy machine it tells the load's own
// cost apart from the time it waited for a processor.
qint64 threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

} // namespace

SourceLoadWorker::SourceLoadWorker(QSharedPointer<AbsMessageDb> db, AbsProgress &progress)
    : ProgressWorker(progress, lcUi, "loading a source"), m_db(std::move(db))
{}

void SourceLoadWorker::work()
{
    try {
        read();
    } catch (const std::exception &) {
        // An interrupted query fails like any other; after a cancel that is no error.
        progress().throwIfCancelled();
        throw;
    }
    progress().throwIfCancelled();
    progress().invokeSucceed(QString());
}

void SourceLoadWorker::rollback(bool)
{
    // Only what the GUI thread reads after the end; the chats may be shown already.
    m_loadedNodes.clear();
    m_shown.clear();
    m_data = MsgData();
}

void SourceLoadWorker::read()
{
    m_db->openCheck();
    const InterruptOnCancel interrupt(m_db->handle(), progress());
    MsgData chats;
    m_db->chats(chats);
    progress().throwIfCancelled();
    m_listedNodes = ItemModelMain::chatNodes(chats);
    m_chats = chats;
    Q_EMIT chatsListed();

    QElapsedTimer clock;
    clock.start();
    const qint64 cpuAtStart = threadCpuMs();
    MsgData data;
    m_db->messages(data, 0);
    progress().throwIfCancelled();
    const qint64 readMs = clock.restart();
    const qint64 readCpuMs = threadCpuMs() - cpuAtStart;
    QList<_MsgMessage *> shown = data.messages();
    shown.removeIf([](const _MsgMessage *message) { return !message->isShownAlone(); });
    g_sortMessages(shown, Qt::AscendingOrder);
    qCInfo(lcUi).nospace() << shown.size() << " messages read in " << readMs << " ms (" << readCpuMs
                           << " ms of processor), sorted in " << clock.elapsed() << " ms ("
                           << threadCpuMs() - cpuAtStart - readCpuMs << " ms of processor)";
    m_loadedNodes = ItemModelMain::chatNodes(data);
    m_data = data;
    m_shown = shown;
}
