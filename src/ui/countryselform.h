#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class CountrySelForm;
}

// Lets the user pick the phone's country when it cannot be read from the phone; the result is the
// country's first mobile country code.
class CountrySelForm : public QDialog
{
    Q_OBJECT
public:
    explicit CountrySelForm(QWidget *parent = nullptr);
    ~CountrySelForm() override;

    // Runs the dialog; the chosen country's MCC, or "" when cancelled.
    QString execGetMcc();
    QString selectedMcc() const { return m_mcc; }

public Q_SLOTS:
    void accept() override;

private:
    void loadCountries();
    void applyFilter(const QString &text);

    std::unique_ptr<Ui::CountrySelForm> m_ui;
    QString m_mcc;
};
