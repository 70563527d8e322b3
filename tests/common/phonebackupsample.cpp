#include "phonebackupsample.h"

#include "fixtures/addressbookwriter.h"
#include "fixtures/phonetreebackup.h"
#include "fixtures/smsdbwriter.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace {

AddressBookWriter::Phone phone(const char *callingCode, const char *national)
{
    AddressBookWriter::Phone p;
    p.callingCode = QString::fromLatin1(callingCode);
    p.national = QString::fromLatin1(national);
    return p;
}

AddressBookWriter::Person person(const char *first, const char *last,
                                 const AddressBookWriter::Phone &number)
{
    AddressBookWriter::Person p;
    p.first = QString::fromUtf8(first);
    p.last = QString::fromUtf8(last);
    p.phones = {number};
    return p;
}

SmsDbWriter::Message message(const QString &text, int date, qint64 from)
{
    SmsDbWriter::Message m;
    m.text = text;
    m.date = date;
    m.handle = from;
    m.fromMe = from == 0;
    return m;
}

} // namespace

PhoneBackupSample::PhoneBackupSample()
{
    // 1,000 bytes and an odd tail: decryption has to cut the padding exactly.
    for (int i = 0; i < 1007; ++i)
        photo.append(static_cast<char>((i * 37 + 11) % 256));
    device.deviceName = QStringLiteral("Anna's iPhone");
    contactOfText = {{QStringLiteral("Lunch at noon?"), QStringLiteral("Ann Lee")},
                     {QStringLiteral("Sure, see you"), QString()},
                     {QStringLiteral("\uFFFC"), QString()},
                     {QStringLiteral("Call me back"), QStringLiteral("Bob Ray")},
                     {QStringLiteral("Guten Tag"), QString()}};
}

void PhoneBackupSample::writePhone(const QDir &phoneFolder) const
{
    {
        SmsDbWriter sms(phoneFolder, SmsDbWriter::Layout::Extended);
        // The phone stores its own country with each address; most of them are "us".
        const qint64 ann = sms.addHandle(QStringLiteral("+13105551234"));
        const qint64 bob =
            sms.addHandle(QStringLiteral("+12015550123"), QStringLiteral("iMessage"));
        const qint64 jorg = sms.addHandle(QStringLiteral("+4915123456789"), QStringLiteral("SMS"),
                                          QStringLiteral("de"));
        const qint64 annChat = sms.addChat(ann);
        sms.addMessage(annChat, message(QStringLiteral("Lunch at noon?"), 1000, ann));
        sms.addMessage(annChat, message(QStringLiteral("Sure, see you"), 1100, 0));
        const qint64 withPhoto =
            sms.addMessage(annChat, message(QStringLiteral("\uFFFC"), 1200, 0));
        sms.addAttachment(withPhoto, QStringLiteral("~/Library/SMS/Attachments/4a/10/") + photoName,
                          QStringLiteral("image/jpeg"), &photo);
        sms.addMessage(sms.addChat(bob), message(QStringLiteral("Call me back"), 2000, bob));
        sms.addMessage(sms.addChat(jorg), message(QStringLiteral("Guten Tag"), 3000, jorg));
    }
    AddressBookWriter book;
    book.setNumberForm(AddressBookWriter::NumberForm::National);
    book.addPerson(person("Ann", "Lee", phone("1", "3105551234")));
    book.addPerson(person("Bob", "Ray", phone("1", "2015550123")));
    book.write(phoneFolder);
}

void PhoneBackupSample::writeModern(const QString &folder, ModernBackupWriter writer,
                                    quint32 modifiedTime) const
{
    QTemporaryDir phoneDir;
    ASSERT_TRUE(phoneDir.isValid());
    writePhone(QDir(phoneDir.path()));
    ASSERT_GE(PhoneTreeBackup::addHome(writer, QDir(phoneDir.path()), modifiedTime), 3);
    ASSERT_TRUE(writer.write(folder));
}

void PhoneBackupSample::write(const QString &folder, bool encrypted, quint32 modifiedTime) const
{
    QTemporaryDir phoneDir;
    ASSERT_TRUE(phoneDir.isValid());
    const QDir phoneFolder(phoneDir.path());
    writePhone(phoneFolder);

    BackupWriter writer(device);
    if (encrypted)
        writer.setPassword(kPassword);
    const int files = PhoneTreeBackup::addHome(writer, phoneFolder, QString(), modifiedTime);
    ASSERT_GE(files, 3);
    ASSERT_TRUE(writer.write(folder));
}
