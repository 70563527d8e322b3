#include "itunes/itemmodelloadbk.h"

#include "frame/translation.h"
#include "itunes/ituneslog.h"

#include <QColor>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPixmap>
#include <QSize>

#include <algorithm>
#include <stdexcept>

namespace {

constexpr int kRowHeight = 25;
constexpr int kIconWidth = 18;
const char *const kIconPath = ":/res/iphone.png";

QPixmap deviceIcon()
{
    if (!QFile::exists(QLatin1String(kIconPath)))
        return QPixmap();
    return QPixmap(QLatin1String(kIconPath)).scaledToWidth(kIconWidth, Qt::SmoothTransformation);
}

} // namespace

ItemModelLoadBk::ItemModelLoadBk(QObject *parent) : QAbstractTableModel(parent) {}

int ItemModelLoadBk::addBackup(const QSharedPointer<BackupManifest> &backup)
{
    if (!backup || contains(*backup))
        return -1;
    const QDateTime date = backup->info().date;
    const auto earlier =
        std::find_if(m_items.cbegin(), m_items.cend(),
                     [&date](const auto &listed) { return listed->info().date < date; });
    const int row = static_cast<int>(earlier - m_items.cbegin());
    beginInsertRows(QModelIndex(), row, row);
    m_items.insert(row, backup);
    endInsertRows();
    return row;
}

int ItemModelLoadBk::rowOf(const QString &dirPathMd5) const
{
    for (int row = 0; row < m_items.size(); ++row) {
        if (m_items.at(row)->dirPathMd5() == dirPathMd5)
            return row;
    }
    return -1;
}

QSharedPointer<BackupManifest> ItemModelLoadBk::backupAt(int row) const
{
    return row >= 0 && row < m_items.size() ? m_items.at(row) : nullptr;
}

QList<ItemModelLoadBk::_ScanResult> ItemModelLoadBk::addBackupsIn(const QDir &root)
{
    const QList<_ScanResult> found = scanBackupsIn(root);
    for (const _ScanResult &result : found) {
        if (result.backup)
            addBackup(result.backup);
    }
    return found;
}

QList<ItemModelLoadBk::_ScanResult> ItemModelLoadBk::scanBackupsIn(const QDir &root)
{
    QList<_ScanResult> results;
    const QFileInfoList folders =
        root.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Time | QDir::Reversed);
    for (const QFileInfo &folder : folders) {
        if (BackupManifest::isBackupFolder(QDir(folder.absoluteFilePath())))
            results.append(readBackup(folder.absoluteFilePath()));
    }
    return results;
}

ItemModelLoadBk::_ScanResult ItemModelLoadBk::readBackup(const QString &folder)
{
    _ScanResult result;
    auto backup = QSharedPointer<BackupManifest>::create(folder);
    result.path = backup->path();
    try {
        backup->readManifestInfo();
        result.backup = backup;
    } catch (const std::runtime_error &e) {
        result.error = QString::fromUtf8(e.what());
        qCWarning(lcItunes) << "load" << folder << "error." << result.error;
    }
    return result;
}

QList<QDir> ItemModelLoadBk::defaultBackupDirs()
{
    return {BackupManifest::iTunesBackupDir()};
}

int ItemModelLoadBk::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_items.size());
}

int ItemModelLoadBk::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ItemModelLoadBk::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return displayText(*m_items.at(index.row()), index.column());
    case Qt::DecorationRole:
        return index.column() == ColumnName ? QVariant(deviceIcon()) : QVariant();
    case Qt::SizeHintRole:
        return QSize(-1, kRowHeight);
    case Qt::BackgroundRole:
        return index.row() % 2 == 0 ? QColor(250, 250, 250) : QColor(255, 255, 255);
    default:
        return QVariant();
    }
}

QVariant ItemModelLoadBk::displayText(const BackupManifest &backup, int column) const
{
    switch (column) {
    case ColumnName:
        // An unfinished backup is still offered: most of it is usually there.
        return backup.info().complete ? backup.displayName()
                                      : g_tr("IDS_BACKUP_INCOMPLETE_%1").arg(backup.displayName());
    case ColumnDate:
        return QLocale::system().toString(backup.info().date, QLocale::ShortFormat);
    case ColumnPath:
        return QDir::toNativeSeparators(backup.path());
    default:
        return QVariant();
    }
}

QVariant ItemModelLoadBk::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case ColumnName:
        return g_tr("IDS_BACKUP_COLUMN_NAME");
    case ColumnDate:
        return g_tr("IDS_BACKUP_COLUMN_DATE");
    case ColumnPath:
        return g_tr("IDS_BACKUP_COLUMN_PATH");
    default:
        return QVariant();
    }
}
