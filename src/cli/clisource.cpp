#include "cli/clisource.h"

#include "cli/cliandroid.h"
#include "export/smsxmlreader.h"
#include "frame/appdirs.h"
#include "frame/consoleprogress.h"
#include "frame/errortext.h"
#include "frame/filenames.h"
#include "frame/translation.h"
#include "iosdb/ios6messagedb.h"
#include "iosdb/ios6messagestream.h"
#include "itunes/backupmanifest.h"
#include "itunes/itunesimport.h"
#include "itunes/phonedbcopy.h"
#include "mobiledevice/imobiledevicelink.h"
#include "mobiledevice/iosdevice.h"
#include "mobiledevice/iosdeviceimport.h"
#include "mobiledevice/iosloadfilerelaythread.h"
#include "model/absiosmessagedb.h"
#include "model/absmessagedb.h"
#include "model/msgchat.h"
#include "model/sqlite3db.h"

#include <QFileInfo>
#include <QTextStream>

#include <stdexcept>

namespace {

bool g_salvageDamaged = false;

[[noreturn]] void fail(const QString &text)
{
    throw std::runtime_error(text.toStdString());
}

const QLatin1String kDevicePrefix("ios:");
// Set once from the command line before any source is opened.
ConsoleProgress::Output deviceProgressOutput = ConsoleProgress::Output::Auto;

bool isRelayArchive(const QString &path)
{
    return (path.endsWith(QLatin1String(".cpio"), Qt::CaseInsensitive) ||
            path.endsWith(QLatin1String(".cpio.gz"), Qt::CaseInsensitive)) &&
           QFileInfo(path).isFile();
}

bool holdsSmsDb(const QDir &folder)
{
    return QFileInfo(CliSource::smsDbPath(folder)).isFile();
}

// Only databases this program wrote carry the logical hash. Any other one is read as the phone
// left it: local mode would add the columns of a local database to it on opening.
bool writtenByUs(const QString &dbPath)
{
    Sqlite3DB db;
    db.openThrow(dbPath, Sqlite3DB::kOpenReadOnly);
    return db.tbInfo(QStringLiteral("message")).contains(QStringLiteral("logic_hash"));
}

} // namespace

CliSource::~CliSource() = default;

CliSource::CliSource(const QString &source)
{
    if (source.isEmpty())
        fail(g_tr("IDS_CLI_UNKNOWN_SOURCE_%1").arg(source));
    if (CliAndroid::isAndroidSource(source)) {
        openAndroid(source);
        return;
    }
    if (source.startsWith(kDevicePrefix)) {
        openDevice(source.mid(kDevicePrefix.size()));
        return;
    }
    if (isRelayArchive(source)) {
        openArchive(source);
        return;
    }
    const QDir localDbs = g_localDbDir();
    const bool plainName = !source.contains(QLatin1Char('/')) && source != QLatin1String(".") &&
                           source != QLatin1String("..");
    if (plainName && holdsSmsDb(QDir(localDbs.filePath(source)))) {
        m_kind = Kind::LocalDb;
        m_folder = QDir(localDbs.filePath(source));
    } else if (holdsSmsDb(QDir(source))) {
        m_kind = Kind::Folder;
        m_folder = QDir(QDir(source).absolutePath());
    } else if (QFileInfo(QDir(source).filePath(QStringLiteral("Manifest.plist"))).isFile() ||
               BackupManifest::isBackupFolder(QDir(source))) {
        openBackup(source);
        return;
    } else if (SmsXmlReader::isCandidate(source)) {
        m_kind = Kind::SmsXml;
        m_xmlPath = QFileInfo(source).absoluteFilePath();
        // Its attachments are unpacked there.
        m_folder = SmsXmlReader::defaultCacheDir(m_xmlPath);
        return;
    } else {
        fail(g_tr("IDS_CLI_UNKNOWN_SOURCE_%1").arg(source));
    }
    openDb();
}

