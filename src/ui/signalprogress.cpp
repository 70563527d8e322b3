#include "ui/signalprogress.h"

#include "ui/uilogging.h"

SignalProgress::SignalProgress(QObject *parent) : AbsProgress(parent) {}

void SignalProgress::invokeUpdateProgress(const QString &, int, const QString &) {}

void SignalProgress::invokeTipsWait(const QString &text)
{
    // Nobody could answer a box here; the note goes to the log instead.
    qCInfo(lcUi) << "background note:" << text;
}

void SignalProgress::invokeSucceed(const QString &)
{
    m_succeeded = true;
}

void SignalProgress::invokeErrorOccurred(const QString &text)
{
    m_error = text;
    setFinishedWithoutSuccess(true);
}

void SignalProgress::cancel()
{
    setFinishedWithoutSuccess(true);
    Q_EMIT userCacel();
}
