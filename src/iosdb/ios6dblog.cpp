#include "iosdb/ios6dblog.h"

Q_LOGGING_CATEGORY(lcIos6Db, "textlink.iosdb")
