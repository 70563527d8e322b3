#pragma once

#include <QLoggingCategory>

// Messages of the exporters and of the extraction and deletion workers.
Q_DECLARE_LOGGING_CATEGORY(lcExport)
