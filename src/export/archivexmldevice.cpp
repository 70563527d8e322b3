#include "export/archivexmldevice.h"

#include "frame/translation.h"

#include <QFile>

#include <archive.h>
#include <archive_entry.h>

#include <stdexcept>

namespace {

[[noreturn]] void fail(const QString &path, const QString &reason)
{
    throw std::runtime_error(g_tr("IDS_SMSXML_READ_FAILED_%1_%2").arg(path, reason).toStdString());
}

QString pathOf(archive_entry *entry)
{
    if (const char *utf8 = archive_entry_pathname_utf8(entry))
        return QString::fromUtf8(utf8);
    const char *raw = archive_entry_pathname(entry);
    return raw ? QString::fromLocal8Bit(raw) : QString();
}

} // namespace

void ArchiveXmlDevice::ArchiveFree::operator()(archive *a) const
{
    archive_read_free(a);
}

ArchiveXmlDevice::ArchiveXmlDevice(const QString &archivePath) : m_archive(archive_read_new())
{
    archive *a = m_archive.get();
    if (!a)
        fail(archivePath, QStringLiteral("out of memory"));
    archive_read_support_format_zip(a);
    archive_read_support_filter_all(a);
    if (archive_read_open_filename(a, QFile::encodeName(archivePath).constData(), 64 * 1024) !=
        ARCHIVE_OK)
        fail(archivePath, QString::fromUtf8(archive_error_string(a)));
    archive_entry *entry = nullptr;
    int status = ARCHIVE_OK;
    while ((status = archive_read_next_header(a, &entry)) == ARCHIVE_OK) {
        const QString name = pathOf(entry);
        if (archive_entry_filetype(entry) == AE_IFREG &&
            name.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive)) {
            m_entryName = name;
            open(QIODevice::ReadOnly);
            return;
        }
    }
    if (status != ARCHIVE_EOF)
        fail(archivePath, QString::fromUtf8(archive_error_string(a)));
    fail(archivePath, g_tr("IDS_SMSXML_NO_XML_IN_ARCHIVE"));
}

ArchiveXmlDevice::~ArchiveXmlDevice() = default;

qint64 ArchiveXmlDevice::readData(char *data, qint64 maxSize)
{
    const la_ssize_t n = archive_read_data(m_archive.get(), data, size_t(maxSize));
    if (n < 0) {
        setErrorString(QString::fromUtf8(archive_error_string(m_archive.get())));
        return -1;
    }
    return n;
}
