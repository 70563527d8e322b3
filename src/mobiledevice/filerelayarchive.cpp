#include "mobiledevice/filerelayarchive.h"

#include "frame/absprogress.h"
#include "frame/filenames.h"
#include "frame/translation.h"
#include "mobiledevice/mobiledevicelog.h"

#include <archive.h>
#include <archive_entry.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <memory>
#include <stdexcept>

namespace {

constexpr int kBlockSize = 524288;

using ArchivePtr = std::unique_ptr<archive, decltype(&archive_read_free)>;

[[noreturn]] void fail(const QString &text)
{
    throw std::runtime_error(text.toStdString());
}

[[noreturn]] void damaged(const QString &path, archive *reader)
{
    const char *why = archive_error_string(reader);
    qCWarning(lcMobileDevice) << "file relay archive damaged:" << path << why;
    fail(g_tr("IDS_IOS_ARCHIVE_DAMAGED_%1_%2")
             .arg(path, why ? QString::fromUtf8(why) : QStringLiteral("?")));
}

QString entryPath(archive_entry *entry)
{
    if (const char *utf8 = archive_entry_pathname_utf8(entry))
        return QString::fromUtf8(utf8);
    const char *raw = archive_entry_pathname(entry);
    return raw ? QString::fromLocal8Bit(raw) : QString();
}

QDateTime entryTime(time_t seconds)
{
    return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(seconds), Qt::UTC);
}

// Copies the entry's data; on any failure the half-written file is removed.
void writeFile(archive *reader, archive_entry *entry, const QString &target,
               const QString &archivePath, AbsProgress *progress)
{
    QFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail(g_tr("create %1 error. %2").arg(target, file.errorString()));
    const qint64 total = archive_entry_size(entry);
    QByteArray block(kBlockSize, Qt::Uninitialized);
    qint64 written = 0;
    try {
        for (;;) {
            if (progress) {
                progress->throwIfCancelled();
                progress->invokeUpdateProgress(
                    QString(), -1,
                    g_tr("Extracted: %L1KB / %L2KB").arg(written / 1024).arg(total / 1024));
            }
            const la_ssize_t n = archive_read_data(reader, block.data(), block.size());
            if (n < 0)
                damaged(archivePath, reader);
            if (n == 0)
                break;
            if (file.write(block.constData(), n) != n)
                fail(g_tr("write %1 error. %2").arg(target, file.errorString()));
            written += n;
        }
    } catch (...) {
        file.close();
        QFile::remove(target);
        throw;
    }
    file.close();
    // Times as the phone kept them; a file system that refuses them loses nothing else.
    if (archive_entry_mtime_is_set(entry)) {
        file.open(QIODevice::Append);
        file.setFileTime(entryTime(archive_entry_mtime(entry)), QFileDevice::FileModificationTime);
        if (archive_entry_atime_is_set(entry))
            file.setFileTime(entryTime(archive_entry_atime(entry)), QFileDevice::FileAccessTime);
        file.close();
    }
}

} // namespace

QString FileRelayArchive::cleanEntryPath(const QString &path)
{
    static const QRegularExpression leadingDot(QStringLiteral("^\\./"));
    static const QRegularExpression forbidden(QStringLiteral("[:*?\"<>|]"));
    QString clean = path;
    clean.remove(leadingDot);
    clean.remove(forbidden);
    while (clean.endsWith(QLatin1Char('/')))
        clean.chop(1);
    if (clean.isEmpty() || clean == QLatin1String(".") || !g_isSafeRelativePath(clean))
        return QString();
    return clean;
}

FileRelayArchive::_Result FileRelayArchive::extract(const QString &archivePath, const QDir &folder,
                                                    AbsProgress *progress)
{
    if (!folder.mkpath(QStringLiteral(".")))
        fail(g_tr("create %1 failed. %2").arg(folder.absolutePath(), QString()));
    ArchivePtr reader(archive_read_new(), &archive_read_free);
    archive_read_support_filter_all(reader.get());
    archive_read_support_format_all(reader.get());
    const int opened =
        archive_read_open_filename(reader.get(), QFile::encodeName(archivePath), kBlockSize);
    if (opened != ARCHIVE_OK)
        fail(g_tr("open %1(%2) error.").arg(archivePath).arg(opened));

    _Result result;
    const QString root = folder.absolutePath();
    archive_entry *entry = nullptr;
    for (;;) {
        if (progress)
            progress->throwIfCancelled();
        const int next = archive_read_next_header(reader.get(), &entry);
        if (next == ARCHIVE_EOF)
            break;
        if (next < ARCHIVE_WARN)
            damaged(archivePath, reader.get());
        const QString name = entryPath(entry);
        const QString clean = cleanEntryPath(name);
        const auto type = archive_entry_filetype(entry);
        const bool plainType =
            type == AE_IFDIR || (type == AE_IFREG && !archive_entry_hardlink(entry));
        if (clean.isEmpty() || !plainType) {
            // The archive's own root (".") is no entry worth a warning.
            if (!name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("./")) {
                qCWarning(lcMobileDevice) << "file relay entry skipped:" << name << "type" << type;
                ++result.skipped;
            }
            continue;
        }
        const QString target = g_safeChildPath(root, clean);
        if (progress)
            progress->invokeUpdateProgress(g_tr("Extracting %1").arg(QFileInfo(clean).fileName()),
                                           -1, QString());
        if (type == AE_IFDIR) {
            if (!QDir(root).mkpath(clean))
                fail(g_tr("create %1 failed. %2").arg(target, QString()));
            ++result.folders;
            continue;
        }
        QDir(root).mkpath(QFileInfo(clean).path());
        writeFile(reader.get(), entry, target, archivePath, progress);
        ++result.files;
    }
    qCInfo(lcMobileDevice) << "file relay archive" << archivePath << "unpacked:" << result.files
                           << "files," << result.skipped << "entries skipped";
    return result;
}
