#include "cli/sourcescommand.h"

#include "cli/clicontext.h"
#include "frame/appdirs.h"
#include "iosdb/ios6messagedb.h"
#include "model/sqlite3cursor.h"
#include "model/sqlite3db.h"
#include "model/sqlite3sql.h"

#include <QDir>
#include <QJsonObject>
#include <QJsonValue>

namespace {

qint64 countOf(Sqlite3DB &db, const char *sql)
{
    Sqlite3Cursor cursor = db.queryThrow(Sqlite3Sql(sql));
    return cursor.moveNext() ? cursor.getInt64(0) : 0;
}

} // namespace

int SourcesCommand::run(CliContext &context, const QStringList &args)
{
    expectArgCount(args, 0, 0);
    CliOutput &output = context.output();
    output.setColumns({QStringLiteral("kind"), QStringLiteral("name"), QStringLiteral("chats"),
                       QStringLiteral("messages"), QStringLiteral("path")});
    listFolder(output, g_localDbDir(), QStringLiteral("local"));
    const QDir data = g_dataSaveDir();
    for (const QString &kind : {QStringLiteral("virtual_ios"), QStringLiteral("virtual_android")}) {
        if (data.exists(kind))
            listFolder(output, QDir(data.filePath(kind)), kind);
    }
    return 0;
}

void SourcesCommand::listFolder(CliOutput &output, const QDir &root, const QString &kind)
{
    const QStringList names = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : names) {
        const QDir folder(root.filePath(name));
        QJsonObject record{{QStringLiteral("kind"), kind},
                           {QStringLiteral("name"), name},
                           {QStringLiteral("path"), folder.absolutePath()}};
        QJsonValue chats;
        QJsonValue messages;
        const QString dbPath = IOS6MessageDb::dbPathIn(folder);
        if (QFileInfo::exists(dbPath)) {
            try {
                Sqlite3DB db;
                db.openThrow(dbPath, 1);
                chats = countOf(db, "select count(distinct chat_identifier) from chat");
                messages = countOf(db, "select count(*) from message");
            } catch (const std::exception &e) {
                record.insert(QStringLiteral("error"), QString::fromUtf8(e.what()));
            }
        }
        record.insert(QStringLiteral("chats"), chats);
        record.insert(QStringLiteral("messages"), messages);
        output.record(record);
    }
}
