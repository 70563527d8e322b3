#pragma once

#include "export/exportpaths.h"
#include "model/absformatexport.h"

#include <QSharedPointer>
#include <QString>

struct _MsgMessage;

// The one place where export formats are matched to their exporters; a new format is plugged in
// here and nowhere else.

using MessageExporter = QSharedPointer<AbsFormatExport<_MsgMessage>>;

// A new exporter, not yet initialised. For single-file formats (TXT, CSV, XML) target is the file
// path and fileName is ignored; for per-chat formats target is the folder and fileName the chat's
// file in it.
MessageExporter g_createExporter(ExportFormat format, const QString &target,
                                 const QString &fileName = QString());

// The suffix of the files a per-chat format writes (".pdf", ".html"); empty for the others.
QString g_chatFileSuffix(ExportFormat format);
