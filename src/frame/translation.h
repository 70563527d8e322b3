#pragma once

#include <QString>

// Every user-visible text is a key (IDS_... or an English source text) looked up in the embedded
// English translation (":/en.qm"), in the one context "TextLink".
inline constexpr const char *kTranslationContext = "TextLink";

// Installs the embedded translation into the running application; returns false when it is missing.
bool g_installTranslation();

// The English text of a key; the key itself when the translation lacks it.
QString g_tr(const char *key);
