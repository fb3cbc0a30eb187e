// AVX2 forms of the blend kernels, chosen at run time where the processor and
// the operating system support them; bit for bit the scalar results. Built
// with -mavx2 for this file only.
#if defined(__i386__) || defined(__x86_64__)

#include <immintrin.h>

#include <cstring>

#include "surface/detail/PixelBlendKernels.h"

namespace PixelBlend::detail {
namespace {

// How far ahead of the current block the source is fetched.
constexpr int kPrefetchBytes = 1024;

inline __m256i load256(const uint8_t* p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
inline void store256(uint8_t* p, __m256i v)
{
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

inline __m256i broadcast8(const uint8_t* p)
{
    int64_t v;
    std::memcpy(&v, p, 8);
    return _mm256_set1_epi64x(v);
}

// Shuffle patterns over eight alpha bytes present in both 128-bit lanes.
// The unpacks below work per lane, so the low unpack holds pixels 0, 1 (lane
// 0) and 4, 5 (lane 1), the high unpack pixels 2, 3 and 6, 7.
struct Patterns {
    __m256i kLo, kHi, bytes;
};

inline Patterns patterns()
{
    const char z = static_cast<char>(0x80);
    return {
        _mm256_setr_epi8(0, z, 0, z, 0, z, 0, z, 1, z, 1, z, 1, z, 1, z, //
            4, z, 4, z, 4, z, 4, z, 5, z, 5, z, 5, z, 5, z),
        _mm256_setr_epi8(2, z, 2, z, 2, z, 2, z, 3, z, 3, z, 3, z, 3, z, //
            6, z, 6, z, 6, z, 6, z, 7, z, 7, z, 7, z, 7, z),
        _mm256_setr_epi8(0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, //
            4, 4, 4, 4, 5, 5, 5, 5, 6, 6, 6, 6, 7, 7, 7, 7),
    };
}

// Eight pixels through eight alpha values (in both lanes of `a8`).
// (d << 8) + (s - d) * k wraps in 16-bit lanes, but its true value lies in
// 0..65280, so the low 16 bits are exact and the high byte is the result.
inline __m256i blend8(__m256i d, __m256i s, __m256i a8, const Patterns& p, __m256i colour)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i one = _mm256_set1_epi16(1);
    const __m256i kLo = _mm256_add_epi16(_mm256_shuffle_epi8(a8, p.kLo), one);
    const __m256i kHi = _mm256_add_epi16(_mm256_shuffle_epi8(a8, p.kHi), one);
    const __m256i dLo = _mm256_unpacklo_epi8(d, zero);
    const __m256i dHi = _mm256_unpackhi_epi8(d, zero);
    const __m256i sLo = _mm256_unpacklo_epi8(s, zero);
    const __m256i sHi = _mm256_unpackhi_epi8(s, zero);
    __m256i rLo = _mm256_add_epi16(_mm256_slli_epi16(dLo, 8), _mm256_mullo_epi16(_mm256_sub_epi16(sLo, dLo), kLo));
    __m256i rHi = _mm256_add_epi16(_mm256_slli_epi16(dHi, 8), _mm256_mullo_epi16(_mm256_sub_epi16(sHi, dHi), kHi));
    const __m256i r
        = _mm256_and_si256(_mm256_packus_epi16(_mm256_srli_epi16(rLo, 8), _mm256_srli_epi16(rHi, 8)), colour);
    const __m256i skip = _mm256_cmpeq_epi8(_mm256_shuffle_epi8(a8, p.bytes), zero);
    return _mm256_blendv_epi8(r, d, skip);
}

inline __m256i scaleAlpha(__m256i a, __m256i factor)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i lo = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(a, zero), factor), 8);
    const __m256i hi = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(a, zero), factor), 8);
    return _mm256_packus_epi16(lo, hi); // per lane, so the byte order is kept
}

} // namespace

