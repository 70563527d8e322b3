#pragma once

#include "model/absmessagedb.h"

#include <QString>

// The iPhone message database in either of its layouts.
class AbsIOSMessageDb : public AbsMessageDb
{
public:
    // The two layouts type() and checkDbType() tell apart.
    static constexpr int kIOS5 = 5;
    static constexpr int kIOS6 = 6;

    AbsIOSMessageDb();
    ~AbsIOSMessageDb() override;

    // kIOS5 or kIOS6.
    virtual int type() const = 0;

    // The layout of the database at path: kIOS6 when it has all the tables of that layout, else
    // kIOS5. Throws Sqlite3Exception when the file is missing or is not a database.
    static int checkDbType(const QString &path);
};
