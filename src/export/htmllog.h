#pragma once

#include <QLoggingCategory>

// Messages of the bubble markup and the HTML export.
Q_DECLARE_LOGGING_CATEGORY(lcHtml)
