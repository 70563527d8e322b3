#include "errortext.h"
#include "fields.h"
#include "fixtures/cryptofixtures.h"
#include "fixtures/keybagbuilder.h"
#include "itunes/invalidpassworderror.h"
#include "itunes/keybag.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

const QByteArray kPassword = "correct horse";

QByteArray classKey(int classNumber)
{
    return g_fixtureBytes(32, 500 + static_cast<quint32>(classNumber));
}

// A backup keybag as a phone writes it: password-wrapped keys for classes 1 to 4 and 11, and a
// device-only key (class 5) that a backup reader leaves alone.
KeybagBuilder typicalKeybag()
{
    KeybagBuilder builder(kPassword, 10);
    for (const int c : {1, 2, 3, 4, 11})
        builder.addClassKey(c, classKey(c));
    builder.addClassKey(5, classKey(5), 1);
    return builder;
}

QByteArray entry(const QByteArray &tag, const QByteArray &value)
{
    return KeybagBuilder::entry(tag, value);
}

QByteArray u32(quint32 v)
{
    return KeybagBuilder::uint32Value(v);
}

} // namespace

TEST(Keybag, ParsesAttributesAndClassKeysAndUnlocks)
{
    _KeybagInfo bag = parseKeybag(typicalKeybag().build());
    const auto &attrs = bag.attributes;
    EXPECT_EQ(fields(attrs.value("UUID"), g_keybagInt32(attrs.value("VERS")),
                     g_keybagInt32(attrs.value("ITER")), g_keybagInt32(attrs.value("WRAP")),
                     attrs.contains("HMCK"), attrs.contains("CLAS")),
              fields(g_fixtureBytes(16, 1), 3u, 10u, 0u, true, false));
    EXPECT_EQ(bag.classKeys.keys(), (QList<int>{1, 2, 3, 4, 5, 11}));
    const _KeybagPros &eleven = bag.classKeys.value(11);
    EXPECT_EQ(fields(eleven.getInt32("CLAS"), eleven.getInt32("WRAP"), eleven.values.value("UUID"),
                     eleven.values.value("WPKY").size(), eleven.values.contains("KEY")),
              fields(11u, 2u, g_fixtureBytes(16, 111), 40, false));

    // The right password unwraps every password-wrapped class key, and only those.
    ASSERT_TRUE(unlockWithPasscode(kPassword, bag));
    for (const int c : {1, 2, 3, 4, 11})
        EXPECT_EQ(bag.classKeys.value(c).values.value("KEY"), classKey(c)) << "class " << c;
    EXPECT_FALSE(bag.classKeys.value(5).values.contains("KEY"));
}

TEST(Keybag, WrongPasswordIsToldApartFromDamage)
{
    const QByteArray data = typicalKeybag().build();
    _KeybagInfo bag = parseKeybag(data);
    EXPECT_FALSE(unlockWithPasscode("correct horsE", bag));
    EXPECT_FALSE(bag.classKeys.value(1).values.contains("KEY"));

    EXPECT_EQ(errorText<InvalidPasswordError>([&] { g_unlockKeybag(data, "wrong"); }),
              "Invalid password.");
    EXPECT_EQ(g_unlockKeybag(data, kPassword).classKeys.value(3).values.value("KEY"), classKey(3));

    // A keybag without its salt cannot even be tried: that is damage, not a wrong password.
    const QByteArray noSalt =
        KeybagBuilder(kPassword).addClassKey(1, classKey(1)).withoutSaltAndIterations().build();
    _KeybagInfo damaged = parseKeybag(noSalt);
    EXPECT_THROW(unlockWithPasscode(kPassword, damaged), std::runtime_error);
    // Not "Invalid password.": damage names the file it found damaged.
    EXPECT_TRUE(errorText([&] { g_unlockKeybag(noSalt, kPassword); }).contains("Manifest.plist"));

    // So is a wrapped key of impossible size.
    const QByteArray badKey = KeybagBuilder(kPassword, 10).build() +
                              entry("UUID", g_fixtureBytes(16, 9)) + entry("CLAS", u32(1)) +
                              entry("WRAP", u32(2)) + entry("WPKY", QByteArray(20, 'x'));
    _KeybagInfo badBag = parseKeybag(badKey);
    EXPECT_THROW(unlockWithPasscode(kPassword, badBag), std::runtime_error);
}

TEST(Keybag, EntryRunningPastTheDataThrowsAtEveryCut)
{
    const QByteArray data = typicalKeybag().build();
    // Collect the entry boundaries: a cut there is a complete (shorter) keybag.
    QList<int> boundaries{0};
    for (int pos = 0; pos < data.size();)
        boundaries.append(pos += 8 + static_cast<int>(g_keybagInt32(data.mid(pos + 4, 4))));
    for (int cut = 0; cut < data.size(); ++cut) {
        const QByteArray truncated = data.left(cut);
        if (boundaries.contains(cut)) {
            EXPECT_NO_THROW(parseKeybag(truncated)) << "cut " << cut;
        } else {
            EXPECT_THROW(parseKeybag(truncated), std::runtime_error) << "cut " << cut;
        }
    }
    // A length near 2^32 must not wrap around the bounds check.
    EXPECT_THROW(parseKeybag(entry("VERS", u32(3)) + "SALT" + u32(0xFFFFFFF8u) + "abcd"),
                 std::runtime_error);
}

