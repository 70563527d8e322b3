#include "localdb/updatelocaldbthread.h"

#include "frame/absprogress.h"
#include "frame/appdirs.h"
#include "frame/filenames.h"
#include "frame/translation.h"
#include "localdb/exportmessagesdb.h"
#include "localdb/localdblog.h"
#include "model/countryinfo.h"
#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msgfunctions.h"
#include "model/msghandle.h"
#include "model/msgidentity.h"
#include "model/msgmessage.h"
#include "model/sqlite3cursor.h"
#include "model/sqlite3db.h"
#include "model/sqlite3sql.h"

#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace {

const char kBackupName[] = "mms.db-bak";
const char kAttachmentsFolder[] = "attachments";
const char kService[] = "SMS";
// The old database counted from 1970, today's records count from 2001-01-01 UTC.
constexpr qint64 kUnixToDate21 = 978307200;
const QChar kObjectReplacement(0xFFFC);

QString guidOf(const _MsgMessage &message)
{
    return hashUUID(message.logicalHash().toUtf8());
}

// A local database has no country of its own, so addresses only lose their punctuation (the
// country library's answer for "no country").
QString localAddress(const QString &address)
{
    return _CountryInfo().formatNumber(address);
}

// The file an attachment row names, or "" when the name would lead the conversion out of the old
// folder (".." components, or a link that points elsewhere): such a part is not read.
QString partFilePath(const QDir &oldFolder, const QString &relative)
{
    const QString root = oldFolder.absolutePath();
    const QString path = g_safeChildPath(root, relative);
    if (path.isEmpty())
        return QString();
    const QFileInfo info(path);
    if (!info.exists())
        return path;
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    if (!info.canonicalFilePath().startsWith(canonicalRoot + QLatin1Char('/')))
        return QString();
    return path;
}

QString readUtf8(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcLocalDb) << "old text part unreadable:" << path << file.errorString();
        return QString();
    }
    return QString::fromUtf8(file.readAll());
}

bool isSkippedType(const QString &mimeType)
{
    return mimeType.isEmpty() ||
           mimeType.startsWith(QLatin1String("application/"), Qt::CaseInsensitive);
}

QString utiOf(const QString &mimeType)
{
    const int slash = mimeType.indexOf(QLatin1Char('/'));
    return QStringLiteral("public.") + (slash < 0 ? QString() : mimeType.mid(slash + 1));
}

_MsgAttachment mediaAttachment(const QString &relative, const QString &file,
                               const QString &mimeType, const _MsgMessage &message)
{
    _MsgAttachment attachment;
    // From the path, so that converting the same folder again finds the same row.
    attachment.guid = hashUUID(relative.toUtf8());
    attachment.created_date = message.date;
    attachment.transfer_name = QFileInfo(relative).fileName();
    attachment.filename =
        QStringLiteral("~/Library/SMS/Attachments/%1/%2/%3/%4")
            .arg(attachment.guid.mid(0, 2).toLower(), attachment.guid.mid(2, 2).toLower(),
                 attachment.guid, attachment.transfer_name);
    attachment.localPath = file;
    attachment.mime_type = mimeType;
    attachment.uti = utiOf(mimeType);
    attachment.transfer_state = 5;
    attachment.is_outgoing = message.is_from_me;
    return attachment;
}

// Moves the old database aside once its folder is converted, so that the next start does not
// convert it again. An earlier backup of the same name is kept rather than replaced.
void retireOldDb(const QDir &folder)
{
    const QString oldPath = folder.filePath(QLatin1String(UpdateLocalDbThread::kOldDbName));
    const QString backupPath = g_getValidFilePath(folder.filePath(QLatin1String(kBackupName)));
    if (!QFile::rename(oldPath, backupPath)) {
        throw std::runtime_error(
            g_tr("IDS_UPDATE_LOCALDB_RENAME_FAILED_%1").arg(oldPath).toStdString());
    }
}

} // namespace

const char *const UpdateLocalDbThread::kOldDbName = "mms.db";

UpdateLocalDbThread::UpdateLocalDbThread(AbsProgress &progress, QObject *parent)
    : ProgressWorker(progress, lcLocalDb, "local database update", parent)
{}

QList<QDir> UpdateLocalDbThread::oldDatabaseFolders()
{
    QList<QDir> folders;
    for (const QDir &root : {g_localDbDir(), g_legacyDataDir()}) {
        const QStringList names = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString &name : names) {
            const QDir folder(root.filePath(name));
            if (QFileInfo(folder.filePath(QLatin1String(kOldDbName))).isFile())
                folders.append(folder);
        }
    }
    return folders;
}

void UpdateLocalDbThread::work()
{
    m_converted.clear();
    const QList<QDir> folders = oldDatabaseFolders();
    for (const QDir &folder : folders)
        convertFolder(folder);
    progress().invokeSucceed(g_tr("IDS_SUC_UPDATE_LOCALDB"));
}

void UpdateLocalDbThread::convertFolder(const QDir &folder)
{
    const QString name = folder.dirName();
    qCInfo(lcLocalDb) << "converting old local database" << folder.absolutePath();
    progress().invokeUpdateProgress(g_tr("IDS_UPDATING_LOCALDB_%1_MESSAGES").arg(name), 0,
                                    QString());
    // A folder of the legacy data folder becomes the local database of the same name.
    updateMessagesDbThrow(folder, QDir(g_localDbDir().filePath(name)));
    retireOldDb(folder);
    m_converted.append(name);
}

