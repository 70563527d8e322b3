#pragma once

#include <QLoggingCategory>

// Messages of the model layer: records, the SQLite layer, property lists, the country library.
Q_DECLARE_LOGGING_CATEGORY(lcModel)
