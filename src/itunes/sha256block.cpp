#include "itunes/sha256block.h"

#include <mbedtls/sha256.h>

#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TEXTLINK_SHA_NI 1
#include <immintrin.h>
#endif

namespace {

#ifdef TEXTLINK_SHA_NI

alignas(16) const std::uint32_t kRoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

// The instructions keep the state as two lanes of words, (A, B, E, F) and (C, D, G, H), and
// take four message words with their round constants per two-instruction step.
__attribute__((target("sha,sse4.1"))) void processNi(std::uint32_t state[8],
                                                     const unsigned char *block)
{
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);
    __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i *>(state));
    __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i *>(state + 4));
    const __m128i cdab = _mm_shuffle_epi32(dcba, 0xB1);
    const __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1B);
    __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
    __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);
    const __m128i savedAbef = abef;
    const __m128i savedCdgh = cdgh;

    __m128i w[4];
    for (int i = 0; i < 4; ++i)
        w[i] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(block + 16 * i)),
                                byteSwap);
    for (int group = 0; group < 16; ++group) {
        // Words 16 on are scheduled from the four groups before, kept in a ring.
        __m128i &current = w[group % 4];
        if (group >= 4) {
            const __m128i &m1 = w[(group + 1) % 4];
            const __m128i &m2 = w[(group + 2) % 4];
            const __m128i &m3 = w[(group + 3) % 4];
            __m128i next = _mm_sha256msg1_epu32(current, m1);
            next = _mm_add_epi32(next, _mm_alignr_epi8(m3, m2, 4));
            current = _mm_sha256msg2_epu32(next, m3);
        }
        __m128i message = _mm_add_epi32(current, _mm_load_si128(reinterpret_cast<const __m128i *>(
                                                     kRoundConstants + 4 * group)));
        cdgh = _mm_sha256rnds2_epu32(cdgh, abef, message);
        message = _mm_shuffle_epi32(message, 0x0E);
        abef = _mm_sha256rnds2_epu32(abef, cdgh, message);
    }
    abef = _mm_add_epi32(abef, savedAbef);
    cdgh = _mm_add_epi32(cdgh, savedCdgh);

    const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
    const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
    dcba = _mm_blend_epi16(feba, dchg, 0xF0);
    hgfe = _mm_alignr_epi8(dchg, feba, 8);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(state), dcba);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(state + 4), hgfe);
}

bool detectNi()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("sha") && __builtin_cpu_supports("sse4.1");
}

#endif

} // namespace

bool Sha256Block::accelerated()
{
#ifdef TEXTLINK_SHA_NI
    static const bool has = detectNi();
    return has;
#else
    return false;
#endif
}

void Sha256Block::process(std::uint32_t state[8], const unsigned char *block)
{
#ifdef TEXTLINK_SHA_NI
    if (accelerated()) {
        processNi(state, block);
        return;
    }
#endif
    processPortable(state, block);
}

void Sha256Block::processPortable(std::uint32_t state[8], const unsigned char *block)
{
    mbedtls_sha256_context context;
    mbedtls_sha256_init(&context);
    std::memcpy(context.state, state, sizeof(context.state));
    mbedtls_internal_sha256_process(&context, block);
    std::memcpy(state, context.state, sizeof(context.state));
    mbedtls_sha256_free(&context);
}
