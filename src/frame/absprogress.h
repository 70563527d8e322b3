#pragma once

#include <QAtomicInt>
#include <QObject>
#include <QString>

// The value a worker throws when the user cancels; its run() catches it, rolls back and ends
// without a message.
constexpr int kUserCancelled = -1;

// What a worker thread sees of whoever shows its progress: the progress dialog in the desktop
// program, the console reporter in the command line, a recording fake in tests.
// The four invoke entry points are thread-safe and return at once; a worker ends with exactly one
// invokeSucceed or invokeErrorOccurred.
class AbsProgress : public QObject
{
    Q_OBJECT
public:
    explicit AbsProgress(QObject *parent = nullptr);
    ~AbsProgress() override;

    // status: replaces the status text when not empty; value: 0..100, negative keeps the bar;
    // progressText: empty shows "Progress:N%".
    virtual void invokeUpdateProgress(const QString &status, int value,
                                      const QString &progressText) = 0;
    // Shows an information box; sets the waiting-for-user flag before it returns.
    virtual void invokeTipsWait(const QString &text) = 0;
    // Empty text: no box.
    virtual void invokeSucceed(const QString &text) = 0;
    virtual void invokeErrorOccurred(const QString &text) = 0;

    // True once the operation ended without success: the user cancelled, or it failed.
    bool isFinishedWithoutSuccess() const;
    // True while an information box raised by invokeTipsWait is open.
    bool isWaitingForUser() const;
    // Polls the waiting flag every 200 ms until the user has closed the box.
    void waitForUser() const;
    // Throws kUserCancelled once the operation ended without success.
    void throwIfCancelled() const;

Q_SIGNALS:
    // Emitted when the user cancels (the misspelling is the established name of this signal).
    void userCacel();

protected:
    void setFinishedWithoutSuccess(bool value);
    void setWaitingForUser(bool value);

private:
    QAtomicInt m_finishedWithoutSuccess;
    QAtomicInt m_waitingForUser;
};
