#pragma once

#include "frame/absprogress.h"

#include <QMutex>
#include <QString>

#include <memory>

class QFile;
class QIODevice;
class QThread;

// The progress reporter of the command line. Draws a bar redrawn in place when its output is a
// terminal, prints a line per new status text otherwise, or nothing at all when quiet. Records how
// the operation ended. All invoke entry points may be called from any thread.
class ConsoleProgress : public AbsProgress
{
    Q_OBJECT
public:
    enum class Output { Auto, Bar, Lines, Quiet };
    enum class Outcome { Running, Succeeded, Failed, Cancelled };

    // device: where progress is written, not owned; null means standard error. Auto draws a bar
    // when standard error is a terminal and prints lines otherwise.
    explicit ConsoleProgress(Output output = Output::Auto, QIODevice *device = nullptr,
                             QObject *parent = nullptr);
    ~ConsoleProgress() override;

    void invokeUpdateProgress(const QString &status, int value,
                              const QString &progressText) override;
    // Shows the text through the installed message boxes; nobody needs to close anything here, so
    // the waiting flag is clear again when this returns.
    void invokeTipsWait(const QString &text) override;
    void invokeSucceed(const QString &text) override;
    void invokeErrorOccurred(const QString &text) override;

    // Starts the worker and runs an event loop until its thread has finished; true when it
    // reported success. A worker that ended without any report has failed. While it runs, a first
    // Ctrl-C cancels (a second one ends the process as usual).
    bool runWorker(QThread &worker);

    // The first end wins; later reports are logged and ignored.
    Outcome outcome() const;
    bool succeeded() const;
    // The success or error text, or the reason the operation did not complete.
    QString endText() const;

public Q_SLOTS:
    // Marks the operation as ended without success and emits userCacel() so that the worker rolls
    // back. Ignored once the operation has ended.
    void cancel();

private:
    bool finish(Outcome outcome, const QString &text);
    void drawBar(const QString &progressText);
    void printStatusLine();
    void endBarLine();
    void write(const QString &text);

    mutable QMutex m_mutex;
    std::unique_ptr<QFile> m_stderr;
    QIODevice *m_out = nullptr;
    Output m_output = Output::Lines;
    QString m_status;
    int m_value = 0;
    QString m_lastDrawn;
    QString m_lastPrintedStatus;
    Outcome m_outcome = Outcome::Running;
    QString m_endText;
};
