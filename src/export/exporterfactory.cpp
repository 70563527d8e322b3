#include "export/exporterfactory.h"

#include "export/exportmessagescsv.h"
#include "export/exportmessageshtml.h"
#include "export/exportmessagespdf.h"
#include "export/exportmessagestxt.h"
#include "export/exportmessagesxml.h"

#include <QDir>

#include <stdexcept>

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
        return QSharedPointer<ExportMessagesHtml>::create(target, fileName);
    case ExportFormat::Xml:
        return QSharedPointer<ExportMessagesXml>::create(target);
    }
    // A format added to the enumeration without an exporter here is a mistake of this file.
    throw std::logic_error("no exporter for this export format");
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
    case ExportFormat::Xml:
        break;
    }
    return QString();
}
