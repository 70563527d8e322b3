#include "ui/passcodedlg.h"

#include "frame/translation.h"
#include "itunes/backupmanifest.h"
#include "itunes/backupunlockthread.h"
#include "ui/dialoglook.h"
#include "ui/progressform.h"
#include "ui/tips.h"
#include "ui/uilogging.h"
#include "ui_passcodedlg.h"

#include <stdexcept>

PasscodeDlg::PasscodeDlg(BackupManifest *backup, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::PasscodeDlg>()), m_backup(backup)
{
    m_ui->setupUi(this);
    g_applyDialogLook(*this);
    setWindowTitle(g_tr("IDS_PLEASE_ENTER_PASSWORD_TO_LOAD_BACKUP"));
    m_ui->lbPrompt->setText(g_tr("IDS_PLEASE_ENTER_PASSWORD_TO_LOAD_BACKUP"));
    m_ui->txtPasscode->setPlaceholderText(g_tr("IDS_ENTER_PASSWORD"));
    m_ui->btnOK->setText(g_tr("IDS_OK"));
    m_ui->btnCancel->setText(g_tr("IDS_CANCEL"));
    connect(m_ui->btnOK, &QPushButton::clicked, this, &PasscodeDlg::accept);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &PasscodeDlg::reject);
}

PasscodeDlg::~PasscodeDlg() = default;

void PasscodeDlg::accept()
{
    const QString password = m_ui->txtPasscode->text();
    if (password.isEmpty()) {
        Tips::warning(g_tr("IDS_PWD_IS_NULL"));
        return;
    }
    // The derivation takes seconds on modern backups: it runs behind a progress display that
    // can be cancelled and shows errors of a damaged keybag itself.
    ProgressForm progress(QString(), this);
    BackupUnlockThread worker(*m_backup, password, progress.progress(),
                              BackupUnlockThread::WrongPassword::Result);
    const bool finished = progress.runWorker(worker);
    if (finished && !worker.wrongPassword()) {
        QDialog::accept();
        return;
    }
    m_ui->txtPasscode->clear();
    if (worker.wrongPassword()) {
        Tips::warning(g_tr("IDS_INVALID_PASSWORD"));
        return;
    }
    // A damaged keybag opens with no password: asking again would not help. A cancel leaves the
    // dialog open for another try.
    if (worker.failed()) {
        qCWarning(lcUi) << "backup keybag unusable";
        reject();
    }
}
