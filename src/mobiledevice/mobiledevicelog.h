#pragma once

#include <QLoggingCategory>

// The one logging category of the device link ("textlink.mobiledevice").
Q_DECLARE_LOGGING_CATEGORY(lcMobileDevice)
