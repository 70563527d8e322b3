#pragma once

#include <QLoggingCategory>

// Messages of the application frame (data folders, file helpers, console front end).
Q_DECLARE_LOGGING_CATEGORY(lcFrame)
