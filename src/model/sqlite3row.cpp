#include "model/sqlite3row.h"

namespace {

void appendIdentifier(QString &out, const QString &name)
{
    out += QLatin1Char('"');
    if (name.contains(QLatin1Char('"'))) {
        QString quoted = name;
        out += quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    } else {
        out += name;
    }
    out += QLatin1Char('"');
}

} // namespace

QString g_sqlIdentifier(const QString &name)
{
    QString quoted;
    appendIdentifier(quoted, name);
    return quoted;
}

Sqlite3Sql Sqlite3Row::insertSql(const QString &table, const QSet<QString> &skip) const
{
    // Built in one string: a save forms this text once per message, and joining lists of
    // separately quoted names cost more than running the insert.
    QString text;
    text.reserve(64 + size() * 24);
    text += QLatin1String("insert into ");
    appendIdentifier(text, table);
    QString marks;
    QVector<QVariant> values;
    values.reserve(size());
    for (auto it = constBegin(); it != constEnd(); ++it) {
        if (!skip.isEmpty() && skip.contains(it.key()))
            continue;
        text += values.isEmpty() ? QLatin1String(" (") : QLatin1String(",");
        appendIdentifier(text, it.key());
        marks += values.isEmpty() ? QLatin1String("?") : QLatin1String(",?");
        values.append(it.value());
    }
    if (values.isEmpty())
        return Sqlite3Sql(text + QStringLiteral(" default values"));

    text += QLatin1String(") values (") + marks + QLatin1Char(')');
    Sqlite3Sql sql(text);
    for (const QVariant &value : values)
        sql.addParam(value);
    return sql;
}
