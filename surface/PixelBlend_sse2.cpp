// SSE2 forms of the blend kernels; the results equal the scalar rows bit for
// bit. Built with -msse2 for this file only.
#if defined(__i386__) || defined(__x86_64__)

#include <emmintrin.h>
#include <xmmintrin.h>

#include <cstring>

#include "surface/detail/PixelBlendKernels.h"

namespace PixelBlend::detail {
namespace {

inline __m128i load128(const uint8_t* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void store128(uint8_t* p, __m128i v)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// Four pixels through four alpha values, each repeated over its pixel's four
// bytes in `spread` (a0 a0 a0 a0 a1 ...). In 16-bit lanes
// (d << 8) + (s - d) * k wraps but the true value lies in 0..65280, so the
// low 16 bits are exact and the high byte is the result.
inline __m128i blend4(__m128i d, __m128i s, __m128i spread, __m128i colour)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i one = _mm_set1_epi16(1);
    const __m128i kLo = _mm_add_epi16(_mm_unpacklo_epi8(spread, zero), one);
    const __m128i kHi = _mm_add_epi16(_mm_unpackhi_epi8(spread, zero), one);
    const __m128i dLo = _mm_unpacklo_epi8(d, zero);
    const __m128i dHi = _mm_unpackhi_epi8(d, zero);
    const __m128i sLo = _mm_unpacklo_epi8(s, zero);
    const __m128i sHi = _mm_unpackhi_epi8(s, zero);
    __m128i rLo = _mm_add_epi16(_mm_slli_epi16(dLo, 8), _mm_mullo_epi16(_mm_sub_epi16(sLo, dLo), kLo));
    __m128i rHi = _mm_add_epi16(_mm_slli_epi16(dHi, 8), _mm_mullo_epi16(_mm_sub_epi16(sHi, dHi), kHi));
    rLo = _mm_srli_epi16(rLo, 8);
    rHi = _mm_srli_epi16(rHi, 8);
    const __m128i r = _mm_and_si128(_mm_packus_epi16(rLo, rHi), colour);
    const __m128i skip = _mm_cmpeq_epi8(spread, zero);
    return _mm_or_si128(_mm_and_si128(skip, d), _mm_andnot_si128(skip, r));
}

// Four pixels of one group of a 16-pixel block, by the group's alpha bits.
inline void group4(uint8_t* dst, const uint8_t* src, __m128i spread, int zeroBits, int fullBits, __m128i colour)
{
    if (zeroBits == 0xF)
        return;
    const __m128i s = load128(src);
    if (fullBits == 0xF) {
        store128(dst, _mm_and_si128(s, colour));
        return;
    }
    store128(dst, blend4(load128(dst), s, spread, colour));
}

// Alpha after the opacity: (a * (o + 1)) >> 8 per byte.
inline __m128i scaleAlpha(__m128i a, __m128i factor)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(a, zero), factor), 8);
    const __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(a, zero), factor), 8);
    return _mm_packus_epi16(lo, hi);
}

} // namespace

void blendAlphaRowSse2(uint8_t* dst, const uint8_t* src, const uint8_t* alpha, int w, int opacity)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi8(static_cast<char>(0xFF));
    const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
    const __m128i factor = _mm_set1_epi16(static_cast<short>(opacity + 1));
    const bool scaled = opacity < 255;
    int x = 0;
    for (; x + 16 <= w; x += 16) {
        // Runs that are skipped leave gaps in the source reads, which stops the
        // hardware prefetcher; fetching ahead keeps the source streaming.
        _mm_prefetch(reinterpret_cast<const char*>(src + 4 * x + 1024), _MM_HINT_T0);
        __m128i a = load128(alpha + x);
        if (scaled)
            a = scaleAlpha(a, factor);
        const int zeroBits = _mm_movemask_epi8(_mm_cmpeq_epi8(a, zero));
        if (zeroBits == 0xFFFF)
            continue; // a run of transparent pixels
        const int fullBits = _mm_movemask_epi8(_mm_cmpeq_epi8(a, full));
        uint8_t* d = dst + 4 * x;
        const uint8_t* s = src + 4 * x;
        if (fullBits == 0xFFFF) {
            // A run of opaque pixels: the colour of the source, fourth byte 0.
            store128(d, _mm_and_si128(load128(s), colour));
            store128(d + 16, _mm_and_si128(load128(s + 16), colour));
            store128(d + 32, _mm_and_si128(load128(s + 32), colour));
            store128(d + 48, _mm_and_si128(load128(s + 48), colour));
            continue;
        }
        const __m128i pairsLo = _mm_unpacklo_epi8(a, a);
        const __m128i pairsHi = _mm_unpackhi_epi8(a, a);
        group4(d, s, _mm_unpacklo_epi16(pairsLo, pairsLo), zeroBits & 0xF, fullBits & 0xF, colour);
        group4(
            d + 16, s + 16, _mm_unpackhi_epi16(pairsLo, pairsLo), (zeroBits >> 4) & 0xF, (fullBits >> 4) & 0xF, colour);
        group4(
            d + 32, s + 32, _mm_unpacklo_epi16(pairsHi, pairsHi), (zeroBits >> 8) & 0xF, (fullBits >> 8) & 0xF, colour);
        group4(d + 48, s + 48, _mm_unpackhi_epi16(pairsHi, pairsHi), zeroBits >> 12, fullBits >> 12, colour);
    }
    for (; x < w; ++x) {
        const int a = opacityAlpha(alpha[x], opacity);
        if (a != 0)
            blendPixel(dst + 4 * x, src + 4 * x, a + 1);
    }
}

void blendConstantRowSse2(uint8_t* dst, const uint8_t* src, int w, int level)
{
    // (d * (16 - L) + s * L) >> 4 = ((d << 4) + (s - d) * L) >> 4, at most
    // 4080, so 16-bit lanes hold it exactly.
    const __m128i zero = _mm_setzero_si128();
    const __m128i weight = _mm_set1_epi16(static_cast<short>(level));
    const int bytes = 4 * w;
    int i = 0;
    for (; i + 16 <= bytes; i += 16) {
        const __m128i d = load128(dst + i);
        const __m128i s = load128(src + i);
        const __m128i dLo = _mm_unpacklo_epi8(d, zero);
        const __m128i dHi = _mm_unpackhi_epi8(d, zero);
        const __m128i sLo = _mm_unpacklo_epi8(s, zero);
        const __m128i sHi = _mm_unpackhi_epi8(s, zero);
        const __m128i rLo = _mm_add_epi16(_mm_slli_epi16(dLo, 4), _mm_mullo_epi16(_mm_sub_epi16(sLo, dLo), weight));
        const __m128i rHi = _mm_add_epi16(_mm_slli_epi16(dHi, 4), _mm_mullo_epi16(_mm_sub_epi16(sHi, dHi), weight));
        store128(dst + i, _mm_packus_epi16(_mm_srli_epi16(rLo, 4), _mm_srli_epi16(rHi, 4)));
    }
    const int done = i / 4;
    if (done < w)
        blendConstantRowScalar(dst + i, src + i, w - done, level);
}

} // namespace PixelBlend::detail

#endif
