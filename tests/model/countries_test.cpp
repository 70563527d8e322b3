#include "errortext.h"
#include "model/countryinfo.h"
#include "model/countrylibdb.h"
#include "scratchdb.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// The country of an ISO code as the embedded library holds it; fails the test when it is missing.
_CountryInfo country(const char *code)
{
    CountryLibDb lib{QString()};
    bool found = false;
    const _CountryInfo info = lib.infoByCode(QString::fromLatin1(code), &found);
    EXPECT_TRUE(found) << code;
    return info;
}

} // namespace

// How each country's numbers are written in international form, and what is left alone. An
// empty country code stands for an unknown phone country.
TEST(CountryInfo, FormatsNumbersAndNames)
{
    const struct
    {
        const char *country, *input, *expected;
    } cases[] = {
        {"DE", "0151 2345 6789", "+4915123456789"},   // trunk prefix dropped
        {"DE", "+49 151 23456789", "+4915123456789"}, // only cleaned
        {"DE", "4915123456789", "+4915123456789"},    // calling code without "+"
        {"DE", "15123456789", "+4915123456789"},      // national, no trunk prefix
        {"DE", "(0151) 23-45-67-89", "+4915123456789"},
        {"DE", "030 12345678", "03012345678"},  // landline: not the mobile pattern
        {"DE", "(212) 555-1234", "2125551234"}, // a US number is not German
        {"DE", "+1 (212) 555-1234", "+12125551234"},
        {"DE", "22 333", "22333"}, // short code
        {"DE", "", ""},
        {"DE", "John.Doe@Example.COM", "john.doe@example.com"},
        {"DE", "AMAZON", "amazon"},
        {"DE", "DHL 24", "dhl 24"},
        // Other scripts are names too; stripping them would leave "24".
        {"DE", "МТС 24", "мтс 24"},
        {"DE", "٠١٥١ ٢٣٤٥ ٦٧٨٩", "+4915123456789"}, // Arabic-Indic digits count
        {"DE", " #*# ", "#*#"},                     // punctuation only is kept
        {"", "(555) 123-4567", "5551234567"},
        {"", "0151 2345 6789", "015123456789"},
        {"", "+49 151 23456789", "+4915123456789"},
        {"", "Alice@Example.org", "alice@example.org"},
        {"US", "(201) 555-0123", "+12015550123"},
        {"US", "1-201-555-0123", "+12015550123"},
        {"US", "604 555 1234", "6045551234"}, // Canadian area code
        {"CA", "(604) 555-1234", "+16045551234"},
        {"CA", "1 506 234 5678", "+15062345678"},
        {"GB", "07400 123456", "+447400123456"},
        {"GB", "447400123456", "+447400123456"},
        {"GB", "020 7946 0000", "02079460000"},
        {"FR", "06 12 34 56 78", "+33612345678"},
        {"FR", "01 23 45 67 89", "0123456789"},
        {"CN", "131 2345 6789", "+8613123456789"},
        {"CN", "8613123456789", "+8613123456789"},
        {"CN", "010 1234 5678", "01012345678"},
        {"JP", "090-1234-5678", "+819012345678"},
        {"JP", "03-1234-5678", "0312345678"},
    };
    for (const auto &c : cases) {
        const _CountryInfo info = *c.country ? country(c.country) : _CountryInfo();
        EXPECT_EQ(info.formatNumber(QString::fromUtf8(c.input)), QString::fromUtf8(c.expected))
            << c.country << ": " << c.input;
    }
    const _CountryInfo none;
    EXPECT_TRUE(none.isEmpty());
    EXPECT_FALSE(none._isMatch(QStringLiteral("15123456789")));
}

TEST(CountryInfo, LengthListAndPattern)
{
    const _CountryInfo info(QStringLiteral("XX"), QString(), QString(), QStringLiteral("99"),
                            QString(), QStringLiteral(",8, 10,,x,"), QStringLiteral("7\\d+|9\\d+"));
    EXPECT_TRUE(info._isLengthValid(8));
    EXPECT_TRUE(info._isLengthValid(10));
    EXPECT_FALSE(info._isLengthValid(0));
    EXPECT_FALSE(info._isLengthValid(9));
    // Both anchors apply to every alternative of the pattern.
    EXPECT_TRUE(info._isMatch(QStringLiteral("91234567")));
    EXPECT_FALSE(info._isMatch(QStringLiteral("19123456")));
    EXPECT_FALSE(info._isMatch(QStringLiteral("7123456a")));
    EXPECT_FALSE(info._isMatch(QStringLiteral("1712345")));

    const _CountryInfo broken(QStringLiteral("XX"), QString(), QString(), QStringLiteral("99"),
                              QString(), QStringLiteral("8"), QStringLiteral("7(\\d+"));
    EXPECT_FALSE(broken._isMatch(QStringLiteral("71234567")));
    EXPECT_EQ(broken.formatNumber(QStringLiteral("7123-4567")), QStringLiteral("71234567"));
}

