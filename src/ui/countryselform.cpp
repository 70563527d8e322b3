#include "ui/countryselform.h"

#include "frame/translation.h"
#include "model/countrylibdb.h"
#include "model/sqlite3cursor.h"
#include "ui/dialoglook.h"
#include "ui/tips.h"
#include "ui/uilogging.h"
#include "ui_countryselform.h"

#include <QListWidgetItem>

#include <exception>

namespace {

constexpr int kMccRole = Qt::UserRole;

} // namespace

CountrySelForm::CountrySelForm(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CountrySelForm>())
{
    m_ui->setupUi(this);
    g_applyDialogLook(*this);
    setWindowTitle(g_tr("IDS_SEL_YOUR_PHONE_COUNTRY"));
    m_ui->lbTitle->setText(g_tr("IDS_SEL_YOUR_PHONE_COUNTRY"));
    m_ui->btnOK->setText(g_tr("IDS_OK"));
    m_ui->btnClose->setText(g_tr("IDS_CANCEL"));
    connect(m_ui->btnOK, &QPushButton::clicked, this, &CountrySelForm::accept);
    connect(m_ui->btnClose, &QPushButton::clicked, this, &CountrySelForm::reject);
    connect(m_ui->txtKW, &QLineEdit::textChanged, this, &CountrySelForm::applyFilter);
    loadCountries();
}

CountrySelForm::~CountrySelForm() = default;

QString CountrySelForm::execGetMcc()
{
    m_mcc.clear();
    return exec() == QDialog::Accepted ? m_mcc : QString();
}

void CountrySelForm::loadCountries()
{
    try {
        CountryLibDb library{QString()};
        library.openCheck();
        // substr(mmc, 0, 4) yields the first three characters: the country's first MCC.
        Sqlite3Cursor rows = library.queryThrow(
            "select pnum, n, substr(mmc,0,4) as mmc from countries order by n asc");
        while (rows.moveNext()) {
            auto *item = new QListWidgetItem(
                g_tr("IDS_COUNTRY_%1_CODE_%2")
                    .arg(rows.getText(QStringLiteral("n")), rows.getText(QStringLiteral("pnum"))),
                m_ui->ltCountries); // the list owns its items
            item->setData(kMccRole, rows.getText(QStringLiteral("mmc")));
        }
    } catch (const std::exception &e) {
        qCWarning(lcUi) << "country list not loaded:" << e.what();
        Tips::error(QString::fromUtf8(e.what()));
    }
}

void CountrySelForm::applyFilter(const QString &text)
{
    for (int row = 0; row < m_ui->ltCountries->count(); ++row) {
        QListWidgetItem *item = m_ui->ltCountries->item(row);
        item->setHidden(!item->text().contains(text, Qt::CaseInsensitive));
    }
}

void CountrySelForm::accept()
{
    const QListWidgetItem *item = m_ui->ltCountries->currentItem();
    // A current item hidden by the filter is not what the user sees selected.
    if (!item || item->isHidden()) {
        Tips::warning(g_tr("IDS_CANT_CONTINUE_WITHOUT_SEL_ONE_COUNTRY"));
        return;
    }
    if (!Tips::question(g_tr("IDS_CONFIRM_SEL_COUNTRY_%1").arg(item->text())))
        return;
    m_mcc = item->data(kMccRole).toString();
    QDialog::accept();
}
