#include "itunes/keyderivation.h"
#include "itunes/sha256block.h"

#include "fixtures/cryptofixtures.h"

#include <gtest/gtest.h>

#include <QList>

#include <cstring>

namespace {

using Hash = KeyDerivation::Hash;

struct Vector
{
    const char *name;
    Hash hash;
    QByteArray password;
    QByteArray salt;
    quint32 iterations;
    int length;
    const char *expectedHex;
};

} // namespace

// Published vectors (RFC 7914 section 11), and keys longer than one hash block, which HMAC
// hashes first, checked against an independent implementation.
TEST(KeyDerivation, MatchesPublishedAndIndependentResults)
{
    const QList<Vector> vectors{
        {"RFC 7914, 1 round", Hash::Sha256, "passwd", "salt", 1, 64,
         "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
         "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783"},
        {"RFC 7914, 80000 rounds", Hash::Sha256, "Password", "NaCl", 80000, 64,
         "4ddcd8f60b98be21830cee5ef22701f9641a4418d04c0414aeff08876b34ab56"
         "a1d425a1225833549adb841b51c9b3176a272bdebba1d078478f62b397f33c8d"},
    };
    for (const Vector &v : vectors) {
        SCOPED_TRACE(v.name);
        EXPECT_EQ(KeyDerivation::pbkdf2(v.hash, v.password, v.salt, v.iterations, v.length).toHex(),
                  QByteArray(v.expectedHex));
    }
    const QByteArray longKey(100, 'x');
    EXPECT_EQ(KeyDerivation::pbkdf2(Hash::Sha256, longKey, "salt", 3, 40),
              g_fixturePbkdf2Sha256(longKey, "salt", 3, 40));
    EXPECT_EQ(KeyDerivation::pbkdf2(Hash::Sha1, QByteArray(70, 'y'), "NaCl", 5, 20),
              g_fixturePbkdf2Sha1(QByteArray(70, 'y'), "NaCl", 5, 20));
}

// The checkpoint is how a cancel reaches the derivation: what it throws ends the work.
TEST(KeyDerivation, CheckpointSeesProgressAndCanStopIt)
{
    QList<quint64> seen;
    const quint32 rounds = 3 * KeyDerivation::kCheckpointRounds;
    const QByteArray key = KeyDerivation::pbkdf2(
        Hash::Sha256, "pw", "salt", rounds, 32, [&seen](quint64 done, quint64 total) {
            EXPECT_EQ(total, 3 * KeyDerivation::kCheckpointRounds);
            seen << done;
        });
    EXPECT_EQ(key, g_fixturePbkdf2Sha256("pw", "salt", rounds, 32));
    EXPECT_EQ(seen, (QList<quint64>{KeyDerivation::kCheckpointRounds,
                                    2 * KeyDerivation::kCheckpointRounds}));

    int calls = 0;
    EXPECT_THROW(KeyDerivation::pbkdf2(Hash::Sha1, "pw", "salt", 0xFFFFFFFFu, 32,
                                       [&calls](quint64, quint64) {
                                           ++calls;
                                           throw 1;
                                       }),
                 int);
    EXPECT_EQ(calls, 1);
}

// The processor's SHA instructions must compute exactly what the portable routine does, for any
// state and block (the published vectors above only reach a few).
TEST(Sha256Block, AcceleratedPathMatchesPortableOne)
{
    if (!Sha256Block::accelerated())
        GTEST_SKIP() << "no SHA instructions on this processor";
    for (quint32 seed = 1; seed <= 8; ++seed) {
        const QByteArray block = g_fixtureBytes(64, seed);
        const QByteArray words = g_fixtureBytes(32, 100 + seed);
        std::uint32_t fast[8];
        std::uint32_t portable[8];
        std::memcpy(fast, words.constData(), sizeof(fast));
        std::memcpy(portable, words.constData(), sizeof(portable));
        const auto *bytes = reinterpret_cast<const unsigned char *>(block.constData());
        Sha256Block::process(fast, bytes);
        Sha256Block::processPortable(portable, bytes);
        EXPECT_EQ(0, std::memcmp(fast, portable, sizeof(fast))) << seed;
    }
}
