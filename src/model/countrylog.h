#pragma once

#include <QLoggingCategory>

// The country library's category under the "textlink.model" name.
Q_DECLARE_LOGGING_CATEGORY(lcCountries)
