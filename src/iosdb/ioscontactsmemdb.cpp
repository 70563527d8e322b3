#include "iosdb/ioscontactsmemdb.h"

#include "frame/translation.h"
#include "iosdb/iosdblog.h"
#include "model/countrylibdb.h"
#include "model/sqlite3transaction.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace {

const char *const kLookupScript =
    "CREATE TABLE person(  rowid INTEGER PRIMARY KEY,  first TEXT,  last TEXT,  middle TEXT,  "
    "photo BLOB);CREATE TABLE tel(  person_id INTEGER,  number TEXT,  UNIQUE(person_id, "
    "number));CREATE INDEX index_tel_number on tel(number);";

const char *const kBookFolder = "file-relay/var/mobile/Library/AddressBook/";

// Milliseconds rather than whole seconds, so that a change in the same second as the last
// rebuild still counts as newer. A missing or unreadable time is 0.
qint64 modifiedMs(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return 0;
    const QDateTime time = info.lastModified();
    return time.isValid() ? time.toMSecsSinceEpoch() : 0;
}

void setFileTimes(const QString &path, qint64 ms)
{
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
    QFile file(path);
    // A file left with its build time merely makes the next opening rebuild once more.
    if (!file.open(QIODevice::ReadWrite) ||
        !file.setFileTime(time, QFileDevice::FileModificationTime) ||
        !file.setFileTime(time, QFileDevice::FileAccessTime))
        qCWarning(lcIosdb) << "can not set the times of" << path << file.errorString();
}

[[noreturn]] void throwCantReplace(const QString &path, const QString &reason)
{
    throw std::runtime_error(
        g_tr("IDS_IOS_CONTACTS_REPLACE_%1_%2").arg(path, reason).toStdString());
}

void copyPersons(Sqlite3DB &book, Sqlite3DB &lookup)
{
    Sqlite3Cursor rows = book.queryThrow("select rowid, first, last, middle from ABPerson");
    while (rows.moveNext()) {
        lookup.executeThrow(Sqlite3Sql("insert into person(rowid, first, last, middle) "
                                       "values(?,?,?,?)")
                                .addInt64Param(rows.getInt64(QStringLiteral("rowid")))
                                .addTextParam(rows.getText(QStringLiteral("first")))
                                .addTextParam(rows.getText(QStringLiteral("last")))
                                .addTextParam(rows.getText(QStringLiteral("middle"))));
    }
}

void copyNumbers(Sqlite3DB &book, Sqlite3DB &lookup, const _CountryInfo &country)
{
    Sqlite3Cursor rows = book.queryThrow("select record_id, value from ABMultiValue "
                                         "where property=3");
    while (rows.moveNext()) {
        const QString number = country.formatNumber(rows.getText(QStringLiteral("value")));
        // An empty entry would otherwise name whoever owns it for every address that is empty.
        if (number.isEmpty())
            continue;
        lookup.executeThrow(Sqlite3Sql("replace into tel(person_id, number) values(?,?)")
                                .addInt64Param(rows.getInt64(QStringLiteral("record_id")))
                                .addTextParam(number));
    }
}

void copyPhotos(Sqlite3DB &images, Sqlite3DB &lookup)
{
    Sqlite3Cursor rows = images.queryThrow("select record_id, data from ABThumbnailImage");
    while (rows.moveNext()) {
        lookup.executeThrow(Sqlite3Sql("update person set photo=? where rowid=?")
                                .addBlobParam(rows.getBlob(QStringLiteral("data")))
                                .addInt64Param(rows.getInt64(QStringLiteral("record_id"))));
    }
}

} // namespace

IOSContactsMemDb::IOSContactsMemDb(const QDir &folder, const QString &mmc)
    : IOSContactsMemDb(folder, mmc, QString())
{}

IOSContactsMemDb::IOSContactsMemDb(const QDir &folder, const QString &mmc,
                                   const QString &countryCode)
    : m_folder(folder), m_mmc(mmc), m_countryCode(countryCode)
{}

IOSContactsMemDb::~IOSContactsMemDb() = default;

QString IOSContactsMemDb::lookupFileName()
{
    return QStringLiteral("ct-phone.db");
}

QString IOSContactsMemDb::lookupPath() const
{
    return m_folder.filePath(lookupFileName());
}

QString IOSContactsMemDb::addressBookPath() const
{
    return m_folder.filePath(QLatin1String(kBookFolder) + QLatin1String("AddressBook.sqlitedb"));
}

