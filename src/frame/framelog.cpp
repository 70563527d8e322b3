#include "frame/framelog.h"

Q_LOGGING_CATEGORY(lcFrame, "textlink.frame")
