#pragma once

#include "model/sqlite3db.h"

#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>

// The first column of the first row a query gives, read through a connection of its own (so only
// committed rows are seen); "<none>" when there is no row.
QString sqlValue(const QString &path, const QString &sql);
// The same through an open connection.
QString sqlValue(Sqlite3DB &db, const QString &sql);

// A fixture with a new, empty database file opened for writing in a folder of its own.
class ScratchDbTest : public ::testing::Test
{
protected:
    void SetUp() override;

    // Runs a script; fails the test with SQLite's message when it does not run.
    void run(const QString &sql);
    QString value(const QString &sql) { return sqlValue(m_db, sql); }

    QTemporaryDir m_dir;
    QString m_path;
    Sqlite3DB m_db;
};
