#include "fixtures/cryptofixtures.h"
#include "itunes/aescbcdecryptor.h"
#include "itunes/backupcrypto.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QList>
#include <QPair>

#include <stdexcept>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

struct WrapVector
{
    const char *name;
    const char *kek;
    const char *key;
    const char *wrapped;
};

// RFC 3394 sections 4.1 and 4.6.
const WrapVector kWrapVectors[] = {
    {"4.1 128-bit key, 128-bit KEK", "000102030405060708090A0B0C0D0E0F",
     "00112233445566778899AABBCCDDEEFF", "1FA68B0A8112B447AEF34BD8FB5A7B829D3E862371D2CFE5"},
    {"4.6 256-bit key, 256-bit KEK",
     "000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F",
     "00112233445566778899AABBCCDDEEFF000102030405060708090A0B0C0D0E0F",
     "28C9F404C4B810F4CBCCB35CFB87F8263F5786E2D80ED326CBC7F0E71A99F43BFB988B9B7A02DD21"},
};

} // namespace

TEST(KeyUnwrap, Rfc3394Vectors)
{
    for (const WrapVector &v : kWrapVectors) {
        SCOPED_TRACE(v.name);
        EXPECT_EQ(aes_key_unwrap(hex(v.kek), hex(v.wrapped)).toHex(), hex(v.key).toHex());
        // The fixture's wrap, used to build keybags, must agree with the same vectors.
        EXPECT_EQ(g_fixtureAesKeyWrap(hex(v.kek), hex(v.key)).toHex(), hex(v.wrapped).toHex());
    }
}

TEST(KeyUnwrap, WrongKeyDamagedDataOrImpossibleSizesGiveNothing)
{
    const WrapVector &v = kWrapVectors[1];
    QByteArray wrongKek = hex(v.kek);
    wrongKek[31] = static_cast<char>(wrongKek[31] ^ 1);
    EXPECT_TRUE(aes_key_unwrap(wrongKek, hex(v.wrapped)).isEmpty());

    // Every single flipped bit of the wrapped data must fail the integrity check.
    const QByteArray wrapped = hex(v.wrapped);
    for (int i = 0; i < wrapped.size(); ++i) {
        QByteArray damaged = wrapped;
        damaged[i] = static_cast<char>(damaged[i] ^ 0x80);
        EXPECT_TRUE(aes_key_unwrap(hex(v.kek), damaged).isEmpty()) << "byte " << i;
    }

    // Impossible sizes of either.
    const QByteArray kek = hex(v.kek);
    EXPECT_TRUE(aes_key_unwrap(kek, wrapped.left(16)).isEmpty()); // one key block only
    EXPECT_TRUE(aes_key_unwrap(kek, wrapped.left(39)).isEmpty()); // not whole blocks
    EXPECT_TRUE(aes_key_unwrap(kek, QByteArray()).isEmpty());
    EXPECT_TRUE(aes_key_unwrap(kek.left(20), wrapped).isEmpty()); // no AES key size
    EXPECT_TRUE(aes_key_unwrap(QByteArray(), wrapped).isEmpty());
}

TEST(Pbkdf2, Rfc6070Vectors)
{
    struct Vector
    {
        QByteArray password;
        QByteArray salt;
        quint32 iterations;
        int length;
        const char *expected;
    };
    const Vector vectors[] = {
        {"password", "salt", 1, 20, "0c60c80f961f0e71f3a9b524af6012062fe037a6"},
        {"password", "salt", 2, 20, "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957"},
        {"password", "salt", 4096, 20, "4b007901b765489abead49d926f721d065a429c1"},
        {"passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096, 25,
         "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038"},
        {QByteArray("pass\0word", 9), QByteArray("sa\0lt", 5), 4096, 16,
         "56fa6aa75548099dcc37d7f03425e0c3"},
    };
    for (const Vector &v : vectors) {
        SCOPED_TRACE(v.password.toStdString() + " / " + std::to_string(v.iterations));
        EXPECT_EQ(g_pbkdf2HmacSha1(v.password, v.salt, v.iterations, v.length).toHex(),
                  QByteArray(v.expected));
    }
    EXPECT_TRUE(g_pbkdf2HmacSha1("password", "salt", 0, 20).isEmpty());
}

// NIST SP 800-38A, F.2.5/F.2.6 (CBC-AES256).
namespace {
const char *const kNistKey = "603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4";
const char *const kNistIv = "000102030405060708090a0b0c0d0e0f";
const char *const kNistPlain = "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
                               "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710";
const char *const kNistCipher = "f58c4c04d6e5f1ba779eabfb5f7bfbd69cfc4e967edb808d679f777bc6702c7d"
                                "39f23369a9d9bacfa530e26304231461b2eb05e2c39be9fcda6c19078c6a9d1b";
} // namespace

