#pragma once

#include <QString>

// The one style sheet of the program (":/style.css"), read on first use. Every dialog and message
// box sets it on itself.
const QString &getStyleSheet();
