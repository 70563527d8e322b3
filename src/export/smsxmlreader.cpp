#include "export/smsxmlreader.h"

#include "export/archivexmldevice.h"
#include "export/charrefrepairdevice.h"
#include "export/exportlog.h"
#include "export/smsxmlformat.h"
#include "frame/appdirs.h"
#include "frame/filenames.h"
#include "frame/translation.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msghandle.h"
#include "model/msgidentity.h"
#include "model/msgmessage.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QXmlStreamAttributes>

#include <algorithm>
#include <stdexcept>

namespace {

constexpr QChar kPlaceholder(0xFFFC);

// What the app writes where a phone stores no address of its own.
bool isOwnAddressToken(const QString &address)
{
    return address.isEmpty() || address == QLatin1String("insert-address-token");
}

QString attr(const QXmlStreamAttributes &attributes, QLatin1String name)
{
    return SmsXmlFormat::orEmpty(attributes.value(name).toString());
}

int intAttr(const QXmlStreamAttributes &attributes, QLatin1String name, int fallback)
{
    bool ok = false;
    const int value = attributes.value(name).toInt(&ok);
    return ok ? value : fallback;
}

// A name for the file shown to the user: the part's own name made harmless, else one made up
// from the MIME type. It only ever names the record, never a path on this computer.
QString partName(const QString &name, const QString &mimeType, qint64 number)
{
    QString safe = g_formatFileName(name);
    if (safe == QLatin1String(".") || safe == QLatin1String(".."))
        safe.clear();
    if (!safe.isEmpty())
        return safe;
    const QString suffix = QMimeDatabase().mimeTypeForName(mimeType).preferredSuffix();
    return QStringLiteral("attachment%1").arg(number) +
           (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
}

// The suffix a cache file keeps so that viewers recognise it: letters and digits only.
QString safeSuffix(const QString &name)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9]{1,8}$"));
    const QString suffix = QFileInfo(name).suffix();
    return plain.match(suffix).hasMatch() ? suffix.toLower() : QString();
}

} // namespace

struct SmsXmlReader::Part
{
    QString mimeType;
    QString name;
    QString guid;
    QString localPath;
    qint64 size = 0;
};

struct SmsXmlReader::Record
{
    QStringList addresses; // the other parties, as written
    QString sender;        // the sender of a received MMS, when the file names one
    QStringList fromAddrs; // <addr type="137">
    QStringList toAddrs;   // every other <addr>
    QString contactName;
    QString subject;
    QString serviceCenter;
    QStringList texts;
    QList<Part> parts;
    // In the order of the parts: true for a text, false for an attachment.
    QList<bool> order;
    qint64 millis = 0;
    bool fromMe = false;
    bool read = true;
};

SmsXmlReader::SmsXmlReader(const QString &path, const QDir &cacheFolder,
                           const _CountryInfo &country)
    : m_path(path), m_cacheFolder(cacheFolder), m_country(country)
{}

SmsXmlReader::~SmsXmlReader() = default;

bool SmsXmlReader::isCandidate(const QString &path)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix().toLower();
    return info.isFile() && (suffix == QLatin1String("xml") || suffix == QLatin1String("zip"));
}

QDir SmsXmlReader::defaultCacheDir(const QString &path)
{
    return QDir(g_dataSaveDir().filePath(QStringLiteral("smsxml_cache/") +
                                         g_pathHash(QFileInfo(path).absoluteFilePath())));
}

void SmsXmlReader::prepare(MsgData &data)
{
    m_data = data.p();
    if (!m_cacheFolder.exists() && !QDir().mkpath(m_cacheFolder.absolutePath()))
        fail(g_tr("IDS_CANNOT_CREATE_FOLDER").arg(m_cacheFolder.absolutePath()));
}

void SmsXmlReader::read(QIODevice &device, MsgData &data)
{
    prepare(data);
    readDocument(device);
}

