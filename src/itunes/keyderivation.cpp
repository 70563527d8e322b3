#include "itunes/keyderivation.h"

#include "itunes/sha256block.h"

#include <QtEndian>

#include <mbedtls/platform_util.h>
#include <mbedtls/sha1.h>
#include <mbedtls/sha256.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr int kBlockSize = 64;

// What the derivation needs of a hash: its context, digest size and block function, and how to
// read the chaining state as a digest.
struct Sha1Traits
{
    using Context = mbedtls_sha1_context;
    static constexpr int kDigest = 20;
    static void init(Context *c)
    {
        mbedtls_sha1_init(c);
        mbedtls_sha1_starts_ret(c);
    }
    static void free(Context *c) { mbedtls_sha1_free(c); }
    static void update(Context *c, const unsigned char *d, size_t n)
    {
        mbedtls_sha1_update_ret(c, d, n);
    }
    static void finish(Context *c, unsigned char *out) { mbedtls_sha1_finish_ret(c, out); }
    static void process(Context *c, const unsigned char *block)
    {
        mbedtls_internal_sha1_process(c, block);
    }
    static const uint32_t *state(const Context &c) { return c.state; }
    static uint32_t *state(Context &c) { return c.state; }
};

struct Sha256Traits
{
    using Context = mbedtls_sha256_context;
    static constexpr int kDigest = 32;
    static void init(Context *c)
    {
        mbedtls_sha256_init(c);
        mbedtls_sha256_starts_ret(c, 0);
    }
    static void free(Context *c) { mbedtls_sha256_free(c); }
    static void update(Context *c, const unsigned char *d, size_t n)
    {
        mbedtls_sha256_update_ret(c, d, n);
    }
    static void finish(Context *c, unsigned char *out) { mbedtls_sha256_finish_ret(c, out); }
    static void process(Context *c, const unsigned char *block)
    {
        Sha256Block::process(c->state, block);
    }
    static const uint32_t *state(const Context &c) { return c.state; }
    static uint32_t *state(Context &c) { return c.state; }
};

template <typename H> class Hmac
{
public:
    explicit Hmac(const QByteArray &key)
    {
        std::array<unsigned char, kBlockSize> pad{};
        // Keys longer than a block are hashed first, as HMAC requires.
        if (key.size() > kBlockSize) {
            typename H::Context c;
            H::init(&c);
            H::update(&c, bytes(key), static_cast<size_t>(key.size()));
            H::finish(&c, pad.data());
            H::free(&c);
        } else {
            std::memcpy(pad.data(), key.constData(), static_cast<size_t>(key.size()));
        }
        H::init(&m_inner);
        H::init(&m_outer);
        std::array<unsigned char, kBlockSize> ipad, opad;
        for (int i = 0; i < kBlockSize; ++i) {
            ipad[i] = pad[i] ^ 0x36;
            opad[i] = pad[i] ^ 0x5c;
        }
        H::update(&m_inner, ipad.data(), kBlockSize);
        H::update(&m_outer, opad.data(), kBlockSize);
        mbedtls_platform_zeroize(pad.data(), pad.size());
        mbedtls_platform_zeroize(ipad.data(), ipad.size());
        mbedtls_platform_zeroize(opad.data(), opad.size());
        // The block a digest-sized message fills after one keyed block: the message, the 0x80
        // marker and the bit length of key block plus message.
        m_block.fill(0);
        m_block[H::kDigest] = 0x80;
        qToBigEndian<quint64>(static_cast<quint64>(kBlockSize + H::kDigest) * 8,
                              m_block.data() + kBlockSize - 8);
    }
    ~Hmac()
    {
        H::free(&m_inner);
        H::free(&m_outer);
        mbedtls_platform_zeroize(m_block.data(), m_block.size());
    }
    Hmac(const Hmac &) = delete;
    Hmac &operator=(const Hmac &) = delete;

    // HMAC of any message, the slow general way (first round of each block).
    void mac(const unsigned char *data, size_t length, unsigned char *out) const
    {
        typename H::Context c = m_inner;
        H::update(&c, data, length);
        H::finish(&c, out);
        c = m_outer;
        H::update(&c, out, H::kDigest);
        H::finish(&c, out);
        H::free(&c);
    }

    // HMAC of a digest-sized message in place: two block operations.
    void macDigest(unsigned char *inOut)
    {
        runBlock(m_inner, inOut);
        runBlock(m_outer, inOut);
    }

private:
    void runBlock(const typename H::Context &keyed, unsigned char *inOut)
    {
        std::memcpy(m_block.data(), inOut, H::kDigest);
        typename H::Context c = keyed;
        H::process(&c, m_block.data());
        const uint32_t *words = H::state(c);
        for (int i = 0; i < H::kDigest / 4; ++i)
            qToBigEndian<quint32>(words[i], inOut + 4 * i);
    }

    static const unsigned char *bytes(const QByteArray &data)
    {
        return reinterpret_cast<const unsigned char *>(data.constData());
    }

    typename H::Context m_inner;
    typename H::Context m_outer;
    std::array<unsigned char, kBlockSize> m_block;
};

template <typename H>
QByteArray derive(const QByteArray &password, const QByteArray &salt, quint32 iterations,
                  int keyLength, const KeyDerivation::Checkpoint &checkpoint)
{
    Hmac<H> hmac(password);
    QByteArray key(keyLength, '\0');
    const quint32 blocks = static_cast<quint32>((keyLength + H::kDigest - 1) / H::kDigest);
    const quint64 total = static_cast<quint64>(iterations) * blocks;
    quint64 done = 0;
    QByteArray first = salt + QByteArray(4, '\0');
    for (quint32 block = 1; block <= blocks; ++block) {
        qToBigEndian<quint32>(block, first.data() + salt.size());
        unsigned char u[H::kDigest];
        unsigned char t[H::kDigest];
        hmac.mac(reinterpret_cast<const unsigned char *>(first.constData()),
                 static_cast<size_t>(first.size()), u);
        std::memcpy(t, u, H::kDigest);
        for (quint32 round = 1; round < iterations; ++round) {
            hmac.macDigest(u);
            for (int i = 0; i < H::kDigest; ++i)
                t[i] ^= u[i];
            if (checkpoint && ++done % KeyDerivation::kCheckpointRounds == 0)
                checkpoint(done, total);
        }
        const int offset = static_cast<int>(block - 1) * H::kDigest;
        std::memcpy(key.data() + offset, t,
                    static_cast<size_t>(std::min(H::kDigest, keyLength - offset)));
        mbedtls_platform_zeroize(u, sizeof(u));
        mbedtls_platform_zeroize(t, sizeof(t));
    }
    return key;
}

} // namespace

QByteArray KeyDerivation::pbkdf2(Hash hash, const QByteArray &password, const QByteArray &salt,
                                 quint32 iterations, int keyLength, const Checkpoint &checkpoint)
{
    if (iterations == 0 || keyLength <= 0)
        return QByteArray();
    return hash == Hash::Sha1
               ? derive<Sha1Traits>(password, salt, iterations, keyLength, checkpoint)
               : derive<Sha256Traits>(password, salt, iterations, keyLength, checkpoint);
}
