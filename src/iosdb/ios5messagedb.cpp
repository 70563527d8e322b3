#include "iosdb/ios5messagedb.h"

#include "frame/filenames.h"
#include "iosdb/ios6messagedb.h"
#include "iosdb/ioscontactphoneinfo.h"
#include "iosdb/ioscontactsmemdb.h"
#include "iosdb/iosdblog.h"
#include "model/countrylibdb.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msgdata.h"
#include "model/msgfunctions.h"
#include "model/msghandle.h"
#include "model/msgidentity.h"
#include "model/msgmessage.h"
#include "model/qplist.h"
#include "model/sqlite3cursor.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

#include <algorithm>

namespace {

const QChar kObjectReplacement(0xFFFC);

// The old layout's triggers call read(flags) to test a message's read bit.
void readFlag(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    sqlite3_result_int(context, argc > 0 && sqlite3_value_int(argv[0]) != 0 ? 1 : 0);
}

// The guids an iMessage's attachment info names. The blob is an archived object whose strings sit
// between binary bytes; blanking everything but guid characters lets one pattern find them.
QStringList attachmentGuids(const QByteArray &info)
{
    QString text;
    text.reserve(info.size());
    for (const char byte : info) {
        const auto c = static_cast<unsigned char>(byte);
        const bool keep =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-';
        text.append(QLatin1Char(keep ? byte : ' '));
    }
    static const QRegularExpression guidRx(QStringLiteral(
        "[a-zA-Z0-9]{8}\\-[a-zA-Z0-9]{4}\\-[a-zA-Z0-9]{4}\\-[a-zA-Z0-9]{4}\\-[a-zA-Z0-9]{12}"));
    QStringList guids;
    auto it = guidRx.globalMatch(text);
    while (it.hasNext())
        guids << it.next().captured(0);
    return guids;
}

// A name for an MMS part's file that stays one plain name: the phone's content_loc is free text
// and may carry folders or "..". Falls back to a name made from the part when nothing usable
// remains.
QString partFileName(const QString &contentLoc, int partId, const QString &suffix)
{
    const QString name = g_formatFileName(contentLoc);
    if (!name.isEmpty() && name != QLatin1String(".") && name != QLatin1String(".."))
        return name;
    const QString base = QStringLiteral("part-%1").arg(partId);
    return suffix.isEmpty() ? base : base + QLatin1Char('.') + suffix;
}

// The file suffix of content_loc, reduced to characters a file name may hold; it cannot contain
// a dot, so no ".." survives either.
QString partSuffix(const QString &contentLoc)
{
    const int dot = contentLoc.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : g_formatFileName(contentLoc.mid(dot + 1));
}

bool isFromMeFlags(int flags)
{
    return flags == 3;
}

} // namespace

// One messages() run: the chats by identifier, the part files written so far and the records of
// data, so that the per-row steps stay small.
class IOS5MessageDb::Loader
{
public:
    Loader(IOS5MessageDb &db, MsgData &data) : m_db(db), m_d(*data.p())
    {
        // Only iMessage chats are looked up by identifier; an SMS chat with the same person
        // shares the identifier but must not receive the iMessages.
        for (_MsgChat *chat : std::as_const(m_d.chats)) {
            if (chat->rowid < 0)
                m_imessageChats.insert(chat->chat_identifier, chat);
        }
    }

    void readMessages(qint64 chatId)
    {
        Sqlite3Sql sql("select m.* from message as m");
        QStringList params;
        if (chatId > 0) {
            sql.appendSql(QStringLiteral(" where m.group_id=%1").arg(chatId));
        } else if (chatId <= IOS5MessageDb::kMadeChatBase) {
            sql.appendSql(m_db.madeChatCondition(chatId, params));
            for (const QString &param : std::as_const(params))
                sql.addTextParam(param);
        } else if (chatId < 0) {
            sql.appendSql(QStringLiteral(" inner join madrid_chat as c on "
                                         "(m.madrid_roomname=c.chat_identifier or "
                                         "m.madrid_handle=c.chat_identifier) and c.rowid=%1")
                              .arg(-chatId));
        }
        Sqlite3Cursor c = m_db.queryThrow(sql);
        while (c.moveNext()) {
            bool made = false;
            _MsgMessage *owned = __MsgData::insertOrGet(
                m_d.messages, c.getInt64(QStringLiteral("rowid")),
                [&] {
                    auto msg = std::make_unique<_MsgMessage>();
                    fillCommon(c, *msg);
                    return msg;
                },
                &made);
            if (!made)
                continue;
            if (c.getInt(QStringLiteral("is_madrid")) == 0)
                readSms(c, *owned);
            else
                readIMessage(c, *owned);
        }
    }