void SmsXmlReader::read(MsgData &data)
{
    prepare(data);
    if (QFileInfo(m_path).suffix().compare(QLatin1String("zip"), Qt::CaseInsensitive) == 0) {
        ArchiveXmlDevice archive(m_path);
        readDocument(archive);
        return;
    }
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        fail(file.errorString());
    readDocument(file);
}

void SmsXmlReader::readDocument(QIODevice &device)
{
    CharRefRepairDevice repaired(device);
    m_xml.setDevice(&repaired);
    if (!m_xml.readNextStartElement() || m_xml.name() != QLatin1String("smses")) {
        if (!m_xml.hasError())
            fail(g_tr("IDS_SMSXML_NOT_A_BACKUP"));
    } else {
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == QLatin1String("sms"))
                readSms();
            else if (m_xml.name() == QLatin1String("mms"))
                readMms();
            else
                m_xml.skipCurrentElement();
        }
    }
    if (repaired.sourceFailed())
        fail(device.errorString());
    if (m_xml.hasError())
        fail(QStringLiteral("%1 (line %2)").arg(m_xml.errorString()).arg(m_xml.lineNumber()));
    qCInfo(lcExport) << "read" << m_records << "records and" << m_attachments << "attachments from"
                     << m_path;
}

void SmsXmlReader::readSms()
{
    const QXmlStreamAttributes a = m_xml.attributes();
    Record record;
    record.addresses << attr(a, QLatin1String("address"));
    record.contactName = attr(a, QLatin1String("contact_name"));
    record.subject = attr(a, QLatin1String("subject"));
    record.serviceCenter = attr(a, QLatin1String("service_center"));
    const QString body = attr(a, QLatin1String("body"));
    record.texts << body;
    record.order << true;
    record.millis = a.value(QLatin1String("date")).toLongLong();
    record.fromMe = SmsXmlFormat::isSmsFromMe(intAttr(a, QLatin1String("type"), 1));
    record.read = intAttr(a, QLatin1String("read"), 1) != 0;
    m_xml.skipCurrentElement();
    addRecord(record);
}

void SmsXmlReader::readMms()
{
    const QXmlStreamAttributes a = m_xml.attributes();
    Record record;
    const QString addresses = attr(a, QLatin1String("address"));
    if (!addresses.isEmpty())
        record.addresses = addresses.split(SmsXmlFormat::addressSeparator(), Qt::SkipEmptyParts);
    record.contactName = attr(a, QLatin1String("contact_name"));
    record.subject = attr(a, QLatin1String("sub"));
    record.millis = a.value(QLatin1String("date")).toLongLong();
    record.fromMe = SmsXmlFormat::isMmsFromMe(intAttr(a, QLatin1String("msg_box"), 0),
                                              intAttr(a, QLatin1String("m_type"), 0));
    record.read = intAttr(a, QLatin1String("read"), 1) != 0;
    while (m_xml.readNextStartElement()) {
        if (m_xml.name() == QLatin1String("parts")) {
            while (m_xml.readNextStartElement()) {
                if (m_xml.name() == QLatin1String("part"))
                    readPart(record);
                else
                    m_xml.skipCurrentElement();
            }
        } else if (m_xml.name() == QLatin1String("addrs")) {
            readAddrs(record);
        } else {
            m_xml.skipCurrentElement();
        }
    }
    if (m_xml.hasError())
        return;
    // Files written before the app named the parties in `address` only list them as <addr>s.
    if (record.addresses.isEmpty())
        record.addresses = record.fromMe ? record.toAddrs : record.fromAddrs + record.toAddrs;
    if (!record.fromMe && !record.fromAddrs.isEmpty())
        record.sender = record.fromAddrs.first();
    addRecord(record);
}

