#pragma once

#include <QLoggingCategory>

// Messages of the contact-card parser and its card pictures.
Q_DECLARE_LOGGING_CATEGORY(lcVcard)
