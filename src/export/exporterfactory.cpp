#include "export/exporterfactory.h"

#include "export/exportmessagescsv.h"
#include "export/exportmessagespdf.h"
#include "export/exportmessagestxt.h"
#include "frame/translation.h"

#include <QDir>

#include <stdexcept>

bool g_isExportFormatAvailable(ExportFormat format)
{
    return format == ExportFormat::Text || format == ExportFormat::Csv ||
           format == ExportFormat::Pdf;
}

void g_requireExportFormat(ExportFormat format)
{
    if (g_isExportFormatAvailable(format))
        return;
    const QString name =
        format == ExportFormat::Pdf ? QStringLiteral("PDF") : QStringLiteral("HTML");
    throw std::runtime_error(g_tr("IDS_EXPORT_FORMAT_NOT_AVAILABLE_%1").arg(name).toStdString());
}

MessageExporter g_createExporter(ExportFormat format, const QString &target,
                                 const QString &fileName)
{
    switch (format) {
    case ExportFormat::Text:
        return QSharedPointer<ExportMessagesTxt>::create(target);
    case ExportFormat::Csv:
        return QSharedPointer<ExportMessagesCsv>::create(target);
    case ExportFormat::Pdf:
        return QSharedPointer<ExportMessagesPdf>::create(QDir(target).filePath(fileName));
    case ExportFormat::Html:
        break;
    }
    g_requireExportFormat(format);
    // An available format without an exporter here is a mistake of this file.
    throw std::logic_error("no exporter for an available format");
}

QString g_chatFileSuffix(ExportFormat format)
{
    switch (format) {
    case ExportFormat::Pdf:
        return QStringLiteral(".pdf");
    case ExportFormat::Html:
        return QStringLiteral(".html");
    case ExportFormat::Text:
    case ExportFormat::Csv:
        break;
    }
    return QString();
}
