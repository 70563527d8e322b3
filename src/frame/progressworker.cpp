#include "frame/progressworker.h"

#include "frame/absprogress.h"

ProgressWorker::ProgressWorker(AbsProgress &progress, LogCategory log, const char *what,
                               QObject *parent)
    : QThread(parent), m_progress(progress), m_log(log), m_what(what)
{}

ProgressWorker::~ProgressWorker() = default;

void ProgressWorker::run()
{
    m_failed = false;
    try {
        work();
    } catch (int code) {
        if (code != kUserCancelled)
            throw;
        qCInfo(m_log) << m_what << "cancelled";
        rollbackLogged(true);
    } catch (const std::exception &e) {
        qCWarning(m_log) << m_what << "failed:" << e.what();
        rollbackLogged(false);
        m_failed = true;
        m_progress.invokeErrorOccurred(errorText(e));
    }
}

void ProgressWorker::rollback(bool) {}

QString ProgressWorker::errorText(const std::exception &e) const
{
    return QString::fromUtf8(e.what());
}

void ProgressWorker::rollbackLogged(bool cancelled)
{
    try {
        rollback(cancelled);
    } catch (const std::exception &e) {
        qCWarning(m_log) << "taking back the" << m_what << "failed:" << e.what();
    }
}
