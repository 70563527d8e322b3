#include "frame/appdirs.h"

#include "frame/framelog.h"
#include "frame/translation.h"

#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

struct DataDirState
{
    QMutex mutex;
    QString override;
    QString cached;
};

DataDirState &dataDirState()
{
    static DataDirState state;
    return state;
}

QString madePath(const QString &path)
{
    if (!QDir().mkpath(path))
        qCWarning(lcFrame) << "cannot make folder" << path;
    return path;
}

QDir madeSubDir(const char *name)
{
    return QDir(madePath(g_dataSaveDir().filePath(QLatin1String(name))));
}

QString chooseDataDir(const QString &override)
{
    if (!override.isEmpty())
        return QDir::cleanPath(override);
    const QString fromEnv = qEnvironmentVariable("TEXTLINK_DATA_DIR");
    if (!fromEnv.isEmpty())
        return QDir::cleanPath(fromEnv);
    QString base = g_dataSaveDirLink();
    if (base.isEmpty())
        base = g_defaultSaveDirPath();
    return QDir(base).filePath(QLatin1String(kProductIdentifier));
}

} // namespace

QString g_osAppDir()
{
#ifdef Q_OS_MACOS
    const QString path = QDir::home().filePath(QStringLiteral("Library/Application Support"));
#else
    const QString path = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
#endif
    return madePath(path);
}

QString g_defaultSaveDirPath()
{
    return madePath(QDir(g_osAppDir()).filePath(QLatin1String(kCompanyFolder)));
}

QString g_dataSaveDirLinkFile()
{
    return QDir(g_defaultSaveDirPath())
        .filePath(QLatin1String(kProductIdentifier) + QStringLiteral(".redirect"));
}

QString g_dataSaveDirLink()
{
    QFile file(g_dataSaveDirLinkFile());
    if (!file.exists())
        return QString();
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcFrame) << "cannot read redirect file" << file.fileName();
        return QString();
    }
    QString path = QString::fromUtf8(file.readAll());
    // A redirect file edited by hand usually ends with a line break that is not part of the path.
    while (path.endsWith(QLatin1Char('\n')) || path.endsWith(QLatin1Char('\r')))
        path.chop(1);
    if (path.isEmpty() || !QDir(path).exists()) {
        qCWarning(lcFrame) << "redirected data folder is missing, using the default:" << path;
        return QString();
    }
    return path;
}

bool g_setDataSaveDirLink(const QString &path)
{
    QFile file(g_dataSaveDirLinkFile());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qCWarning(lcFrame) << "cannot write redirect file" << file.fileName();
        return false;
    }
    const QByteArray bytes = path.toUtf8();
    return file.write(bytes) == bytes.size() && file.flush();
}

void g_setDataSaveDirOverride(const QString &dir)
{
    DataDirState &state = dataDirState();
    const QMutexLocker locker(&state.mutex);
    state.override = dir;
    state.cached.clear();
}

void g_resetDataSaveDirCache()
{
    DataDirState &state = dataDirState();
    const QMutexLocker locker(&state.mutex);
    state.cached.clear();
}

QDir g_dataSaveDir()
{
    DataDirState &state = dataDirState();
    QString path;
    {
        const QMutexLocker locker(&state.mutex);
        if (state.cached.isEmpty()) {
            state.cached = chooseDataDir(state.override);
            qCInfo(lcFrame) << "data folder:" << state.cached;
        }
        path = state.cached;
    }
    return QDir(madePath(path));
}

QString g_dataSaveDirProblem()
{
    DataDirState &state = dataDirState();
    QString path;
    {
        const QMutexLocker locker(&state.mutex);
        if (state.cached.isEmpty())
            state.cached = chooseDataDir(state.override);
        path = state.cached;
    }
    const QString reason = [&path] {
        if (!QDir().mkpath(path))
            return g_tr("IDS_DATA_DIR_CANNOT_BE_MADE");
        // Writing a file is the one sure test: permissions say nothing of a read-only disk.
        QTemporaryFile probe(QDir(path).filePath(QStringLiteral(".textlink-probe-XXXXXX")));
        return probe.open() ? QString() : probe.errorString();
    }();
    return reason.isEmpty() ? QString() : g_tr("IDS_DATA_DIR_UNUSABLE_%1_%2").arg(path, reason);
}

QDir g_localDbDir()
{
    return madeSubDir("local_databases");
}

QDir g_logDir()
{
    return madeSubDir("qlogs");
}

QDir g_previewCacheDir()
{
    return madeSubDir("preview_cache");
}

QDir g_legacyDataDir()
{
    return QDir(g_dataSaveDir().filePath(QStringLiteral("data")));
}
