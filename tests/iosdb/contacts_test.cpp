#include "fixtures/addressbookwriter.h"
#include "iosdb/ioscontactphoneinfo.h"
#include "iosdb/ioscontactsmemdb.h"
#include "scratchdb.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <stdexcept>

namespace {

using Form = AddressBookWriter::NumberForm;
using Person = AddressBookWriter::Person;
using Phone = AddressBookWriter::Phone;

// A fixed past moment for file times, so that no test depends on the clock.
constexpr qint64 kBaseMs = 1600000000000;

QString str(const char *text)
{
    return QString::fromUtf8(text);
}

Phone phone(const char *callingCode, const char *national, std::optional<Form> form = {})
{
    Phone p;
    p.callingCode = str(callingCode);
    p.national = str(national);
    p.form = form;
    return p;
}

Person person(const char *first, const char *last, QList<Phone> phones)
{
    Person p;
    p.first = str(first);
    p.last = str(last);
    p.phones = std::move(phones);
    return p;
}

void setModified(const QString &path, qint64 ms)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite)) << path.toStdString();
    ASSERT_TRUE(file.setFileTime(QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC),
                                 QFileDevice::FileModificationTime));
}

qint64 modified(const QString &path)
{
    return QFileInfo(path).lastModified().toMSecsSinceEpoch();
}

class ContactsTest : public ::testing::Test
{
protected:
    QDir folder() const { return QDir(m_dir.path()); }
    QString book() const { return AddressBookWriter::bookPath(folder()); }
    QString wal() const { return book() + QLatin1String("-wal"); }
    QString lookupFile() const { return folder().filePath(IOSContactsMemDb::lookupFileName()); }

    // Writes the book with both its files dated at ms.
    void writeBook(const AddressBookWriter &writer, qint64 ms)
    {
        writer.write(folder());
        for (const QString &path : {book(), wal()}) {
            if (QFileInfo::exists(path))
                setModified(path, ms);
        }
    }

    // A fresh object each time, as every reader makes its own.
    QString nameOf(const char *number, const char *mmc = "310")
    {
        IOSContactsMemDb contacts(folder(), str(mmc));
        return contacts.contactInfoByNumber(str(number)).displayName();
    }

    QStringList leftovers() const
    {
        return folder().entryList({IOSContactsMemDb::lookupFileName() + QLatin1String(".*")},
                                  QDir::Files);
    }

    QTemporaryDir m_dir;
};

AddressBookWriter oneAnn(const char *first = "Ann")
{
    AddressBookWriter writer;
    writer.addPerson(person(first, "Lee", {phone("1", "3105551234")}));
    return writer;
}

} // namespace

TEST(IOSContactPhoneInfo, DisplayNameLeavesOutTheBlanksOfMissingParts)
{
    const auto name = [](const char *first, const char *middle, const char *last) {
        _IOSContactPhoneInfo info;
        info.first = str(first);
        info.middle = str(middle);
        info.last = str(last);
        return info.displayName();
    };
    EXPECT_EQ(name("Ann", "", ""), str("Ann"));
    EXPECT_EQ(name("", "Mary", "Lee"), str("Mary Lee"));
    EXPECT_EQ(name("", "", "Lee"), str("Lee"));
    EXPECT_EQ(name("Ann", "Mary", "Lee"), str("Ann Mary Lee"));
    EXPECT_EQ(name("Ann", "  ", " Lee "), str("Ann Lee"));
    EXPECT_EQ(name(" Ann ", "", ""), str("Ann"));
    EXPECT_EQ(name("Ann", " Mary ", "  "), str("Ann Mary"));
    EXPECT_EQ(name("", "", ""), QString());
    EXPECT_TRUE(_IOSContactPhoneInfo().isEmpty());
}