    void readParts(qint64 chatId)
    {
        Sqlite3Sql sql("select p.*,m.group_id,m.flags as msg_flags from msg_pieces as p inner "
                       "join message as m on p.message_id=m.rowid");
        if (chatId > 0)
            sql.appendSql(QStringLiteral(" and m.group_id=%1").arg(chatId));
        // The first picture of an MMS goes into the message itself, so the parts' order matters.
        sql.appendSql(QStringLiteral(" order by p.message_id,p.part_id,p.rowid"));
        Sqlite3Cursor c = m_db.queryThrow(sql);
        while (c.moveNext()) {
            const qint64 rowid = c.getInt64(QStringLiteral("rowid"));
            _MsgMessage *msg = m_d.messages.value(c.getInt64(QStringLiteral("message_id")));
            if (!msg || m_d.attachments.contains(rowid))
                continue;
            const QString type = c.getText(QStringLiteral("content_type")).trimmed();
            if (type.isEmpty() ||
                type.startsWith(QLatin1String("application/"), Qt::CaseInsensitive))
                continue; // the SMIL layout and the like
            if (type.compare(QLatin1String("text/plain"), Qt::CaseInsensitive) == 0) {
                const QString part = QString::fromUtf8(c.getBlob(QStringLiteral("data")));
                msg->setText((msg->text() + QLatin1Char('\n') + part).trimmed());
                continue;
            }
            if (c.getText(QStringLiteral("content_loc")).isEmpty())
                continue;
            _MsgAttachment *atta = __MsgData::insertOrGet(
                m_d.attachments, rowid, [&] { return partAttachment(c, rowid, type); });
            if (atta)
                attachPart(*msg, atta);
        }
    }

private:
    void fillCommon(const Sqlite3Cursor &c, _MsgMessage &m) const
    {
        m.rowid = c.getInt64(QStringLiteral("rowid"));
        m.srcRowId = m.rowid;
        m.setText(c.getText(QStringLiteral("text")));
        m.setServiceCenter(c.getText(QStringLiteral("svc_center")));
        m.setSubject(c.getText(QStringLiteral("subject")));
        m.setCountry(c.getText(QStringLiteral("country")));
        m.replace = 0;
        m.version = 10;
        m.type = 0;
        m.is_finished = 1;
        m.is_prepared = 1;
        m.is_read = 1;
        m.is_sent = 1;
        m.was_data_detected = 1;
    }

    void readSms(const Sqlite3Cursor &c, _MsgMessage &m)
    {
        const qint64 unixDate = c.getInt64(QStringLiteral("date"));
        // The old layout keeps no guid for SMS. One made from the row stays the same on every
        // load, so that a message whose date cannot be read is still known when saved again.
        m.setGuid(hashUUID(QStringLiteral("sms;%1;%2;%3;%4")
                               .arg(m.rowid)
                               .arg(unixDate)
                               .arg(c.getText(QStringLiteral("address")), m.text())
                               .toUtf8()));
        m.setService(QStringLiteral("SMS"));
        m.setAccount(QStringLiteral("e:"));
        m.error = 0;
        m.date = date21FromUnixSeconds(unixDate);
        m.date_read = m.date;
        m.date_delivered = m.date;
        m.is_from_me = isFromMeFlags(c.getInt(QStringLiteral("flags"))) ? 1 : 0;
        _MsgChat *chat = m_d.chats.value(c.getInt64(QStringLiteral("group_id")));
        // A negative group id would name an iMessage chat, which SMS never belong to.
        if (!chat || chat->rowid < 0)
            return;
        const QString address =
            m_db.countryByCode(m.country()).formatNumber(c.getText(QStringLiteral("address")));
        link(m, chat, address);
    }

