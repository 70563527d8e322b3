#include "frame/logsaver.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QTime>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

struct LogState
{
    QMutex mutex;
    QString root;
    std::unique_ptr<QFile> file;
    bool openAttempted = false;
    bool echo = true;
    bool installed = false;
    QtMessageHandler previous = nullptr;
};

LogState &logState()
{
    static LogState state;
    return state;
}

// A message raised while the mutex is held (by QFile, say) would deadlock on it; such a message is
// dropped instead.
thread_local bool t_inHandler = false;

class ReentryGuard
{
public:
    ReentryGuard() { t_inHandler = true; }
    ~ReentryGuard() { t_inHandler = false; }
    ReentryGuard(const ReentryGuard &) = delete;
    ReentryGuard &operator=(const ReentryGuard &) = delete;
};

QString lineFormat(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return QStringLiteral("(D %1) %2\n");
    case QtWarningMsg:
        return QStringLiteral("(W %1) %2\n");
    case QtCriticalMsg:
        return QStringLiteral("(C %1) %2\n");
    case QtFatalMsg:
        return QStringLiteral("(F %1) %2\n");
    default:
        return QStringLiteral("(%1) %2\n");
    }
}

void removeOldLogs(const QString &root, int count)
{
    // Only our own files: a root folder set by mistake must not lose anything else.
    const QDir dir(root);
    const QStringList names =
        dir.entryList({QStringLiteral("log-*.txt")}, QDir::Files | QDir::Hidden, QDir::Name);
    const qsizetype excess = names.size() - qMax(count, 0);
    for (qsizetype i = 0; i < excess; ++i)
        QFile::remove(dir.filePath(names.at(i)));
}

QFile *openedLogFile(LogState &state)
{
    if (!state.openAttempted) {
        state.openAttempted = true;
        if (!QDir().mkpath(state.root))
            return nullptr;
        const QString name = QStringLiteral("log-%1.txt")
                                 .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
        auto file = std::make_unique<QFile>(QDir(state.root).filePath(name));
        if (file->open(QIODevice::ReadWrite | QIODevice::Append))
            state.file = std::move(file);
    }
    return state.file.get();
}

void writeLine(LogState &state, QtMsgType type, const QString &text)
{
    if (state.echo && type == QtDebugMsg) {
        std::fputs(text.toLocal8Bit().constData(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    QFile *file = openedLogFile(state);
    if (!file)
        return;
    const QString time = QTime::currentTime().toString(QStringLiteral("hh:mm:ss"));
    file->write(lineFormat(type).arg(time, text).toUtf8());
    file->flush();
}

void messageHandler(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (t_inHandler)
        return;
    {
        const ReentryGuard guard;
        LogState &state = logState();
        const QMutexLocker locker(&state.mutex);
        writeLine(state, type, text);
    }
    if (type == QtFatalMsg)
        std::abort();
}

} // namespace

void logsaver_install_msghandler(const QString &root, int count)
{
    const ReentryGuard guard;
    LogState &state = logState();
    const QMutexLocker locker(&state.mutex);
    state.root = root;
    state.file.reset();
    state.openAttempted = false;
    removeOldLogs(root, count);
    const QtMessageHandler previous = qInstallMessageHandler(messageHandler);
    if (!state.installed) {
        state.previous = previous;
        state.installed = true;
    }
}

void logsaver_uninstall_msghandler()
{
    const ReentryGuard guard;
    LogState &state = logState();
    const QMutexLocker locker(&state.mutex);
    if (!state.installed)
        return;
    qInstallMessageHandler(state.previous);
    state.previous = nullptr;
    state.installed = false;
    state.file.reset();
    state.openAttempted = false;
}

void logsaver_set_echo(bool echo)
{
    LogState &state = logState();
    const QMutexLocker locker(&state.mutex);
    state.echo = echo;
}