void SmsXmlReader::readPart(Record &record)
{
    const QXmlStreamAttributes a = m_xml.attributes();
    const QString mimeType = attr(a, QLatin1String("ct")).toLower();
    if (mimeType == QLatin1String("application/smil")) {
        m_xml.skipCurrentElement();
        return;
    }
    const QStringView data = a.value(QLatin1String("data"));
    if (mimeType == QLatin1String("text/plain")) {
        QString text = attr(a, QLatin1String("text"));
        if (text.isEmpty() && !data.isEmpty())
            text = QString::fromUtf8(QByteArray::fromBase64(data.toLatin1()));
        record.texts << text;
        record.order << true;
        m_xml.skipCurrentElement();
        return;
    }
    QString name;
    for (const char *key : {"cl", "name", "fn"}) {
        name = attr(a, QLatin1String(key));
        if (!name.isEmpty())
            break;
    }
    Part part;
    part.mimeType = mimeType;
    part.name = partName(name, mimeType, record.parts.size() + 1);
    // Stable across reads of the same file, so a second read overwrites instead of piling up.
    part.guid = hashUUID(QStringLiteral("%1#%2/%3")
                             .arg(QFileInfo(m_path).absoluteFilePath())
                             .arg(m_records + 1)
                             .arg(record.parts.size())
                             .toUtf8());
    if (!data.isEmpty()) {
        const QByteArray bytes = QByteArray::fromBase64(data.toLatin1());
        part.size = bytes.size();
        part.localPath = writePartFile(part.guid, safeSuffix(part.name), bytes);
    }
    record.parts << part;
    record.order << false;
    m_xml.skipCurrentElement();
}

void SmsXmlReader::readAddrs(Record &record)
{
    while (m_xml.readNextStartElement()) {
        if (m_xml.name() == QLatin1String("addr")) {
            const QXmlStreamAttributes a = m_xml.attributes();
            const QString address = attr(a, QLatin1String("address"));
            if (!isOwnAddressToken(address)) {
                if (intAttr(a, QLatin1String("type"), 0) == SmsXmlFormat::kAddrFrom)
                    record.fromAddrs << address;
                else
                    record.toAddrs << address;
            }
        }
        m_xml.skipCurrentElement();
    }
}

QString SmsXmlReader::writePartFile(const QString &guid, const QString &suffix,
                                    const QByteArray &bytes)
{
    const QString path =
        m_cacheFolder.filePath(suffix.isEmpty() ? guid : guid + QLatin1Char('.') + suffix);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        fail(g_tr("IDS_EXPORT_WRITE_FAILED_%1_%2").arg(path, file.errorString()));
    return path;
}

void SmsXmlReader::addRecord(const Record &record)
{
    const qint64 rowid = ++m_records;
    QList<_MsgHandle *> participants;
    for (const QString &address : record.addresses) {
        _MsgHandle *handle = handleFor(address);
        if (handle && !participants.contains(handle))
            participants << handle;
    }
    _MsgChat *chat = chatFor(participants);

    auto message = std::make_unique<_MsgMessage>();
    message->rowid = rowid;
    message->srcRowId = rowid;
    message->date = SmsXmlFormat::date21FromMillis(record.millis);
    message->date_read = message->date;
    message->date_delivered = message->date;
    message->is_from_me = record.fromMe ? 1 : 0;
    message->setService(QStringLiteral("SMS"));
    message->setAccount(QStringLiteral("e:"));
    message->setSubject(record.subject);
    message->setServiceCenter(record.serviceCenter);
    message->is_finished = 1;
    message->is_prepared = 1;
    message->is_sent = 1;
    message->was_data_detected = 1;
    message->is_read = record.read ? 1 : 0;
    // One-to-one: the other party in both directions; group: the sender of a received message.
    if (participants.size() == 1)
        message->handle = participants.first();
    else if (!record.fromMe && !record.sender.isEmpty())
        message->handle = handleFor(record.sender);
    message->handle_id = message->handle ? message->handle->rowid : 0;
    if (message->handle && participants.size() == 1 && message->handle->_ct_name.isEmpty() &&
        record.contactName != QLatin1String("(Unknown)"))
        message->handle->_ct_name = record.contactName;

    QString text;
    bool afterText = false;
    qsizetype nextText = 0;
    qsizetype nextPart = 0;
    for (const bool isText : record.order) {
        if (isText) {
            const QString &part = record.texts.at(nextText++);
            // Text parts of separate slides read best on lines of their own.
            if (afterText && !part.isEmpty())
                text += QLatin1Char('\n');
            text += part;
            afterText = afterText || !part.isEmpty();
            continue;
        }
        afterText = false;
        // Where the attachment stands in the text, as the phone's own databases mark it.
        text += kPlaceholder;
        addAttachment(*message, record.parts.at(nextPart++));
    }
    message->setText(text);
    message->cache_has_attachments = message->attachmentMap.isEmpty() ? 0 : 1;
    message->setGuid(hashUUID(message->logicalHash().toUtf8()));

    _MsgMessage *owned = message.release();
    owned->chat = chat;
    chat->messageMap.insert(QString::number(rowid), owned);
    chat->last = std::max(chat->last, owned->date);
    m_data->messages.insert(rowid, owned);
}