    void readIMessage(const Sqlite3Cursor &c, _MsgMessage &m)
    {
        m.setGuid(c.getText(QStringLiteral("madrid_guid")));
        m.setService(QStringLiteral("iMessage"));
        m.setAccount(c.getText(QStringLiteral("madrid_account")));
        m.setAccountGuid(c.getText(QStringLiteral("madrid_account_guid")));
        m.error = c.getInt(QStringLiteral("madrid_error"));
        m.date = date21FromSeconds(c.getInt64(QStringLiteral("date")));
        m.date_read = date21FromSeconds(c.getInt64(QStringLiteral("madrid_date_read")));
        m.date_delivered = date21FromSeconds(c.getInt64(QStringLiteral("madrid_date_delivered")));
        m.is_from_me = m.date_delivered > 0 ? 1 : 0;
        const QString room = c.getText(QStringLiteral("madrid_roomname"));
        const QString handle =
            m_db.defaultCountry().formatNumber(c.getText(QStringLiteral("madrid_handle")));
        if (_MsgChat *chat = m_imessageChats.value(room.isEmpty() ? handle : room))
            link(m, chat, handle);
        if (m_db.m_tableSql.contains(QStringLiteral("madrid_attachment")))
            readIMessageAttachments(c, m);
    }

    // Lists the message in chat and picks its sender: the only participant of a one-to-one
    // chat, the participant of that address in a group, none for the owner's own group messages.
    static void link(_MsgMessage &m, _MsgChat *chat, const QString &formattedAddress)
    {
        m.chat = chat;
        chat->messageMap.insert(QString::number(m.rowid), &m);
        _MsgHandle *handle = nullptr;
        if (chat->handleMap.size() == 1)
            handle = chat->handleMap.cbegin().value();
        else if (chat->handleMap.size() > 1 && m.is_from_me == 0)
            handle = chat->handleMap.value(formattedAddress);
        m.handle = handle;
        m.handle_id = handle ? handle->rowid : 0;
    }

    void readIMessageAttachments(const Sqlite3Cursor &c, _MsgMessage &m)
    {
        const QByteArray attributedBody = c.getBlob(QStringLiteral("madrid_attributedBody"));
        for (const QString &guid :
             attachmentGuids(c.getBlob(QStringLiteral("madrid_attachmentInfo")))) {
            if (m.attachmentMap.contains(guid))
                continue;
            _MsgAttachment *atta = imessageAttachment(guid);
            if (!atta)
                continue;
            m.attachmentMap.insert(guid, atta);
            m.attributedBody =
                m.attachmentMap.size() == 1 ? msgAttaAttributeBody(atta->guid) : attributedBody;
        }
    }

    _MsgAttachment *imessageAttachment(const QString &guid)
    {
        Sqlite3Cursor a =
            m_db.queryThrow(Sqlite3Sql("select * from madrid_attachment where attachment_guid=?")
                                .addTextParam(guid));
        if (!a.moveNext())
            return nullptr;
        const qint64 rowid = -a.getInt64(QStringLiteral("rowid"));
        return __MsgData::insertOrGet(m_d.attachments, rowid,
                                      [&] { return imessageAttachment(a, rowid); });
    }

    std::unique_ptr<_MsgAttachment> imessageAttachment(const Sqlite3Cursor &a, qint64 rowid) const
    {
        auto atta = std::make_unique<_MsgAttachment>();
        atta->rowid = rowid;
        atta->guid = a.getText(QStringLiteral("attachment_guid"));
        atta->created_date = a.getInt(QStringLiteral("created_date"));
        atta->start_date = a.getInt(QStringLiteral("start_date"));
        static const QRegularExpression phoneHome(QStringLiteral("^/var/mobile/"));
        atta->filename =
            a.getText(QStringLiteral("filename")).replace(phoneHome, QStringLiteral("~/"));
        atta->uti = a.getText(QStringLiteral("uti_type"));
        atta->mime_type = a.getText(QStringLiteral("mime_type"));
        atta->transfer_state = a.getInt(QStringLiteral("transfer_state"));
        atta->is_outgoing = a.getInt(QStringLiteral("is_incoming")) == 0 ? 1 : 0;
        // Resolved only below the root: a name with ".." leaves localPath empty.
        if (!atta->filename.isEmpty())
            atta->localPath = IOS6MessageDb::resolveAttachmentPath(m_db.m_root, atta->filename);
        return atta;
    }

