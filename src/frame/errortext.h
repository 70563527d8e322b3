#pragma once

#include <QString>

// An error text as one readable line: control characters (line breaks included, which damaged
// data can carry into a message) become spaces, runs of them one space, and undecodable bytes
// (shown as U+FFFD) a "?"; trimmed at both ends.
QString g_oneLine(const QString &text);
