#pragma once

#include "itunes/itemmodelloadbk.h"

#include <QDialog>
#include <QDir>
#include <QList>
#include <QSharedPointer>

#include <memory>

namespace Ui {
class LoadItunesBackupDlg;
}
class BackupManifest;

// Lets the user pick the backup to load: every backup found in the backup folders, newest first,
// plus any folder the user adds by hand.
class LoadItunesBackupDlg : public QDialog
{
    Q_OBJECT
public:
    // Lists the backups below each of backupRoots; one that cannot be read is reported and left
    // out.
    explicit LoadItunesBackupDlg(const QList<QDir> &backupRoots, QWidget *parent = nullptr);
    ~LoadItunesBackupDlg() override;

    // Runs the dialog; the chosen backup (its information read), or null when cancelled.
    QSharedPointer<BackupManifest> execSelect();
    QSharedPointer<BackupManifest> selectedBackup() const { return m_selected; }
    const ItemModelLoadBk &model() const { return *m_model; }

    // Lists the backup in folder and selects it. False, after telling the user why, when that
    // backup is listed already or cannot be read.
    bool addBackupFolder(const QString &folder);

public Q_SLOTS:
    void accept() override;

private:
    void onAddOther();
    void selectRow(int row);
    static void reportUnreadable(const ItemModelLoadBk::_ScanResult &result);

    std::unique_ptr<Ui::LoadItunesBackupDlg> m_ui;
    ItemModelLoadBk *m_model = nullptr;
    QSharedPointer<BackupManifest> m_selected;
};
