#pragma once

#include <QLoggingCategory>

// Messages of the exporters, the contact-card parser and the extraction and deletion workers.
Q_DECLARE_LOGGING_CATEGORY(lcExport)
