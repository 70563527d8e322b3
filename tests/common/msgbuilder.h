#pragma once

#include "model/msgdata.h"

#include <QString>

struct _MsgAttachment;
struct _MsgChat;
struct _MsgHandle;
struct _MsgMessage;

// Builds message records inside a MsgData as a loaded source would hold them, for tests that
// save, list or export messages. Row ids are handed out from 1 per record kind; rowBase shifts
// them so that two builders look like two different sources of the same messages.
class MsgBuilder
{
public:
    explicit MsgBuilder(qint64 rowBase = 0, const QString &guidPrefix = QString());

    MsgData &data() { return m_data; }

    _MsgHandle *handle(const QString &address, const QString &service = QStringLiteral("SMS"));
    // A one-to-one chat with address (style 45), identifier = address.
    _MsgChat *chat(_MsgHandle *with);
    // A group chat (style 43) of the given members.
    _MsgChat *groupChat(const QString &identifier, const QList<_MsgHandle *> &members);
    // A message in chat; from the user when from is null.
    _MsgMessage *message(_MsgChat *chat, _MsgHandle *from, int date, const QString &text);
    // An attachment of message; localPath may be empty (file not available).
    _MsgAttachment *attachment(_MsgMessage *message, const QString &filename,
                               const QString &localPath);

private:
    QString guid(const QString &kind, qint64 rowid) const;

    MsgData m_data;
    qint64 m_rowBase;
    QString m_guidPrefix;
};
