#include "ui/datasourceselform.h"

#include "frame/translation.h"
#include "ui/dialoglook.h"
#include "ui/tips.h"
#include "ui_datasourceselform.h"

#include <QIcon>

DataSourceSelForm::DataSourceSelForm(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::DataSourceSelForm>())
{
    m_ui->setupUi(this);
    g_applyDialogLook(*this);
    setWindowTitle(g_tr("IDS_TITLE_SELECT_ONE_DEVICE_TO_TRANSFER"));
    m_ui->lbTitle->setText(g_tr("IDS_TITLE_SELECT_ONE_DEVICE_TO_TRANSFER"));
    m_ui->btnOK->setText(g_tr("IDS_OK"));
    m_ui->btnClose->setText(g_tr("IDS_CANCEL"));
    connect(m_ui->btnOK, &QPushButton::clicked, this, &DataSourceSelForm::accept);
    connect(m_ui->btnClose, &QPushButton::clicked, this, &DataSourceSelForm::reject);
}

DataSourceSelForm::~DataSourceSelForm() = default;

AbsTreeItemModel::_ItemNode *DataSourceSelForm::execSel(const QString &prompt,
                                                        const QList<_SelItem> &items)
{
    m_items = items;
    m_ui->lbPrompt->setText(prompt);
    m_ui->cbSources->clear();
    for (const _SelItem &item : items)
        m_ui->cbSources->addItem(QIcon(item.iconPath), item.label);
    // With a single candidate there is nothing to choose.
    m_ui->cbSources->setCurrentIndex(items.size() < 2 ? 0 : -1);
    if (exec() != QDialog::Accepted)
        return nullptr;
    return m_items.at(m_ui->cbSources->currentIndex()).value;
}

void DataSourceSelForm::accept()
{
    const int current = m_ui->cbSources->currentIndex();
    if (current < 0 || current >= m_items.size()) {
        Tips::warning(g_tr("IDS_PLEASE_SELECT_ONE_DATASOURCE"));
        return;
    }
    QDialog::accept();
}
