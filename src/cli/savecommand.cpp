#include "cli/savecommand.h"

#include "cli/cliargs.h"
#include "cli/clicontext.h"
#include "cli/clisource.h"
#include "cli/messagerecords.h"
#include "frame/appdirs.h"
#include "frame/consoleprogress.h"
#include "frame/filenames.h"
#include "frame/translation.h"
#include "localdb/backupsmsthread.h"

#include <QFileInfo>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTextStream>

#include <memory>
#include <stdexcept>

namespace {

const QRegularExpression &forbiddenNameChars()
{
    static const QRegularExpression forbidden(QStringLiteral("[\\\\/:*?\"<>|]"));
    return forbidden;
}

bool isSameFolder(const QDir &a, const QDir &b)
{
    const QString path = QFileInfo(a.absolutePath()).canonicalFilePath();
    return !path.isEmpty() && path == QFileInfo(b.absolutePath()).canonicalFilePath();
}

} // namespace

bool SaveCommand::isValidDbName(const QString &name)
{
    const QRegularExpression &forbidden = forbiddenNameChars();
    const QString trimmed = name.trimmed();
    return !trimmed.isEmpty() && trimmed != QLatin1String(".") && trimmed != QLatin1String("..") &&
           !name.contains(forbidden) && name.toUtf8().size() <= kMaxFileNameBytes;
}

std::string SaveCommand::invalidNameText(const QString &name)
{
    if (name.contains(forbiddenNameChars()))
        return g_tr("IDS_INVALID_LOCALDB_NAME").toStdString();
    return g_tr("IDS_CLI_INVALID_DB_NAME_%1").arg(kMaxFileNameBytes).toStdString();
}

QDir SaveCommand::databaseFolder(const QString &name)
{
    const QDir root = g_localDbDir();
    const QStringList existing = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &folder : existing) {
        if (folder.compare(name, Qt::CaseInsensitive) == 0)
            return QDir(root.filePath(folder));
    }
    return QDir(root.filePath(name));
}

int SaveCommand::run(CliContext &context, const QStringList &args)
{
    QStringList rest = args;
    const QString name = g_takeOption(rest, QStringLiteral("--to"));
    const QString chat = g_takeOption(rest, QStringLiteral("--chat"));
    expectArgCount(rest, 1, 1);
    if (name.isNull())
        throw CliUsageError("save: --to NAME is required");
    if (!isValidDbName(name))
        throw CliUsageError(invalidNameText(name));

    CliSource source(rest.first());
    const QDir folder = databaseFolder(name);
    ConsoleProgress progress(context.progressOutput());
    // A whole source is saved as it is read, one message at a time; one conversation is small
    // enough to load. So is a database saved into itself: its write must not wait on the read.
    // A salvaged read says how much it found before the save starts, not amid its progress.
    const bool streamed = chat.isNull() && !CliSource::salvageDamaged() &&
                          source.visitsMessages() && !isSameFolder(source.folder(), folder);
    MsgData data;
    std::unique_ptr<BackupSMSThread> saving;
    if (streamed) {
        saving = std::make_unique<BackupSMSThread>(
            [&source](const auto &total, const auto &write) {
                if (!source.visitSavedMessages(total, write))
                    throw std::logic_error("save: the source cannot be read message by message");
            },
            folder, QString(), progress);
    } else {
        data = source.load();
        saving = std::make_unique<BackupSMSThread>(g_selectMessages(data, chat), folder, QString(),
                                                   progress);
        // Nothing reads the messages after the save.
        saving->releaseWritten(data);
    }
    const BackupSMSThread &worker = *saving;
    CliContext::runWorker(progress, *saving);

    context.output().setColumns({QStringLiteral("database"), QStringLiteral("processed"),
                                 QStringLiteral("saved"), QStringLiteral("path")});
    if (context.isJson()) {
        context.output().record({{QStringLiteral("database"), folder.dirName()},
                                 {QStringLiteral("processed"), worker.processedCount()},
                                 {QStringLiteral("saved"), worker.insertedCount()},
                                 {QStringLiteral("path"), folder.absolutePath()}});
    }
    return 0;
}
