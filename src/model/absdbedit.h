#pragma once

class AbsDb;

// Pairs AbsDb::beginEdit with its endEdit: begins on construction and rolls back on destruction
// unless commit() was called, so that no path out of a failed or cancelled edit leaves it open.
class AbsDbEdit
{
public:
    explicit AbsDbEdit(AbsDb &db);
    ~AbsDbEdit();
    AbsDbEdit(const AbsDbEdit &) = delete;
    AbsDbEdit &operator=(const AbsDbEdit &) = delete;

    // Throws Sqlite3Exception; the edit is rolled back then.
    void commit();
    // Rolls back now; throws when the rollback fails.
    void rollback();

private:
    AbsDb &m_db;
    bool m_open = true;
};
