#include "localdb/localdblog.h"

Q_LOGGING_CATEGORY(lcLocalDb, "textlink.localdb")
