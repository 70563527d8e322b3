#include "model/sqlite3row.h"

#include <QStringList>

QString g_sqlIdentifier(const QString &name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

Sqlite3Sql Sqlite3Row::insertSql(const QString &table, const QSet<QString> &skip) const
{
    QStringList names;
    QStringList marks;
    QVector<QVariant> values;
    for (auto it = constBegin(); it != constEnd(); ++it) {
        if (skip.contains(it.key()))
            continue;
        names.append(g_sqlIdentifier(it.key()));
        marks.append(QStringLiteral("?"));
        values.append(it.value());
    }
    const QString target = QStringLiteral("insert into ") + g_sqlIdentifier(table);
    if (names.isEmpty())
        return Sqlite3Sql(target + QStringLiteral(" default values"));

    Sqlite3Sql sql(target + QStringLiteral(" (") + names.join(QLatin1Char(',')) +
                   QStringLiteral(") values (") + marks.join(QLatin1Char(',')) + QLatin1Char(')'));
    for (const QVariant &value : values)
        sql.addParam(value);
    return sql;
}
