#pragma once

#include <QLoggingCategory>

// The one logging category of the iPhone database module ("textlink.iosdb").
Q_DECLARE_LOGGING_CATEGORY(lcIosdb)
