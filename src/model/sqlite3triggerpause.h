#pragma once

#include <QString>

class Sqlite3DB;

// Takes one trigger out of the database for the rest of the open transaction and puts it back,
// from its stored text, before the commit: for bulk work whose every effect the caller makes
// itself, where the trigger would only repeat it at a cost. A rollback puts the trigger back as
// well, since the schema change is part of the transaction.
class Sqlite3TriggerPause
{
public:
    // Drops the trigger when the database has it. Throws Sqlite3Exception.
    Sqlite3TriggerPause(Sqlite3DB &db, const QString &name);
    Sqlite3TriggerPause(const Sqlite3TriggerPause &) = delete;
    Sqlite3TriggerPause &operator=(const Sqlite3TriggerPause &) = delete;

    // Creates the trigger again (once); does nothing when there was none.
    void restore();

private:
    Sqlite3DB &m_db;
    QString m_createSql;
};
