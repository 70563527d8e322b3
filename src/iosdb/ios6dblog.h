#pragma once

// The iOS 6 reader's category under the module's "textlink.iosdb" name.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcIos6Db)
