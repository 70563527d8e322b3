// Feeds arbitrary bytes to the file relay unpacking as an archive. Besides crashes, leaks and
// undefined behaviour, it checks that nothing is ever written beside the target folder, whatever
// the entries' names say.
#include "mobiledevice/filerelayarchive.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        std::abort();
    const QString archive = dir.filePath(QStringLiteral("in.cpio"));
    {
        QFile file(archive);
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    }
    try {
        FileRelayArchive::extract(archive, QDir(dir.filePath(QStringLiteral("out/target"))));
    } catch (const std::runtime_error &) {
        // A damaged archive is refused; that is all it may do.
    }
    const QStringList beside =
        QDir(dir.filePath(QStringLiteral("out")))
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    const QStringList top =
        QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    if (beside != QStringList{QStringLiteral("target")} ||
        top != (QStringList{QStringLiteral("in.cpio"), QStringLiteral("out")}))
        std::abort();
    return 0;
}
