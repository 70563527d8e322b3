#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class CliOutput;
class JsonLine;
class MsgData;
struct _MsgMessage;

// How the verbs that list messages print them: the same fields for messages and search.

// A date of the message databases as ISO 8601 UTC ("2013-05-01T10:00:00Z").
QString g_isoDate21(int date);
QStringList g_messageColumns();
// One message's record appended to line as a JSON object.
void g_appendMessageRecord(JsonLine &line, const _MsgMessage &message);

// Every message of data, or of the conversation chatIdentifier names (all chats that share it)
// when it is not null, oldest first. Throws std::runtime_error when no chat has that identifier.
QList<_MsgMessage *> g_selectMessages(const MsgData &data, const QString &chatIdentifier);

// Prints messages through output, one record each.
void g_printMessages(CliOutput &output, const QList<_MsgMessage *> &messages);

// The same, one message at a time: setColumns first, then print each message in turn.
class MessagePrinter
{
public:
    explicit MessagePrinter(CliOutput &output);
    ~MessagePrinter();
    MessagePrinter(const MessagePrinter &) = delete;
    MessagePrinter &operator=(const MessagePrinter &) = delete;

    void print(const _MsgMessage &message);

private:
    CliOutput &m_output;
    std::unique_ptr<JsonLine> m_line;
};
