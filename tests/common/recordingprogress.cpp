#include "recordingprogress.h"

#include <QMutexLocker>
#include <QThread>

RecordingProgress::RecordingProgress(QObject *parent) : AbsProgress(parent) {}

void RecordingProgress::invokeUpdateProgress(const QString &status, int value,
                                             const QString &progressText)
{
    record({Kind::Update, status, value, progressText});
    bool cancelNow = false;
    {
        const QMutexLocker locker(&m_mutex);
        ++m_updates;
        cancelNow = m_cancelAtUpdate > 0 && m_updates == m_cancelAtUpdate;
    }
    if (cancelNow)
        cancel();
}

void RecordingProgress::invokeTipsWait(const QString &text)
{
    // Nobody has to close a box here, so the waiting flag is never raised.
    record({Kind::TipsWait, QString(), -1, text});
}

void RecordingProgress::invokeSucceed(const QString &text)
{
    record({Kind::Succeed, QString(), -1, text});
}

void RecordingProgress::invokeErrorOccurred(const QString &text)
{
    record({Kind::Error, QString(), -1, text});
    setFinishedWithoutSuccess(true);
}

void RecordingProgress::cancel()
{
    setFinishedWithoutSuccess(true);
    Q_EMIT userCacel();
}

void RecordingProgress::cancelAtUpdate(int n)
{
    const QMutexLocker locker(&m_mutex);
    m_cancelAtUpdate = n;
}

bool RecordingProgress::run(QThread &worker)
{
    worker.start();
    worker.wait();
    return succeeded();
}

QList<RecordingProgress::Call> RecordingProgress::calls() const
{
    const QMutexLocker locker(&m_mutex);
    return m_calls;
}

QList<RecordingProgress::Call> RecordingProgress::callsOf(Kind kind) const
{
    QList<Call> result;
    for (const Call &call : calls()) {
        if (call.kind == kind)
            result.append(call);
    }
    return result;
}

QStringList RecordingProgress::statuses() const
{
    QStringList result;
    for (const Call &call : callsOf(Kind::Update)) {
        if (!call.status.isEmpty())
            result.append(call.status);
    }
    return result;
}

QList<int> RecordingProgress::values() const
{
    QList<int> result;
    for (const Call &call : callsOf(Kind::Update)) {
        if (call.value >= 0)
            result.append(call.value);
    }
    return result;
}

int RecordingProgress::endCount() const
{
    return int(callsOf(Kind::Succeed).size() + callsOf(Kind::Error).size());
}

bool RecordingProgress::succeeded() const
{
    for (const Call &call : calls()) {
        if (call.kind == Kind::Succeed)
            return true;
        if (call.kind == Kind::Error)
            return false;
    }
    return false;
}

QString RecordingProgress::endText() const
{
    for (const Call &call : calls()) {
        if (call.kind == Kind::Succeed || call.kind == Kind::Error)
            return call.text;
    }
    return QString();
}

void RecordingProgress::record(const Call &call)
{
    const QMutexLocker locker(&m_mutex);
    m_calls.append(call);
}
