#include "cli/cliapp.h"

#include "cli/androidcommand.h"
#include "cli/backupscommand.h"
#include "cli/chatscommand.h"
#include "cli/clicontext.h"
#include "cli/clisource.h"
#include "cli/deletecommand.h"
#include "cli/exportcommand.h"
#include "cli/extractcommand.h"
#include "cli/importbackupcommand.h"
#include "cli/ioscommand.h"
#include "cli/messagescommand.h"
#include "cli/savecommand.h"
#include "cli/searchcommand.h"
#include "cli/sourcescommand.h"
#include "cli/versioncommand.h"
#include "frame/appdirs.h"
#include "frame/consoleprogress.h"
#include "frame/consoletips.h"
#include "frame/errortext.h"
#include "frame/logsaver.h"
#include "localdb/updatelocaldbthread.h"

#include <QDir>
#include <QLoggingCategory>
#include <QTextStream>

#include <cstdio>
#include <stdexcept>

namespace {

void printError(const QString &text)
{
    QTextStream err(stderr);
    err << "textlink-cli: " << g_oneLine(text) << '\n';
}

// Converts the local databases of the old single-file layout before a verb looks at the data
// folder. Unlike the desktop program, which asks for a restart, the verb can go on at once: it
// lists and opens the local databases only after this.
void updateOldDatabases(bool quiet)
{
    if (UpdateLocalDbThread::oldDatabaseFolders().isEmpty())
        return;
    ConsoleProgress progress(CliContext::progressOutput(quiet));
    UpdateLocalDbThread worker(progress);
    CliContext::runWorker(progress, worker);
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
    m_commands.push_back(std::make_unique<ImportBackupCommand>());
    m_commands.push_back(std::make_unique<IosCommand>());
    m_commands.push_back(std::make_unique<AndroidCommand>());
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
        } else if (option == QLatin1String("--salvage")) {
            CliSource::setSalvageDamaged(true);
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
    // Said once, before opening the log there would add lines of its own.
    if (command->name() != QLatin1String("version")) {
        const QString problem = g_dataSaveDirProblem();
        if (!problem.isEmpty()) {
            printError(problem);
            return ExitError;
        }
    }
    // The log goes to the data folder; nothing of it may reach stdout, which carries the records.
    // Finding the log folder logs too, before the log is open: only warnings may show then.
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false"));
    const QString logDir = g_logDir().absolutePath();
    QLoggingCategory::setFilterRules(QString());
    logsaver_set_echo(false);
    logsaver_install_msghandler(logDir, 10);
    ConsoleTips tips(false);
    AbsTips::install(&tips);

    CliContext context(json, quiet);
    CliSource::setProgressOutput(context.progressOutput());
    int status = ExitError;
    try {
        // Only `version` reads nothing from the data folder.
        if (command->name() != QLatin1String("version"))
            updateOldDatabases(quiet);
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
        "usage: textlink-cli [--data-dir DIR] [--json] [--quiet] [--salvage] COMMAND [ARGS]\n\n"
        "  --data-dir DIR  use DIR as the data folder (local databases, caches, logs)\n"
        "  --json          print one JSON object per line\n"
        "  --quiet         no progress bar\n"
        "  --salvage       read what is left of a damaged phone database\n\ncommands:\n");
    for (const auto &command : m_commands) {
        text += QStringLiteral("  %1 %2\n      %3\n")
                    .arg(command->name(), command->usage(), command->summary());
    }
    return text;
}
