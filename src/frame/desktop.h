#pragma once

#include <QString>

// Hand a link or a local file/folder to the desktop's default handler without waiting for it.
// False when the desktop refused it (no application set for it, empty argument).
bool g_openLink(const QString &url);
bool g_openFileOrFolder(const QString &path);

// Whether the desktop names an application for the MIME type ("image/png",
// "x-scheme-handler/https"). True when it cannot be asked (no xdg-mime): then opening is tried.
bool g_hasDesktopHandler(const QString &mimeType);
