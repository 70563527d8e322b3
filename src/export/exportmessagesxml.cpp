#include "export/exportmessagesxml.h"

#include "export/exportlog.h"
#include "export/smsxmlformat.h"
#include "frame/translation.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <stdexcept>

namespace {

// The count is written before the records are known and filled in at the end, in place.
constexpr int kCountDigits = 10;

// XML 1.0 cannot carry control characters or lone surrogate halves, not even as references: they
// are dropped or replaced, so that every reader can parse the file.
QString xmlSafe(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
        } else if (c.isSurrogate()) {
            out += QChar(QChar::ReplacementCharacter);
        } else if ((c.unicode() >= 0x20 && c.unicode() < 0xFFFE) || c == QLatin1Char('\t') ||
                   c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            out += c;
        }
    }
    return out;
}

QString orNull(const QString &value)
{
    return value.isEmpty() ? QStringLiteral("null") : xmlSafe(value);
}

// The other parties of the message's chat in a fixed order; the message's own address when it
// has no chat.
QStringList participantsOf(const _MsgMessage &message)
{
    QList<const _MsgHandle *> handles;
    if (message.chat) {
        for (const _MsgHandle *handle : message.chat->handleMap)
            handles << handle;
    }
    if (handles.isEmpty() && message.handle)
        handles << message.handle;
    std::sort(handles.begin(), handles.end(),
              [](const _MsgHandle *a, const _MsgHandle *b) { return a->rowid < b->rowid; });
    QStringList ids;
    for (const _MsgHandle *handle : handles) {
        if (!handle->id.isEmpty() && !ids.contains(handle->id))
            ids << handle->id;
    }
    return ids;
}

// The name a part carries: the last component of the phone's path, which the message's logical
// hash is made of, else the name shown to the user.
QString partName(const _MsgAttachment &attachment)
{
    const QString name = attachment.filename.section(QLatin1Char('/'), -1);
    return name.isEmpty() ? attachment.transfer_name : name;
}

} // namespace

ExportMessagesXml::ExportMessagesXml(const QString &path) : m_path(path), m_file(path) {}

ExportMessagesXml::~ExportMessagesXml()
{
    if (m_file.isOpen()) {
        qCInfo(lcExport) << "export not finished, nothing written to" << m_path;
        m_file.cancelWriting();
    }
}

void ExportMessagesXml::init()
{
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail();
    m_xml.setDevice(&m_file);
    m_xml.setAutoFormatting(true);
    m_xml.writeStartDocument(QStringLiteral("1.0"), true);
    m_xml.writeStartElement(QStringLiteral("smses"));
    m_xml.writeAttribute(QStringLiteral("count"), QString(kCountDigits, QLatin1Char('0')));
    // Just past the closing quote of the count.
    m_countPos = m_file.pos() - kCountDigits - 1;
}

void ExportMessagesXml::write(_MsgMessage &message)
{
    if (message.item_type != 0)
        return;
    const QStringList participants = participantsOf(message);
    if (participants.isEmpty()) {
        qCInfo(lcExport) << "message without an address left out of" << m_path << message.guid();
        return;
    }
    if (participants.size() == 1 && message.attachmentMap.isEmpty())
        writeSms(message, participants.first());
    else
        writeMms(message, participants);
    ++m_count;
    if (m_xml.hasError())
        fail();
}