    // The attachment of an MMS part, with the part's bytes written to the file the phone would
    // keep them in; null when no safe path below the root can be made.
    std::unique_ptr<_MsgAttachment> partAttachment(const Sqlite3Cursor &c, qint64 rowid,
                                                   const QString &type) const
    {
        const qint64 messageId = c.getInt64(QStringLiteral("message_id"));
        const int partId = c.getInt(QStringLiteral("part_id"));
        const QString contentLoc = c.getText(QStringLiteral("content_loc"));
        const QString suffix = partSuffix(contentLoc);
        const qint64 groupId = c.getInt64(QStringLiteral("group_id"));
        const QString relative = QStringLiteral("var/mobile/Library/SMS/Parts/%1/%2/%3-%4.%5")
                                     .arg(((groupId % 256) + 256) % 256, 2, 16, QLatin1Char('0'))
                                     .arg(((messageId % 16) + 16) % 16, 2, 10, QLatin1Char('0'))
                                     .arg(messageId)
                                     .arg(partId)
                                     .arg(suffix);
        const QString localPath = g_safeChildPath(m_db.m_root, relative);
        if (localPath.isEmpty())
            return nullptr;
        writePartFile(localPath, c.getBlob(QStringLiteral("data")));

        auto atta = std::make_unique<_MsgAttachment>();
        atta->rowid = rowid;
        atta->localPath = localPath;
        atta->guid = hashUUID(relative.toUtf8());
        atta->created_date = date21FromUnixSeconds(QDateTime::currentSecsSinceEpoch());
        atta->start_date = 0;
        const QString name = partFileName(contentLoc, partId, suffix);
        atta->filename = QStringLiteral("~/Library/SMS/Attachments/%1/%2/%3/%4")
                             .arg(atta->guid.left(2).toLower(), atta->guid.mid(2, 2).toLower(),
                                  atta->guid, name);
        atta->mime_type = type;
        atta->uti = QStringLiteral("public.") + type.section(QLatin1Char('/'), 1, 1);
        atta->transfer_state = 5;
        atta->is_outgoing = isFromMeFlags(c.getInt(QStringLiteral("msg_flags"))) ? 1 : 0;
        atta->transfer_name = name;
        return atta;
    }

    static void writePartFile(const QString &path, const QByteArray &bytes)
    {
        if (bytes.isEmpty())
            return;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        // A part that cannot be written is shown without its file; loading goes on.
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            qCDebug(lcIosdb) << "cannot write MMS part" << path << file.errorString();
            return;
        }
        file.write(bytes);
    }

    // The records of this model carry at most one attachment per message, so every further
    // part becomes a message of its own right after the first.
    void attachPart(_MsgMessage &msg, _MsgAttachment *atta)
    {
        if (msg.attachmentMap.isEmpty()) {
            msg.attachmentMap.insert(atta->guid, atta);
            msg.setText(msg.text() + kObjectReplacement);
            msg.attributedBody = msgAttaAttributeBody(atta->guid);
            return;
        }
        qCDebug(lcIosdb) << "IOS5MessageDb::messages, clone attachment message.";
        bool made = false;
        _MsgMessage *owned = __MsgData::insertOrGet(
            m_d.messages, kExtraMessageBase - atta->rowid,
            [&] {
                auto extra = std::make_unique<_MsgMessage>(msg);
                extra->rowid = kExtraMessageBase - atta->rowid;
                extra->setGuid(
                    hashUUID(QStringLiteral("%1(%2)").arg(atta->guid).arg(msg.rowid).toUtf8()));
                extra->setText(QString(kObjectReplacement));
                extra->attachmentMap.clear();
                extra->attachmentMap.insert(atta->guid, atta);
                extra->attributedBody = msgAttaAttributeBody(atta->guid);
                return extra;
            },
            &made);
        if (!made)
            return;
        // Listed in the chat too: a view by conversation would otherwise never show this part.
        if (owned->chat)
            owned->chat->messageMap.insert(QString::number(owned->rowid), owned);
    }

    IOS5MessageDb &m_db;
    __MsgData &m_d;
    QHash<QString, _MsgChat *> m_imessageChats;
};

