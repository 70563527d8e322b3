#include "messageboxcloser.h"

#include "ui/countryselform.h"
#include "ui/datasourceselform.h"
#include "ui/localdbselform.h"
#include "uitestdata.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

const QString kInvalid = QStringLiteral("Invalid Local Database name(can't contain \\ / : * ? \" "
                                        "< > |).");
const QString kEmpty = QStringLiteral("Select one Database or enter a new Database name");

// Types name into the dialog and presses Confirm; returns the warnings shown.
QStringList confirmWith(LocalDbSelForm &form, const QString &name)
{
    MessageBoxCloser closer;
    form.findChild<QComboBox *>(QStringLiteral("cbLocalDbNames"))->setEditText(name);
    form.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
    return closer.texts();
}

QStringList visibleItems(const QListWidget &list)
{
    QStringList texts;
    for (int row = 0; row < list.count(); ++row) {
        if (!list.item(row)->isHidden())
            texts << list.item(row)->text();
    }
    return texts;
}

} // namespace

TEST(LocalDbSelForm, NameRules)
{
    EXPECT_EQ(LocalDbSelForm::nameProblem(QString()), kEmpty);
    EXPECT_EQ(LocalDbSelForm::nameProblem(QStringLiteral("  \t")), kEmpty);
    for (const char *bad :
         {"a/b", "a\\b", "c:", "x*", "why?", "\"q\"", "<a>", "p|q", ".", "..", " .. "})
        EXPECT_EQ(LocalDbSelForm::nameProblem(QString::fromUtf8(bad)), kInvalid) << bad;
    for (const char *good : {"Work phone", " padded ", "...", ".hidden", "2012.01"})
        EXPECT_EQ(LocalDbSelForm::nameProblem(QString::fromUtf8(good)), QString()) << good;
}

TEST(LocalDbSelForm, ListsExistingNamesAfterAnEmptyItemAndPresetsTheDefault)
{
    LocalDbSelForm form({QStringLiteral("b"), QStringLiteral("a")}, QStringLiteral("phone_Backup"));
    const auto *names = form.findChild<QComboBox *>(QStringLiteral("cbLocalDbNames"));
    ASSERT_NE(names, nullptr);
    QStringList items;
    for (int i = 0; i < names->count(); ++i)
        items << names->itemText(i);
    EXPECT_EQ(items, QStringList({QString(), "b", "a"}));
    EXPECT_EQ(names->currentText(), QStringLiteral("phone_Backup"));
}

TEST(LocalDbSelForm, RefusedNamesKeepTheDialogOpenAndGoodNamesAreReturnedAsTyped)
{
    LocalDbSelForm form({}, QString());
    form.show();
    EXPECT_EQ(confirmWith(form, QStringLiteral("   ")), QStringList({kEmpty}));
    EXPECT_EQ(confirmWith(form, QStringLiteral("..")), QStringList({kInvalid}));
    EXPECT_EQ(confirmWith(form, QStringLiteral("a/b")), QStringList({kInvalid}));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.result(), 0);

    EXPECT_EQ(confirmWith(form, QStringLiteral(" new db ")), QStringList());
    EXPECT_EQ(form.result(), int(QDialog::Accepted));
    EXPECT_EQ(form.dbName(), QStringLiteral(" new db "));
}

TEST(LocalDbSelForm, CancelGivesNoName)
{
    LocalDbSelForm form({QStringLiteral("a")}, QStringLiteral("b"));
    g_whenModal([&form](QWidget *modal) {
        if (modal != &form)
            return false;
        form.findChild<QPushButton *>(QStringLiteral("btnClose"))->click();
        return true;
    });
    EXPECT_EQ(form.execGetDbName(), QString());
}

TEST(DataSourceSelForm, SingleEntryIsPreselectedAndSeveralNeedAChoice)
{
    AbsTreeItemModel::_ItemNode first(4, QStringLiteral("Pixel"));
    AbsTreeItemModel::_ItemNode second(4, QStringLiteral("Galaxy"));
    {
        DataSourceSelForm form;
        g_whenModal([&form](QWidget *modal) {
            if (modal != &form)
                return false;
            form.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
            return true;
        });
        EXPECT_EQ(form.execSel(QStringLiteral("Pick"), {{QString(), first.title, &first}}), &first);
    }
    DataSourceSelForm form;
    QStringList warnings;
    g_whenModal([&form, &warnings](QWidget *modal) {
        if (modal != &form)
            return false;
        auto *sources = form.findChild<QComboBox *>(QStringLiteral("cbSources"));
        EXPECT_EQ(sources->currentIndex(), -1);
        MessageBoxCloser closer;
        form.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
        warnings = closer.texts();
        sources->setCurrentIndex(1);
        form.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
        return true;
    });
    EXPECT_EQ(form.execSel(QStringLiteral("Pick"),
                           {{QString(), first.title, &first}, {QString(), second.title, &second}}),
              &second);
    EXPECT_EQ(warnings, QStringList({QStringLiteral("Please select a device to continue.")}));
}

TEST(CountrySelForm, FilterShowsMatchingCountriesAndConfirmationGivesTheMcc)
{
    CountrySelForm form;
    form.show();
    auto *list = form.findChild<QListWidget *>(QStringLiteral("ltCountries"));
    ASSERT_NE(list, nullptr);
    EXPECT_GT(list->count(), 200);

    {
        MessageBoxCloser closer;
        form.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
        EXPECT_EQ(closer.texts(), QStringList{"Please select a country code to continue."});
    }

    form.findChild<QLineEdit *>(QStringLiteral("txtKW"))->setText(QStringLiteral("GER"));
    const QStringList shown = visibleItems(*list);
    EXPECT_TRUE(shown.contains(QStringLiteral("Germany (+49)"))) << shown.join('|').toStdString();
    for (const QString &label : shown)
        EXPECT_TRUE(label.contains(QStringLiteral("ger"), Qt::CaseInsensitive));

    const auto germany = list->findItems(QStringLiteral("Germany (+49)"), Qt::MatchExactly);
    ASSERT_EQ(germany.size(), 1);
    list->setCurrentItem(germany.first());
    {
        MessageBoxCloser closer(QMessageBox::No);
        form.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
        EXPECT_EQ(closer.last().text, QStringLiteral("Confirm to select Germany (+49)?"));
        EXPECT_EQ(form.selectedMcc(), QString());
    }
    MessageBoxCloser closer(QMessageBox::Yes);
    form.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
    EXPECT_EQ(form.selectedMcc(), QStringLiteral("262"));
    EXPECT_EQ(form.result(), int(QDialog::Accepted));
}
