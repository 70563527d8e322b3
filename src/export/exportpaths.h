#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

// Where exports and extractions go: the rules of the save dialog, shared by the desktop and the
// command line.

// What an export writes; the values are the format types of the export worker.
enum class ExportFormat { Text = 0, Csv = 1, Pdf = 2, Html = 3, Xml = 4 };

// The choices of the save dialog, in the order of its filters.
enum class ExportFileType { Txt, Doc, Csv, Pdf, Html, Xml };

// The save dialog's filters ("Text Files(*.txt)", ...), in ExportFileType order.
QStringList g_exportFileFilters();
// The file type of one of those filters; nothing for any other text.
std::optional<ExportFileType> g_exportFileTypeOfFilter(const QString &filter);
// The file type named "txt", "doc", "csv", "pdf", "html" or "xml" (any letter case).
std::optional<ExportFileType> g_exportFileTypeOfName(const QString &name);

ExportFormat g_exportFormatOf(ExportFileType type);
// PDF and HTML write one file per chat into a folder.
bool g_isPerChatFormat(ExportFormat format);

// The target of an export to the chosen path: a file for TXT, DOC, CSV and XML (the suffix added
// when the name has none), a folder for PDF and HTML (the name cut at its first dot, "-pdf" or
// "-html" appended).
QString g_exportTargetPath(const QString &chosenPath, ExportFileType type);

// The name the save dialog proposes: "messages(yyyyMMdd-hhmmss)" in the given folder.
QString g_defaultExportPath(const QString &folder, const QDateTime &now);

// The folder an extraction creates in the chosen one: "attachments(yyyyMMdd-hhmmss)".
QString g_extractionFolderPath(const QString &chosenFolder, const QDateTime &now);
