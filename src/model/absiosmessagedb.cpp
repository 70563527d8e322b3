#include "model/absiosmessagedb.h"

#include <QMap>
#include <QStringList>

AbsIOSMessageDb::AbsIOSMessageDb() = default;

AbsIOSMessageDb::~AbsIOSMessageDb() = default;

int AbsIOSMessageDb::checkDbType(const QString &path)
{
    QMap<QString, QString> tables;
    {
        Sqlite3DB db;
        db.openThrow(path, Sqlite3DB::kOpenReadWrite);
        Sqlite3Cursor cursor = db.queryThrow("select * from sqlite_master where type='table'");
        while (cursor.moveNext())
            tables.insert(cursor.getText(QStringLiteral("name")),
                          cursor.getText(QStringLiteral("sql")));
    }
    static const QStringList ios6Tables = {
        QStringLiteral("chat"), QStringLiteral("handle"), QStringLiteral("chat_handle_join"),
        QStringLiteral("message"), QStringLiteral("chat_message_join")};
    for (const QString &table : ios6Tables) {
        if (!tables.contains(table))
            return kIOS5;
    }
    return kIOS6;
}
