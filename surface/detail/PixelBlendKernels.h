#pragma once

#include <cstddef>
#include <cstdint>

// One row of each kernel per SIMD level. Row kernels take the opacity or level
// already clamped and known to draw something (opacity 1..255, level 1..15).
namespace PixelBlend::detail {

using AlphaRow = void (*)(uint8_t* dst, const uint8_t* src, const uint8_t* alpha, int w, int opacity);
using ConstantRow = void (*)(uint8_t* dst, const uint8_t* src, int w, int level);
using MaskAlphaRow
    = void (*)(uint8_t* dst, const uint8_t* src, const uint8_t* alpha, const uint8_t* mask, int w, int opacity);

void blendAlphaRowScalar(uint8_t* dst, const uint8_t* src, const uint8_t* alpha, int w, int opacity);
void blendConstantRowScalar(uint8_t* dst, const uint8_t* src, int w, int level);
void blendMaskAlphaRowScalar(
    uint8_t* dst, const uint8_t* src, const uint8_t* alpha, const uint8_t* mask, int w, int opacity);

void blendAlphaRowSse2(uint8_t* dst, const uint8_t* src, const uint8_t* alpha, int w, int opacity);
void blendConstantRowSse2(uint8_t* dst, const uint8_t* src, int w, int level);

void blendAlphaRowAvx2(uint8_t* dst, const uint8_t* src, const uint8_t* alpha, int w, int opacity);
void blendConstantRowAvx2(uint8_t* dst, const uint8_t* src, int w, int level);

// Scalar per-pixel forms the SIMD tails reuse.
inline void blendPixel(uint8_t* d, const uint8_t* s, int k)
{
    for (int c = 0; c < 3; ++c)
        d[c] = static_cast<uint8_t>(((s[c] - d[c]) * k + d[c] * 256) >> 8);
    d[3] = 0;
}

inline int opacityAlpha(int a, int opacity)
{
    return opacity >= 255 ? a : (a * (opacity + 1)) >> 8;
}

} // namespace PixelBlend::detail
