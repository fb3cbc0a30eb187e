#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "foundation/LumivexApi.h"

// Smooth scaling of 32-bit pixels (blue, green, red, fourth byte): the
// Lanczos-3 resampler and the fallback scaler used above its size limit.
// Like the blend kernels, every function takes a pointer to the first byte of
// the TOP row of a rectangle and a signed stride from a row to the row below
// it (negative for bottom-up storage), and touches nothing outside w x h of
// each plane. Source and destination must not overlap.
namespace Resample {

// Sizes above this take the fallback scaler; it bounds the weight tables and
// the temporary rows.
enum : int32_t { kMaxLanczosSize = 8100 };

// 1 at 0 (within the double epsilon), 0 from 3 on, otherwise
// sin(pi x) sin(pi x / 3) / (pi^2 x^2 / 3) with pi = 3.1415926535.
LUMIVEX_API double lanczos3(double x);

// The weights of one axis going from n source to m destination pixels, in
// units of 1/16384. Entry i covers output i: a tap count, the source index of
// the first tap and one weight per tap, the taps on consecutive indices
// (taps clamped onto the same edge pixel are already merged).
class LUMIVEX_API ResampleWeights {
public:
    ResampleWeights() = default;
    ResampleWeights(const ResampleWeights&) = delete;
    ResampleWeights& operator=(const ResampleWeights&) = delete;

    // False (and an empty table) when a size is outside 1..kMaxLanczosSize or
    // memory runs out.
    bool build(int32_t sourceSize, int32_t destinationSize);

    int32_t sourceSize() const { return m_sourceSize; }
    int32_t outputs() const { return m_outputs; }
    int32_t taps(int32_t i) const { return m_entries[m_offsets[i]]; }
    int32_t firstIndex(int32_t i) const { return m_entries[m_offsets[i] + 1]; }
    const int32_t* weights(int32_t i) const { return &m_entries[m_offsets[i] + 2]; }
    // Largest tap count of any entry.
    int32_t maxTaps() const { return m_maxTaps; }
    // Whether every weight fits a signed 16-bit lane (the SIMD passes need it).
    bool fitsInt16() const { return m_fitsInt16; }

private:
    std::unique_ptr<int32_t[]> m_entries;
    std::unique_ptr<int32_t[]> m_offsets;
    int32_t m_sourceSize = 0;
    int32_t m_outputs = 0;
    int32_t m_maxTaps = 0;
    bool m_fitsInt16 = true;
};

// One filter pass: each output byte (all four of a pixel) is
// (sum of weight x source byte + 8192) >> 14, clamped to 0..255.
// horizontalPass scales w = weights.sourceSize() source columns into
// weights.outputs() columns for h rows; verticalPass scales
// weights.sourceSize() source rows into weights.outputs() rows, w pixels wide.
LUMIVEX_API void horizontalPass(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int32_t h,
    const ResampleWeights& weights);
LUMIVEX_API void verticalPass(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int32_t w,
    const ResampleWeights& weights);

enum class Outcome {
    Done, // the destination rectangle holds the scaled source
    NoResampleNeeded, // equal sizes: the caller blends the source instead
    UseFallback, // a size is above kMaxLanczosSize: the caller takes the fallback scaler
    Failed, // an empty rectangle, or memory ran out; nothing was drawn
};

// Lanczos-3 scaling of a sw x sh source rectangle into a dw x dh destination
// rectangle: only the changed axes are filtered; when both change, the
// horizontal pass goes into a temporary dw x sh buffer first.
LUMIVEX_API Outcome resample(uint8_t* dst, ptrdiff_t dstStride, int32_t dw, int32_t dh, const uint8_t* src,
    ptrdiff_t srcStride, int32_t sw, int32_t sh);

// The fallback scaler (whole source onto a whole destination): equal sizes
// give NoResampleNeeded; when one axis keeps its size or the destination is at
// most a quarter of the source on an axis, nearestScale; otherwise
// bilinearScale.
LUMIVEX_API Outcome fallbackScale(uint8_t* dst, ptrdiff_t dstStride, int32_t dw, int32_t dh, const uint8_t* src,
    ptrdiff_t srcStride, int32_t sw, int32_t sh);

// Nearest neighbour in 20.12 fixed point: step = (s << 12) / d per axis;
// destination (i, j) takes source ((i * stepX) >> 12, (j * stepY) >> 12),
// all four bytes. Sizes below 1 draw nothing.
LUMIVEX_API void nearestScale(uint8_t* dst, ptrdiff_t dstStride, int32_t dw, int32_t dh, const uint8_t* src,
    ptrdiff_t srcStride, int32_t sw, int32_t sh);

// Bilinear interpolation in 8.8 fixed point with 255 as the weight base;
// the fourth byte of the destination is left as it was. False when memory
// runs out or a size is below 1 (nothing drawn).
LUMIVEX_API bool bilinearScale(uint8_t* dst, ptrdiff_t dstStride, int32_t dw, int32_t dh, const uint8_t* src,
    ptrdiff_t srcStride, int32_t sw, int32_t sh);

// The scalar passes, whatever SIMD level is in use (the tests compare the
// dispatched passes with these).
namespace scalar {
LUMIVEX_API void horizontalPass(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int32_t h,
    const ResampleWeights& weights);
LUMIVEX_API void verticalPass(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int32_t w,
    const ResampleWeights& weights);
} // namespace scalar

} // namespace Resample
