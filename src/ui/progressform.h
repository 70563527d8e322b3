#pragma once

#include "frame/absprogress.h"

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class ProgressForm;
}
class QThread;

// The modal dialog behind every long operation. The worker thread never touches it directly: it
// reports through progress() (or the invoke entry points here), whose calls are queued into the
// slots below on the user-interface thread.
//
// Once the operation has ended (success, error or cancel) later end reports are ignored, so a
// worker that finishes after the user cancelled cannot turn the result into a success, and a
// worker waiting for an information box is released instead of waiting for a box never shown.
class ProgressForm : public QDialog
{
    Q_OBJECT
public:
    explicit ProgressForm(const QString &title, QWidget *parent = nullptr);
    ~ProgressForm() override;

    void setCancelable(bool cancelable);

    // What a worker receives; lives as long as the dialog.
    AbsProgress &progress();
    const AbsProgress &progress() const;

    // Thread-safe; they return at once (see AbsProgress).
    void invokeUpdateProgress(const QString &status, int value, const QString &progressText);
    void invokeTipsWait(const QString &text);
    void invokeSucceed(const QString &text);
    void invokeErrorOccurred(const QString &text);

    bool isFinishedWithoutSuccess() const;
    bool isWaitingForUser() const;

    // Starts the worker, runs the dialog modally, waits for the worker's thread to end and tells
    // whether the operation succeeded. A worker that ends without reporting its result closes the
    // dialog with an error rather than leaving it open for ever.
    bool runWorker(QThread &worker);

public Q_SLOTS:
    void updateProgress(const QString &status, int value, const QString &progressText);
    void tipsWait(const QString &text);
    void succeed(const QString &text);
    void errorOccurred(const QString &text);
    void onFinish(int result);
    void cancel();
    // Escape and the window manager's close act as Cancel, and do nothing while Cancel is
    // disabled: the operation cannot be interrupted then.
    void reject() override;

Q_SIGNALS:
    // Emitted when the user cancels (the misspelling is the established name of this signal).
    void userCacel();

private:
    class Reporter;

    void onWorkerFinished();

    std::unique_ptr<Ui::ProgressForm> m_ui;
    std::unique_ptr<Reporter> m_reporter;
};
