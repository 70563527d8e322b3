#include "ui/uilogging.h"

Q_LOGGING_CATEGORY(lcUi, "textlink.ui")
