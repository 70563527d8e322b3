#include "frame/absprogress.h"

#include <QThread>

AbsProgress::AbsProgress(QObject *parent) : QObject(parent) {}

AbsProgress::~AbsProgress() = default;

bool AbsProgress::isFinishedWithoutSuccess() const
{
    return m_finishedWithoutSuccess.loadAcquire() != 0;
}

bool AbsProgress::isWaitingForUser() const
{
    return m_waitingForUser.loadAcquire() != 0;
}

void AbsProgress::waitForUser() const
{
    while (isWaitingForUser())
        QThread::msleep(200);
}

void AbsProgress::throwIfCancelled() const
{
    if (isFinishedWithoutSuccess())
        throw kUserCancelled;
}

void AbsProgress::setFinishedWithoutSuccess(bool value)
{
    m_finishedWithoutSuccess.storeRelease(value ? 1 : 0);
}

void AbsProgress::setWaitingForUser(bool value)
{
    m_waitingForUser.storeRelease(value ? 1 : 0);
}
