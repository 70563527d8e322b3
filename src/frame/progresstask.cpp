#include "frame/progresstask.h"

#include "frame/absprogress.h"

#include <utility>

ProgressTask::ProgressTask(AbsProgress &progress, LogCategory log, const char *what, Body body,
                           QObject *parent)
    : ProgressWorker(progress, log, what, parent), m_body(std::move(body))
{}

void ProgressTask::work()
{
    m_body(progress());
    progress().invokeSucceed(QString());
}
