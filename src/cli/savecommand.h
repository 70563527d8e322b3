#pragma once

#include "cli/clicommand.h"

class QDir;

// Saves the messages of a source (or of one conversation) into a local database, created when
// missing; messages it already holds are not saved twice.
class SaveCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("save"); }
    QString usage() const override { return QStringLiteral("SOURCE --to NAME [--chat ID]"); }
    QString summary() const override
    {
        return QStringLiteral("save messages into local database NAME (created when missing)");
    }
    int run(CliContext &context, const QStringList &args) override;

    // Whether name can name a local database folder.
    static bool isValidDbName(const QString &name);
    // Why name cannot name one, for the user.
    static std::string invalidNameText(const QString &name);
    // The folder of the database called name: an existing one whose name differs only in letter
    // case is the same database.
    static QDir databaseFolder(const QString &name);
};
