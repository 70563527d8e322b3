#pragma once

#include "export/textfileexport.h"

#include <QHash>

struct _MsgChat;
struct _MsgHandle;

// Messages as a CSV file: a header line "date,send,person,number,content", then one line per
// message in the order written. Text cells go through g_csvFormat.
class ExportMessagesCsv : public TextFileExport
{
public:
    explicit ExportMessagesCsv(const QString &path);

    void write(_MsgMessage &message) override;

protected:
    void writeHeader(QTextStream &out) override;

private:
    // The "person,number" cells of a message's chat, made once per chat.
    const QString &chatCells(const _MsgMessage &message);
    // The participant named in a one-to-one chat's row: the one with the lowest row id, so that
    // the choice does not depend on hash order.
    static const _MsgHandle *firstHandle(const _MsgMessage &message);

    QHash<const _MsgChat *, QString> m_chatCells;
};
