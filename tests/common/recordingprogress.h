#pragma once

#include "frame/absprogress.h"

#include <QList>
#include <QMutex>
#include <QString>

class QThread;

// An AbsProgress for tests: records every report a worker makes, from any thread, and can be told
// to cancel, at once or when a given update arrives.
class RecordingProgress : public AbsProgress
{
    Q_OBJECT
public:
    enum class Kind { Update, TipsWait, Succeed, Error };

    struct Call
    {
        Kind kind = Kind::Update;
        QString status;
        int value = -1;
        QString text; // progress text, tip, success or error text
    };

    explicit RecordingProgress(QObject *parent = nullptr);

    void invokeUpdateProgress(const QString &status, int value,
                              const QString &progressText) override;
    void invokeTipsWait(const QString &text) override;
    void invokeSucceed(const QString &text) override;
    void invokeErrorOccurred(const QString &text) override;

    // Sets the finished-without-success flag and emits userCacel(), as a pressed Cancel does.
    void cancel();
    // Cancels from within the n-th (1-based) progress update, i.e. in the worker's thread while it
    // is busy. 0 switches this off.
    void cancelAtUpdate(int n);

    // Starts the worker, waits for its thread, and tells whether it reported success.
    bool run(QThread &worker);

    QList<Call> calls() const;
    QList<Call> callsOf(Kind kind) const;
    // Non-empty status texts in the order they came.
    QStringList statuses() const;
    // Values of the updates that set one (not negative).
    QList<int> values() const;
    int endCount() const;
    bool succeeded() const;
    // The text of the first success or error report.
    QString endText() const;

private:
    void record(const Call &call);

    mutable QMutex m_mutex;
    QList<Call> m_calls;
    int m_cancelAtUpdate = 0;
    int m_updates = 0;
};