TEST_F(ContactsTest, WithoutAddressBookNothingIsMadeAndNothingFound)
{
    IOSContactsMemDb contacts(folder(), str("310"));
    EXPECT_NO_THROW(contacts.openCheck());
    EXPECT_FALSE(contacts.isOpen());
    EXPECT_TRUE(contacts.contactInfoByNumber(str("+13105551234")).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(lookupFile()));
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(ContactsTest, NumbersInEitherFormMeetUnderOneFormattedNumber)
{
    AddressBookWriter writer;
    writer.addPerson(person(
        "Ann", "Lee",
        {phone("1", "3105551234", Form::National), phone("1", "2015550123", Form::International)}));
    writer.addPerson(person("Jörg", "Maier",
                            {phone("49", "15123456789", Form::National),
                             phone("49", "16098765432", Form::International)}));
    writeBook(writer, kBaseMs);

    for (const char *number : {"+13105551234", "+12015550123"})
        EXPECT_EQ(nameOf(number, "310"), str("Ann Lee")) << number;
    // Under a US country the German national spelling is no international number.
    EXPECT_EQ(nameOf("+4916098765432", "310"), str("Jörg Maier"));
    EXPECT_EQ(nameOf("+4915123456789", "310"), QString());
}

TEST_F(ContactsTest, GermanPhoneFormatsGermanNationalNumbers)
{
    AddressBookWriter writer;
    writer.setNumberForm(Form::National);
    writer.addPerson(person("Jörg", "Maier", {phone("49", "15123456789")}));
    writer.addPerson(person("Eva", "Roth", {phone("49", "16098765432", Form::International)}));
    writeBook(writer, kBaseMs);

    EXPECT_EQ(nameOf("+4915123456789", "262"), str("Jörg Maier"));
    EXPECT_EQ(nameOf("+4916098765432", "262"), str("Eva Roth"));
}

TEST_F(ContactsTest, CountryCodeOverridesTheMccForFormatting)
{
    AddressBookWriter writer;
    writer.addPerson(person("Jörg", "Maier", {phone("49", "15123456789", Form::National)}));
    writer.addPerson(person("Ann", "Lee", {phone("1", "3105551234", Form::National)}));
    writeBook(writer, kBaseMs);

    IOSContactsMemDb contacts(folder(), str("310"), str("de"));
    EXPECT_EQ(contacts.contactInfoByNumber(str("+4915123456789")).displayName(), str("Jörg Maier"));
    // A US national number is not recognised as German: it is only cleaned.
    EXPECT_TRUE(contacts.contactInfoByNumber(str("+13105551234")).isEmpty());
    EXPECT_EQ(contacts.contactInfoByNumber(str("3105551234")).displayName(), str("Ann Lee"));
}

TEST_F(ContactsTest, PeopleNumbersAndPhotos)
{
    AddressBookWriter writer;
    Person ann = person("Ann", "Lee", {phone("1", "3105551234"), phone("1", "3105550000")});
    ann.emails = QStringList{str("ann@example.com")};
    const qint64 annId = writer.addPerson(ann);
    Person bob = person("Bob", "Ray", {phone("1", "3105550000")});
    bob.withPhoto = false;
    const qint64 bobId = writer.addPerson(bob);
    Person mail = person("Mail", "Only", {});
    mail.emails = QStringList{str("mail@example.com")};
    writer.addPerson(mail);
    writeBook(writer, kBaseMs);

    IOSContactsMemDb contacts(folder(), str("310"));
    const _IOSContactPhoneInfo found = contacts.contactInfoByNumber(str("+13105551234"));
    EXPECT_EQ(found.displayName(), str("Ann Lee"));
    EXPECT_EQ(found.photo, AddressBookWriter::thumbnail(annId));
    EXPECT_TRUE(found.photo.startsWith("\xFF\xD8")); // a JPEG

    // The shared number names the person the address book lists first.
    EXPECT_EQ(contacts.contactInfoByNumber(str("+13105550000")).displayName(), str("Ann Lee"));

    // Bob: one number, no photo.
    const QString bobSql = QStringLiteral("select count(*) || ',' || ifnull(length(photo), 0) from "
                                          "person join tel on person_id = person.rowid where "
                                          "person.rowid = %1");
    EXPECT_EQ(sqlValue(contacts, bobSql.arg(bobId)), "1,0");

    // E-mail addresses are no numbers.
    for (const char *address : {"ann@example.com", "mail@example.com"})
        EXPECT_TRUE(contacts.contactInfoByNumber(str(address)).isEmpty()) << address;
    EXPECT_EQ(sqlValue(contacts, "select count(*) from tel where number like '%@%'"), "0");
}

TEST_F(ContactsTest, LookupFileIsOpenedReadOnly)
{
    writeBook(oneAnn(), kBaseMs);
    IOSContactsMemDb contacts(folder(), str("310"));
    contacts.openCheck();
    ASSERT_TRUE(contacts.isOpen());
    EXPECT_THROW(contacts.executeThrow("delete from person"), std::exception);
    EXPECT_EQ(contacts.contactInfoByNumber(str("+13105551234")).first, str("Ann"));
}

TEST_F(ContactsTest, UnchangedBookIsNotReadAgain)
{
    writeBook(oneAnn("Ann"), kBaseMs);
    ASSERT_EQ(nameOf("+13105551234"), str("Ann Lee"));
    const qint64 built = modified(lookupFile());

    // Different content under the old time: the lookup file is kept as it is.
    writeBook(oneAnn("Anna"), kBaseMs);
    EXPECT_EQ(nameOf("+13105551234"), str("Ann Lee"));
    EXPECT_EQ(modified(lookupFile()), built);

    // A millisecond later counts as newer.
    setModified(book(), kBaseMs + 1);
    EXPECT_EQ(nameOf("+13105551234"), str("Anna Lee"));
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(ContactsTest, BookInWalModeIsReadWithItsLogAndLeftUntouched)
{
    AddressBookWriter writer = oneAnn();
    writer.setWalMode(true);
    writeBook(writer, kBaseMs);
    ASSERT_TRUE(QFileInfo::exists(wal()));

    // The writer left every row in the log: the main file alone holds no people.
    QTemporaryDir elsewhere;
    const QString mainOnly = elsewhere.filePath(str("AddressBook.sqlitedb"));
    ASSERT_TRUE(QFile::copy(book(), mainOnly));
    Sqlite3DB copy;
    copy.openThrow(mainOnly, Sqlite3DB::kOpenReadOnly);
    EXPECT_TRUE(copy.tbInfo(str("ABPerson")).isEmpty());

    const qint64 bookSize = QFileInfo(book()).size();
    const qint64 walSize = QFileInfo(wal()).size();
    EXPECT_EQ(nameOf("+13105551234"), str("Ann Lee"));
    EXPECT_EQ(QFileInfo(book()).size(), bookSize);
    EXPECT_EQ(QFileInfo(wal()).size(), walSize);
    EXPECT_EQ(modified(book()), kBaseMs);
    EXPECT_EQ(modified(wal()), kBaseMs);
}

TEST_F(ContactsTest, NewerLogTriggersRebuildThoughTheBookIsOlder)
{
    AddressBookWriter first = oneAnn("Ann");
    first.setWalMode(true);
    writeBook(first, kBaseMs);
    ASSERT_EQ(nameOf("+13105551234"), str("Ann Lee"));

    AddressBookWriter second = oneAnn("Anna");
    second.setWalMode(true);
    writeBook(second, kBaseMs - 60000);
    EXPECT_EQ(nameOf("+13105551234"), str("Ann Lee")); // both older: kept

    setModified(wal(), kBaseMs + 1000);
    EXPECT_EQ(nameOf("+13105551234"), str("Anna Lee"));

    // A checkpoint writes into the book itself, which may then be newer than its log.
    AddressBookWriter third = oneAnn("Annie");
    third.setWalMode(true);
    writeBook(third, kBaseMs);
    setModified(book(), kBaseMs + 2000);
    EXPECT_EQ(nameOf("+13105551234"), str("Annie Lee"));
}

TEST_F(ContactsTest, FailedRebuildKeepsThePreviousLookupFile)
{
    writeBook(oneAnn(), kBaseMs);
    ASSERT_EQ(nameOf("+13105551234"), str("Ann Lee"));

    writeFile(book(), QByteArray(4096, 'x'));
    setModified(book(), kBaseMs + 1000);

    IOSContactsMemDb contacts(folder(), str("310"));
    EXPECT_THROW(contacts.openCheck(), std::exception);
    EXPECT_FALSE(contacts.isOpen());
    EXPECT_TRUE(leftovers().isEmpty());

    EXPECT_EQ(sqlValue(lookupFile(), "select first from person"), str("Ann"));
    // Still older than the book, so the next opening tries again rather than trusting it.
    EXPECT_LT(modified(lookupFile()), modified(book()));
}

TEST_F(ContactsTest, BookWithoutNumberTableFailsWithoutLookupFile)
{
    QDir().mkpath(folder().filePath(AddressBookWriter::relativeFolder()));
    Sqlite3DB db;
    db.openThrow(book(), Sqlite3DB::kOpenReadWrite | Sqlite3DB::kOpenCreate);
    db.executeThrow("create table ABPerson (ROWID INTEGER PRIMARY KEY, First, Last, Middle)");
    db.close();

    IOSContactsMemDb contacts(folder(), str("310"));
    EXPECT_THROW(contacts.openCheck(), std::exception);
    EXPECT_FALSE(QFileInfo::exists(lookupFile()));
    EXPECT_TRUE(leftovers().isEmpty());
}
