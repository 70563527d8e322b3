#include "errortext.h"
#include "model/qplist.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTimeZone>

#include <plist/plist.h>

#include <stdexcept>

namespace {

// Seconds from 2001-01-01 to 2014-05-13 16:53:20 UTC.
constexpr int32_t kBackupDate = 421692800;

// A Manifest.plist-like tree made with libplist itself, independent of QPlist's own writers.
plist_t makeManifestLike()
{
    plist_t root = plist_new_dict();
    plist_t lockdown = plist_new_dict();
    plist_dict_set_item(lockdown, "DeviceName", plist_new_string("Anna’s phone"));
    plist_dict_set_item(lockdown, "ProductVersion", plist_new_string("7.1.1"));
    plist_dict_set_item(root, "Lockdown", lockdown);
    plist_dict_set_item(root, "IsEncrypted", plist_new_bool(1));
    plist_dict_set_item(root, "Version", plist_new_real(9.1));
    plist_dict_set_item(root, "Count", plist_new_uint(4294967296ULL));
    plist_dict_set_item(root, "BackupKeyBag", plist_new_data("\x00\x01\xff", 3));
    plist_dict_set_item(root, "Date", plist_new_date(kBackupDate, 500000));
    plist_t apps = plist_new_array();
    plist_array_append_item(apps, plist_new_string("com.example.one"));
    plist_array_append_item(apps, plist_new_string("com.example.two"));
    plist_dict_set_item(root, "Applications", apps);
    return root;
}

QByteArray serialise(bool binary)
{
    plist_t root = makeManifestLike();
    char *out = nullptr;
    uint32_t length = 0;
    if (binary)
        plist_to_bin(root, &out, &length);
    else
        plist_to_xml(root, &out, &length);
    QByteArray bytes(out, static_cast<int>(length));
    binary ? plist_to_bin_free(out) : plist_to_xml_free(out);
    plist_free(root);
    return bytes;
}

void expectManifestLike(const QPlist &root)
{
    ASSERT_TRUE(root.isDict());
    EXPECT_EQ(root.dict_size(), 7u);
    EXPECT_EQ(root.get("Lockdown").get("DeviceName").toString(), QString::fromUtf8("Anna’s phone"));
    EXPECT_EQ(root.get("Lockdown").get("ProductVersion").toString(), "7.1.1");
    EXPECT_TRUE(root.get("IsEncrypted").toBool());
    EXPECT_DOUBLE_EQ(root.get("Version").toReal(), 9.1);
    EXPECT_EQ(root.get("Count").toUint(), 4294967296ULL);
    EXPECT_EQ(root.get("BackupKeyBag").toData(), QByteArray("\x00\x01\xff", 3));
    const QDateTime date = root.get("Date").toDate();
    EXPECT_EQ(date.toUTC().date(), QDate(2014, 5, 13));
    EXPECT_EQ(date.toUTC().time().hour(), 16);
    const QPlist apps = root.get("Applications");
    ASSERT_EQ(apps.array_size(), 2u);
    EXPECT_EQ(apps.at(1).toString(), "com.example.two");
    EXPECT_TRUE(apps.at(2).isNull());
}

} // namespace

TEST(QPlist, ReadsXmlAndBinaryWrittenByLibplist)
{
    const QByteArray xml = serialise(false);
    const QByteArray bin = serialise(true);
    ASSERT_TRUE(xml.startsWith("<?xml"));
    ASSERT_TRUE(bin.startsWith("bplist00"));
    {
        SCOPED_TRACE("xml");
        expectManifestLike(QPlist::fromFileBin(xml));
    }
    {
        SCOPED_TRACE("binary");
        expectManifestLike(QPlist::fromFileBin(bin));
    }
    // And back: each form converts to the other without loss.
    expectManifestLike(QPlist::fromFileBin(QPlist::fromFileBin(xml).toBin()));
    expectManifestLike(QPlist::fromFileBin(QPlist::fromFileBin(bin).toXml().toUtf8()));
}

TEST(QPlist, FromFileReportsWhatIsWrongWithTheFile)
{
    QTemporaryDir dir;
    auto write = [&dir](const QString &name, const QByteArray &bytes) {
        writeFile(dir.filePath(name), bytes);
        return dir.filePath(name);
    };
    expectManifestLike(QPlist::fromFile(write("Manifest.plist", serialise(true))));

    const QByteArray bin = serialise(true);
    const QList<QByteArray> broken{QByteArray(),
                                   "this is no property list",
                                   bin.left(8),
                                   bin.left(bin.size() / 2),
                                   "<?xml version=\"1.0\"?><plist><dict>",
                                   QByteArray(64, '\0')};
    for (const QByteArray &bytes : broken) {
        SCOPED_TRACE(bytes.left(20).toStdString());
        EXPECT_TRUE(QPlist::fromFileBin(bytes).isNull());
        const QString path = write("Broken.plist", bytes);
        EXPECT_TRUE(errorText([&] { QPlist::fromFile(path); }).contains(path));
    }
    EXPECT_THROW(QPlist::fromFile(dir.filePath("missing.plist")), std::runtime_error);
}

