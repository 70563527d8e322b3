#include "cli/messagerecords.h"

#include "cli/clioutput.h"
#include "frame/translation.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msgdata.h"
#include "model/msgfunctions.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QSet>

#include <stdexcept>

QString g_isoDate21(int date)
{
    return dtFromDate21(date).toUTC().toString(Qt::ISODate);
}

QStringList g_messageColumns()
{
    return {QStringLiteral("rowid"),
            QStringLiteral("guid"),
            QStringLiteral("date"),
            QStringLiteral("is_from_me"),
            QStringLiteral("service"),
            QStringLiteral("item_type"),
            QStringLiteral("chat_identifier"),
            QStringLiteral("handle"),
            QStringLiteral("contact_name"),
            QStringLiteral("text"),
            QStringLiteral("subject"),
            QStringLiteral("logic_hash"),
            QStringLiteral("attachments")};
}

namespace {

QJsonObject attachmentRecord(const _MsgAttachment &attachment)
{
    return {{QStringLiteral("guid"), attachment.guid},
            {QStringLiteral("filename"), attachment.filename},
            {QStringLiteral("mime_type"), attachment.mime_type},
            {QStringLiteral("transfer_name"), attachment.transfer_name},
            {QStringLiteral("local_path"), attachment.localPath},
            {QStringLiteral("exists"),
             !attachment.localPath.isEmpty() && QFileInfo(attachment.localPath).isFile()}};
}

} // namespace

QJsonObject g_messageRecord(const _MsgMessage &message)
{
    QJsonArray attachments;
    for (const _MsgAttachment *attachment : message.attachments())
        attachments.append(attachmentRecord(*attachment));
    const _MsgHandle *handle = message.handle;
    return {{QStringLiteral("rowid"), message.rowid},
            {QStringLiteral("guid"), message.guid},
            {QStringLiteral("date"), g_isoDate21(message.date)},
            {QStringLiteral("is_from_me"), message.is_from_me ? 1 : 0},
            {QStringLiteral("service"), message.service},
            {QStringLiteral("item_type"), message.item_type},
            {QStringLiteral("chat_identifier"),
             message.chat ? message.chat->chat_identifier : QString()},
            {QStringLiteral("handle"), handle ? handle->id : QString()},
            {QStringLiteral("contact_name"), handle ? handle->_ct_name : QString()},
            {QStringLiteral("text"), message.plainText()},
            {QStringLiteral("subject"), message.subject},
            {QStringLiteral("logic_hash"), message.logicalHash()},
            {QStringLiteral("attachments"), attachments}};
}

QList<_MsgMessage *> g_selectMessages(const MsgData &data, const QString &chatIdentifier)
{
    QList<_MsgMessage *> messages;
    if (chatIdentifier.isNull()) {
        messages = data.messages();
    } else {
        bool found = false;
        for (const _MsgChatMerge &merge : data.chatMergeList()) {
            if (merge.chats.isEmpty() || merge.chats.first()->chat_identifier != chatIdentifier)
                continue;
            found = true;
            // A message listed in two chats of the conversation is still one message.
            QSet<_MsgMessage *> seen;
            for (_MsgMessage *message : merge.messages()) {
                if (!seen.contains(message)) {
                    seen.insert(message);
                    messages.append(message);
                }
            }
            break;
        }
        if (!found) {
            throw std::runtime_error(
                g_tr("IDS_CLI_UNKNOWN_CHAT_%1").arg(chatIdentifier).toStdString());
        }
    }
    g_sortMessages(messages, Qt::AscendingOrder);
    return messages;
}

void g_printMessages(CliOutput &output, const QList<_MsgMessage *> &messages)
{
    output.setColumns(g_messageColumns());
    for (const _MsgMessage *message : messages)
        output.record(g_messageRecord(*message));
}
