#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <memory>

namespace Ui {
class LocalDbSelForm;
}

// Asks which local database to save into: one of the existing ones (merging) or a new name.
class LocalDbSelForm : public QDialog
{
    Q_OBJECT
public:
    LocalDbSelForm(const QStringList &existingNames, const QString &defaultName,
                   QWidget *parent = nullptr);
    ~LocalDbSelForm() override;

    // Runs the dialog; the accepted name as typed, or "" when cancelled.
    QString execGetDbName();
    QString dbName() const { return m_name; }

    // The warning a name earns, or "" when it can name a local database. Names that are only
    // blanks, contain a character no file system accepts, or are "." or ".." (which would name
    // the databases folder or its parent) are refused.
    static QString nameProblem(const QString &name);

public Q_SLOTS:
    void accept() override;

private:
    std::unique_ptr<Ui::LocalDbSelForm> m_ui;
    QString m_name;
};
