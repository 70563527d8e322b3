#include "ui/droppedsource.h"

#include "frame/filenames.h"
#include "itunes/backupmanifest.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kSmsDbRelativePath = QStringLiteral("file-relay/var/mobile/Library/SMS/sms.db");

// SQLite's own header; anything else dropped is not a message database.
bool isSqliteFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3\0", 16);
}

} // namespace

DroppedSource::DroppedSource(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        const QString folder = info.absoluteFilePath();
        if (BackupManifest::isBackupFolder(QDir(folder))) {
            m_kind = Kind::Backup;
            m_path = folder;
        } else if (QFileInfo(smsDbPathIn(folder)).isFile()) {
            m_kind = Kind::PhoneFolder;
            m_path = folder;
        }
        return;
    }
    if (!info.isFile() || !isSqliteFile(path))
        return;
    const QString file = info.absoluteFilePath();
    if (file.endsWith(QLatin1Char('/') + kSmsDbRelativePath)) {
        m_kind = Kind::PhoneFolder;
        m_path = file.chopped(kSmsDbRelativePath.size() + 1);
    } else {
        m_kind = Kind::MessageDb;
        m_path = file;
    }
}

QString DroppedSource::smsDbPathIn(const QString &folder)
{
    return QDir(folder).filePath(kSmsDbRelativePath);
}

QString DroppedSource::makePhoneFolder(const QString &databaseFile, const QString &parent)
{
    const QString name = g_formatFileName(QFileInfo(databaseFile).completeBaseName());
    const QString folder = g_getValidFilePath(QDir(parent).filePath(
        name + QDateTime::currentDateTime().toString(QStringLiteral("-yyyyMMdd-hhmmss"))));
    const QString target = smsDbPathIn(folder);
    if (!QDir().mkpath(QFileInfo(target).path()))
        return QString();
    // A database in write-ahead mode keeps its latest changes beside it.
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        if (QFileInfo::exists(databaseFile + suffix) &&
            !QFile::copy(databaseFile + suffix, target + suffix))
            return QString();
    }
    return folder;
}