void ExportMessagesXml::writeSms(const _MsgMessage &message, const QString &address)
{
    m_xml.writeEmptyElement(QStringLiteral("sms"));
    m_xml.writeAttribute(QStringLiteral("protocol"), QStringLiteral("0"));
    m_xml.writeAttribute(QStringLiteral("address"), xmlSafe(address));
    m_xml.writeAttribute(QStringLiteral("date"),
                         QString::number(SmsXmlFormat::millisFromDate21(message.date)));
    m_xml.writeAttribute(
        QStringLiteral("type"),
        QString::number(message.is_from_me ? SmsXmlFormat::kSmsSent : SmsXmlFormat::kSmsReceived));
    m_xml.writeAttribute(QStringLiteral("subject"), orNull(message.subject()));
    m_xml.writeAttribute(QStringLiteral("body"), xmlSafe(message.plainText()));
    writeNullAttributes({"toa", "sc_toa"});
    m_xml.writeAttribute(QStringLiteral("service_center"), orNull(message.service_center()));
    m_xml.writeAttribute(QStringLiteral("read"), QString::number(message.is_read ? 1 : 0));
    m_xml.writeAttribute(QStringLiteral("status"), QStringLiteral("-1"));
    m_xml.writeAttribute(QStringLiteral("locked"), QStringLiteral("0"));
    m_xml.writeAttribute(QStringLiteral("date_sent"), QStringLiteral("0"));
    const QString name = message.handle ? message.handle->_ct_name : QString();
    m_xml.writeAttribute(QStringLiteral("contact_name"),
                         name.isEmpty() ? QStringLiteral("(Unknown)") : xmlSafe(name));
}

void ExportMessagesXml::writeMms(const _MsgMessage &message, const QStringList &participants)
{
    const bool fromMe = message.is_from_me != 0;
    m_xml.writeStartElement(QStringLiteral("mms"));
    m_xml.writeAttribute(QStringLiteral("date"),
                         QString::number(SmsXmlFormat::millisFromDate21(message.date)));
    m_xml.writeAttribute(QStringLiteral("ct_t"),
                         QStringLiteral("application/vnd.wap.multipart.related"));
    m_xml.writeAttribute(
        QStringLiteral("msg_box"),
        QString::number(fromMe ? SmsXmlFormat::kBoxSent : SmsXmlFormat::kBoxInbox));
    m_xml.writeAttribute(
        QStringLiteral("m_type"),
        QString::number(fromMe ? SmsXmlFormat::kPduSendRequest : SmsXmlFormat::kPduRetrieveConf));
    m_xml.writeAttribute(QStringLiteral("read"), QString::number(message.is_read ? 1 : 0));
    m_xml.writeAttribute(QStringLiteral("sub"), orNull(message.subject()));
    m_xml.writeAttribute(QStringLiteral("text_only"),
                         QString::number(message.attachmentMap.isEmpty() ? 1 : 0));
    m_xml.writeAttribute(QStringLiteral("address"),
                         xmlSafe(participants.join(SmsXmlFormat::addressSeparator())));
    m_xml.writeAttribute(QStringLiteral("date_sent"), QStringLiteral("0"));
    m_xml.writeAttribute(QStringLiteral("locked"), QStringLiteral("0"));
    m_xml.writeAttribute(QStringLiteral("seen"), QStringLiteral("1"));

    writeParts(message);

    m_xml.writeStartElement(QStringLiteral("addrs"));
    const QString sender = !fromMe && message.handle ? message.handle->id : QString();
    if (fromMe)
        writeAddr(QStringLiteral("insert-address-token"), SmsXmlFormat::kAddrFrom);
    else if (!sender.isEmpty() && !participants.contains(sender))
        writeAddr(sender, SmsXmlFormat::kAddrFrom);
    for (const QString &address : participants)
        writeAddr(address, address == sender ? SmsXmlFormat::kAddrFrom : SmsXmlFormat::kAddrTo);
    m_xml.writeEndElement();
    m_xml.writeEndElement();
}

// The text and the attachments in the order the text's placeholders give them, so that a picture
// stays before or after its caption; attachments without a placeholder follow at the end.
void ExportMessagesXml::writeParts(const _MsgMessage &message)
{
    m_xml.writeStartElement(QStringLiteral("parts"));
    const QList<_MsgAttachment *> attachments = message.attachments();
    qsizetype nextAttachment = 0;
    int textParts = 0;
    QString pending;
    const auto flushText = [&] {
        if (!pending.isEmpty())
            writeTextPart(pending, textParts++);
        pending.clear();
    };
    for (const QChar c : message.text()) {
        if (c != QChar(0xFFFC)) {
            pending += c;
        } else if (nextAttachment < attachments.size()) {
            flushText();
            writeAttachmentPart(*attachments.at(nextAttachment++));
        }
    }
    flushText();
    while (nextAttachment < attachments.size())
        writeAttachmentPart(*attachments.at(nextAttachment++));
    m_xml.writeEndElement();
}

