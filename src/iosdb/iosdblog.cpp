#include "iosdb/iosdblog.h"

Q_LOGGING_CATEGORY(lcIosdb, "textlink.iosdb")
