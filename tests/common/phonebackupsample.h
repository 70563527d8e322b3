#pragma once

#include "fixtures/backupwriter.h"
#include "fixtures/modernbackupwriter.h"

#include <QByteArray>
#include <QDir>
#include <QMap>
#include <QString>
#include <QStringList>

// A small phone history (iOS 6 database) with an address book whose numbers are kept in national
// form, written as a backup: three one-to-one chats over SMS and iMessage, a photo whose size is
// not a multiple of the cipher block, and a contact the book does not know.
struct PhoneBackupSample
{
    static constexpr const char *kPassword = "s3cret pass";

    // Message text -> contact name of its sender's address ("" when the book has none).
    QMap<QString, QString> contactOfText;
    QByteArray photo;
    QString photoName = QStringLiteral("IMG_0042.JPG");
    BackupWriter::DeviceInfo device;

    PhoneBackupSample();

    // Writes the backup into folder; encrypted with kPassword when asked. modifiedTime stamps
    // every record. Fails the calling test when anything cannot be written.
    void write(const QString &folder, bool encrypted, quint32 modifiedTime = 1400000000) const;
    // The same history as a backup of the modern layout, the photo in MediaDomain; writer
    // carries the password and quirks wanted.
    void writeModern(const QString &folder, ModernBackupWriter writer,
                     quint32 modifiedTime = 1500000000) const;
    // Writes the phone's files (message database, photo, address book) below folder.
    void writePhone(const QDir &folder) const;

    QStringList texts() const { return contactOfText.keys(); }
};
