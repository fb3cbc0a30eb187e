#include "text/GlyphKernels.h"

#include <algorithm>

namespace GlyphKernels {

namespace {

uint8_t index(int32_t paletteBase, int32_t offset)
{
    return uint8_t(uint32_t(paletteBase + offset) & 0xFF);
}

uint8_t coverageAt(const uint8_t* coverage, ptrdiff_t stride, int32_t w, int32_t h, int32_t cx, int32_t cy)
{
    if (cx < 0 || cy < 0 || cx >= w || cy >= h)
        return 0;
    const uint8_t v = coverage[cy * stride + cx];
    return v > 16 ? 16 : v;
}

void setEntry(uint8_t* palette, int32_t at, uint32_t colourRef)
{
    uint8_t* entry = palette + 4 * (uint32_t(at) & 0xFF);
    entry[0] = uint8_t(colourRef >> 16); // blue
    entry[1] = uint8_t(colourRef >> 8); // green
    entry[2] = uint8_t(colourRef); // red
    entry[3] = 0;
}

} // namespace

void colourRamp(uint32_t a, uint32_t b, int32_t n, uint32_t* out)
{
    for (int32_t i = 0; i < n; ++i) {
        uint32_t colour = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const int32_t from = int32_t((a >> shift) & 0xFF);
            const int32_t to = int32_t((b >> shift) & 0xFF);
            const int32_t channel = from + (to - from) * i / n;
            colour |= uint32_t(channel & 0xFF) << shift;
        }
        out[i] = colour;
    }
}

void writeCoverage(uint8_t* surface, ptrdiff_t stride, int32_t width, int32_t height, int32_t x, int32_t y,
    const uint8_t* coverage, ptrdiff_t coverageStride, int32_t glyphWidth, int32_t glyphHeight, int32_t paletteBase)
{
    // Clip in 64 bits: positions come from font metrics and scenario code.
    const int64_t top = std::max<int64_t>(0, -int64_t(y));
    const int64_t bottom = std::min<int64_t>(glyphHeight, int64_t(height) - y);
    const int64_t left = std::max<int64_t>(0, -int64_t(x));
    const int64_t right = std::min<int64_t>(glyphWidth, int64_t(width) - x);
    for (int64_t gy = top; gy < bottom; ++gy) {
        const uint8_t* source = coverage + gy * coverageStride;
        uint8_t* row = surface + (y + gy) * stride + x;
        for (int64_t gx = left; gx < right; ++gx) {
            const uint8_t v = source[gx] > 16 ? 16 : source[gx];
            if (v)
                row[gx] = index(paletteBase, v - 1);
        }
    }
}

void writeCoverageOutlined(uint8_t* surface, ptrdiff_t stride, int32_t width, int32_t height, int32_t x, int32_t y,
    const uint8_t* coverage, ptrdiff_t coverageStride, int32_t glyphWidth, int32_t glyphHeight, int32_t paletteBase)
{
    const int64_t top = std::max<int64_t>(-1, -int64_t(y));
    const int64_t bottom = std::min<int64_t>(int64_t(glyphHeight) + 1, int64_t(height) - y);
    const int64_t left = std::max<int64_t>(-2, -int64_t(x));
    const int64_t right = std::min<int64_t>(int64_t(glyphWidth) + 2, int64_t(width) - x);
    for (int64_t gy = top; gy < bottom; ++gy) {
        uint8_t* row = surface + (y + gy) * stride + x;
        for (int64_t gx = left; gx < right; ++gx) {
            const int32_t cx = int32_t(gx), cy = int32_t(gy);
            const uint8_t v = coverageAt(coverage, coverageStride, glyphWidth, glyphHeight, cx, cy);
            if (v) {
                row[gx] = index(paletteBase, 127 + v);
                continue;
            }
            uint8_t m = 0;
            for (int32_t dy = -1; dy <= 1; ++dy)
                for (int32_t dx = -1; dx <= 1; ++dx)
                    m = std::max(m, coverageAt(coverage, coverageStride, glyphWidth, glyphHeight, cx + dx, cy + dy));
            if (m > 1)
                row[gx] = index(paletteBase, m - 1);
        }
    }
}

void preparePalette(uint8_t* palette, int32_t paletteBase, uint32_t textColour, uint32_t outlineColour, bool outlined)
{
    for (int32_t i = 0; i < 16; ++i)
        setEntry(palette, paletteBase + i, outlined ? outlineColour : textColour);
    if (!outlined)
        return;
    uint32_t ramp[16];
    colourRamp(outlineColour, textColour, 16, ramp);
    for (int32_t i = 0; i < 16; ++i)
        setEntry(palette, paletteBase + 128 + i, ramp[i]);
}

} // namespace GlyphKernels
