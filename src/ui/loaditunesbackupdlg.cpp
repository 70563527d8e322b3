#include "ui/loaditunesbackupdlg.h"

#include "frame/translation.h"
#include "itunes/backupmanifest.h"
#include "ui/dialoglook.h"
#include "ui/tips.h"
#include "ui/uilogging.h"
#include "ui_loaditunesbackupdlg.h"

#include <QFileDialog>
#include <QHeaderView>

namespace {

constexpr int kNameColumnWidth = 160;
constexpr int kDateColumnWidth = 140;

} // namespace

LoadItunesBackupDlg::LoadItunesBackupDlg(const QList<QDir> &backupRoots, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::LoadItunesBackupDlg>())
    , m_model(new ItemModelLoadBk(this))
{
    m_ui->setupUi(this);
    g_applyDialogLook(*this);
    setWindowTitle(g_tr("IDS_SELECT_AN_ITUNES_BACKUP_TO_LOAD"));
    m_ui->lbTitle->setText(g_tr("IDS_SELECT_AN_ITUNES_BACKUP_TO_LOAD"));
    m_ui->lbAddOther->setText(g_tr("IDS_LOAD_BK_ADD_OTHER"));
    m_ui->btnLoad->setText(g_tr("IDS_LOAD"));
    m_ui->btnCancel->setText(g_tr("IDS_CANCEL"));
    m_ui->listBackups->setModel(m_model);
    m_ui->listBackups->setColumnWidth(ItemModelLoadBk::ColumnName, kNameColumnWidth);
    m_ui->listBackups->setColumnWidth(ItemModelLoadBk::ColumnDate, kDateColumnWidth);
    m_ui->listBackups->header()->setStretchLastSection(true);

    connect(m_ui->lbAddOther, &QLabel::linkActivated, this, &LoadItunesBackupDlg::onAddOther);
    connect(m_ui->btnLoad, &QPushButton::clicked, this, &LoadItunesBackupDlg::accept);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &LoadItunesBackupDlg::reject);
    connect(m_ui->listBackups, &QAbstractItemView::doubleClicked, this,
            &LoadItunesBackupDlg::accept);

    for (const QDir &root : backupRoots) {
        for (const ItemModelLoadBk::_ScanResult &result : m_model->addBackupsIn(root)) {
            if (!result.backup)
                reportUnreadable(result);
        }
    }
}

LoadItunesBackupDlg::~LoadItunesBackupDlg() = default;

QSharedPointer<BackupManifest> LoadItunesBackupDlg::execSelect()
{
    m_selected.reset();
    return exec() == QDialog::Accepted ? m_selected : nullptr;
}

bool LoadItunesBackupDlg::addBackupFolder(const QString &folder)
{
    const BackupManifest probe(folder);
    if (m_model->contains(probe)) {
        Tips::warning(g_tr("IDS_LOAD_BK_EXISTS"));
        return false;
    }
    const ItemModelLoadBk::_ScanResult result = ItemModelLoadBk::readBackup(folder);
    if (!result.backup) {
        reportUnreadable(result);
        return false;
    }
    selectRow(m_model->addBackup(result.backup));
    return true;
}

void LoadItunesBackupDlg::accept()
{
    const QModelIndexList rows = m_ui->listBackups->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        Tips::warning(g_tr("IDS_PLEASE_SELECT_ONE_ITUNES_BACKUP"));
        return;
    }
    m_selected = m_model->backupAt(rows.first().row());
    QDialog::accept();
}

void LoadItunesBackupDlg::onAddOther()
{
    const QString folder = QFileDialog::getExistingDirectory(
        this, g_tr("IDS_SELECT_AN_ITUNES_BACKUP_TO_LOAD"), QString(), QFileDialog::ShowDirsOnly);
    if (!folder.isEmpty())
        addBackupFolder(folder);
}

void LoadItunesBackupDlg::selectRow(int row)
{
    const QModelIndex index = m_model->index(row, ItemModelLoadBk::ColumnName);
    m_ui->listBackups->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_ui->listBackups->scrollTo(index);
}

void LoadItunesBackupDlg::reportUnreadable(const ItemModelLoadBk::_ScanResult &result)
{
    qCWarning(lcUi) << "backup not listed:" << result.path << result.error;
    Tips::error(g_tr("IDS_LOAD_BK_ERROR_%1_%2")
                    .arg(result.path.toHtmlEscaped(), result.error.toHtmlEscaped()));
}
