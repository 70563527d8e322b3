#pragma once

#include <QDir>
#include <QString>

// Where TextLink keeps its data. Every function that returns a folder makes it (with all missing
// levels) before returning, except g_legacyDataDir(), which is only looked at.

// Fixed name appended to the data folder; also names the redirect file.
inline constexpr const char *kProductIdentifier = "9A3C5E7B1D2F4A6C8E0B2D4F6A8C0E1F";
inline constexpr const char *kCompanyFolder = "QuorVandale";

// The per-user application data location (Linux: the generic data location, normally
// ~/.local/share; macOS: ~/Library/Application Support).
QString g_osAppDir();
// The application data location + the company folder.
QString g_defaultSaveDirPath();
// The path of the file that redirects the data folder to another place.
QString g_dataSaveDirLinkFile();

// The folder named by the redirect file when that file is readable and the folder exists;
// otherwise empty.
QString g_dataSaveDirLink();
// Writes the redirect file; returns false when it cannot be written. Takes effect for the next
// process (or after g_resetDataSaveDirCache()).
bool g_setDataSaveDirLink(const QString &path);

// Names the data folder itself, ahead of TEXTLINK_DATA_DIR and the redirect file (the command
// line's --data-dir). An empty text removes the override. Resets the cached data folder.
void g_setDataSaveDirOverride(const QString &dir);
// Forgets the cached data folder so that the next call looks again (tests, changed redirect).
void g_resetDataSaveDirCache();

// The data folder: the override, else $TEXTLINK_DATA_DIR, else (redirected folder, else default
// folder) + product identifier. Decided on the first call and cached.
QDir g_dataSaveDir();
// Empty when the data folder can be made and written; else one line for the user naming it and
// the problem. Logs nothing, so that it can be asked before the log is opened.
QString g_dataSaveDirProblem();
// One sub-folder per local database.
QDir g_localDbDir();
// The daily log files.
QDir g_logDir();
// Preview pictures made from attachments (thumbnails, renderings, contact cards): kept per
// user, beside the other caches, so that other users can neither read nor plant them.
QDir g_previewCacheDir();
// Where the old single-file local databases lay; not created.
QDir g_legacyDataDir();
