// Writes the demo phone's backup: a few hundred messages with pictures, a contact card and an
// address book, the same on every run.
#include "fixtures/demobackup.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QTextStream>

#include <exception>

int main(int argc, char **argv)
{
    // The captions of the pictures need fonts, hence a GUI application, but never a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // The database wrapper's notes on every file it opens are of no use to someone making data.
    QLoggingCategory::setFilterRules(QStringLiteral("textlink.*.debug=false"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes the demo iPhone backup (plain) into a folder."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("folder"),
                                 QStringLiteral("Folder to write; made when missing."));
    parser.process(app);
    QTextStream err(stderr);
    if (parser.positionalArguments().size() != 1) {
        err << parser.helpText();
        return 2;
    }
    const QString folder = QDir(parser.positionalArguments().first()).absolutePath();
    try {
        const DemoBackup::Summary summary = DemoBackup().write(folder);
        QTextStream(stdout) << folder << '\t' << summary.messages << " messages in "
                            << summary.messagesOfConversation.size() << " conversations\n";
    } catch (const std::exception &e) {
        err << "make-demo-backup: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
