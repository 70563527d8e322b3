#include "cli/messagerecords.h"

#include "cli/clioutput.h"
#include "cli/jsonline.h"
#include "frame/translation.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msgdata.h"
#include "model/msgfunctions.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"
#include "model/msgreactions.h"

#include <QFile>
#include <QJsonDocument>
#include <QSet>

#include <array>
#include <stdexcept>

#include <sys/stat.h>

namespace {

// Room for "YYYY-MM-DDThh:mm:ssZ".
using IsoDate = std::array<char, 20>;

QByteArrayView isoDate21(int date, IsoDate &text)
{
    // Formatted by hand: through QDateTime this took a noticeable share of listing time. The
    // time is unsigned 32-bit (see dtFromDate21), so the year always has four digits.
    static const qint64 epoch2001 = dtFromDate21(0).toSecsSinceEpoch();
    const auto seconds = static_cast<quint32>(epoch2001 + date);
    const qint64 days = seconds / 86400;
    const int secondOfDay = int(seconds % 86400);
    // Civil date from days since 1970-01-01, counting in 400-year eras starting on March 1st.
    const qint64 shifted = days + 719468;
    const qint64 era = shifted / 146097;
    const qint64 dayOfEra = shifted - era * 146097;
    const qint64 yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 monthIndex = (5 * dayOfYear + 2) / 153;
    const int day = int(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    const int month = int(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    const int year = int(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    // Digits written directly: printf cost more than the arithmetic.
    text = {0, 0, 0, 0, '-', 0, 0, '-', 0, 0, 'T', 0, 0, ':', 0, 0, ':', 0, 0, 'Z'};
    const auto put = [&text](int at, int value, int digits) {
        for (int i = at + digits - 1; i >= at; --i, value /= 10)
            text[size_t(i)] = char('0' + value % 10);
    };
    put(0, year, 4);
    put(5, month, 2);
    put(8, day, 2);
    put(11, secondOfDay / 3600, 2);
    put(14, secondOfDay / 60 % 60, 2);
    put(17, secondOfDay % 60, 2);
    return {text.data(), qsizetype(text.size())};
}

} // namespace

QString g_isoDate21(int date)
{
    IsoDate text;
    return QString::fromLatin1(isoDate21(date, text));
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

// A file, or a link to one (as QFileInfo::isFile), asked of the system directly: a QFileInfo for
// every attachment listed cost more than the look-up itself.
bool isFile(const QString &path)
{
    struct stat info;
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &info) == 0 &&
           S_ISREG(info.st_mode);
}

// Keys in the order QJsonDocument writes them (sorted), as the command line has always printed
// them.
void appendAttachment(JsonLine &line, const _MsgAttachment &attachment)
{
    line.beginObject()
        .add("exists", isFile(attachment.localPath))
        .add("filename", attachment.filename)
        .add("guid", attachment.guid)
        .add("local_path", attachment.localPath)
        .add("mime_type", attachment.mime_type)
        .add("transfer_name", attachment.transfer_name)
        .endObject();
}

void appendReaction(JsonLine &line, const _MsgMessage &reaction)
{
    const _MsgHandle *handle = reaction.is_from_me ? nullptr : reaction.handle;
    IsoDate date;
    line.beginObject()
        .add("contact_name", handle ? handle->_ct_name : QString())
        .addUtf8("date", isoDate21(reaction.date, date))
        .add("emoji", reaction.associated_message_emoji())
        .add("handle", handle ? handle->id : QString())
        .add("is_from_me", reaction.is_from_me != 0)
        .add("kind", MsgReactions::kindName(reaction.associated_message_type))
        .endObject();
}

} // namespace

void g_appendMessageRecord(JsonLine &line, const _MsgMessage &message)
{
    // The guid, the text and the hash go from the record's UTF-8 straight into the line: through
    // QStrings they cost a good share of a listing.
    MsgCompactText::Buffer guid;
    MsgCompactText::Buffer text;
    _MsgMessage::HashBuffer hash;
    IsoDate date;
    const _MsgHandle *handle = message.handle;
    line.beginObject().beginArray("attachments");
    for (const _MsgAttachment *attachment : message.attachments())
        appendAttachment(line, *attachment);
    line.endArray()
        .add("chat_identifier", message.chat ? message.chat->chat_identifier : QString())
        .add("contact_name", handle ? handle->_ct_name : QString())
        .addUtf8("date", isoDate21(message.date, date))
        .add("edited", message.edited)
        .addUtf8("guid", message.compactGuid().utf8(guid))
        .add("handle", handle ? handle->id : QString())
        .add("is_from_me", message.is_from_me ? 1 : 0)
        .add("item_type", message.item_type)
        .addUtf8("logic_hash", message.logicalHash(hash))
        .beginArray("reactions");
    for (const _MsgMessage *reaction : MsgReactions::standing(message))
        appendReaction(line, *reaction);
    line.endArray()
        .add("reply_to", message.thread_originator_guid())
        .add("rowid", message.rowid)
        .add("service", message.service())
        .add("subject", message.subject());
    // A reaction listed alone (its target is not loaded) says what it did.
    if (message.isReaction())
        line.add("text", MsgReactions::sentence(message));
    else
        line.addUtf8("text", message.compactText().utf8(text), true);
    line.add("unsent", message.unsent).endObject();
}

QList<_MsgMessage *> g_selectMessages(const MsgData &data, const QString &chatIdentifier)
{
    QList<_MsgMessage *> messages;
    if (chatIdentifier.isNull()) {
        messages = data.messages();
        messages.removeIf([](const _MsgMessage *message) { return !message->isShownAlone(); });
    } else {
        bool found = false;
        for (const _MsgChatMerge &merge : data.chatMergeList()) {
            if (merge.chats.isEmpty() || merge.chats.first()->chat_identifier != chatIdentifier)
                continue;
            found = true;
            // A message listed in two chats of the conversation is still one message.
            QSet<_MsgMessage *> seen;
            for (_MsgMessage *message : merge.messages()) {
                if (message->isShownAlone() && !seen.contains(message)) {
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
    MessagePrinter printer(output);
    for (const _MsgMessage *message : messages)
        printer.print(*message);
}

MessagePrinter::MessagePrinter(CliOutput &output)
    : m_output(output), m_line(std::make_unique<JsonLine>())
{
    m_output.setColumns(g_messageColumns());
}

MessagePrinter::~MessagePrinter() = default;

void MessagePrinter::print(const _MsgMessage &message)
{
    m_line->clear();
    g_appendMessageRecord(*m_line, message);
    m_output.record(*m_line);
}