QString IOSContactsMemDb::imageBookPath() const
{
    return m_folder.filePath(QLatin1String(kBookFolder) +
                             QLatin1String("AddressBookImages.sqlitedb"));
}

qint64 IOSContactsMemDb::sourceTimeMs() const
{
    // The newer of the two: recent changes may sit in the write-ahead log, while a checkpoint
    // writes them into the book itself.
    const QString book = addressBookPath();
    return qMax(modifiedMs(book), modifiedMs(book + QLatin1String("-wal")));
}

void IOSContactsMemDb::openCheck()
{
    if (isOpen() || !QFileInfo::exists(addressBookPath()))
        return;
    // Taken before the book is read, so that a change made during the rebuild is newer.
    const qint64 sourceTime = sourceTimeMs();
    if (modifiedMs(lookupPath()) < sourceTime)
        rebuild(sourceTime);
    openThrow(lookupPath(), kOpenReadOnly);
}

void IOSContactsMemDb::rebuild(qint64 sourceTime)
{
    qCInfo(lcIosdb) << "rebuild IOSContactsMemDb." << lookupPath();
    // Built beside the lookup file and renamed over it only when complete: an interrupted
    // rebuild leaves the old file (or none), never a partial one that looks current.
    QTemporaryFile pending(lookupPath() + QLatin1String(".XXXXXX"));
    if (!pending.open())
        throwCantReplace(lookupPath(), pending.errorString());
    pending.close();

    fillLookup(pending.fileName());
    setFileTimes(pending.fileName(), sourceTime);

    if (std::rename(QFile::encodeName(pending.fileName()).constData(),
                    QFile::encodeName(lookupPath()).constData()) != 0)
        throwCantReplace(lookupPath(), QString::fromLocal8Bit(std::strerror(errno)));
    pending.setAutoRemove(false);
}

void IOSContactsMemDb::fillLookup(const QString &path) const
{
    Sqlite3DB lookup;
    lookup.openThrow(path, kOpenReadWrite | kOpenCreate);
    QString error;
    if (lookup.exec(QString::fromLatin1(kLookupScript), error) != 0)
        throw std::runtime_error(g_tr("IDS_IOS_CONTACTS_CREATE_%1").arg(error).toStdString());

    CountryLibDb countries(m_mmc);
    const _CountryInfo country =
        m_countryCode.isEmpty() ? countries.defCountryInfo() : countries.infoByCode(m_countryCode);

    Sqlite3Transaction transaction(lookup);
    {
        // Read-only: a writing connection would checkpoint the write-ahead log into the book when
        // it closes, changing the copy this object was asked to read (and its times).
        Sqlite3DB book;
        book.openThrow(addressBookPath(), kOpenReadOnly);
        copyPersons(book, lookup);
        copyNumbers(book, lookup, country);
    }
    if (QFileInfo::exists(imageBookPath())) {
        Sqlite3DB images;
        images.openThrow(imageBookPath(), kOpenReadOnly);
        copyPhotos(images, lookup);
    }
    transaction.commit();
}

_IOSContactPhoneInfo IOSContactsMemDb::contactInfoByNumber(const QString &number)
{
    openCheck();
    _IOSContactPhoneInfo info;
    if (!isOpen())
        return info;
    Sqlite3Cursor cursor = queryThrow(Sqlite3Sql("select p.* from person as p inner join tel as t "
                                                 "on p.rowid=t.person_id and t.number=?")
                                          .addTextParam(number));
    if (cursor.moveNext()) {
        info.first = cursor.getText(QStringLiteral("first"));
        info.middle = cursor.getText(QStringLiteral("middle"));
        info.last = cursor.getText(QStringLiteral("last"));
        info.photo = cursor.getBlob(QStringLiteral("photo"));
    }
    return info;
}

bool IOSContactsMemDb::openForReader()
{
    try {
        openCheck();
    } catch (const std::exception &e) {
        // Names are a nicety: the messages load without them.
        qCInfo(lcIosdb) << "address book not available:" << e.what();
    }
    return isOpen();
}

void IOSContactsMemDb::nameHandle(_MsgHandle &handle, const char *reader)
{
    if (!isOpen())
        return;
    try {
        const _IOSContactPhoneInfo info = contactInfoByNumber(handle.id);
        handle._ct_name = info.displayName();
        handle._photo = info.photo;
    } catch (const std::exception &e) {
        qCWarning(lcIosdb).noquote()
            << QStringLiteral("%1::chats, IOSContactsMemDb error. %2")
                   .arg(QLatin1String(reader), QString::fromUtf8(e.what()));
    }
}