void blendAlphaRowAvx2(uint8_t* dst, const uint8_t* src, const uint8_t* alpha, int w, int opacity)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i full = _mm256_set1_epi8(static_cast<char>(0xFF));
    const __m256i colour = _mm256_set1_epi32(0x00FFFFFF);
    const __m256i factor = _mm256_set1_epi16(static_cast<short>(opacity + 1));
    const bool scaled = opacity < 255;
    const Patterns p = patterns();
    // Stored unaligned: a 32-byte alignment of a stack array rests on the
    // compiler realigning the stack, which 32-bit code cannot count on.
    uint8_t block[32];
    int x = 0;
    for (; x + 32 <= w; x += 32) {
        // Runs that are skipped leave gaps in the source reads, which stops the
        // hardware prefetcher; fetching ahead keeps the source streaming.
        _mm_prefetch(reinterpret_cast<const char*>(src + 4 * x + kPrefetchBytes), _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(src + 4 * x + kPrefetchBytes + 64), _MM_HINT_T0);
        __m256i a = load256(alpha + x);
        if (scaled)
            a = scaleAlpha(a, factor);
        const uint32_t zeroBits = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, zero)));
        if (zeroBits == 0xFFFFFFFFu)
            continue; // a run of transparent pixels
        const uint32_t fullBits = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, full)));
        uint8_t* d = dst + 4 * x;
        const uint8_t* s = src + 4 * x;
        if (fullBits == 0xFFFFFFFFu) {
            // A run of opaque pixels: the colour of the source, fourth byte 0.
            for (int g = 0; g < 4; ++g)
                store256(d + 32 * g, _mm256_and_si256(load256(s + 32 * g), colour));
            continue;
        }
        store256(block, a);
        for (int g = 0; g < 4; ++g) {
            const uint32_t z = (zeroBits >> (8 * g)) & 0xFF;
            const uint32_t f = (fullBits >> (8 * g)) & 0xFF;
            if (z == 0xFF)
                continue;
            const __m256i sv = load256(s + 32 * g);
            if (f == 0xFF) {
                store256(d + 32 * g, _mm256_and_si256(sv, colour));
                continue;
            }
            store256(d + 32 * g, blend8(load256(d + 32 * g), sv, broadcast8(block + 8 * g), p, colour));
        }
    }
    for (; x + 8 <= w; x += 8) {
        __m256i a8 = broadcast8(alpha + x);
        if (scaled)
            a8 = scaleAlpha(a8, factor);
        store256(dst + 4 * x, blend8(load256(dst + 4 * x), load256(src + 4 * x), a8, p, colour));
    }
    for (; x < w; ++x) {
        const int a = opacityAlpha(alpha[x], opacity);
        if (a != 0)
            blendPixel(dst + 4 * x, src + 4 * x, a + 1);
    }
}

void blendConstantRowAvx2(uint8_t* dst, const uint8_t* src, int w, int level)
{
    // Destination and source bytes interleaved against the weights 16 - L and
    // L: one multiply-add gives d * (16 - L) + s * L (at most 4080) per byte.
    const __m256i weights = _mm256_set1_epi16(static_cast<short>((level << 8) | (16 - level)));
    const int bytes = 4 * w;
    int i = 0;
    for (; i + 32 <= bytes; i += 32) {
        const __m256i d = load256(dst + i);
        const __m256i s = load256(src + i);
        const __m256i lo = _mm256_srli_epi16(_mm256_maddubs_epi16(_mm256_unpacklo_epi8(d, s), weights), 4);
        const __m256i hi = _mm256_srli_epi16(_mm256_maddubs_epi16(_mm256_unpackhi_epi8(d, s), weights), 4);
        store256(dst + i, _mm256_packus_epi16(lo, hi));
    }
    const int done = i / 4;
    if (done < w)
        blendConstantRowSse2(dst + i, src + i, w - done, level);
}

} // namespace PixelBlend::detail

#endif
