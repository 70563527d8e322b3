#pragma once

#include <QString>

// Hand a link or a local file/folder to the desktop's default handler without waiting for it.
// False when the desktop refused it (no handler, empty argument).
bool g_openLink(const QString &url);
bool g_openFileOrFolder(const QString &path);
