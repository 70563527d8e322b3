#pragma once

#include <QIODevice>
#include <QString>

#include <memory>

struct archive;

// The first XML file inside an archive (a .zip), read as a stream straight out of the archive:
// nothing is unpacked to disk and the file is never held in memory at once.
class ArchiveXmlDevice : public QIODevice
{
public:
    // Opens the archive and finds the entry. Throws std::runtime_error with a text for the user
    // when the archive cannot be read or holds no XML file.
    explicit ArchiveXmlDevice(const QString &archivePath);
    ~ArchiveXmlDevice() override;

    bool isSequential() const override { return true; }
    // The entry's name inside the archive.
    const QString &entryName() const { return m_entryName; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    struct ArchiveFree
    {
        void operator()(archive *a) const;
    };

    std::unique_ptr<archive, ArchiveFree> m_archive;
    QString m_entryName;
};
