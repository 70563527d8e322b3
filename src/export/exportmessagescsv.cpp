#include "export/exportmessagescsv.h"

#include "export/csvformat.h"
#include "export/localclock.h"
#include "model/msgchat.h"
#include "model/msgfunctions.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"

ExportMessagesCsv::ExportMessagesCsv(const QString &path) : TextFileExport(path) {}

void ExportMessagesCsv::writeHeader(QTextStream &out)
{
    out << "date"
        << ",send"
        << ",person"
        << ",number"
        << ",content" << '\n';
}

void ExportMessagesCsv::write(_MsgMessage &message)
{
    QTextStream &out = stream();
    out << LocalClock::isoText(LocalClock::toLocal(dtFromDate21(message.date))) << ','
        << (message.is_from_me ? '1' : '0') << ',' << chatCells(message) << ','
        << g_csvFormat(message.exportText()) << '\n';
}

const QString &ExportMessagesCsv::chatCells(const _MsgMessage &message)
{
    const auto found = m_chatCells.constFind(message.chat);
    if (found != m_chatCells.cend())
        return *found;
    QString person;
    QString number;
    if (message.chat && message.chat->isGroup()) {
        person = message.chat->chat_identifier;
        number = person;
    } else if (const _MsgHandle *handle = firstHandle(message)) {
        person = handle->_ct_name;
        number = handle->id;
    }
    return *m_chatCells.insert(message.chat, g_csvFormat(person) + u',' + g_csvFormat(number));
}

const _MsgHandle *ExportMessagesCsv::firstHandle(const _MsgMessage &message)
{
    if (!message.chat)
        return nullptr;
    const _MsgHandle *first = nullptr;
    for (const _MsgHandle *handle : message.chat->handleMap) {
        if (!first || handle->rowid < first->rowid)
            first = handle;
    }
    return first;
}
