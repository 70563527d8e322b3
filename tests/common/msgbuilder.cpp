#include "msgbuilder.h"

#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"

#include <memory>

MsgBuilder::MsgBuilder(qint64 rowBase, const QString &guidPrefix)
    : m_rowBase(rowBase), m_guidPrefix(guidPrefix)
{}

QString MsgBuilder::guid(const QString &kind, qint64 rowid) const
{
    return QStringLiteral("%1%2-%3").arg(m_guidPrefix, kind).arg(rowid);
}

_MsgHandle *MsgBuilder::handle(const QString &address, const QString &service)
{
    auto record = std::make_unique<_MsgHandle>();
    record->rowid = m_rowBase + m_data.p()->handles.size() + 1;
    record->id = address;
    record->service = service;
    record->country = QStringLiteral("us");
    _MsgHandle *raw = record.release();
    m_data.p()->handles.insert(raw->rowid, raw);
    return raw;
}

_MsgChat *MsgBuilder::chat(_MsgHandle *with)
{
    auto record = std::make_unique<_MsgChat>();
    record->rowid = m_rowBase + m_data.p()->chats.size() + 1;
    record->guid = QStringLiteral("%1;-;%2").arg(with->service, with->id);
    record->chat_identifier = with->id;
    record->service_name = with->service;
    record->handleMap.insert(QString::number(with->rowid), with);
    _MsgChat *raw = record.release();
    m_data.p()->chats.insert(raw->rowid, raw);
    return raw;
}

_MsgChat *MsgBuilder::groupChat(const QString &identifier, const QList<_MsgHandle *> &members)
{
    auto record = std::make_unique<_MsgChat>();
    record->rowid = m_rowBase + m_data.p()->chats.size() + 1;
    record->guid = QStringLiteral("SMS;+;%1").arg(identifier);
    record->style = 43;
    record->chat_identifier = identifier;
    for (_MsgHandle *member : members)
        record->handleMap.insert(QString::number(member->rowid), member);
    _MsgChat *raw = record.release();
    m_data.p()->chats.insert(raw->rowid, raw);
    return raw;
}

_MsgMessage *MsgBuilder::message(_MsgChat *chat, _MsgHandle *from, int date, const QString &text)
{
    auto record = std::make_unique<_MsgMessage>();
    record->rowid = m_rowBase + m_data.p()->messages.size() + 1;
    record->srcRowId = record->rowid;
    record->setGuid(guid(QStringLiteral("msg"), record->rowid));
    record->setText(text);
    record->date = date;
    record->setService(chat->service_name);
    record->is_from_me = from ? 0 : 1;
    record->handle = from;
    record->handle_id = from ? from->rowid : 0;
    record->chat = chat;
    _MsgMessage *raw = record.release();
    m_data.p()->messages.insert(raw->rowid, raw);
    chat->messageMap.insert(QString::number(raw->rowid), raw);
    if (date > chat->last)
        chat->last = date;
    return raw;
}

_MsgAttachment *MsgBuilder::attachment(_MsgMessage *message, const QString &filename,
                                       const QString &localPath)
{
    auto record = std::make_unique<_MsgAttachment>();
    record->rowid = m_rowBase + m_data.p()->attachments.size() + 1;
    record->guid = guid(QStringLiteral("att"), record->rowid);
    record->filename = filename;
    record->transfer_name = filename.section(QLatin1Char('/'), -1);
    record->mime_type = QStringLiteral("image/jpeg");
    record->localPath = localPath;
    _MsgAttachment *raw = record.release();
    m_data.p()->attachments.insert(raw->rowid, raw);
    message->attachmentMap.insert(QString::number(raw->rowid), raw);
    message->cache_has_attachments = 1;
    return raw;
}
