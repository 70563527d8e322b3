#include "mobiledevice/mobiledevicelog.h"

Q_LOGGING_CATEGORY(lcMobileDevice, "textlink.mobiledevice")