IOS5MessageDb::IOS5MessageDb(const QDir &folder, const QString &mmc, const QString &countryCode)
    : m_folder(folder)
    , m_root(folder.filePath(QStringLiteral("file-relay")))
    , m_dbPath(QDir(m_root).filePath(QString::fromLatin1(IOS6MessageDb::kDbRelativePath)))
    , m_countryCode(countryCode)
    , m_countryLib(std::make_unique<CountryLibDb>(mmc))
    , m_contacts(std::make_unique<IOSContactsMemDb>(folder, mmc, countryCode))
{}

IOS5MessageDb::~IOS5MessageDb() = default;

const _CountryInfo &IOS5MessageDb::defaultCountry()
{
    if (!m_defaultCountry) {
        m_defaultCountry = m_countryCode.isEmpty() ? m_countryLib->defCountryInfo()
                                                   : m_countryLib->infoByCode(m_countryCode);
    }
    return *m_defaultCountry;
}

void IOS5MessageDb::openCheck()
{
    if (isOpen())
        return;
    try {
        // Without the create flag a missing file fails here instead of becoming an empty one.
        openThrow(m_dbPath, kOpenReadWrite);
        sqlite3_create_function_v2(handle(), "read", 1, SQLITE_ANY, nullptr, &readFlag, nullptr,
                                   nullptr, nullptr);
        m_tableSql.clear();
        Sqlite3Cursor c = queryThrow("select * from sqlite_master where type='table'");
        while (c.moveNext())
            m_tableSql.insert(c.getText(QStringLiteral("name")), c.getText(QStringLiteral("sql")));
    } catch (...) {
        // Closed again, so the next use tries afresh instead of reading a half-opened file.
        close();
        m_tableSql.clear();
        throw;
    }
}

const _CountryInfo &IOS5MessageDb::countryByCode(const QString &code)
{
    auto it = m_countries.constFind(code);
    if (it == m_countries.constEnd())
        it = m_countries.insert(code, m_countryLib->infoByCode(code));
    return *it;
}

void IOS5MessageDb::chats(MsgData &data)
{
    openCheck();
    m_contacts->openForReader();
    smsChats(data);
    smsMembers(data);
    if (m_tableSql.contains(QStringLiteral("madrid_chat")))
        imessageChats(data);
}

void IOS5MessageDb::smsChats(MsgData &data)
{
    __MsgData &d = *data.p();
    Sqlite3Cursor c = queryThrow("select g.*,m.date as newest_date from msg_group as g "
                                 "inner join message as m on g.newest_message=m.rowid");
    while (c.moveNext()) {
        const qint64 rowid = c.getInt64(QStringLiteral("rowid"));
        __MsgData::insertOrGet(d.chats, rowid, [&] {
            auto chat = std::make_unique<_MsgChat>();
            chat->rowid = rowid;
            chat->last = date21FromUnixSeconds(c.getInt64(QStringLiteral("newest_date")));
            chat->style = 45;
            chat->state = 3;
            chat->guid =
                QStringLiteral("SMS;-;") + QString::number(c.getInt64(QStringLiteral("hash")));
            chat->chat_identifier = QStringLiteral("unknown");
            chat->service_name = QStringLiteral("SMS");
            chat->account_login = QStringLiteral("E:");
            return chat;
        });
    }
}