void SmsXmlReader::addAttachment(_MsgMessage &message, const Part &part)
{
    auto attachment = std::make_unique<_MsgAttachment>();
    attachment->rowid = ++m_attachments;
    attachment->guid = part.guid;
    attachment->created_date = message.date;
    attachment->filename = QStringLiteral("~/Library/SMS/Attachments/%1/%2/%3/%4")
                               .arg(part.guid.mid(0, 2).toLower(), part.guid.mid(2, 2).toLower(),
                                    part.guid, part.name);
    attachment->mime_type = part.mimeType;
    const qsizetype slash = part.mimeType.indexOf(QLatin1Char('/'));
    if (slash >= 0)
        attachment->uti = QStringLiteral("public.") + part.mimeType.mid(slash + 1);
    attachment->is_outgoing = message.is_from_me;
    attachment->transfer_name = part.name;
    attachment->total_bytes = part.size;
    attachment->localPath = part.localPath;
    _MsgAttachment *owned = attachment.release();
    m_data->attachments.insert(owned->rowid, owned);
    message.attachmentMap.insert(QString::number(owned->rowid), owned);
}

_MsgHandle *SmsXmlReader::handleFor(const QString &address)
{
    if (isOwnAddressToken(address))
        return nullptr;
    const QString id = m_country.formatNumber(address);
    if (_MsgHandle *known = m_handles.value(id))
        return known;
    auto handle = std::make_unique<_MsgHandle>();
    handle->rowid = m_data->handles.size() + 1;
    handle->id = id;
    handle->uncanonicalized_id = address;
    handle->country = m_country.sn.toLower();
    handle->service = QStringLiteral("SMS");
    _MsgHandle *owned = handle.release();
    m_data->handles.insert(owned->rowid, owned);
    m_handles.insert(id, owned);
    return owned;
}

_MsgChat *SmsXmlReader::chatFor(const QList<_MsgHandle *> &participants)
{
    QStringList ids;
    for (const _MsgHandle *handle : participants)
        ids << handle->id;
    ids.sort();
    const QString key = ids.join(QLatin1Char('\n'));
    if (_MsgChat *known = m_chats.value(key))
        return known;
    auto chat = std::make_unique<_MsgChat>();
    chat->rowid = m_data->chats.size() + 1;
    if (participants.size() > 1) {
        chat->style = 43;
        chat->chat_identifier = genChatIdentifier(key);
        chat->guid = QStringLiteral("SMS;+;") + chat->chat_identifier;
    } else {
        chat->chat_identifier = key;
        chat->guid = QStringLiteral("SMS;-;") + key;
    }
    for (_MsgHandle *handle : participants)
        chat->handleMap.insert(QString::number(handle->rowid), handle);
    _MsgChat *owned = chat.release();
    m_data->chats.insert(owned->rowid, owned);
    m_chats.insert(key, owned);
    return owned;
}

void SmsXmlReader::fail(const QString &reason) const
{
    throw std::runtime_error(
        g_tr("IDS_SMSXML_READ_FAILED_%1_%2").arg(m_path, reason).toStdString());
}