void ExportMessagesXml::writeTextPart(const QString &text, int number)
{
    m_xml.writeEmptyElement(QStringLiteral("part"));
    m_xml.writeAttribute(QStringLiteral("seq"), QStringLiteral("0"));
    m_xml.writeAttribute(QStringLiteral("ct"), QStringLiteral("text/plain"));
    m_xml.writeAttribute(QStringLiteral("name"), QStringLiteral("null"));
    m_xml.writeAttribute(QStringLiteral("chset"), QString::number(SmsXmlFormat::kCharsetUtf8));
    writeNullAttributes({"cd", "fn"});
    m_xml.writeAttribute(QStringLiteral("cid"), QStringLiteral("<text%1>").arg(number));
    m_xml.writeAttribute(QStringLiteral("cl"), QStringLiteral("text%1.txt").arg(number));
    writeNullAttributes({"ctt_s", "ctt_t"});
    m_xml.writeAttribute(QStringLiteral("text"), xmlSafe(text));
}

void ExportMessagesXml::writeAttachmentPart(const _MsgAttachment &attachment)
{
    const QString name = xmlSafe(partName(attachment));
    m_xml.writeEmptyElement(QStringLiteral("part"));
    m_xml.writeAttribute(QStringLiteral("seq"), QStringLiteral("0"));
    m_xml.writeAttribute(QStringLiteral("ct"), attachment.mime_type.isEmpty()
                                                   ? QStringLiteral("application/octet-stream")
                                                   : xmlSafe(attachment.mime_type.toLower()));
    m_xml.writeAttribute(QStringLiteral("name"), orNull(name));
    writeNullAttributes({"chset", "cd", "fn"});
    m_xml.writeAttribute(QStringLiteral("cid"), QStringLiteral("<%1>").arg(name));
    m_xml.writeAttribute(QStringLiteral("cl"), orNull(name));
    writeNullAttributes({"ctt_s", "ctt_t", "text"});
    // A file that is not on this computer still keeps its name (and so the message's hash).
    QFile file(attachment.localPath);
    if (attachment.localPath.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        qCWarning(lcExport) << "attachment file missing, exported without data:"
                            << attachment.localPath;
        return;
    }
    m_xml.writeAttribute(QStringLiteral("data"), QString::fromLatin1(file.readAll().toBase64()));
}

void ExportMessagesXml::writeAddr(const QString &address, int type)
{
    m_xml.writeEmptyElement(QStringLiteral("addr"));
    m_xml.writeAttribute(QStringLiteral("address"), xmlSafe(address));
    m_xml.writeAttribute(QStringLiteral("type"), QString::number(type));
    m_xml.writeAttribute(QStringLiteral("charset"), QString::number(SmsXmlFormat::kCharsetUtf8));
}

void ExportMessagesXml::writeNullAttributes(std::initializer_list<const char *> names)
{
    for (const char *name : names)
        m_xml.writeAttribute(QString::fromLatin1(name), QStringLiteral("null"));
}

void ExportMessagesXml::uninit()
{
    m_xml.writeEndElement();
    m_xml.writeEndDocument();
    const QByteArray count = QByteArray::number(m_count).rightJustified(kCountDigits, '0');
    if (m_xml.hasError() || !m_file.seek(m_countPos) || m_file.write(count) != count.size() ||
        !m_file.commit())
        fail();
}

void ExportMessagesXml::fail() const
{
    throw std::runtime_error(
        g_tr("IDS_EXPORT_WRITE_FAILED_%1_%2").arg(m_path, m_file.errorString()).toStdString());
}