TEST(CountryLibDb, LooksUpByMccAndByCode)
{
    CountryLibDb lib{QString()};
    bool found = false;
    EXPECT_EQ(lib.infoByMMC(QStringLiteral("262"), &found).sn, QStringLiteral("DE"));
    EXPECT_TRUE(found);
    EXPECT_EQ(lib.infoByMMC(QStringLiteral("310"), &found).sn, QStringLiteral("US"));
    EXPECT_EQ(lib.infoByMMC(QStringLiteral("234"), &found).sn, QStringLiteral("GB"));
    EXPECT_EQ(lib.infoByMMC(QStringLiteral("460"), &found).sn, QStringLiteral("CN"));

    const _CountryInfo us = lib.infoByCode(QStringLiteral("us"), &found);
    EXPECT_TRUE(found);
    EXPECT_EQ(us.sn, QStringLiteral("US"));
    EXPECT_EQ(us.pnum, QStringLiteral("1"));
    EXPECT_EQ(us.n, QStringLiteral("United States"));
    EXPECT_TRUE(us.mmc.split(QLatin1Char(',')).contains(QStringLiteral("310")));

    const _CountryInfo jp = lib.infoByCode(QStringLiteral("JP"));
    EXPECT_EQ(jp.pnum, QStringLiteral("81"));
    EXPECT_EQ(jp.ln, QString::fromUtf8("日本"));
}

TEST(CountryLibDb, DefaultCountryFollowsTheMcc)
{
    CountryLibDb german{QStringLiteral("262")};
    const _CountryInfo &de = german.defCountryInfo();
    EXPECT_EQ((QStringList{de.sn, de.n, de.ln, de.pnum, de.mmc}),
              (QStringList{"DE", "Germany", "Deutschland", "49", "262"}));
    EXPECT_FALSE(de.mobilePattern().isEmpty());

    // Unknown MCC or code: the default country, flagged as not found.
    bool found = true;
    EXPECT_EQ(german.infoByMMC(QStringLiteral("999"), &found).sn, QStringLiteral("DE"));
    EXPECT_FALSE(found);
    found = true;
    EXPECT_EQ(german.infoByCode(QStringLiteral("zz"), &found).sn, QStringLiteral("DE"));
    EXPECT_FALSE(found);

    CountryLibDb unknown{QStringLiteral("999")};
    EXPECT_TRUE(unknown.defCountryInfo().isEmpty());
    EXPECT_TRUE(unknown.infoByCode(QStringLiteral("zz")).isEmpty());
    CountryLibDb none{QString()};
    EXPECT_TRUE(none.defCountryInfo().isEmpty());
    EXPECT_EQ(none.defCountryInfo().formatNumber(QStringLiteral("(555) 123-4567")),
              QStringLiteral("5551234567"));
}

TEST(CountryLibDb, BuiltLibraryCoversTheWorld)
{
    CountryLibDb lib{QString()};
    lib.openCheck();
    EXPECT_GE(sqlValue(lib, "select count(*) from countries").toInt(), 230);
    EXPECT_GE(sqlValue(lib, "select count(*) from mmc_sn").toInt(), 230);

    // Every MCC row names a country of the library, and lists the MCC among that country's.
    Sqlite3Cursor rows = lib.queryThrow(
        Sqlite3Sql("select m.mmc, c.mmc as list from mmc_sn m left join countries c on c.sn = "
                   "m.sn"));
    while (rows.moveNext()) {
        const QString mcc = rows.getText(QStringLiteral("mmc"));
        EXPECT_TRUE(rows.getText(QStringLiteral("list")).split(QLatin1Char(',')).contains(mcc))
            << mcc.toStdString();
    }

    // Germany's row, with as many number formats in each of its three format columns.
    EXPECT_EQ(sqlValue(lib, "select pnum || '|' || mmc || '|' || u2 || '|' || mnc_rx || '|' || "
                            "(n2 = n3 and n2 = n4) from (select *, "
                            "length(r2) - length(replace(r2, ';', '')) as n2, "
                            "length(r3) - length(replace(r3, ';', '')) as n3, "
                            "length(r4) - length(replace(r4, ';', '')) as n4 "
                            "from countries where sn = 'DE')"),
              "49|262|0|00|1");
}

TEST(CountryLibDb, CopiesTheLibraryIntoTheDataFolderOnceAndReplacesABrokenCopy)
{
    const QString path = CountryLibDb::dbPath();
    EXPECT_EQ(QFileInfo(path).fileName(), QStringLiteral("countries.db"));
    QFile::remove(path);

    {
        CountryLibDb lib{QStringLiteral("262")};
        EXPECT_EQ(lib.defCountryInfo().sn, QStringLiteral("DE"));
    }
    ASSERT_TRUE(QFileInfo::exists(path));
    EXPECT_TRUE(QFileInfo(path).isWritable());

    // An existing copy is used as it is: a row changed in it is seen by the next library.
    {
        CountryLibDb lib{QString()};
        lib.openCheck();
        lib.executeThrow(Sqlite3Sql("update countries set n = 'Changed' where sn = 'DE'"));
    }
    CountryLibDb again{QString()};
    EXPECT_EQ(again.infoByCode(QStringLiteral("DE")).n, QStringLiteral("Changed"));
    again.close();

    // A broken copy is replaced.
    writeFile(path, QByteArray());
    CountryLibDb repaired{QStringLiteral("262")};
    EXPECT_EQ(repaired.defCountryInfo().n, QStringLiteral("Germany"));
    repaired.close();
    QFile::remove(path);
}

TEST(CountryLibDb, UnwritableDataFolderIsReported)
{
    const QString path = CountryLibDb::dbPath();
    QFile::remove(path);
    // A folder in the place of the file makes the copy fail.
    ASSERT_TRUE(QDir().mkpath(path));
    CountryLibDb lib{QStringLiteral("262")};
    const QString error = errorText([&] { lib.openCheck(); });
    EXPECT_TRUE(error.startsWith(QStringLiteral("can not create "))) << qPrintable(error);
    QDir(path).removeRecursively();
}
