#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/LumivexApi.h"

// The anti-aliased glyph path's pixel work: coverage bitmaps of 17 levels
// (0 to 16, rows padded to 4 bytes, as the system returns them) written as
// palette indices into 8-bit surfaces, and the palette ramps that give
// those indices their colours.
namespace GlyphKernels {

// n colours from a towards b: entry i has each of the three low bytes
// a + (b - a) * i / n (truncating towards zero) and a zero fourth byte, so
// the last entry stops short of b. Works on COLORREF and RGBQUAD alike.
LUMIVEX_API void colourRamp(uint32_t a, uint32_t b, int32_t n, uint32_t* out);

// Plain style: coverage v >= 1 writes paletteBase + v - 1, 0 leaves the
// pixel. The glyph's top-left lands at (x, y); rows and columns outside the
// surface are skipped.
LUMIVEX_API void writeCoverage(uint8_t* surface, ptrdiff_t stride, int32_t width, int32_t height, int32_t x, int32_t y,
    const uint8_t* coverage, ptrdiff_t coverageStride, int32_t glyphWidth, int32_t glyphHeight, int32_t paletteBase);

// Outline style, over the glyph box widened by 2 on each side and by 1 above
// and below: the glyph's own coverage v writes paletteBase + 127 + v (the
// text ramp); elsewhere the largest coverage m of the eight neighbours
// writes paletteBase + m - 1 (the outline ramp) when m > 1.
LUMIVEX_API void writeCoverageOutlined(uint8_t* surface, ptrdiff_t stride, int32_t width, int32_t height, int32_t x,
    int32_t y, const uint8_t* coverage, ptrdiff_t coverageStride, int32_t glyphWidth, int32_t glyphHeight,
    int32_t paletteBase);

// Palette entries (four bytes each, blue, green, red, 0) for printing in
// palette mode; colours are COLORREFs. Plain: paletteBase .. + 15 the text
// colour. Outlined: those the outline colour, and paletteBase + 128 .. + 143
// a 16-step ramp from the outline colour to the text colour. Indices wrap
// within the 256 entries.
LUMIVEX_API void preparePalette(
    uint8_t* palette, int32_t paletteBase, uint32_t textColour, uint32_t outlineColour, bool outlined);

} // namespace GlyphKernels
