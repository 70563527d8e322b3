#include "android/androidloadsmsthread.h"

#include "android/androidlog.h"
#include "android/androidsmsrecord.h"
#include "android/simpleprotocol.h"
#include "android/simpleprotocolerrors.h"
#include "frame/absprogress.h"
#include "frame/filenames.h"
#include "frame/translation.h"
#include "iosdb/ios6messagedb.h"
#include "model/countrylibdb.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msgfunctions.h"
#include "model/msghandle.h"
#include "model/msgidentity.h"
#include "model/msgmessage.h"

#include <QLocale>
#include <QTcpSocket>
#include <QTemporaryFile>

namespace {

constexpr int kServiceStartMs = 10000;
constexpr qint64 kUnixTo2001 = 978307200;
const QChar kAttachmentMark(0xFFFC);

// The phone names the file; the name may only ever be a plain name inside our own folders.
QString safeAttachmentName(const QString &name)
{
    QString safe;
    for (const QChar c : g_formatFileName(name)) {
        if (c.unicode() >= 0x20)
            safe += c;
    }
    while (safe.startsWith(QLatin1Char('.')))
        safe.remove(0, 1);
    safe = safe.left(200).trimmed();
    return safe.isEmpty() ? QStringLiteral("Unknown2") : safe;
}

} // namespace

AndroidLoadSMSThread::AndroidLoadSMSThread(const AndroidDevice &device, AbsProgress &progress,
                                           QObject *parent)
    : ProgressWorker(progress, lcAndroid, "load", parent)
    , m_device(device)
    , m_writer(device.cacheDir(), device.mmc)
{}

AndroidLoadSMSThread::~AndroidLoadSMSThread() = default;

void AndroidLoadSMSThread::rollback(bool)
{
    m_socket.reset();
    m_loaded = 0;
    m_deleted = 0;
    m_writer.abort();
}

void AndroidLoadSMSThread::work()
{
    m_total = -1;
    m_processed = 0;
    progress().invokeUpdateProgress(g_tr("IDS_ANDROID_LOADING_SMS"), 0, QString());
    m_country = CountryLibDb(m_device.mmc).defCountryInfo();
    prepareTables();
    m_writer.init();
    m_writer.db().executeThrow("delete from valid_hash");

    m_socket = m_device.triggerService(
        QStringLiteral("backup2://127.0.0.1:%1/mms/").arg(portAlloc()), kServiceStartMs);
    while (true) {
        const QString command =
            simpleprotocol::readCommand(*m_socket, simpleprotocol::kIdleTimeoutMs);
        if (command.startsWith(QLatin1String("$bye:")))
            break;
        if (command.startsWith(QLatin1String("$count:"))) {
            bool ok = false;
            const int total = command.mid(7).trimmed().toInt(&ok);
            m_total = ok && total > 0 ? total : -1;
        } else if (command.startsWith(QLatin1String("$batch:"))) {
            handleBatchCommand();
        }
    }
    sendCommand(QStringLiteral("$bye:"));
    // The socket belongs to this thread and goes with it, not with the thread object.
    m_socket.reset();

    removeVanished();
    m_loaded = m_writer.insertedCount();
    m_writer.uninit();
    IOS6MessageDb &db = m_writer.db();
    db.openCheck();
    db.executeThrow("vacuum");
    db.close();
    progress().invokeSucceed(QString());
}

void AndroidLoadSMSThread::prepareTables()
{
    IOS6MessageDb &db = m_writer.db();
    db.openCheck();
    const auto missing = [&db](const char *table) {
        return !db.queryThrow(
                      Sqlite3Sql("select * from sqlite_master where name=? and type='table'")
                          .addTextParam(QString::fromLatin1(table)))
                    .moveNext();
    };
    if (missing("parent_hash")) {
        db.executeThrow("CREATE TABLE parent_hash(child TEXT, parent TEXT)");
        db.executeThrow("CREATE INDEX idx_parent_hash_child on parent_hash(child)");
        db.executeThrow("CREATE INDEX idx_parent_hash_parent on parent_hash(parent)");
    }
    if (missing("valid_hash")) {
        db.executeThrow("CREATE TABLE valid_hash(hash TEXT)");
        db.executeThrow("CREATE INDEX idx_valid_hash on valid_hash(hash)");
    }
}

