#pragma once

#include "export/textfileexport.h"

// Messages as a plain-text table (also what a ".doc" export holds): date, direction, chat name and
// the summary, one line per message, in left-aligned columns that longer values push aside.
class ExportMessagesTxt : public TextFileExport
{
public:
    explicit ExportMessagesTxt(const QString &path);

    void write(_MsgMessage &message) override;

protected:
    void writeHeader(QTextStream &out) override;

private:
    void writeLine(const QString &date, const QString &flag, const QString &name,
                   const QString &text);
};
