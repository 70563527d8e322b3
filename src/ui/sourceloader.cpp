#include "ui/sourceloader.h"

#include "model/msgmessage.h"
#include "ui/absdbitemnode.h"
#include "ui/signalprogress.h"
#include "ui/sourceloadworker.h"
#include "ui/uilogging.h"

#include <QElapsedTimer>

#include <algorithm>

struct SourceLoader::Job
{
    explicit Job(_AbsDBItemNode *node) : source(node), worker(node->db, progress) {}
    // finished() comes from the thread just before it ends; it has ended once this returns.
    ~Job() { worker.wait(); }
    Job(const Job &) = delete;
    Job &operator=(const Job &) = delete;

    _AbsDBItemNode *const source;
    SignalProgress progress;
    SourceLoadWorker worker;
    QElapsedTimer clock;
    bool chatsDelivered = false;
};

SourceLoader::SourceLoader(QObject *parent) : QObject(parent) {}

SourceLoader::~SourceLoader()
{
    cancel();
    for (const std::unique_ptr<Job> &job : m_retired)
        job->worker.wait();
}

void SourceLoader::load(_AbsDBItemNode *source)
{
    cancel();
    m_current = std::make_unique<Job>(source);
    Job *job = m_current.get();
    // The worker is the context: a job deleted first takes its pending calls with it.
    connect(
        &job->worker, &SourceLoadWorker::chatsListed, &job->worker,
        [this, job] { onChatsListed(job); }, Qt::QueuedConnection);
    connect(
        &job->worker, &SourceLoadWorker::rowsRead, &job->worker, [this, job] { onRowsRead(job); },
        Qt::QueuedConnection);
    connect(
        &job->worker, &QThread::finished, &job->worker, [this, job] { onFinished(job); },
        Qt::QueuedConnection);
    qCInfo(lcUi) << "loading" << source->title << "in the background";
    job->clock.start();
    job->worker.start();
    Q_EMIT started(source);
}

void SourceLoader::cancel()
{
    if (!m_current)
        return;
    qCInfo(lcUi) << "load of" << m_current->source->title << "cancelled";
    m_current->progress.cancel();
    m_retired.push_back(std::move(m_current));
}

void SourceLoader::finish()
{
    for (const std::unique_ptr<Job> &job : m_retired)
        job->worker.wait();
    m_retired.clear();
    if (!m_current)
        return;
    m_current->worker.wait();
    onFinished(m_current.get());
}

_AbsDBItemNode *SourceLoader::source() const
{
    return m_current ? m_current->source : nullptr;
}

void SourceLoader::onChatsListed(Job *job)
{
    if (job != m_current.get() || job->chatsDelivered)
        return;
    job->chatsDelivered = true;
    qCInfo(lcUi) << "chats of" << job->source->title << "listed after" << job->clock.elapsed()
                 << "ms";
    Q_EMIT chatsListed(job->source, job->worker.chats(), &job->worker.listedNodes());
}

void SourceLoader::onRowsRead(Job *job)
{
    if (job == m_current.get())
        deliverRows(job);
}

void SourceLoader::deliverRows(Job *job)
{
    MsgData holder;
    const QList<_MsgMessage *> rows = job->worker.takeRows(holder);
    if (!rows.isEmpty())
        Q_EMIT rowsLoaded(job->source, holder, rows);
}

void SourceLoader::onFinished(Job *job)
{
    const auto retired = std::find_if(m_retired.begin(), m_retired.end(),
                                      [job](const auto &held) { return held.get() == job; });
    if (retired != m_retired.end()) {
        m_retired.erase(retired);
        Q_EMIT idle();
        return;
    }
    if (job != m_current.get())
        return;
    const std::unique_ptr<Job> done = std::move(m_current);
    if (done->progress.succeeded()) {
        qCInfo(lcUi) << "loaded" << done->source->title << "in" << done->clock.elapsed() << "ms";
        for (const auto &[reply, target] : done->worker.replyLinks())
            reply->replyTarget = target;
        // Rows handed over but not yet taken (finish() lands a load before their turn comes).
        deliverRows(done.get());
        Q_EMIT loaded(done->source, done->worker.data(), done->worker.shown(),
                      &done->worker.loadedNodes());
    } else if (!done->progress.error().isEmpty()) {
        Q_EMIT failed(done->source, done->progress.error());
    }
    Q_EMIT idle();
}
