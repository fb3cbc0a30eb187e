#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/LumivexApi.h"

// The pixel kernels behind the surfaces' copies and blends. Pixels are four
// bytes (blue, green, red, fourth byte); alpha planes and masks one byte.
// Every kernel takes a pointer to the first byte of the TOP row of an already
// clipped rectangle and a signed stride from a row to the row below it
// (negative for bottom-up storage), and touches nothing outside w x h of each
// plane. A w or h below 1 does nothing.
namespace PixelBlend {

enum : int { kMaxLevel = 16 };

// A level clamped to 0..16.
LUMIVEX_API int clampLevel(int level);
// 16 x level for levels 0..15, 255 for 16; the level is clamped first.
LUMIVEX_API int levelOpacity(int level);
// The same mapping as a table indexed by a byte: entries 0..16 hold the
// opacities, entries above 16 are 0 (the 17-level masks expand through it).
extern LUMIVEX_API const uint8_t kLevelOpacityTable[256];

// Blends source pixels into the destination through an alpha plane at an
// overall opacity (clamped to 0..255): weight k = a + 1 for a in 1..255, each
// colour channel ((s - d) * k + d * 256) >> 8 and the fourth byte 0; a = 0
// leaves the whole destination pixel. Below opacity 255, a is first
// (a * (o + 1)) >> 8.
LUMIVEX_API void blendAlpha(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride,
    const uint8_t* alpha, ptrdiff_t alphaStride, int w, int h, int opacity);

// Blends at a constant level (clamped to 0..16): 0 draws nothing, 16 copies all
// four bytes, otherwise every byte (the fourth too) (d * (16 - L) + s * L) >> 4.
LUMIVEX_API void blendConstant(
    uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int w, int h, int level);

// Blends through a mask and the source alpha together at an opacity (clamped
// to 0..255): k = ((m + 1) * (o + 1) * a) >> 16 for m above 0; k below 1 (or
// m = 0) leaves the pixel; otherwise each colour channel
// ((s - d) * k + d * 256) >> 8 and the fourth byte 0.
LUMIVEX_API void blendMaskAlpha(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride,
    const uint8_t* alpha, ptrdiff_t alphaStride, const uint8_t* mask, ptrdiff_t maskStride, int w, int h, int opacity);

// The rule blend's choice by what is present: level 0 draws nothing; without
// mask the source alpha (when given) at levelOpacity(level), else the constant
// blend; with a mask and no source alpha the mask serves as alpha; with both,
// blendMaskAlpha. A null plane means the plane is absent (its stride unused).
LUMIVEX_API void blendMask(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride,
    const uint8_t* alpha, ptrdiff_t alphaStride, const uint8_t* mask, ptrdiff_t maskStride, int w, int h, int level);

// Straight copy of w pixels of bytesPerPixel bytes for h rows.
LUMIVEX_API void copyRows(
    uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int w, int h, int bytesPerPixel);

enum : unsigned {
    kFlipVertical = 0x1, // rows in reverse order
    kFlipHorizontal = 0x2, // pixels of each row in reverse order
};

// Mirrors a rectangle in place; bytesPerPixel is 4 (pixels) or 1 (planes).
LUMIVEX_API void flip(uint8_t* top, ptrdiff_t stride, int w, int h, int bytesPerPixel, unsigned flags);

// Copies a rectangle mirrored: the destination's top row takes the source's
// bottom row (vertical), each row's first pixel the source row's last
// (horizontal). Source and destination must not overlap.
LUMIVEX_API void copyFlipped(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int w, int h,
    int bytesPerPixel, unsigned flags);

// The scalar references, whatever SIMD level is in use (tests compare the
// dispatched kernels with these).
namespace scalar {
LUMIVEX_API void blendAlpha(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride,
    const uint8_t* alpha, ptrdiff_t alphaStride, int w, int h, int opacity);
LUMIVEX_API void blendConstant(
    uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int w, int h, int level);
LUMIVEX_API void blendMaskAlpha(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride,
    const uint8_t* alpha, ptrdiff_t alphaStride, const uint8_t* mask, ptrdiff_t maskStride, int w, int h, int opacity);
} // namespace scalar

} // namespace PixelBlend
