#pragma once

#include <QLoggingCategory>

// The database layer's own category under the "textlink.model" name, so that it never clashes
// with another category symbol of the same module.
Q_DECLARE_LOGGING_CATEGORY(lcSqlite)