void AndroidLoadSMSThread::handleBatchCommand()
{
    while (true) {
        progress().throwIfCancelled();
        const QString command =
            simpleprotocol::readCommand(*m_socket, simpleprotocol::kIdleTimeoutMs);
        if (command.startsWith(QLatin1String("$sms:"))) {
            ++m_processed;
            const int value = m_total > 0 ? int(qint64(m_processed) * 100 / m_total) : -1;
            progress().invokeUpdateProgress(
                QString(), value, QStringLiteral("sms: %1/%2").arg(m_processed).arg(m_total));
            saveOneSms(command.mid(5));
        } else if (command.startsWith(QLatin1String("$end:"))) {
            sendCommand(QStringLiteral("$batch:"));
            return;
        }
    }
}

void AndroidLoadSMSThread::saveOneSms(const QString &line)
{
    const std::optional<AndroidSmsRecord> record = AndroidSmsRecord::parse(line);
    if (!record)
        return;
    const QString address = m_country.formatNumber(record->address);
    const int attachments = record->attachments;

    _MsgHandle handle;
    handle.service = QStringLiteral("SMS");
    handle.id = address;
    handle._ct_name = record->contactName;
    _MsgChat chat;
    chat.style = 45;
    chat.state = 3;
    chat.guid = QStringLiteral("SMS;-;") + address;
    chat.chat_identifier = address;
    chat.service_name = QStringLiteral("SMS");
    chat.account_login = QStringLiteral("E:");
    chat.handleMap.insert(address, &handle);

    _MsgMessage message;
    message.handle = &handle;
    message.chat = &chat;
    message.setText(record->body);
    message.setSubject(record->subject);
    message.setService(QStringLiteral("SMS"));
    message.setAccount(QStringLiteral("e:"));
    message.date = int(record->dateMillis / 1000 - kUnixTo2001);
    message.date_read = message.date_delivered = message.date;
    message.is_from_me = record->fromMe ? 1 : 0;
    message.is_finished = message.is_prepared = message.is_read = message.is_sent = 1;
    message.was_data_detected = 1;

    const QString recordHash = message.logicalHash();
    message.setGuid(hashUUID(recordHash.toUtf8()));
    IOS6MessageDb &db = m_writer.db();
    const bool known =
        db.queryThrow(
              Sqlite3Sql("select 1 from parent_hash where parent=?").addTextParam(recordHash))
            .moveNext();
    db.executeThrow(Sqlite3Sql("replace into valid_hash(hash) values(?)").addTextParam(recordHash));

    if (attachments < 1) {
        if (!known)
            writeWithParent(message, recordHash);
        return;
    }
    if (known) {
        sendCommand(QStringLiteral("0"));
        return;
    }
    const QString body = message.plainText();
    if (!body.isEmpty()) {
        message.attachmentMap.clear();
        message.setText(body);
        writeWithParent(message, recordHash);
    }
    sendCommand(QStringLiteral("1"));
    for (int i = 0; i < attachments; ++i) {
        progress().throwIfCancelled();
        receiveAttachment(message, recordHash);
    }
}