void CliSource::openBackup(const QString &source)
{
    m_kind = Kind::Backup;
    BackupManifest backup(source);
    backup.readManifestInfo();
    // A source has no place for a password; the import verb has.
    if (backup.isEncrypted())
        fail(g_tr("IDS_CLI_BACKUP_NEEDS_PASSWORD_%1").arg(source));
    // Read quietly: the verbs reading a source print records, and the extraction of an unchanged
    // backup is quick.
    ConsoleProgress progress(ConsoleProgress::Output::Quiet);
    ITunesImport import(backup, progress);
    if (!import.extract([&progress](QThread &worker) { return progress.runWorker(worker); }))
        fail(progress.endText());
    openPhoneCopy(import.cacheDir());
}

void CliSource::openAndroid(const QString &source)
{
    // Connected and loaded quietly, as a backup source is extracted: the verb prints records.
    const CliAndroid::LoadResult phone = CliAndroid::connectAndLoad(source, true);
    m_kind = Kind::Android;
    m_folder = phone.device.cacheDir();
    const QString damage = PhoneDbCopy::damageOf(smsDbPath(m_folder));
    if (damage.isEmpty()) {
        m_db = QSharedPointer<IOS6MessageDb>::create(m_folder, phone.device.mmc, true);
        return;
    }
    // The cache is this program's own, yet a disk can damage it as any other database.
    m_copy = std::make_unique<PhoneDbCopy>(m_folder);
    m_copy->make();
    refuseOrSalvage(m_folder, damage);
    m_db = QSharedPointer<IOS6MessageDb>::create(m_copy->folder(), phone.device.mmc, true);
}

void CliSource::openDevice(const QString &udid)
{
    m_kind = Kind::Device;
    IMobileDeviceLink link;
    _DeviceConnection connection;
    if (!IOSDevice::findConnection(link, udid, connection))
        fail(g_tr("IDS_IOS_NOT_CONNECTED_%1").arg(udid));
    IOSDevice device(link, connection);
    {
        ConsoleProgress trust(deviceProgressOutput);
        device.readValues(&trust);
    }
    IOSDeviceImport import(device);
    QString failure;
    // Each step shows its own progress on stderr: a backup takes minutes.
    const auto runStep =
        [&failure](
            const std::function<bool(AbsProgress &, const IOSDeviceImport::WorkerRunner &)> &step) {
            ConsoleProgress progress(deviceProgressOutput);
            const bool done =
                step(progress, [&progress](QThread &worker) { return progress.runWorker(worker); });
            if (!done)
                failure = progress.endText();
            return done;
        };
    // A source has no place for a password; the import verb has.
    const auto noPassword = [&failure](BackupManifest &backup) {
        failure = g_tr("IDS_CLI_BACKUP_NEEDS_PASSWORD_%1").arg(backup.path());
        return QString();
    };
    if (!import.fetch(runStep, noPassword))
        fail(failure);
    // Read like a phone folder: a damaged database is refused or salvaged, never read in part.
    openPhoneCopy(device.cacheDir(), import.countryCode());
}

void CliSource::openArchive(const QString &path)
{
    m_kind = Kind::Archive;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    m_folder =
        QDir(g_dataSaveDir().filePath(QStringLiteral("ios_cache/relay_") + g_pathHash(absolute)));
    IOSLoadFileRelayThread::unpackArchive(absolute, m_folder, nullptr);
    openPhoneCopy(m_folder);
}

void CliSource::setProgressOutput(ConsoleProgress::Output output)
{
    deviceProgressOutput = output;
}

QString CliSource::smsDbPath(const QDir &folder)
{
    return IOS6MessageDb::dbPathIn(folder);
}

