#include "ui/sourceloadworker.h"

#include "frame/absprogress.h"
#include "iosdb/ios6messagedb.h"
#include "iosdb/ios6messagestream.h"
#include "itunes/phonecopymessagedb.h"
#include "model/absmessagedb.h"
#include "model/msgchat.h"
#include "model/msgfunctions.h"
#include "model/msgmessage.h"
#include "ui/uilogging.h"

#include <QHash>
#include <QMutexLocker>

#include <algorithm>

#include <sqlite3.h>

#include <ctime>
#include <exception>
#include <memory>
#include <utility>

namespace {

// How many virtual machine steps SQLite runs between two looks at the cancel flag.
constexpr int kInterruptCheckSteps = 10000;
// The first rows go to the list as soon as a page of them is read.
constexpr qsizetype kFirstRows = 500;
// How many rows are read in order between two looks at the cancel flag and the clock.
constexpr qsizetype kRowsBetweenChecks = 256;

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
    // Only what the GUI thread reads after the end; the chats may be shown already, and so may
    // rows handed over (the GUI thread holds their records then).
    m_loadedNodes.clear();
    m_shown.clear();
    m_data = MsgData();
    m_replyLinks.clear();
    const QMutexLocker lock(&m_rowsLock);
    m_rows.clear();
    m_rowsHolder = MsgData();
}

QList<_MsgMessage *> SourceLoadWorker::takeRows(MsgData &holder)
{
    const QMutexLocker lock(&m_rowsLock);
    holder = m_rowsHolder;
    return std::exchange(m_rows, {});
}

void SourceLoadWorker::read()
{
    m_sinceStart.start();
    m_db->openCheck();
    const InterruptOnCancel interrupt(m_db->handle(), progress());
    MsgData chats;
    m_db->chats(chats);
    progress().throwIfCancelled();
    m_listedNodes = ItemModelMain::chatNodes(chats);
    // Taken before the window has the chats: the read in list order skips each chat's newest
    // date, which this read has.
    QHash<qint64, int> newest;
    for (auto it = chats.p()->chats.cbegin(); it != chats.p()->chats.cend(); ++it)
        newest.insert(it.key(), it.value()->last);
    m_chats = chats;
    Q_EMIT chatsListed();

    QElapsedTimer clock;
    clock.start();
    const qint64 cpuAtStart = threadCpuMs();
    MsgData data;
    QList<_MsgMessage *> shown;
    if (auto *inOrder = dynamic_cast<IOS6MessageDb *>(m_db.data())) {
        readInOrder(*inOrder, newest, data, shown);
        qCInfo(lcUi).nospace() << m_handedOver + shown.size() << " messages read in list order in "
                               << clock.elapsed() << " ms (" << threadCpuMs() - cpuAtStart
                               << " ms of processor)";
    } else {
        m_db->messages(data, 0);
        progress().throwIfCancelled();
        const qint64 readMs = clock.restart();
        const qint64 readCpuMs = threadCpuMs() - cpuAtStart;
        shown = data.messages();
        shown.removeIf([](const _MsgMessage *message) { return !message->isShownAlone(); });
        g_sortMessages(shown, Qt::AscendingOrder);
        qCInfo(lcUi).nospace() << shown.size() << " messages read in " << readMs << " ms ("
                               << readCpuMs << " ms of processor), sorted in " << clock.elapsed()
                               << " ms (" << threadCpuMs() - cpuAtStart - readCpuMs
                               << " ms of processor)";
    }
    m_loadedNodes = ItemModelMain::chatNodes(data);
    m_data = data;
    m_shown = shown;
}

void SourceLoadWorker::readInOrder(IOS6MessageDb &db, const QHash<qint64, int> &newest,
                                   MsgData &data, QList<_MsgMessage *> &rest)
{
    const qint64 cpuAtStart = threadCpuMs();
    IOS6MessageStream stream(db, data);
    stream.prepare();
    progress().throwIfCancelled();
    qCInfo(lcUi).nospace() << "list order of " << stream.messageCount()
                           << " messages prepared after " << m_sinceStart.elapsed() << " ms ("
                           << threadCpuMs() - cpuAtStart << " ms of processor)";
    if (const auto *copy = dynamic_cast<const PhoneCopyMessageDb *>(&db))
        copy->restoreAttachmentPaths(data);
    __MsgData &d = *data.p();
    for (auto it = d.chats.begin(); it != d.chats.end(); ++it)
        it.value()->last = newest.value(it.key(), it.value()->last);

    // Each row is made a record of data as a load makes it, then handed over: it is finished
    // by then (its reactions, whose targets all come before them here, and its attachments).
    QList<_MsgMessage *> rows;
    stream.visit([&](_MsgMessage &msg) {
        // A reaction shown alone is a record of data already; any other row is a new one.
        _MsgMessage *kept = __MsgData::insertOrGet(d.messages, msg.rowid, [&msg] {
            return std::make_unique<_MsgMessage>(std::move(msg));
        });
        for (_MsgMessage *reaction : std::as_const(kept->reactions))
            reaction->reactionTarget = kept;
        kept->chat->messageMap.insertRowId(kept->rowid, kept);
        rows.append(kept);
        if (rows.size() % kRowsBetweenChecks == 0) {
            progress().throwIfCancelled();
            handOver(data, rows);
        }
    });
    // The last rows land with the load: handed over now, the list would lay out all its rows
    // just before the landing does.
    rest = std::move(rows);
    stream.visitLinkedReactions([&](_MsgMessage &reaction) {
        reaction.chat->messageMap.insertRowId(reaction.rowid, &reaction);
    });
    for (const auto &[rowid, chat] : stream.otherChats()) {
        if (_MsgMessage *msg = d.messages.value(rowid))
            chat->messageMap.insertRowId(rowid, msg);
    }
    // Only found here: the replies may be shown already, so the GUI thread sets the links.
    m_replyLinks = MsgReactions::replyLinks(d);
    progress().throwIfCancelled();
}

void SourceLoadWorker::handOver(const MsgData &data, QList<_MsgMessage *> &rows)
{
    // Each hand-over makes the list lay out all its rows again: the batches double, so that all
    // of them together cost about two lay-outs of the whole list.
    if (rows.size() < std::max(kFirstRows, m_handedOver))
        return;
    if (m_handedOver == 0)
        qCInfo(lcUi) << "first rows handed over after" << m_sinceStart.elapsed() << "ms";
    m_handedOver += rows.size();
    bool waiting = false;
    {
        const QMutexLocker lock(&m_rowsLock);
        waiting = !m_rows.isEmpty();
        if (waiting)
            m_rows += rows;
        else
            m_rows = std::move(rows);
        m_rowsHolder = data;
    }
    rows = QList<_MsgMessage *>();
    rows.reserve(m_handedOver);
    if (!waiting)
        Q_EMIT rowsRead();
}
