#pragma once

#include <QString>

// Removes the characters no file system accepts in a name (\ / : * ? " < > |) and trims white space
// at both ends; for names built from contacts, chats and attachments. A name longer than file
// systems take (kMaxFileNameBytes of UTF-8, with room for a "(n)" and a suffix) is cut and ends in
// a hash of the whole name, so that two long names differing only at their ends stay apart.
QString g_formatFileName(const QString &name);
constexpr int kMaxFileNameBytes = 200;

// True only for a regular file: not a folder, a device, a FIFO (which would block a reader for
// ever) or a symbolic link (which could lead out of a phone's folder to any file of this computer).
bool g_isPlainFile(const QString &path);

// The path itself when nothing of that name exists; otherwise the first free name of the form
// base(n).suffix in the same folder, n = 1, 2, ... The base is the name up to its first dot, the
// suffix the part after its last dot (a.b.c gives a(1).c). Never returns an existing entry, not
// even a dangling symbolic link.
QString g_getValidFilePath(const QString &path);

// MD5 of the UTF-8 bytes as 32 lower-case hexadecimal characters; names cache files.
QString g_pathHash(const QString &text);

// Deletes a folder tree with its hidden entries. Symbolic links are removed as links, never
// followed, so nothing outside the tree is touched. True when the folder is gone afterwards
// (also when it never existed).
bool g_delDirCascade(const QString &path);

// True for a "/"-separated relative path that stays below the folder it is resolved in: not
// absolute, no ".." component, no NUL character. The empty path (the folder itself) is safe.
bool g_isSafeRelativePath(const QString &relativePath);

// The path of relativePath below root, or "" when relativePath is not safe.
QString g_safeChildPath(const QString &root, const QString &relativePath);
