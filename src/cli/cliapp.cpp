#include "cli/cliapp.h"

#include "cli/backupscommand.h"
#include "cli/chatscommand.h"
#include "cli/clicontext.h"
#include "cli/deletecommand.h"
#include "cli/exportcommand.h"
#include "cli/extractcommand.h"
#include "cli/messagescommand.h"
#include "cli/savecommand.h"
#include "cli/searchcommand.h"
#include "cli/sourcescommand.h"
#include "cli/versioncommand.h"
#include "frame/appdirs.h"
#include "frame/consoletips.h"
#include "frame/logsaver.h"

#include <QDir>
#include <QTextStream>

#include <cstdio>

namespace {

void printError(const QString &text)
{
    QTextStream err(stderr);
    err << "textlink-cli: " << text << '\n';
}

} // namespace

CliApp::CliApp()
{
    m_commands.push_back(std::make_unique<VersionCommand>());
    m_commands.push_back(std::make_unique<SourcesCommand>());
    m_commands.push_back(std::make_unique<ChatsCommand>());
    m_commands.push_back(std::make_unique<MessagesCommand>());
    m_commands.push_back(std::make_unique<SearchCommand>());
    m_commands.push_back(std::make_unique<SaveCommand>());
    m_commands.push_back(std::make_unique<ExportCommand>());
    m_commands.push_back(std::make_unique<ExtractCommand>());
    m_commands.push_back(std::make_unique<DeleteCommand>());
    m_commands.push_back(std::make_unique<BackupsCommand>());
}

CliApp::~CliApp() = default;

int CliApp::run(const QStringList &args)
{
    bool json = false;
    bool quiet = false;
    QString dataDir;
    int i = 0;
    for (; i < args.size() && args.at(i).startsWith(QLatin1String("--")); ++i) {
        const QString &option = args.at(i);
        if (option == QLatin1String("--json")) {
            json = true;
        } else if (option == QLatin1String("--quiet")) {
            quiet = true;
        } else if (option == QLatin1String("--data-dir")) {
            if (++i == args.size()) {
                printError(QStringLiteral("--data-dir needs a folder"));
                return ExitUsage;
            }
            dataDir = args.at(i);
        } else if (option == QLatin1String("--help")) {
            QTextStream(stdout) << usage();
            return ExitOk;
        } else {
            printError(QStringLiteral("unknown option %1").arg(option));
            QTextStream(stderr) << usage();
            return ExitUsage;
        }
    }
    if (i == args.size()) {
        QTextStream(stderr) << usage();
        return ExitUsage;
    }
    CliCommand *command = find(args.at(i));
    if (!command) {
        printError(QStringLiteral("unknown command \"%1\"").arg(args.at(i)));
        QTextStream(stderr) << usage();
        return ExitUsage;
    }

    if (!dataDir.isEmpty())
        g_setDataSaveDirOverride(QDir(dataDir).absolutePath());
    // The log goes to the data folder; nothing of it may reach stdout, which carries the records.
    logsaver_set_echo(false);
    logsaver_install_msghandler(g_logDir().absolutePath(), 10);
    ConsoleTips tips(false);
    AbsTips::install(&tips);

    CliContext context(json, quiet);
    int status = ExitError;
    try {
        status = command->run(context, args.mid(i + 1));
    } catch (const CliUsageError &e) {
        printError(QString::fromStdString(e.what()));
        QTextStream(stderr) << "usage: textlink-cli [options] " << command->name() << ' '
                            << command->usage() << '\n';
        status = ExitUsage;
    } catch (const std::exception &e) {
        printError(QString::fromUtf8(e.what()));
        status = ExitError;
    }
    AbsTips::install(nullptr);
    return status;
}

CliCommand *CliApp::find(const QString &verb)
{
    for (const auto &command : m_commands) {
        if (command->name() == verb)
            return command.get();
    }
    return nullptr;
}

QString CliApp::usage() const
{
    QString text = QStringLiteral(
        "usage: textlink-cli [--data-dir DIR] [--json] [--quiet] COMMAND [ARGS]\n\n"
        "  --data-dir DIR  use DIR as the data folder (local databases, caches, logs)\n"
        "  --json          print one JSON object per line\n"
        "  --quiet         no progress bar\n\ncommands:\n");
    for (const auto &command : m_commands) {
        text += QStringLiteral("  %1 %2\n      %3\n")
                    .arg(command->name(), command->usage(), command->summary());
    }
    return text;
}
