#include "itunes/ituneslog.h"

Q_LOGGING_CATEGORY(lcItunes, "textlink.itunes")
