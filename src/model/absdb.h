#pragma once

#include "model/sqlite3db.h"
#include "model/sqlite3row.h"

#include <QSet>
#include <QString>

// A database object that opens itself on first use. Every operation here first calls
// openCheck(), so objects are cheap to construct and are opened by whichever thread uses them.
class AbsDb : public Sqlite3DB
{
public:
    AbsDb();
    ~AbsDb() override;

    // Opens the database (and brings its schema up to date) unless it is open already.
    virtual void openCheck() = 0;

    // Inserts row into table, leaving out the columns named in skip; returns the new row id.
    // Throws Sqlite3Exception, for example on a constraint violation.
    qint64 insertSqlRow(const Sqlite3Row &row, const QString &table,
                        const QSet<QString> &skip = {});

    // Begins a transaction; while one begun here is open, a second call does nothing.
    void beginEdit();
    // Commits (commit = true) or rolls back the transaction begun by beginEdit(); does nothing
    // without one. A failed commit is rolled back before the exception leaves.
    void endEdit(bool commit);
    // True between beginEdit() and endEdit().
    bool editing() const { return m_editing; }

private:
    bool m_editing = false;
};
