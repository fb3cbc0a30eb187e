#include "surface/Surface8Kernels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "surface/ClipRects.h"

using namespace Surface8;

namespace {

// A picture drawn as text, one character per pixel, top row first: '#' is
// index 1, '.' index 0 (the key in most cases below).
std::vector<uint8_t> picture(const std::vector<std::string>& rows)
{
    std::vector<uint8_t> out;
    for (const auto& row : rows)
        for (char c : row)
            out.push_back(c == '.' ? 0 : c == '#' ? 1 : static_cast<uint8_t>(c - '0' + 2));
    return out;
}

// createAlphaLevels over a drawn picture with an initial plane value of 99,
// the result as rows of numbers.
std::vector<std::vector<int>> alphaOf(const std::vector<std::string>& rows, int32_t key)
{
    int32_t w = static_cast<int32_t>(rows[0].size()), h = static_cast<int32_t>(rows.size());
    std::vector<uint8_t> src = picture(rows);
    std::vector<uint8_t> alpha(src.size(), 99);
    EXPECT_TRUE(createAlphaLevels(alpha.data(), w, src.data(), w, w, h, key));
    std::vector<std::vector<int>> out(h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            out[y].push_back(alpha[y * w + x]);
    return out;
}

using Grid = std::vector<std::vector<int>>;

TEST(Surface8Alpha, SingleKeyPixelMakesItsNeighboursEdges)
{
    EXPECT_EQ(alphaOf({ "#####", "##.##", "#####" }, 0),
        (Grid { { 16, 12, 8, 12, 16 }, { 12, 8, 99, 8, 12 }, { 16, 12, 8, 12, 16 } }));
}

TEST(Surface8Alpha, KeyRegionEdgesCornersAndTheBorderIsNeverKey)
{
    // The key fills the left half; the picture's outer edge is no edge.
    EXPECT_EQ(alphaOf({ "..###", "..###", "....#" }, 0),
        (Grid { { 99, 99, 8, 12, 16 }, { 99, 99, 4, 8, 12 }, { 99, 99, 99, 99, 8 } }));
}

TEST(Surface8Alpha, KeyModes)
{
    // -1 takes the top-left index (1 here), so the '#' pixels are the key.
    EXPECT_EQ(alphaOf({ "#.", ".." }, -1), (Grid { { 99, 8 }, { 8, 12 } }));
    // -2 and other keys outside 0..255 leave the initial plane.
    EXPECT_EQ(alphaOf({ "#.", ".." }, -2), (Grid { { 99, 99 }, { 99, 99 } }));
    EXPECT_EQ(alphaOf({ "#.", ".." }, 256), (Grid { { 99, 99 }, { 99, 99 } }));
    // A key that is absent: every pixel inside is 16.
    EXPECT_EQ(alphaOf({ "##", "##" }, 7), (Grid { { 16, 16 }, { 16, 16 } }));
}

TEST(Surface8Alpha, BottomUpStrideAndAbsurdSizes)
{
    // The same picture stored bottom-up with padded rows gives the same plane.
    std::vector<uint8_t> src = picture({ "#####", "##.##", "#####" });
    std::vector<uint8_t> stored(8 * 3, 0xEE), alpha(8 * 3, 99);
    for (int y = 0; y < 3; ++y)
        std::copy_n(&src[y * 5], 5, &stored[(2 - y) * 8]);
    ASSERT_TRUE(createAlphaLevels(alpha.data() + 16, -8, stored.data() + 16, -8, 5, 3, 0));
    EXPECT_EQ(alpha[8 + 2], 99);
    EXPECT_EQ(alpha[8 + 1], 8);
    EXPECT_EQ(alpha[16], 16);
    EXPECT_EQ(alpha[5], 99); // padding untouched
    uint8_t one = 0, plane = 5;
    EXPECT_FALSE(createAlphaLevels(&plane, 1, &one, 1, 1 << 20, 1 << 20, 0));
    EXPECT_EQ(plane, 5);
}

TEST(Surface8Copy, KeyModes)
{
    const std::vector<uint8_t> src = { 3, 1, 2, 3, 4, 3 };
    struct Case {
        int32_t mode;
        std::vector<uint8_t> expected;
    } cases[] = {
        { -2, { 3, 1, 2, 3, 4, 3 } },
        { -1, { 9, 1, 2, 9, 4, 9 } }, // top-left is 3
        { 2, { 3, 1, 9, 3, 4, 3 } },
        { 300, { 3, 1, 2, 3, 4, 3 } },
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> dst(6, 9);
        copy8(dst.data(), 3, src.data(), 3, 3, 2, c.mode, src[0]);
        EXPECT_EQ(dst, c.expected) << "mode " << c.mode;
    }
}

TEST(Surface8Copy, DrawTo24ThroughTheTable)
{
    uint8_t table[1024];
    for (int i = 0; i < 1024; ++i)
        table[i] = static_cast<uint8_t>(i * 7);
    const uint8_t src[2] = { 5, 200 };
    uint8_t dst[8];
    std::fill_n(dst, 8, 0xAA);
    draw8To24(dst, 8, src, 2, 2, 1, table, -2, src[0]);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(dst[c], table[20 + c]);
        EXPECT_EQ(dst[4 + c], table[800 + c]);
    }
    std::fill_n(dst, 8, 0xAA);
    draw8To24(dst, 8, src, 2, 2, 1, table, -1, src[0]);
    EXPECT_EQ(dst[0], 0xAA);
    EXPECT_EQ(dst[4], table[800]);
}

TEST(Surface8Palette, SetColorsRules)
{
    ColorSpan span;
    ASSERT_TRUE(setColorsSpan(250, 0, 10, span));
    EXPECT_EQ(span.count, 6);
    ASSERT_TRUE(setColorsSpan(3, 4, 0, span));
    EXPECT_EQ(span.count, 1);
    EXPECT_FALSE(setColorsSpan(256, 0, 1, span));
    EXPECT_FALSE(setColorsSpan(0, -1, 1, span));

    ColorSpan range = setColorRangeSpan(-5, 300);
    EXPECT_EQ(range.destination, 0);
    EXPECT_EQ(range.count, 256);
    EXPECT_EQ(setColorRangeSpan(250, 100).count, 6);
    EXPECT_EQ(setColorRangeSpan(10, -4).count, 0);
}

TEST(Surface8Palette, FadeTruncatesTowardZero)
{
    std::vector<uint8_t> black(1024, 0), white(1024, 255), table(1024, 1);
    for (int i = 3; i < 1024; i += 4)
        black[i] = white[i] = 0;
    fadePalette(table.data(), black.data(), white.data(), 1, 4);
    EXPECT_EQ(table[0], 63);
    EXPECT_EQ(table[3], 0);
    fadePalette(table.data(), white.data(), black.data(), 1, 4);
    EXPECT_EQ(table[2], 192);
    std::vector<uint8_t> before = table;
    fadePalette(table.data(), white.data(), black.data(), 1, 0);
    EXPECT_EQ(table, before);
}

TEST(Surface8Palette, StaticColours)
{
    uint8_t table[1024];
    staticColorTable(table);
    EXPECT_EQ(
        (std::vector<int> { table[4 * 9], table[4 * 9 + 1], table[4 * 9 + 2] }), (std::vector<int> { 240, 202, 166 }));
    EXPECT_EQ(table[4 * 100], 100);
    EXPECT_EQ((std::vector<int> { table[4 * 246], table[4 * 246 + 1], table[4 * 246 + 2] }),
        (std::vector<int> { 240, 251, 255 }));
}

TEST(Surface8Bmp, FileLayout)
{
    std::vector<uint8_t> info(kInfoBlockBytes, 0x11), bits(24, 0x22);
    std::vector<uint8_t> file = bmp8File(info.data(), bits.data(), 24);
    ASSERT_EQ(file.size(), 1102u);
    const uint8_t head[14] = { 'B', 'M', 0x4E, 0x04, 0, 0, 0, 0, 0, 0, 0x36, 0x04, 0, 0 };
    EXPECT_TRUE(std::equal(head, head + 14, file.begin()));
    EXPECT_EQ(file[14], 0x11);
    EXPECT_EQ(file[1077], 0x11);
    EXPECT_EQ(file[1078], 0x22);
    EXPECT_EQ(stride8(5), 8);
}

TEST(Surface8Shuffle, RandomSourceAndRowRotation)
{
    uint32_t state = 1;
    EXPECT_EQ(nextRandom(state, 0xFFFFFFFFu), 0x5D588B66u); // the new state itself
    state = 1;
    EXPECT_EQ(nextRandom(state, 8), 5u); // 0x5D588B66 >> 28, mod 8

    // Two rows of 8 stored bottom-up; the top row is rotated first.
    std::vector<uint8_t> rows = { 10, 11, 12, 13, 14, 15, 16, 17, 0, 1, 2, 3, 4, 5, 6, 7 };
    std::vector<uint8_t> kept = rows;
    shuffleRows(rows.data() + 8, -8, 8, 2, 0x10000);
    EXPECT_EQ(rows, kept);
    shuffleRows(rows.data() + 8, -8, 8, 1, 1);
    EXPECT_EQ(std::vector<uint8_t>(rows.begin() + 8, rows.end()), (std::vector<uint8_t> { 5, 6, 7, 0, 1, 2, 3, 4 }));
}

TEST(ClipRects, Rule)
{
    struct Case {
        int32_t dx, dy, sx, sy, w, h;
        bool left;
        int32_t cdx, cdy, csx, csy, cw, ch;
    } cases[] = {
        // Inside both: unchanged.
        { 1, 2, 3, 4, 5, 6, true, 1, 2, 3, 4, 5, 6 },
        // A negative source point moves the destination and shortens.
        { 2, 0, -3, 0, 10, 5, true, 5, 0, 0, 0, 7, 5 },
        // A negative destination point below the source point.
        { -4, 0, 1, 0, 10, 5, true, 0, 0, 5, 0, 6, 5 },
        // A negative destination point above a more negative source point.
        { -1, -1, -3, -3, 10, 10, true, 2, 2, 0, 0, 7, 7 },
        // Past the right edge: nothing.
        { 20, 0, 0, 0, 5, 5, false, 20, 0, 0, 0, 5, 5 },
        // Cut by the source's size (source 16 x 16).
        { 0, 0, 14, 0, 10, 3, true, 0, 0, 14, 0, 2, 3 },
        // Hostile extremes do not overflow.
        { INT32_MIN, 0, INT32_MAX, 0, INT32_MAX, 1, false, 0, 0, 0, 0, 0, 0 },
    };
    for (const auto& c : cases) {
        int32_t dx = c.dx, dy = c.dy, sx = c.sx, sy = c.sy, w = c.w, h = c.h;
        bool left = clipRects(16, 16, 20, 20, dx, dy, sx, sy, w, h);
        EXPECT_EQ(left, c.left) << c.dx << "," << c.sx;
        if (left && c.left) {
            EXPECT_EQ((std::vector<int32_t> { dx, dy, sx, sy, w, h }),
                (std::vector<int32_t> { c.cdx, c.cdy, c.csx, c.csy, c.cw, c.ch }));
        }
    }
}

// Any rectangle, clipped, keeps the copies inside exactly sized bottom-up
// planes (AddressSanitizer sees any stray byte natively).
TEST(ClipRects, KeepsKernelsInsideThePlanes)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> coordinate(-40, 40);
    const int32_t sw = 13, sh = 7, dw = 11, dh = 9;
    std::vector<uint8_t> src(stride8(sw) * sh), dst(stride8(dw) * dh);
    std::vector<uint8_t> dst24(size_t(dw) * dh * 4);
    uint8_t table[1024] = {};
    for (int i = 0; i < 5000; ++i) {
        int32_t dx = coordinate(random), dy = coordinate(random), sx = coordinate(random), sy = coordinate(random);
        int32_t w = coordinate(random), h = coordinate(random);
        if (!clipRects(sw, sh, dw, dh, dx, dy, sx, sy, w, h))
            continue;
        ASSERT_TRUE(
            dx >= 0 && dy >= 0 && sx >= 0 && sy >= 0 && dx + w <= dw && sx + w <= sw && dy + h <= dh && sy + h <= sh);
        uint8_t* s8 = src.data() + (sh - 1 - sy) * stride8(sw) + sx;
        copy8(dst.data() + (dh - 1 - dy) * stride8(dw) + dx, -stride8(dw), s8, -stride8(sw), w, h, -1, src[0]);
        draw8To24(dst24.data() + ((dh - 1 - dy) * dw + dx) * 4, -dw * 4, s8, -stride8(sw), w, h, table, -2, 0);
    }
}

} // namespace
