#pragma once

#include <QString>

// One column of a table as the table's declaration gives it.
struct _SqliteCol
{
    QString name;
    QString type;
    bool notNull = false;
    QString defaultValue;
    // Position within the primary key (1 = first), 0 when the column is not part of it.
    int primaryKey = 0;
};
