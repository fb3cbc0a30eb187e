#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "text/GlyphKernels.h"

namespace {

using namespace GlyphKernels;

TEST(GlyphKernels, RampsStopShortOfTheEnd)
{
    uint32_t ramp[16];
    colourRamp(0x000000, 0xFFFFFF, 16, ramp);
    for (int i = 0; i < 16; ++i) {
        const uint32_t v = uint32_t(i * 255 / 16); // 0, 15, 31, ..., 239
        EXPECT_EQ(ramp[i], v | v << 8 | v << 16) << i;
    }
    EXPECT_EQ(ramp[15] & 0xFF, 239u);
    // Downwards the division truncates towards zero: 255 - 15.9 is 240.
    colourRamp(0x0000FF, 0xFF0000, 16, ramp);
    EXPECT_EQ(ramp[1], 0x0F00F0u);
    colourRamp(0xFF123456, 0xFF123456, 3, ramp);
    EXPECT_EQ(ramp[2], 0x123456u); // the fourth byte is 0
}

// An 8 x 4 surface of 0xEE; a 3 x 2 glyph with a padded coverage row.
TEST(GlyphKernels, CoverageBecomesPaletteIndices)
{
    const uint8_t coverage[] = { 0, 1, 16, 0, 8, 0, 20, 0 }; // stride 4; 20 is taken as 16
    std::vector<uint8_t> surface(8 * 4, 0xEE);
    writeCoverage(surface.data(), 8, 8, 4, 2, 1, coverage, 4, 3, 2, 32);
    EXPECT_EQ(surface[1 * 8 + 2], 0xEE); // coverage 0 leaves the pixel
    EXPECT_EQ(surface[1 * 8 + 3], 32); // 1: paletteBase
    EXPECT_EQ(surface[1 * 8 + 4], 47); // 16: paletteBase + 15
    EXPECT_EQ(surface[2 * 8 + 2], 39);
    EXPECT_EQ(surface[2 * 8 + 4], 47);

    // Clipped on every side, written only inside the surface.
    for (int32_t x : { -2, 6, 7, 8, -3, INT32_MIN, INT32_MAX }) {
        for (int32_t y : { -1, 3, 4, INT32_MIN, INT32_MAX }) {
            std::vector<uint8_t> clipped(8 * 4, 0xEE);
            writeCoverage(clipped.data(), 8, 8, 4, x, y, coverage, 4, 3, 2, 0);
            writeCoverageOutlined(clipped.data(), 8, 8, 4, x, y, coverage, 4, 3, 2, 0);
        }
    }
    // A bottom-up surface: the top row's pointer and a negative stride.
    std::vector<uint8_t> bottomUp(8 * 4, 0xEE);
    writeCoverage(bottomUp.data() + 3 * 8, -8, 8, 4, 0, 0, coverage, 4, 3, 2, 0);
    EXPECT_EQ(bottomUp[3 * 8 + 2], 15);
    EXPECT_EQ(bottomUp[2 * 8 + 0], 7);
}

TEST(GlyphKernels, OutlineRingsTheGlyph)
{
    // One fully covered pixel, placed at (3, 2) on a 9 x 5 surface.
    const uint8_t coverage[] = { 16, 0, 0, 0 };
    std::vector<uint8_t> surface(9 * 5, 0xEE);
    writeCoverageOutlined(surface.data(), 9, 9, 5, 3, 2, coverage, 4, 1, 1, 16);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 9; ++x) {
            const int dx = x - 3, dy = y - 2;
            uint8_t expected = 0xEE;
            if (dx == 0 && dy == 0)
                expected = 16 + 127 + 16; // the text ramp
            else if (dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1)
                expected = 16 + 15; // a neighbour of coverage 16
            EXPECT_EQ(surface[y * 9 + x], expected) << x << "," << y;
        }
    }
    // A neighbour of coverage 1 draws no outline.
    const uint8_t faint[] = { 1, 0, 0, 0 };
    std::vector<uint8_t> light(9 * 5, 0xEE);
    writeCoverageOutlined(light.data(), 9, 9, 5, 3, 2, faint, 4, 1, 1, 0);
    EXPECT_EQ(light[2 * 9 + 3], 128);
    EXPECT_EQ(light[2 * 9 + 4], 0xEE);
}

TEST(GlyphKernels, PalettePreparation)
{
    std::vector<uint8_t> palette(1024, 0x55);
    preparePalette(palette.data(), 16, 0x0000FF /* red */, 0xFFFFFF, false);
    EXPECT_EQ(
        (std::vector<uint8_t>(palette.begin() + 64, palette.begin() + 68)), (std::vector<uint8_t> { 0, 0, 255, 0 }));
    EXPECT_EQ(palette[4 * 31 + 2], 255);
    EXPECT_EQ(palette[4 * 32], 0x55);
    EXPECT_EQ(palette[4 * 144], 0x55);

    preparePalette(palette.data(), 16, 0xFFFFFF, 0x000000, true);
    EXPECT_EQ(palette[4 * 16], 0); // outline colour below
    EXPECT_EQ(palette[4 * 144], 0); // the ramp's first step is the outline colour
    EXPECT_EQ(palette[4 * 145], 15);
    EXPECT_EQ(palette[4 * 159 + 1], 239);
    // Indices wrap inside the palette.
    preparePalette(palette.data(), 250, 0x010203, 0, false);
    EXPECT_EQ(palette[4 * 9 + 2], 3);
}

} // namespace