void CliSource::openDb()
{
    if (m_kind == Kind::LocalDb) {
        m_localDatabase = true;
        m_db = QSharedPointer<IOS6MessageDb>::create(m_folder, QString(), true);
        return;
    }
    // A phone's files, copied by hand or by another tool: read them as a backup's cache is read,
    // in whichever layout the phone wrote and with the phone's own country. Even opening the
    // original to tell it apart from a copied local database could write beside it.
    openPhoneCopy(m_folder);
    if (writtenByUs(m_copy->dbPath())) {
        m_localDatabase = true;
        m_copy.reset();
        m_db = QSharedPointer<IOS6MessageDb>::create(m_folder, QString(), true);
    }
}

void CliSource::setSalvageDamaged(bool salvage)
{
    g_salvageDamaged = salvage;
}

bool CliSource::salvageDamaged()
{
    return g_salvageDamaged;
}

void CliSource::openPhoneCopy(const QDir &source, const QString &countryCode)
{
    m_copy = std::make_unique<PhoneDbCopy>(source);
    m_copy->make();
    const QString damage = m_copy->damage();
    if (!damage.isEmpty())
        refuseOrSalvage(source, damage);
    if (!PhoneDbCopy::isMessageDb(m_copy->dbPath()))
        fail(g_tr("IDS_NOT_A_MESSAGE_DB_%1").arg(smsDbPath(source)));
    m_folder = source;
    m_db = ITunesImport::openCachedDb(m_copy->folder(), countryCode);
}

void CliSource::refuseOrSalvage(const QDir &source, const QString &damage)
{
    if (!g_salvageDamaged)
        fail(g_tr("IDS_CLI_DB_DAMAGED_%1_%2").arg(smsDbPath(source), g_oneLine(damage)));
    m_salvaged = m_copy->salvage();
}

MsgData CliSource::load()
{
    MsgData data;
    if (m_kind == Kind::SmsXml) {
        SmsXmlReader(m_xmlPath, m_folder).read(data);
        return data;
    }
    m_db->messages(data, 0);
    m_db->close();
    if (m_copy)
        m_copy->restoreAttachmentPaths(data);
    reportSalvaged(data.messages().size());
    return data;
}

void CliSource::reportSalvaged(qsizetype messages) const
{
    if (m_salvaged >= 0) {
        QTextStream(stderr)
            << g_tr("IDS_CLI_DB_SALVAGED_%1_%2").arg(smsDbPath(m_folder)).arg(messages) << '\n';
    }
}

bool CliSource::visitMessages(const std::function<void(const _MsgMessage &)> &show)
{
    return stream([&show](IOS6MessageStream &messages) { messages.visit(show); });
}

bool CliSource::visitSavedMessages(const std::function<void(qsizetype)> &counted,
                                   const std::function<void(_MsgMessage &)> &save)
{
    return stream([&](IOS6MessageStream &messages) {
        counted(messages.messageCount());
        messages.visit(save);
        messages.visitLinkedReactions(save);
    });
}

bool CliSource::visitStream(bool linked, const std::function<void(IOS6MessageStream &)> &visit)
{
    return stream(visit, linked);
}

bool CliSource::visitsMessages() const
{
    return m_kind != Kind::SmsXml && dynamic_cast<IOS6MessageDb *>(m_db.data());
}

bool CliSource::stream(const std::function<void(IOS6MessageStream &)> &visit, bool linked)
{
    if (!visitsMessages())
        return false;
    auto *db = static_cast<IOS6MessageDb *>(m_db.data());
    {
        MsgData data;
        IOS6MessageStream messages(*db, data);
        if (linked)
            messages.linkAsLoaded();
        messages.prepare();
        if (m_copy)
            m_copy->restoreAttachmentPaths(data);
        reportSalvaged(messages.messageCount());
        visit(messages);
    }
    m_db->close();
    return true;
}

MsgData CliSource::load(const QString &chatIdentifier)
{
    // A file read in one pass has no chats to pick from beforehand.
    if (m_kind == Kind::SmsXml)
        return load();
    MsgData data;
    m_db->chats(data);
    for (const _MsgChat *chat : data.chats()) {
        if (chat->chat_identifier == chatIdentifier)
            m_db->messages(data, chat->rowid);
    }
    m_db->close();
    return data;
}
