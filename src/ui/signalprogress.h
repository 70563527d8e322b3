#pragma once

#include "frame/absprogress.h"

#include <QString>

// The progress of a worker nobody watches in a dialog: it keeps how the work ended for whoever
// reads it once the thread has finished, and can be cancelled from the GUI thread.
class SignalProgress : public AbsProgress
{
    Q_OBJECT
public:
    explicit SignalProgress(QObject *parent = nullptr);

    void invokeUpdateProgress(const QString &status, int value,
                              const QString &progressText) override;
    void invokeTipsWait(const QString &text) override;
    void invokeSucceed(const QString &text) override;
    void invokeErrorOccurred(const QString &text) override;

    // The worker stops at its next check and ends without a report.
    void cancel();
    // Read only after the worker's thread has finished.
    bool succeeded() const { return m_succeeded; }
    const QString &error() const { return m_error; }

private:
    bool m_succeeded = false;
    QString m_error;
};
