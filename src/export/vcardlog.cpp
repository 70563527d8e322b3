#include "export/vcardlog.h"

Q_LOGGING_CATEGORY(lcVcard, "textlink.export")
