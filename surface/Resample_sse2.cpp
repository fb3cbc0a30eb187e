#include <emmintrin.h>

#include <cstring>
#include <new>

#include "surface/detail/ResampleKernels.h"

// The passes with 16-bit weights and pixel bytes multiplied pairwise
// (pmaddwd): two taps per instruction, the sums in 32-bit lanes exactly as
// the scalar pass adds them, then rounded, shifted and saturated to bytes,
// which is the clamp to 0..255.
namespace Resample::detail {

namespace {

inline int32_t pairWeight(int32_t w0, int32_t w1)
{
    return static_cast<int32_t>((static_cast<uint32_t>(w0) & 0xFFFFu) | (static_cast<uint32_t>(w1) << 16));
}

inline __m128i load32(const uint8_t* p)
{
    int32_t v;
    std::memcpy(&v, p, 4);
    return _mm_cvtsi32_si128(v);
}

inline void store32(uint8_t* p, __m128i v)
{
    const int32_t x = _mm_cvtsi128_si32(v);
    std::memcpy(p, &x, 4);
}

inline __m128i rounded(__m128i sum)
{
    return _mm_srai_epi32(_mm_add_epi32(sum, _mm_set1_epi32(8192)), 14);
}

inline __m128i toBytes(__m128i sum)
{
    const __m128i words = _mm_packs_epi32(rounded(sum), rounded(sum));
    return _mm_packus_epi16(words, words);
}

// Taps k and k + 1 of one row as 16-bit lanes b0 b1 g0 g1 r0 r1 x0 x1.
inline __m128i tapPair(const uint8_t* p)
{
    const __m128i words = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
    return _mm_unpacklo_epi16(words, _mm_srli_si128(words, 8));
}

// A lone last tap: b0 0 g0 0 r0 0 x0 0.
inline __m128i tapSingle(const uint8_t* p)
{
    const __m128i zero = _mm_setzero_si128();
    return _mm_unpacklo_epi16(_mm_unpacklo_epi8(load32(p), zero), zero);
}

// Every entry's weights as pairs (a lone last weight paired with 0), in
// entry order.
std::unique_ptr<int32_t[]> pairTable(const ResampleWeights& weights)
{
    size_t count = 0;
    for (int32_t i = 0; i < weights.outputs(); ++i)
        count += static_cast<size_t>(weights.taps(i) + 1) / 2;
    std::unique_ptr<int32_t[]> pairs(new (std::nothrow) int32_t[count + 1]);
    if (!pairs)
        return pairs;
    int32_t* out = pairs.get();
    for (int32_t i = 0; i < weights.outputs(); ++i) {
        const int32_t taps = weights.taps(i);
        const int32_t* w = weights.weights(i);
        for (int32_t k = 0; k < taps; k += 2)
            *out++ = pairWeight(w[k], k + 1 < taps ? w[k + 1] : 0);
    }
    return pairs;
}

} // namespace

bool horizontalPassSse2(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int32_t h,
    const ResampleWeights& weights)
{
    if (!weights.fitsInt16())
        return false;
    const std::unique_ptr<int32_t[]> pairs = pairTable(weights);
    if (!pairs)
        return false;
    const int32_t m = weights.outputs();

    // Two rows at a time share the weight loads.
    int32_t y = 0;
    for (; y + 1 < h; y += 2) {
        const uint8_t* a = src + y * srcStride;
        const uint8_t* b = a + srcStride;
        uint8_t* da = dst + y * dstStride;
        uint8_t* db = da + dstStride;
        const int32_t* pw = pairs.get();
        for (int32_t i = 0; i < m; ++i) {
            const int32_t taps = weights.taps(i);
            const ptrdiff_t first = static_cast<ptrdiff_t>(weights.firstIndex(i)) * 4;
            const uint8_t* pa = a + first;
            const uint8_t* pb = b + first;
            __m128i sumA = _mm_setzero_si128();
            __m128i sumB = _mm_setzero_si128();
            int32_t k = 0;
            for (; k + 1 < taps; k += 2) {
                const __m128i w = _mm_set1_epi32(*pw++);
                sumA = _mm_add_epi32(sumA, _mm_madd_epi16(tapPair(pa + k * 4), w));
                sumB = _mm_add_epi32(sumB, _mm_madd_epi16(tapPair(pb + k * 4), w));
            }
            if (k < taps) {
                const __m128i w = _mm_set1_epi32(*pw++);
                sumA = _mm_add_epi32(sumA, _mm_madd_epi16(tapSingle(pa + k * 4), w));
                sumB = _mm_add_epi32(sumB, _mm_madd_epi16(tapSingle(pb + k * 4), w));
            }
            store32(da + i * 4, toBytes(sumA));
            store32(db + i * 4, toBytes(sumB));
        }
    }
    if (y < h) {
        const uint8_t* a = src + y * srcStride;
        uint8_t* da = dst + y * dstStride;
        const int32_t* pw = pairs.get();
        for (int32_t i = 0; i < m; ++i) {
            const int32_t taps = weights.taps(i);
            const uint8_t* pa = a + static_cast<ptrdiff_t>(weights.firstIndex(i)) * 4;
            __m128i sum = _mm_setzero_si128();
            int32_t k = 0;
            for (; k + 1 < taps; k += 2)
                sum = _mm_add_epi32(sum, _mm_madd_epi16(tapPair(pa + k * 4), _mm_set1_epi32(*pw++)));
            if (k < taps)
                sum = _mm_add_epi32(sum, _mm_madd_epi16(tapSingle(pa + k * 4), _mm_set1_epi32(*pw++)));
            store32(da + i * 4, toBytes(sum));
        }
    }
    return true;
}

bool verticalPassSse2(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int32_t w,
    const ResampleWeights& weights)
{
    if (!weights.fitsInt16())
        return false;
    const std::unique_ptr<int32_t[]> pairs = pairTable(weights);
    if (!pairs)
        return false;
    const int32_t m = weights.outputs();
    const __m128i zero = _mm_setzero_si128();

    const int32_t* rowPairs = pairs.get();
    for (int32_t i = 0; i < m; ++i) {
        const int32_t taps = weights.taps(i);
        const int32_t pairCount = (taps + 1) / 2;
        const uint8_t* base = src + weights.firstIndex(i) * srcStride;
        uint8_t* d = dst + i * dstStride;

        // Four pixels at a time: rows k and k + 1 interleaved byte by byte, so
        // each 16-bit pair meets its weight pair in one pmaddwd.
        int32_t x = 0;
        for (; x + 4 <= w; x += 4) {
            const uint8_t* p = base + x * 4;
            __m128i s0 = zero, s1 = zero, s2 = zero, s3 = zero;
            for (int32_t q = 0; q < pairCount; ++q) {
                const int32_t k = q * 2;
                const __m128i wv = _mm_set1_epi32(rowPairs[q]);
                const __m128i ra = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k * srcStride));
                const __m128i rb
                    = k + 1 < taps ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + (k + 1) * srcStride)) : zero;
                const __m128i lo = _mm_unpacklo_epi8(ra, rb);
                const __m128i hi = _mm_unpackhi_epi8(ra, rb);
                s0 = _mm_add_epi32(s0, _mm_madd_epi16(_mm_unpacklo_epi8(lo, zero), wv));
                s1 = _mm_add_epi32(s1, _mm_madd_epi16(_mm_unpackhi_epi8(lo, zero), wv));
                s2 = _mm_add_epi32(s2, _mm_madd_epi16(_mm_unpacklo_epi8(hi, zero), wv));
                s3 = _mm_add_epi32(s3, _mm_madd_epi16(_mm_unpackhi_epi8(hi, zero), wv));
            }
            const __m128i words01 = _mm_packs_epi32(rounded(s0), rounded(s1));
            const __m128i words23 = _mm_packs_epi32(rounded(s2), rounded(s3));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x * 4), _mm_packus_epi16(words01, words23));
        }
        for (; x < w; ++x) {
            const uint8_t* p = base + x * 4;
            __m128i sum = zero;
            for (int32_t q = 0; q < pairCount; ++q) {
                const int32_t k = q * 2;
                const __m128i ra = load32(p + k * srcStride);
                const __m128i rb = k + 1 < taps ? load32(p + (k + 1) * srcStride) : zero;
                sum = _mm_add_epi32(sum,
                    _mm_madd_epi16(_mm_unpacklo_epi8(_mm_unpacklo_epi8(ra, rb), zero), _mm_set1_epi32(rowPairs[q])));
            }
            store32(d + x * 4, toBytes(sum));
        }
        rowPairs += pairCount;
    }
    return true;
}

} // namespace Resample::detail