void AndroidLoadSMSThread::receiveAttachment(_MsgMessage &message, const QString &recordHash)
{
    const QString header = simpleprotocol::readFeedback(*m_socket, QStringLiteral("$atta:"),
                                                        simpleprotocol::kIdleTimeoutMs)
                               .mid(6);
    const int comma = header.indexOf(QLatin1Char(','));
    if (comma < 0)
        throw LocalException(*m_socket, QStringLiteral("$atta: command invalid param."));
    const QString mimeType = header.left(comma);
    const QString name = safeAttachmentName(header.mid(comma + 1));

    // Removed when this function is left, whichever way.
    QTemporaryFile file(QDir::temp().filePath(QStringLiteral("textlink-atta-XXXXXX")));
    if (!file.open()) {
        throw LocalException(
            *m_socket,
            QStringLiteral("Create %1 error. %2").arg(file.fileName(), file.errorString()));
    }
    qint64 received = 0;
    while (true) {
        const QByteArray line =
            simpleprotocol::readLineBytes(*m_socket, simpleprotocol::kIdleTimeoutMs);
        if (line.startsWith('.'))
            break;
        const QByteArray bytes = QByteArray::fromBase64(line);
        if (file.write(bytes) != bytes.size()) {
            throw LocalException(
                *m_socket,
                QStringLiteral("Create %1 error. %2").arg(file.fileName(), file.errorString()));
        }
        received += bytes.size();
        progress().invokeUpdateProgress(
            QString(), -1, QStringLiteral("Receiving %1(%L2 KB)").arg(name).arg(received / 1024));
    }
    sendCommand(QStringLiteral("."));
    file.flush();

    if (mimeType.isEmpty() ||
        mimeType.startsWith(QLatin1String("application/"), Qt::CaseInsensitive))
        return;
    message.attachmentMap.clear();
    if (mimeType.compare(QLatin1String("text/plain"), Qt::CaseInsensitive) == 0) {
        file.seek(0);
        const QString text = QString::fromUtf8(file.readAll());
        if (text.trimmed().isEmpty())
            return;
        message.setText(text);
        message.setGuid(hashUUID(message.logicalHash().toUtf8()));
        writeWithParent(message, recordHash);
        return;
    }
    _MsgAttachment attachment;
    attachment.guid = hashUUID((recordHash + name).toUtf8());
    attachment.created_date = message.date;
    attachment.filename = QStringLiteral("~/Library/SMS/Attachments/%1/%2/%3/%4")
                              .arg(attachment.guid.mid(0, 2).toLower(),
                                   attachment.guid.mid(2, 2).toLower(), attachment.guid, name);
    attachment.localPath = file.fileName();
    attachment.mime_type = mimeType;
    const QString subtype = mimeType.section(QLatin1Char('/'), 1, 1);
    attachment.uti = subtype.isEmpty() ? QString() : QStringLiteral("public.") + subtype;
    attachment.transfer_state = 5;
    attachment.is_outgoing = message.is_from_me;
    attachment.transfer_name = name;
    attachment.total_bytes = received;
    message.attachmentMap.insert(attachment.guid, &attachment);
    message.setText(QString(kAttachmentMark));
    message.setGuid(hashUUID(message.logicalHash().toUtf8()));
    message.attributedBody = msgAttaAttributeBody(attachment.guid);
    writeWithParent(message, recordHash);
    message.attachmentMap.clear();
}

void AndroidLoadSMSThread::writeWithParent(_MsgMessage &message, const QString &recordHash)
{
    m_writer.write(message);
    m_writer.db().executeThrow(Sqlite3Sql("replace into parent_hash(child,parent) values(?,?)")
                                   .addTextParam(message.logicalHash())
                                   .addTextParam(recordHash));
}

void AndroidLoadSMSThread::removeVanished()
{
    IOS6MessageDb &db = m_writer.db();
    QStringList children;
    Sqlite3Cursor cursor = db.queryThrow(
        "select child from parent_hash where parent not in (select hash from valid_hash)");
    while (cursor.moveNext())
        children.append(cursor.getText(0));
    cursor = Sqlite3Cursor();
    for (const QString &child : children) {
        Sqlite3Cursor row = db.queryThrow(
            Sqlite3Sql("select rowid from message where logic_hash=?").addTextParam(child));
        if (!row.moveNext())
            continue;
        const qint64 rowId = row.getInt64(0);
        row = Sqlite3Cursor();
        qCDebug(lcAndroid, "AndroidLoadSMSThread, remove old message %lld", rowId);
        db.executeThrow(Sqlite3Sql("DELETE FROM message WHERE rowid=?").addInt64Param(rowId));
        db.executeThrow(
            Sqlite3Sql("DELETE FROM chat_message_join where message_id=?").addInt64Param(rowId));
        db.executeThrow(Sqlite3Sql("DELETE FROM message_attachment_join where message_id=?")
                            .addInt64Param(rowId));
        ++m_deleted;
    }
    db.executeThrow("delete from parent_hash where parent not in (select hash from valid_hash)");
    db.executeThrow("DELETE FROM chat WHERE (SELECT 1 from chat_message_join WHERE "
                    "chat_id=chat.rowid LIMIT 1) IS NULL");
}

void AndroidLoadSMSThread::sendCommand(const QString &command)
{
    simpleprotocol::sendCommand(*m_socket, command, QString(), true,
                                simpleprotocol::kIdleTimeoutMs);
}