void IOS5MessageDb::smsMembers(MsgData &data)
{
    __MsgData &d = *data.p();
    Sqlite3Cursor c = queryThrow("select * from group_member");
    while (c.moveNext()) {
        _MsgChat *chat = d.chats.value(c.getInt64(QStringLiteral("group_id")));
        if (!chat || chat->rowid < 0)
            continue;
        const qint64 rowid = c.getInt64(QStringLiteral("rowid"));
        _MsgHandle *handle = __MsgData::insertOrGet(d.handles, rowid, [&] {
            auto created = std::make_unique<_MsgHandle>();
            created->rowid = rowid;
            created->country = c.getText(QStringLiteral("country"));
            created->service = QStringLiteral("SMS");
            created->id =
                countryByCode(created->country).formatNumber(c.getText(QStringLiteral("address")));
            m_contacts->nameHandle(*created, "IOS5MessageDb");
            return created;
        });
        if (chat->handleMap.contains(handle->id))
            continue;
        if (chat->handleMap.size() == 1) {
            // The second member makes a group. Its identifier derives from the guid the chat
            // had as a one-to-one chat, so every load of the same database gives the same one.
            chat->chat_identifier = genChatIdentifier(chat->guid);
            chat->guid = QStringLiteral("SMS;+;") + chat->chat_identifier;
            chat->room_name = chat->chat_identifier;
            chat->style = 43;
            chat->account_id = hashUUID(chat->guid.toUtf8());
        } else if (chat->handleMap.isEmpty()) {
            chat->chat_identifier = handle->id;
            chat->guid = QStringLiteral("SMS;-;") + handle->id;
            chat->style = 45;
        }
        chat->handleMap.insert(handle->id, handle);
    }
}

void IOS5MessageDb::imessageChats(MsgData &data)
{
    __MsgData &d = *data.p();
    // By the identifier as the phone stores it: the message rows name their chat that way.
    QHash<QString, _MsgChat *> created;
    Sqlite3Cursor c = queryThrow("select * from madrid_chat");
    while (c.moveNext()) {
        const qint64 rowid = -c.getInt64(QStringLiteral("rowid"));
        const QString rawIdentifier = c.getText(QStringLiteral("chat_identifier"));
        bool made = false;
        _MsgChat *chat = __MsgData::insertOrGet(
            d.chats, rowid, [&] { return imessageChat(c, rowid, rawIdentifier, d); }, &made);
        if (made)
            created.insert(rawIdentifier, chat);
    }
    madeIMessageChats(d);
    if (created.isEmpty())
        return;
    for (const QString &column :
         {QStringLiteral("madrid_roomname"), QStringLiteral("madrid_handle")}) {
        c = queryThrow(QStringLiteral("select %1,max(date) as last_date from message group by %1 "
                                      "having %1 is not null and %1 <> ''")
                           .arg(column));
        while (c.moveNext()) {
            if (_MsgChat *chat = created.value(c.getText(column)))
                chat->last = date21FromSeconds(c.getInt64(QStringLiteral("last_date")));
        }
    }
}

std::unique_ptr<_MsgChat> IOS5MessageDb::imessageChat(const Sqlite3Cursor &c, qint64 rowid,
                                                      const QString &rawIdentifier, __MsgData &d)
{
    const _CountryInfo &defCountry = defaultCountry();
    const QStringList participants =
        QPlist::fromFileBin(c.getBlob(QStringLiteral("participants"))).toStringList();
    auto chat = std::make_unique<_MsgChat>();
    chat->rowid = rowid;
    chat->chat_identifier = defCountry.formatNumber(rawIdentifier);
    chat->guid =
        (participants.size() < 2 ? QStringLiteral("iMessage;-;") : QStringLiteral("iMessage;+;")) +
        chat->chat_identifier;
    chat->style = c.getInt(QStringLiteral("style"));
    chat->state = c.getInt(QStringLiteral("state"));
    chat->account_id = c.getText(QStringLiteral("account_id"));
    chat->account_login = c.getText(QStringLiteral("account_login"));
    chat->service_name = QStringLiteral("iMessage");
    for (const QString &participant : participants) {
        _MsgHandle *handle = newIMessageHandle(d, defCountry.formatNumber(participant));
        chat->handleMap.insert(handle->id, handle);
    }
    return chat;
}

_MsgHandle *IOS5MessageDb::newIMessageHandle(__MsgData &d, const QString &address)
{
    qint64 handleId = -d.handles.size() - 1;
    // Row ids handed out by an earlier load into the same container stay taken.
    while (d.handles.contains(handleId))
        --handleId;
    return __MsgData::insertOrGet(d.handles, handleId, [&] {
        auto made = std::make_unique<_MsgHandle>();
        made->rowid = handleId;
        made->service = QStringLiteral("iMessage");
        made->id = address;
        m_contacts->nameHandle(*made, "IOS5MessageDb");
        return made;
    });
}

