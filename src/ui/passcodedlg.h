#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class PasscodeDlg;
}
class BackupManifest;

// Asks for the password of an encrypted backup and unlocks the backup with it. The user may try
// as often as they like; the dialog is accepted only once the backup is unlocked.
class PasscodeDlg : public QDialog
{
    Q_OBJECT
public:
    // backup must outlive the dialog.
    explicit PasscodeDlg(BackupManifest *backup, QWidget *parent = nullptr);
    ~PasscodeDlg() override;

public Q_SLOTS:
    void accept() override;

private:
    std::unique_ptr<Ui::PasscodeDlg> m_ui;
    BackupManifest *const m_backup;
};