TEST(QPlist, WrongTypesAndNullHandlesGiveEmptyValues)
{
    const QPlist none;
    EXPECT_TRUE(none.isNull());
    EXPECT_TRUE(none.get("x").isNull());
    EXPECT_EQ(none.toString(), "");
    EXPECT_EQ(none.dict_size(), 0u);
    EXPECT_TRUE(none.toBin().isEmpty());

    const QPlist text = QPlist::fromString("12");
    EXPECT_EQ(text.toUint(), 0u);
    EXPECT_FALSE(text.toBool());
    EXPECT_TRUE(text.toData().isEmpty());
    EXPECT_FALSE(text.toDate().isValid());
    EXPECT_EQ(text.toKeyString(), "");
    EXPECT_TRUE(text.get("a").isNull());
    EXPECT_TRUE(text.at(0).isNull());
    EXPECT_TRUE(text.toMap().isEmpty());

    QPlist notADict = QPlist::fromUint(1);
    notADict.put("a", QPlist::fromString("b"));
    EXPECT_EQ(notADict.toUint(), 1u);

    const QPlist key = QPlist::fromKey("Lockdown");
    EXPECT_TRUE(key.isKey());
    EXPECT_EQ(key.toKeyString(), "Lockdown");
    EXPECT_EQ(key.toString(), "");
}

TEST(QPlist, StringListTakesTheStringItemsOfAnArrayOnly)
{
    QPlist array = QPlist::newArray();
    array.push_back(QPlist::fromString("+15551230001"));
    array.push_back(QPlist::fromUint(7));
    array.push_back(QPlist::fromString("ann@example.com"));
    const QPlist parsed = QPlist::fromFileBin(array.toBin());
    EXPECT_EQ(parsed.toStringList(), QStringList({"+15551230001", "ann@example.com"}));

    EXPECT_TRUE(QPlist::fromString("x").toStringList().isEmpty());
    EXPECT_TRUE(QPlist::fromFileBin("not a property list").toStringList().isEmpty());
    EXPECT_TRUE(QPlist().toStringList().isEmpty());
}

TEST(QPlist, ItemHandlesOutliveTheirTreeHandleFreeingNullsEveryCopy)
{
    QPlist name;
    QPlist apps;
    {
        const QPlist root = QPlist::fromFileBin(serialise(true));
        name = root.get("Lockdown").get("DeviceName");
        apps = root.get("Applications");
    }
    EXPECT_EQ(name.toString(), QString::fromUtf8("Anna’s phone"));
    EXPECT_EQ(apps.at(0).toString(), "com.example.one");

    // Freeing a tree nulls every copy of its handle.
    QPlist tree = QPlist::newDict();
    tree.put("k", QPlist::fromBool(true));
    const QPlist copy = tree;
    tree.plistFree();
    EXPECT_TRUE(copy.isNull());
    // Letting go of a borrowed item does not free it inside its tree.
    QPlist tree2 = QPlist::newDict();
    tree2.put("k", QPlist::fromBool(true));
    QPlist borrowed = tree2.get("k");
    borrowed.plistFree();
    EXPECT_TRUE(borrowed.isNull());
    EXPECT_TRUE(tree2.get("k").toBool());
}

TEST(QPlist, PutAndPushBackTakeOverOrCopy)
{
    QPlist dict = QPlist::newDict();
    const QPlist value = QPlist::fromString("first");
    dict.put("a", value);
    // The value now lives in the dictionary; its handle still reads it.
    EXPECT_EQ(value.toString(), "first");
    EXPECT_EQ(dict.get("a").toString(), "first");

    // Replacing a key leaves one item.
    dict.put("a", QPlist::fromString("second"));
    EXPECT_EQ(dict.dict_size(), 1u);
    EXPECT_EQ(dict.get("a").toString(), "second");

    // An item of another tree is copied, so both trees stay whole.
    QPlist other = QPlist::newDict();
    other.put("b", dict.get("a"));
    EXPECT_EQ(other.get("b").toString(), "second");
    EXPECT_EQ(dict.get("a").toString(), "second");

    // A tree put into itself is copied rather than made a cycle.
    dict.put("self", dict);
    EXPECT_EQ(dict.get("self").get("a").toString(), "second");
    EXPECT_TRUE(dict.get("self").get("self").isNull());

    QPlist array = QPlist::newArray();
    array.push_back(QPlist::fromUint(7));
    array.push_back(dict.get("a"));
    array.push_back(QPlist()); // nothing to add
    ASSERT_EQ(array.array_size(), 2u);
    EXPECT_EQ(array.at(0).toUint(), 7u);
    EXPECT_EQ(array.at(1).toString(), "second");

    const QMap<QString, QPlist> map = dict.toMap();
    EXPECT_EQ(map.keys(), (QStringList{"a", "self"}));
    dict.plistFree();
    EXPECT_TRUE(dict.isNull());
    EXPECT_EQ(map.value("a").toString(), "second"); // copies, not views
}

TEST(QPlist, DatesRoundTripInWholeSeconds)
{
    const QDateTime when(QDate(2013, 9, 20), QTime(8, 30, 15, 700), QTimeZone::utc());
    const QPlist date = QPlist::fromDate(when);
    ASSERT_TRUE(date.isDate());
    EXPECT_EQ(date.toDate(), when.addMSecs(-700));
    EXPECT_EQ(
        QPlist::fromDate(QDateTime(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc())).toDate(),
        QDateTime(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc()));
    EXPECT_TRUE(QPlist::fromDate(QDateTime()).isNull());
    EXPECT_TRUE(
        QPlist::fromDate(QDateTime(QDate(2200, 1, 1), QTime(0, 0), QTimeZone::utc())).isNull());

    const QPlist copy = date.clone();
    EXPECT_NE(copy.plist(), date.plist());
    EXPECT_EQ(copy.toDate(), date.toDate());
}