TEST(AesCbc, NistVectorInOneCallAndBlockByBlock)
{
    const QByteArray cipher = hex(kNistCipher);
    {
        const AesContextPtr context = g_newAesContext();
        ASSERT_TRUE(setAESKey(context.get(), hex(kNistKey)));
        QByteArray iv = hex(kNistIv);
        EXPECT_EQ(
            AESdecryptCBC(context.get(), cipher.constData(), cipher.size(), iv.data()).toHex(),
            QByteArray(kNistPlain));
        // The IV now holds the last cipher block, ready for a following piece.
        EXPECT_EQ(iv, cipher.right(16));
    }
    const AesContextPtr context = g_newAesContext();
    ASSERT_TRUE(setAESKey(context.get(), hex(kNistKey)));
    QByteArray iv = hex(kNistIv);
    QByteArray plain;
    for (int offset = 0; offset < cipher.size(); offset += 16)
        plain += AESdecryptCBC(context.get(), cipher.constData() + offset, 16, iv.data());
    EXPECT_EQ(plain.toHex(), QByteArray(kNistPlain));
}

TEST(AesCbc, RejectsBadKeysAndLengths)
{
    const AesContextPtr context = g_newAesContext();
    EXPECT_FALSE(setAESKey(context.get(), hex(kNistKey).left(16)));
    EXPECT_FALSE(setAESKey(nullptr, hex(kNistKey)));
    ASSERT_TRUE(setAESKey(context.get(), hex(kNistKey)));
    QByteArray iv(16, '\0');
    const QByteArray cipher = hex(kNistCipher);
    EXPECT_TRUE(AESdecryptCBC(context.get(), cipher.constData(), 17, iv.data()).isEmpty());
    EXPECT_EQ(iv, QByteArray(16, '\0')); // a refused piece leaves the chain alone
    EXPECT_THROW(AesCbcDecryptor(hex(kNistKey).left(31), 10), std::runtime_error);
}

TEST(AesCbcDecryptor, DropsExactlyThePadding)
{
    const QByteArray key = g_fixtureBytes(32, 7);
    // Sizes around the block and piece boundaries; a multiple of 16 carries a whole padding block.
    for (const int size : {0, 1, 15, 16, 17, 100, 8191, 8192, 8193, 20000}) {
        SCOPED_TRACE(size);
        const QByteArray plain = g_fixtureBytes(size, static_cast<quint32>(size) + 11);
        const QByteArray cipher = g_fixtureAesCbcEncrypt(key, plain);
        ASSERT_EQ(cipher.size() % 16, 0);
        ASSERT_GT(cipher.size(), size);

        const auto whole = AesCbcDecryptor::decryptAll(key, cipher, static_cast<quint64>(size));
        ASSERT_TRUE(whole.has_value());
        EXPECT_EQ(*whole, plain);

        // In pieces of 8192 bytes the chain must carry on and only the last piece shrink.
        AesCbcDecryptor decryptor(key, static_cast<quint64>(size));
        QByteArray pieced;
        for (int offset = 0; offset < cipher.size(); offset += 8192) {
            const auto piece = decryptor.decryptChunk(cipher.mid(offset, 8192));
            ASSERT_TRUE(piece.has_value());
            pieced += *piece;
        }
        EXPECT_EQ(pieced, plain);
        EXPECT_EQ(decryptor.bytesDecrypted(), static_cast<quint64>(cipher.size()));
    }
}

TEST(AesCbcDecryptor, KeepsDataTheRecordedSizeDoesNotCover)
{
    // A recorded size more than one block short of the data is no padding: keep every byte.
    const QByteArray key = g_fixtureBytes(32, 8);
    const QByteArray plain = g_fixtureBytes(64, 9);
    const QByteArray cipher = g_fixtureAesCbcEncrypt(key, plain);
    const auto out = AesCbcDecryptor::decryptAll(key, cipher, 10);
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(out->size(), cipher.size());
    EXPECT_TRUE(out->startsWith(plain));
    // Pieces of partial blocks are refused.
    EXPECT_FALSE(AesCbcDecryptor::decryptAll(key, cipher.left(15), 5).has_value());
}

// The bytes cut as padding are checked against the padding the recorded size implies.
TEST(AesCbcDecryptor, TellsWhetherThePaddingFitsTheRecordedSize)
{
    const QByteArray key = g_fixtureBytes(32, 11);
    const QByteArray cipher = g_fixtureAesCbcEncrypt(key, g_fixtureBytes(10, 12));
    const QList<QPair<quint64, bool>> cases{{10, true}, {9, false}, {5, false}, {16, true}};
    for (const auto &[size, fits] : cases) {
        AesCbcDecryptor decryptor(key, size);
        ASSERT_TRUE(decryptor.decryptChunk(cipher).has_value());
        EXPECT_EQ(decryptor.paddingMatches(), fits) << size;
    }
}
