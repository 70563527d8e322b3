#include "export/exportpaths.h"

#include "frame/translation.h"

#include <QDir>
#include <QFileInfo>

#include <array>

namespace {

struct FileTypeInfo
{
    ExportFileType type;
    const char *name;
    const char *filterKey;
};

constexpr std::array<FileTypeInfo, 6> kFileTypes{{
    {ExportFileType::Txt, "txt", "IDS_EXPORT_FILTER_TXT"},
    {ExportFileType::Doc, "doc", "IDS_EXPORT_FILTER_DOC"},
    {ExportFileType::Csv, "csv", "IDS_EXPORT_FILTER_CSV"},
    {ExportFileType::Pdf, "pdf", "IDS_EXPORT_FILTER_PDF"},
    {ExportFileType::Html, "html", "IDS_EXPORT_FILTER_HTML"},
    {ExportFileType::Xml, "xml", "IDS_EXPORT_FILTER_XML"},
}};

const FileTypeInfo &infoOf(ExportFileType type)
{
    for (const FileTypeInfo &info : kFileTypes) {
        if (info.type == type)
            return info;
    }
    return kFileTypes.front();
}

QString stamped(const QString &folder, const char *pattern, const QDateTime &now)
{
    const QString name =
        QString::fromLatin1(pattern).arg(now.toString(QStringLiteral("yyyyMMdd-hhmmss")));
    return QDir(folder).filePath(name);
}

} // namespace

QStringList g_exportFileFilters()
{
    QStringList filters;
    for (const FileTypeInfo &info : kFileTypes)
        filters << g_tr(info.filterKey);
    return filters;
}

std::optional<ExportFileType> g_exportFileTypeOfFilter(const QString &filter)
{
    for (const FileTypeInfo &info : kFileTypes) {
        if (g_tr(info.filterKey) == filter)
            return info.type;
    }
    return std::nullopt;
}

std::optional<ExportFileType> g_exportFileTypeOfName(const QString &name)
{
    for (const FileTypeInfo &info : kFileTypes) {
        if (name.compare(QLatin1String(info.name), Qt::CaseInsensitive) == 0)
            return info.type;
    }
    return std::nullopt;
}

ExportFormat g_exportFormatOf(ExportFileType type)
{
    switch (type) {
    case ExportFileType::Txt:
    case ExportFileType::Doc:
        return ExportFormat::Text;
    case ExportFileType::Csv:
        return ExportFormat::Csv;
    case ExportFileType::Pdf:
        return ExportFormat::Pdf;
    case ExportFileType::Html:
        return ExportFormat::Html;
    case ExportFileType::Xml:
        return ExportFormat::Xml;
    }
    return ExportFormat::Text;
}

bool g_isPerChatFormat(ExportFormat format)
{
    return format == ExportFormat::Pdf || format == ExportFormat::Html;
}

QString g_exportTargetPath(const QString &chosenPath, ExportFileType type)
{
    const QString name = QString::fromLatin1(infoOf(type).name);
    const QFileInfo chosen(chosenPath);
    if (!g_isPerChatFormat(g_exportFormatOf(type))) {
        if (!chosen.fileName().contains(QLatin1Char('.')))
            return chosenPath + QLatin1Char('.') + name;
        return chosenPath;
    }
    QString folderName = chosen.fileName();
    const qsizetype dot = folderName.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        folderName.truncate(dot);
    folderName += QLatin1Char('-') + name;
    const QString parent = chosenPath.left(chosenPath.size() - chosen.fileName().size());
    return parent + folderName;
}

QString g_defaultExportPath(const QString &folder, const QDateTime &now)
{
    return stamped(folder, "messages(%1)", now);
}

QString g_extractionFolderPath(const QString &chosenFolder, const QDateTime &now)
{
    return stamped(chosenFolder, "attachments(%1)", now);
}
