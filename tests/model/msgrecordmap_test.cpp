#include "model/msgrecordmap.h"

#include <gtest/gtest.h>

#include <array>

namespace {

struct Item
{
    int id = 0;
};

using ItemMap = MsgRecordMap<Item>;

} // namespace

// Keys that look alike must stay apart and read back exactly as given, whatever their order of
// insertion: a decimal row id is stored as a number, anything else as text.
TEST(MsgRecordMap, KeysStayDistinctAndReadBackAsGiven)
{
    const QStringList keys = {QStringLiteral("7"),
                              QStringLiteral("007"),
                              QStringLiteral("0"),
                              QStringLiteral(""),
                              QStringLiteral("-7"),
                              QStringLiteral("123456789012345678901234"),
                              QStringLiteral("C7E46095-1BAE-4EDD-B425-562290E7FB57"),
                              QStringLiteral("10"),
                              QStringLiteral("9")};
    std::array<Item, 9> items;
    ItemMap map;
    // Reversed: every insertion lands before the entries already there.
    for (int i = int(keys.size()) - 1; i >= 0; --i) {
        items[size_t(i)].id = i;
        map.insert(keys[i], &items[size_t(i)]);
    }
    ASSERT_EQ(map.size(), keys.size());
    QStringList seen;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        seen << it.key();
        EXPECT_EQ(it.value()->id, keys.indexOf(it.key())) << it.key().toStdString();
    }
    EXPECT_EQ(seen.mid(0, 4), (QStringList{"0", "7", "9", "10"})) << "row ids in numeric order";
    for (int i = 0; i < keys.size(); ++i)
        EXPECT_EQ(map.value(keys[i]), &items[size_t(i)]) << keys[i].toStdString();
    EXPECT_FALSE(map.contains(QStringLiteral("07")));
    EXPECT_EQ(map.value(QStringLiteral("8")), nullptr);
}

TEST(MsgRecordMap, InsertReplacesAndRemovalEmpties)
{
    Item first{1};
    Item second{2};
    ItemMap map;
    map.insertRowId(5, &first);
    map.insert(QStringLiteral("5"), &second);
    map.insert(QStringLiteral("g"), &first);
    ASSERT_EQ(map.size(), 2);
    EXPECT_EQ(map.value(QStringLiteral("5")), &second) << "same key as a row id and as text";

    ItemMap copy = map;
    EXPECT_EQ(copy, map);
    copy.insertRowId(6, &first);
    EXPECT_NE(copy, map) << "copies do not share entries";

    EXPECT_EQ(map.removeIf([&](const auto &entry) { return entry.value() == &second; }), 1);
    EXPECT_EQ(map.values(), QList<Item *>{&first});
    EXPECT_EQ(map.remove(QStringLiteral("g")), 1);
    EXPECT_EQ(map.remove(QStringLiteral("g")), 0);
    EXPECT_TRUE(map.isEmpty());
    EXPECT_EQ(map.cbegin(), map.cend());
    EXPECT_EQ(map, ItemMap());
}
