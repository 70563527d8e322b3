#include "ui/localdbselform.h"

#include "frame/translation.h"
#include "ui/dialoglook.h"
#include "ui/tips.h"
#include "ui/uilogging.h"
#include "ui_localdbselform.h"

#include <QRegularExpression>

LocalDbSelForm::LocalDbSelForm(const QStringList &existingNames, const QString &defaultName,
                               QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::LocalDbSelForm>())
{
    m_ui->setupUi(this);
    g_applyDialogLook(*this);
    setWindowTitle(g_tr("IDS_LOCALDB_SEL_TITLE"));
    m_ui->lbTitle->setText(g_tr("IDS_LOCALDB_SEL_TITLE"));
    m_ui->lbPrompt->setText(g_tr("IDS_LOCALDB_SEL_PROMPT"));
    m_ui->lbHint->setText(g_tr("IDS_LOCALDB_SEL_HINT"));
    m_ui->btnOK->setText(g_tr("IDS_CONFIRM"));
    m_ui->btnClose->setText(g_tr("IDS_CANCEL"));

    m_ui->cbLocalDbNames->addItem(QString());
    m_ui->cbLocalDbNames->addItems(existingNames);
    m_ui->cbLocalDbNames->setCurrentIndex(-1);
    m_ui->cbLocalDbNames->setEditText(defaultName);

    connect(m_ui->btnOK, &QPushButton::clicked, this, &LocalDbSelForm::accept);
    connect(m_ui->btnClose, &QPushButton::clicked, this, &LocalDbSelForm::reject);
}

LocalDbSelForm::~LocalDbSelForm() = default;

QString LocalDbSelForm::execGetDbName()
{
    m_name.clear();
    return exec() == QDialog::Accepted ? m_name : QString();
}

QString LocalDbSelForm::nameProblem(const QString &name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return g_tr("IDS_PLEASE_SELECT_DATABASE_OR_INPUT_NEW_NAME");
    static const QRegularExpression forbidden(QStringLiteral("[\\\\/:*?\"<>|]+"));
    if (name.contains(forbidden) || trimmed == QLatin1String(".") || trimmed == QLatin1String(".."))
        return g_tr("IDS_INVALID_LOCALDB_NAME");
    return QString();
}

void LocalDbSelForm::accept()
{
    const QString name = m_ui->cbLocalDbNames->currentText();
    const QString problem = nameProblem(name);
    if (!problem.isEmpty()) {
        qCInfo(lcUi) << "local database name refused:" << name;
        Tips::warning(problem);
        return;
    }
    m_name = name;
    QDialog::accept();
}
