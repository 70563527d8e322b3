#pragma once

#include <QLoggingCategory>

// The one logging category of the backup module ("textlink.itunes").
Q_DECLARE_LOGGING_CATEGORY(lcItunes)
