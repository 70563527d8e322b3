#include "frame/consoleprogress.h"

#include "frame/abstips.h"
#include "frame/framelog.h"
#include "frame/translation.h"

#include <QEventLoop>
#include <QFile>
#include <QMutexLocker>
#include <QSocketNotifier>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kBarWidth = 30;
constexpr int kStatusWidth = 40;

volatile std::sig_atomic_t g_sigintWriteFd = -1;

extern "C" void onSigint(int)
{
    // Only async-signal-safe work here: wake the event loop, which cancels.
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_sigintWriteFd, &byte, 1);
}

// While alive, a first SIGINT calls ConsoleProgress::cancel() from the event loop; the handler
// resets itself, so a second SIGINT ends the process as usual.
class SigintCatcher
{
public:
    explicit SigintCatcher(ConsoleProgress &progress)
    {
        if (::pipe2(m_fds, O_CLOEXEC | O_NONBLOCK) != 0) {
            qCWarning(lcFrame) << "Ctrl-C cannot cancel: no pipe";
            m_fds[0] = m_fds[1] = -1;
            return;
        }
        m_notifier = std::make_unique<QSocketNotifier>(m_fds[0], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, &progress,
                         [this, &progress] {
                             char buffer[16];
                             while (::read(m_fds[0], buffer, sizeof buffer) > 0) {
                             }
                             qCInfo(lcFrame) << "cancelled by Ctrl-C";
                             progress.cancel();
                         });
        g_sigintWriteFd = m_fds[1];
        struct sigaction action = {};
        action.sa_handler = onSigint;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND | SA_RESTART;
        m_installed = ::sigaction(SIGINT, &action, &m_previous) == 0;
    }

    ~SigintCatcher()
    {
        if (m_installed)
            ::sigaction(SIGINT, &m_previous, nullptr);
        g_sigintWriteFd = -1;
        m_notifier.reset();
        for (const int fd : m_fds) {
            if (fd >= 0)
                ::close(fd);
        }
    }

    SigintCatcher(const SigintCatcher &) = delete;
    SigintCatcher &operator=(const SigintCatcher &) = delete;

private:
    int m_fds[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_previous = {};
    bool m_installed = false;
};

} // namespace

ConsoleProgress::ConsoleProgress(Output output, QIODevice *device, QObject *parent)
    : AbsProgress(parent), m_out(device), m_output(output)
{
    if (!m_out) {
        m_stderr = std::make_unique<QFile>();
        if (m_stderr->open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered))
            m_out = m_stderr.get();
    }
    if (m_output == Output::Auto) {
        const bool terminal = m_stderr && ::isatty(STDERR_FILENO);
        m_output = terminal ? Output::Bar : Output::Lines;
    }
}

ConsoleProgress::~ConsoleProgress() = default;

void ConsoleProgress::invokeUpdateProgress(const QString &status, int value,
                                           const QString &progressText)
{
    const QMutexLocker locker(&m_mutex);
    if (!status.isEmpty())
        m_status = status;
    if (value >= 0)
        m_value = qMin(value, 100);
    if (m_outcome != Outcome::Running)
        return;
    if (m_output == Output::Bar)
        drawBar(progressText);
    else if (m_output == Output::Lines)
        printStatusLine();
}

void ConsoleProgress::invokeTipsWait(const QString &text)
{
    setWaitingForUser(true);
    {
        const QMutexLocker locker(&m_mutex);
        endBarLine();
    }
    AbsTips::instance().info(text);
    setWaitingForUser(false);
}

void ConsoleProgress::invokeSucceed(const QString &text)
{
    finish(Outcome::Succeeded, text);
}

void ConsoleProgress::invokeErrorOccurred(const QString &text)
{
    finish(Outcome::Failed, text);
}

void ConsoleProgress::cancel()
{
    if (finish(Outcome::Cancelled, g_tr("IDS_OPERATION_CANCELLED")))
        Q_EMIT userCacel();
}

bool ConsoleProgress::runWorker(QThread &worker)
{
    {
        QEventLoop loop;
        // Queued: the worker's thread emits it, the loop lives here.
        connect(&worker, &QThread::finished, &loop, &QEventLoop::quit);
        const SigintCatcher catcher(*this);
        worker.start();
        loop.exec();
        worker.wait();
    }
    if (finish(Outcome::Failed, g_tr("IDS_WORKER_NO_REPORT")))
        qCWarning(lcFrame) << "worker ended without reporting success or failure";
    return succeeded();
}

ConsoleProgress::Outcome ConsoleProgress::outcome() const
{
    const QMutexLocker locker(&m_mutex);
    return m_outcome;
}

bool ConsoleProgress::succeeded() const
{
    return outcome() == Outcome::Succeeded;
}

QString ConsoleProgress::endText() const
{
    const QMutexLocker locker(&m_mutex);
    return m_endText;
}

bool ConsoleProgress::finish(Outcome outcome, const QString &text)
{
    const QMutexLocker locker(&m_mutex);
    if (m_outcome != Outcome::Running) {
        if (outcome != Outcome::Cancelled)
            qCWarning(lcFrame) << "end already reported, ignored:" << text;
        return false;
    }
    m_outcome = outcome;
    m_endText = text;
    if (outcome != Outcome::Succeeded)
        setFinishedWithoutSuccess(true);
    endBarLine();
    return true;
}

void ConsoleProgress::drawBar(const QString &progressText)
{
    const int filled = m_value * kBarWidth / 100;
    const QString percent =
        progressText.isEmpty() ? QStringLiteral("%1%").arg(m_value) : progressText;
    QString status = m_status;
    if (status.size() > kStatusWidth)
        status = status.left(kStatusWidth - 3) + QStringLiteral("...");
    const QString line = QStringLiteral("%1 [%2%3] %4")
                             .arg(status, QString(filled, QLatin1Char('#')),
                                  QString(kBarWidth - filled, QLatin1Char('-')), percent);
    if (line == m_lastDrawn)
        return;
    m_lastDrawn = line;
    // Back to the start of the line, and clear what a longer previous line left behind.
    write(QStringLiteral("\r") + line + QStringLiteral("\x1b[K"));
}

void ConsoleProgress::printStatusLine()
{
    if (m_status.isEmpty() || m_status == m_lastPrintedStatus)
        return;
    m_lastPrintedStatus = m_status;
    write(m_status + QLatin1Char('\n'));
}

void ConsoleProgress::endBarLine()
{
    if (m_lastDrawn.isEmpty())
        return;
    m_lastDrawn.clear();
    write(QStringLiteral("\n"));
}

void ConsoleProgress::write(const QString &text)
{
    if (m_out)
        m_out->write(text.toUtf8());
}
