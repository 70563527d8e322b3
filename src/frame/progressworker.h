#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QThread>

#include <exception>

class AbsProgress;

// The one shape of every worker thread: run() calls work(), which reports its own success. A
// cancel (kUserCancelled thrown from AbsProgress::throwIfCancelled) rolls back and ends without a
// report; an exception rolls back and reports its text as the error. So a run ends with exactly one
// success or error report, none after a cancel.
class ProgressWorker : public QThread
{
    Q_OBJECT
public:
    using LogCategory = const QLoggingCategory &(*)();

    ~ProgressWorker() override;

    // The last run reported an error (a cancel is none).
    bool failed() const { return m_failed; }

protected:
    // log and what name the module's category and the work in the log ("save", "export").
    ProgressWorker(AbsProgress &progress, LogCategory log, const char *what,
                   QObject *parent = nullptr);

    void run() final;
    virtual void work() = 0;
    // Takes back what work() did so far. An exception from here is logged; it never replaces the
    // error that led here.
    virtual void rollback(bool cancelled);
    // The text an error reports: the exception's own, unless a worker words it otherwise.
    virtual QString errorText(const std::exception &e) const;

    AbsProgress &progress() const { return m_progress; }

private:
    void rollbackLogged(bool cancelled);

    AbsProgress &m_progress;
    const LogCategory m_log;
    const char *const m_what;
    bool m_failed = false;
};
