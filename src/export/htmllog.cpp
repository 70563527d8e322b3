#include "export/htmllog.h"

Q_LOGGING_CATEGORY(lcHtml, "textlink.export")
