#include "android/androidlog.h"

Q_LOGGING_CATEGORY(lcAndroid, "textlink.android")