TEST(Keybag, EdgeCasesOfTheEntryOrder)
{
    // Only the keybag's own UUID: no class keys, and unlocking has nothing to do.
    _KeybagInfo bare = parseKeybag(entry("UUID", "u") + entry("SALT", "s") + entry("ITER", u32(1)));
    EXPECT_TRUE(bare.classKeys.isEmpty());
    EXPECT_TRUE(unlockWithPasscode("any", bare));

    // The later of two keybag-wide entries wins; the last class key needs no closing UUID; a
    // class key's own WRAP does not overwrite the keybag's.
    const QByteArray data = entry("UUID", "bag") + entry("WRAP", u32(0)) + entry("VERS", u32(2)) +
                            entry("VERS", u32(4)) + entry("UUID", "k1") + entry("CLAS", u32(7)) +
                            entry("WRAP", u32(1)) + entry("TKMT", u32(0));
    const _KeybagInfo bag = parseKeybag(data);
    EXPECT_EQ(fields(g_keybagInt32(bag.attributes.value("VERS")),
                     g_keybagInt32(bag.attributes.value("WRAP")), bag.attributes.value("UUID"),
                     bag.attributes.contains("TKMT")),
              fields(4u, 0u, QByteArray("bag"), true));
    ASSERT_EQ(bag.classKeys.keys(), QList<int>{7});
    EXPECT_EQ(fields(bag.classKeys.value(7).values.value("UUID"),
                     bag.classKeys.value(7).getInt32("WRAP")),
              fields(QByteArray("k1"), 1u));

    // Short integer values read as 0 rather than past their end.
    EXPECT_EQ(g_keybagInt32(QByteArray("\x01\x02", 2)), 0u);
    EXPECT_TRUE(parseKeybag(QByteArray()).isEmpty());
}

TEST(Keybag, FileKeysUnwrapOnlyWithTheirClassKey)
{
    _KeybagInfo bag = g_unlockKeybag(typicalKeybag().build(), kPassword);
    const QByteArray fileKey = g_fixtureBytes(32, 77);
    const QByteArray field = g_fixtureEncryptionKeyField(3, classKey(3), fileKey);
    ASSERT_EQ(field.size(), 44);

    EXPECT_EQ(unwrapKeyForClass(bag, 3, field.mid(4)), fileKey);
    EXPECT_TRUE(unwrapKeyForClass(bag, 4, field.mid(4)).isEmpty());  // another class's key
    EXPECT_TRUE(unwrapKeyForClass(bag, 5, field.mid(4)).isEmpty());  // class without KEY
    EXPECT_TRUE(unwrapKeyForClass(bag, 99, field.mid(4)).isEmpty()); // unknown class
    EXPECT_TRUE(unwrapKeyForClass(bag, 3, field).isEmpty());         // not 40 bytes

    const _KeybagInfo locked = parseKeybag(typicalKeybag().build());
    EXPECT_TRUE(unwrapKeyForClass(locked, 3, field.mid(4)).isEmpty());
}

namespace {

// A keybag of iOS 10.2 on: the SHA-1 stage starts from the SHA-256 stage's key.
KeybagBuilder twoStageKeybag(quint32 firstRounds, const QByteArray &firstSalt)
{
    KeybagBuilder builder(g_fixturePbkdf2Sha256(kPassword, firstSalt, firstRounds, 32), 10);
    builder.addAttribute("DPIC", u32(firstRounds)).addAttribute("DPSL", firstSalt);
    for (const int c : {1, 2, 3, 4})
        builder.addClassKey(c, classKey(c));
    return builder;
}

} // namespace

TEST(Keybag, TwoStageKeybagUnlocksOnlyWithItsPassword)
{
    const QByteArray bag = twoStageKeybag(50, "first-stage-salt").build();
    const _KeybagInfo keybag = g_unlockKeybag(bag, kPassword);
    for (const int c : {1, 2, 3, 4})
        EXPECT_EQ(keybag.classKeys.value(c).values.value("KEY"), classKey(c)) << c;
    EXPECT_THROW(g_unlockKeybag(bag, "correct horsE"), InvalidPasswordError);
}

// Counts far beyond any phone's would run for hours (0xFFFFFFFF SHA-1 rounds did): they are
// refused as damage at once, in either stage; a first stage with a count but no salt is damage.
TEST(Keybag, RefusesAbsurdRoundCountsAndHalfFirstStages)
{
    struct Case
    {
        const char *name;
        QByteArray bag;
        const char *errorPart;
    };
    KeybagBuilder hugeIter = typicalKeybag();
    hugeIter.addAttribute("ITER", u32(0xFFFFFFFFu));
    KeybagBuilder hugeFirst = twoStageKeybag(1, "s");
    hugeFirst.addAttribute("DPIC", u32(0xFFFFFFFFu));
    KeybagBuilder noFirstSalt(kPassword, 10);
    noFirstSalt.addAttribute("DPIC", u32(1000)).addClassKey(1, classKey(1));
    const QList<Case> cases{{"ITER 0xFFFFFFFF", hugeIter.build(), "4294967295"},
                            {"DPIC 0xFFFFFFFF", hugeFirst.build(), "4294967295"},
                            {"DPIC without DPSL", noFirstSalt.build(), "salt"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString error = errorText([&] { g_unlockKeybag(c.bag, kPassword); });
        EXPECT_TRUE(error.contains(QLatin1String(c.errorPart))) << qPrintable(error);
    }
}
