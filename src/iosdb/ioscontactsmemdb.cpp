#include "iosdb/ioscontactsmemdb.h"

#include <QFileInfo>

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
    return m_folder.filePath(
        QStringLiteral("file-relay/var/mobile/Library/AddressBook/AddressBook.sqlitedb"));
}

QString IOSContactsMemDb::imageBookPath() const
{
    return m_folder.filePath(
        QStringLiteral("file-relay/var/mobile/Library/AddressBook/AddressBookImages.sqlitedb"));
}

void IOSContactsMemDb::openCheck()
{
    if (isOpen() || !QFileInfo::exists(addressBookPath()))
        return;
    openThrow(lookupPath(), kOpenReadOnly);
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
