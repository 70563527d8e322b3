#pragma once

#include "iosdb/ioscontactphoneinfo.h"
#include "model/absdb.h"
#include "model/msghandle.h"

#include <QDir>
#include <QString>

// The phone's address book reduced to a small lookup database ("ct-phone.db" in the source
// folder) of person names, thumbnails and formatted phone numbers, so that message addresses,
// which the readers format the same way, are found by a plain text comparison. The lookup file is
// rebuilt only when the address book (or its write-ahead log) is newer than it.
class IOSContactsMemDb : public AbsDb
{
public:
    // folder: the source folder holding "file-relay/..."; mmc: the phone's mobile country code,
    // whose country formats the numbers. Opens nothing.
    IOSContactsMemDb(const QDir &folder, const QString &mmc);
    // countryCode: a lower-case short code ("us"); when not empty it is the formatting country
    // instead of the mmc's.
    IOSContactsMemDb(const QDir &folder, const QString &mmc, const QString &countryCode);
    ~IOSContactsMemDb() override;

    // Builds the lookup file when it is missing or older than the address book and opens it
    // read-only. Without an address book in the folder it does nothing and the object stays
    // closed (isOpen() false). Throws on any database error.
    void openCheck() override;

    // The person whose formatted number equals number; empty when none does.
    _IOSContactPhoneInfo contactInfoByNumber(const QString &number);

    // For the message readers, which load without names when they must: opens the lookup,
    // logging instead of throwing; true when names can be looked up.
    bool openForReader();
    // Sets the handle's contact name and photo when the lookup is open; a failing lookup is
    // logged under the reader's name and leaves them as they are.
    void nameHandle(_MsgHandle &handle, const char *reader);

    static QString lookupFileName();
    QString lookupPath() const;
    QString addressBookPath() const;
    QString imageBookPath() const;
    // The newer modification time (ms since the epoch) of the address book and its write-ahead
    // log; 0 when neither exists.
    qint64 sourceTimeMs() const;

private:
    void rebuild(qint64 sourceTime);
    void fillLookup(const QString &path) const;

    const QDir m_folder;
    const QString m_mmc;
    const QString m_countryCode;
};
