#pragma once

#include "cli/clicommand.h"

class QDir;
class CliOutput;

// Local databases and virtual devices of the data folder, with their sizes.
class SourcesCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("sources"); }
    QString usage() const override { return QString(); }
    QString summary() const override
    {
        return QStringLiteral("local databases and virtual devices: name, path, chats, messages");
    }
    int run(CliContext &context, const QStringList &args) override;

private:
    static void listFolder(CliOutput &output, const QDir &root, const QString &kind);
};