void IOS5MessageDb::madeIMessageChats(__MsgData &d)
{
    // Messages find their chat by room, or by handle when they have none (see Loader).
    QHash<QString, _MsgChat *> byIdentifier;
    for (_MsgChat *chat : std::as_const(d.chats)) {
        if (chat->rowid < 0)
            byIdentifier.insert(chat->chat_identifier, chat);
    }
    // In a fixed order, so that every load gives a made chat the same row id.
    Sqlite3Cursor c = queryThrow(
        "select ifnull(madrid_roomname,'') as room,ifnull(madrid_handle,'') as handle,"
        "max(date) as last_date from message where is_madrid<>0 group by 1,2 order by 1,2");
    qint64 next = kMadeChatBase;
    m_madeChats.clear();
    while (c.moveNext()) {
        const QString room = c.getText(QStringLiteral("room"));
        const QString rawHandle = c.getText(QStringLiteral("handle"));
        const QString handle = defaultCountry().formatNumber(rawHandle);
        const QString identifier = room.isEmpty() ? handle : room;
        if (identifier.isEmpty())
            continue; // nothing to name a chat after: such a message is reported as not saved
        _MsgChat *chat = byIdentifier.value(identifier);
        if (!chat) {
            while (d.chats.contains(next))
                --next;
            const qint64 rowid = next--;
            chat = __MsgData::insertOrGet(
                d.chats, rowid, [&] { return madeIMessageChat(rowid, room, identifier); });
            byIdentifier.insert(identifier, chat);
            qCWarning(lcIosdb) << "iMessages without a listed chat, one made for" << identifier;
        }
        if (chat->rowid > kMadeChatBase)
            continue; // a chat the phone lists
        MadeChat &made = m_madeChats[chat->rowid];
        made.room = room;
        made.rawHandles << rawHandle;
        chat->last =
            std::max(chat->last, date21FromSeconds(c.getInt64(QStringLiteral("last_date"))));
        if (!handle.isEmpty() && !chat->handleMap.contains(handle))
            chat->handleMap.insert(handle, newIMessageHandle(d, handle));
    }
}

std::unique_ptr<_MsgChat> IOS5MessageDb::madeIMessageChat(qint64 rowid, const QString &room,
                                                          const QString &identifier) const
{
    auto chat = std::make_unique<_MsgChat>();
    chat->rowid = rowid;
    chat->chat_identifier = identifier;
    chat->guid = (room.isEmpty() ? QStringLiteral("iMessage;-;") : QStringLiteral("iMessage;+;")) +
                 identifier;
    chat->room_name = room;
    chat->style = room.isEmpty() ? 45 : 43;
    chat->state = 3;
    chat->service_name = QStringLiteral("iMessage");
    return chat;
}

QString IOS5MessageDb::madeChatCondition(qint64 chatId, QStringList &params) const
{
    const MadeChat made = m_madeChats.value(chatId);
    if (!made.room.isEmpty()) {
        params << made.room;
        return QStringLiteral(" where m.is_madrid<>0 and m.madrid_roomname=?");
    }
    params = made.rawHandles;
    QStringList marks;
    for (int i = 0; i < params.size(); ++i)
        marks << QStringLiteral("?");
    // No handle: a chat this load does not know selects nothing.
    if (marks.isEmpty())
        return QStringLiteral(" where 0");
    return QStringLiteral(" where m.is_madrid<>0 and ifnull(m.madrid_roomname,'')='' and "
                          "ifnull(m.madrid_handle,'') in (%1)")
        .arg(marks.join(QLatin1Char(',')));
}

void IOS5MessageDb::messages(MsgData &data, qint64 chatId)
{
    openCheck();
    chats(data);
    // A database without iMessage tables has no iMessage chat to select.
    if (chatId < 0 && !m_tableSql.contains(QStringLiteral("madrid_chat")))
        return;
    Loader loader(*this, data);
    loader.readMessages(chatId);
    if (chatId >= 0 && m_tableSql.contains(QStringLiteral("msg_pieces")))
        loader.readParts(chatId);
}
