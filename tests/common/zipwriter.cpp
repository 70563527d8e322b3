#include "zipwriter.h"

#include <QFile>

#include <archive.h>
#include <archive_entry.h>

#include <memory>

bool g_writeZip(const QString &path, const QList<QPair<QString, QByteArray>> &entries)
{
    const std::unique_ptr<archive, int (*)(archive *)> zip(archive_write_new(), archive_write_free);
    if (archive_write_set_format_zip(zip.get()) != ARCHIVE_OK ||
        archive_write_open_filename(zip.get(), QFile::encodeName(path).constData()) != ARCHIVE_OK)
        return false;
    for (const auto &[name, bytes] : entries) {
        const std::unique_ptr<archive_entry, void (*)(archive_entry *)> entry(archive_entry_new(),
                                                                              archive_entry_free);
        archive_entry_set_pathname(entry.get(), name.toUtf8().constData());
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_perm(entry.get(), 0644);
        archive_entry_set_size(entry.get(), bytes.size());
        if (archive_write_header(zip.get(), entry.get()) != ARCHIVE_OK ||
            archive_write_data(zip.get(), bytes.constData(), size_t(bytes.size())) != bytes.size())
            return false;
    }
    return archive_write_close(zip.get()) == ARCHIVE_OK;
}