void UpdateLocalDbThread::updateMessagesDbThrow(const QDir &oldFolder, const QDir &newFolder)
{
    const QString oldPath = oldFolder.filePath(QLatin1String(kOldDbName));
    if (!QFileInfo::exists(oldPath))
        return;

    Sqlite3DB oldDb;
    oldDb.openThrow(oldPath, Sqlite3DB::kOpenReadWrite);
    // Ordered so that the rows of a run, and with them the new row ids, follow the old ones.
    Sqlite3Cursor rows =
        oldDb.queryThrow("select m.rowid as old_rowid, m.*, h.address, h.person from message as m "
                         "inner join handle as h on m.handle_id=h.rowid order by m.rowid");
    const int total = rows.count();

    // Any failure before uninit leaves the transaction open; the target's destructor then drops
    // it, so a failed folder adds nothing to the new database.
    ExportMessagesDb target(newFolder, QString());
    target.init();
    m_lastPercent = -1;
    for (int done = 1; rows.moveNext(); ++done) {
        convertRow(oldDb, rows, oldFolder, target);
        reportRow(done, total);
    }
    target.uninit();
}

void UpdateLocalDbThread::convertRow(Sqlite3DB &oldDb, const Sqlite3Cursor &row,
                                     const QDir &oldFolder, ExportMessagesDb &target)
{
    // The records live for this row only; the writer copies what it needs.
    _MsgHandle handle;
    handle.rowid = row.getInt64(QStringLiteral("handle_id"));
    handle.id = localAddress(row.getText(QStringLiteral("address")));
    handle.service = QLatin1String(kService);
    handle._ct_name = row.getText(QStringLiteral("person"));

    _MsgChat chat;
    chat.guid = QStringLiteral("SMS;-;") + handle.id;
    chat.chat_identifier = handle.id;
    chat.service_name = QLatin1String(kService);
    chat.account_login = QStringLiteral("E:");
    chat.style = 45;
    chat.state = 3;
    chat.handleMap.insert(QString::number(handle.rowid), &handle);

    _MsgMessage message;
    message.srcRowId = row.getInt64(QStringLiteral("old_rowid"));
    message.setText(row.getText(QStringLiteral("body")));
    message.setSubject(row.getText(QStringLiteral("subject")));
    message.version = 10;
    message.setService(QLatin1String(kService));
    message.setAccount(QStringLiteral("e:"));
    message.date = static_cast<int>(row.getInt64(QStringLiteral("date")) - kUnixToDate21);
    message.date_read = message.date;
    message.date_delivered = message.date;
    message.is_from_me = row.getInt(QStringLiteral("is_send")) != 0 ? 1 : 0;
    message.is_finished = 1;
    message.is_prepared = 1;
    message.is_read = 1;
    message.is_sent = 1;
    message.was_data_detected = 1;
    message.handle = &handle;
    message.chat = &chat;

    if (!message.text().isEmpty()) {
        message.setGuid(guidOf(message));
        target.write(message);
    }

    Sqlite3Cursor parts = oldDb.queryThrow(
        Sqlite3Sql("select a.rowid as old_rowid, a.* from attachment as a inner join "
                   "message_attachment as ma on ma.attachment_id=a.rowid and ma.message_id=? "
                   "order by a.rowid")
            .addInt64Param(message.srcRowId));
    while (parts.moveNext())
        convertPart(parts, oldFolder, message, target);
}

void UpdateLocalDbThread::convertPart(const Sqlite3Cursor &part, const QDir &oldFolder,
                                      _MsgMessage &message, ExportMessagesDb &target)
{
    const QString mimeType = part.getText(QStringLiteral("mime_type"));
    if (isSkippedType(mimeType))
        return;
    const QString name = part.getText(QStringLiteral("filename"));
    if (name.isEmpty())
        return;
    const QString relative = QLatin1String(kAttachmentsFolder) + QLatin1Char('/') + name;
    // A name that leads out of the old folder is never read; a picture keeps its message and row,
    // only without a file, as when the old file is missing.
    const QString file = partFilePath(oldFolder, relative);
    if (file.isEmpty())
        qCWarning(lcLocalDb) << "old attachment not read, its name leaves the folder:" << name;

    // Every part becomes a message of its own; the old message's own body went out before.
    message.attachmentMap.clear();
    message.attributedBody.clear();
    if (mimeType.compare(QLatin1String("text/plain"), Qt::CaseInsensitive) == 0) {
        const QString text = file.isEmpty() ? QString() : readUtf8(file);
        if (text.trimmed().isEmpty())
            return;
        message.setText(text);
        message.setGuid(guidOf(message));
        target.write(message);
        return;
    }

    _MsgAttachment attachment = mediaAttachment(relative, file, mimeType, message);
    message.attachmentMap.insert(QString::number(part.getInt64(QStringLiteral("old_rowid"))),
                                 &attachment);
    message.setText(QString(kObjectReplacement));
    message.setGuid(guidOf(message));
    message.attributedBody = msgAttaAttributeBody(attachment.guid);
    target.write(message);
    // The attachment dies with this call; the message must not keep pointing at it.
    message.attachmentMap.clear();
}

void UpdateLocalDbThread::reportRow(int done, int total)
{
    // One report per percent: a redraw per row would cost more than the conversion itself.
    const int percent = total > 0 ? static_cast<int>(qint64(done) * 100 / total) : 100;
    if (percent == m_lastPercent)
        return;
    m_lastPercent = percent;
    progress().invokeUpdateProgress(QString(), percent, QString());
}
