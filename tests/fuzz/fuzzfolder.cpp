#include "fuzzfolder.h"

#include "fuzzapp.h"

#include <QFile>

#include <cstdlib>
#include <unistd.h>

FuzzFolder &FuzzFolder::instance()
{
    static FuzzFolder folder;
    return folder;
}

FuzzFolder::FuzzFolder()
{
    g_fuzzQuietApp();
    const QString base =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    m_dir = QDir(base + QStringLiteral("/textlink-fuzz-") + QString::number(::getpid()));
    if (!m_dir.mkpath(QStringLiteral(".")))
        std::abort();
    // Left behind when the fuzzer stops on a finding; removed on a clean end.
    std::atexit([] { QDir(FuzzFolder::instance().dir()).removeRecursively(); });
}

QString FuzzFolder::write(const QString &name, const std::uint8_t *data, std::size_t size) const
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size)) !=
            static_cast<qint64>(size))
        std::abort();
    return path;
}
