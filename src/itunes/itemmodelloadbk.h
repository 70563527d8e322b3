#pragma once

#include "itunes/backupmanifest.h"

#include <QAbstractTableModel>
#include <QDir>
#include <QList>
#include <QSharedPointer>
#include <QString>

// The list of backups the user picks from: newest backup date first, each backup folder at most
// once. Columns: name, backup date, path.
class ItemModelLoadBk : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { ColumnName = 0, ColumnDate, ColumnPath, ColumnCount };

    // One sub-folder of a backups folder: the backup when its information could be read,
    // otherwise the error text.
    struct _ScanResult
    {
        QString path;
        QSharedPointer<BackupManifest> backup;
        QString error;
    };

    explicit ItemModelLoadBk(QObject *parent = nullptr);

    // Inserts before the first listed backup with an earlier date, so equal dates keep the order
    // of adding. Returns the row, or -1 when a backup of the same folder is listed already.
    int addBackup(const QSharedPointer<BackupManifest> &backup);
    // The row of the backup with this folder identity (dirPathMd5), or -1.
    int rowOf(const QString &dirPathMd5) const;
    bool contains(const BackupManifest &backup) const { return rowOf(backup.dirPathMd5()) >= 0; }
    QSharedPointer<BackupManifest> backupAt(int row) const;
    int backupCount() const { return static_cast<int>(m_items.size()); }

    // Reads every backup below root (its sub-folders of either backup layout,
    // oldest modification first) and adds those whose information could be read. Returns every
    // backup folder found, with the error of those left out.
    QList<_ScanResult> addBackupsIn(const QDir &root);

    // The sub-folders of root that are backups, oldest modification first, each read.
    static QList<_ScanResult> scanBackupsIn(const QDir &root);
    // One backup folder read.
    static _ScanResult readBackup(const QString &folder);
    // Where backups are looked for when the user names no folder.
    static QList<QDir> defaultBackupDirs();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QVariant displayText(const BackupManifest &backup, int column) const;

    // Plain handles: a row owns nothing but its backup.
    QList<QSharedPointer<BackupManifest>> m_items;
};
