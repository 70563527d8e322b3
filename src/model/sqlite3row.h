#pragma once

#include "model/sqlite3sql.h"

#include <QMap>
#include <QSet>
#include <QString>
#include <QVariant>

// One row to insert: column name to value, filled through the map's operator[].
class Sqlite3Row : public QMap<QString, QVariant>
{
public:
    using QMap<QString, QVariant>::QMap;

    // "insert into" table with one placeholder per entry, leaving out the columns named in skip;
    // values are bound, names quoted as identifiers. A row with nothing left inserts the
    // table's default values.
    Sqlite3Sql insertSql(const QString &table, const QSet<QString> &skip = {}) const;
};

// name as an SQL identifier in double quotes, quotes inside it doubled.
QString g_sqlIdentifier(const QString &name);
