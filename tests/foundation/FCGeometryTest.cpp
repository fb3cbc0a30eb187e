#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <cstdio>
#include <string>

#include "foundation/FCFile.h"
#include "foundation/FCGeometry.h"
#include "foundation/FCString.h"

#if defined(__i386__) || defined(_M_IX86)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
// What scenario modules, compiled on their own, see of these records.
static_assert(sizeof(FCRect) == 20 && offsetof(FCRect, left) == 4 && offsetof(FCRect, bottom) == 16);
static_assert(sizeof(FCPoint) == 12 && offsetof(FCPoint, x) == 4 && offsetof(FCPoint, y) == 8);
static_assert(sizeof(FCSize) == 12 && offsetof(FCSize, cx) == 4 && offsetof(FCSize, cy) == 8);
#pragma GCC diagnostic pop
#endif

namespace {

std::string scratchPath(const char* name)
{
    return std::string(::testing::TempDir()) + "FCGeometryTest-" + name;
}

} // namespace

TEST(FCRect, TextHoldsOriginAndExtent)
{
    struct Case {
        FCRect rect;
        const char* separator;
        const char* separators;
        const char* text;
    };
    const Case cases[] = {
        { FCRect(10, 20, 110, 70), ", ", ", ", "10, 20, 100, 50" },
        { FCRect(10, 20, 110, 70), ",", ",", "10,20,100,50" },
        { FCRect(-5, -6, 0, 4), "\t", "\t", "-5\t-6\t5\t10" },
        { FCRect(), " ", " ", "0 0 0 0" },
    };
    for (const Case& c : cases) {
        FCString text("rect=");
        c.rect.toText(text, c.separator);
        EXPECT_STREQ(text.text(), (std::string("rect=") + c.text).c_str());

        FCString back(c.text);
        FCRect read(1, 2, 3, 4);
        read.fromText(back, c.separators);
        EXPECT_TRUE(read == c.rect) << c.text << " read as " << read.left << ' ' << read.top << ' ' << read.right << ' '
                                    << read.bottom;
    }
}

TEST(FCRect, ExtremeValuesWrapAndMissingFieldsReadZero)
{
    // The extent wraps around instead of overflowing.
    FCString huge("2147483647,0,10,-1");
    FCRect rect;
    rect.fromText(huge, ",");
    EXPECT_EQ(rect.left, INT32_MAX);
    EXPECT_EQ(rect.right, INT32_MIN + 9);
    EXPECT_EQ(rect.bottom, -1);
    EXPECT_EQ(rect.width(), 10);

    FCString text;
    FCRect(INT32_MIN, 0, INT32_MAX, 0).toText(text, ",");
    EXPECT_STREQ(text.text(), "-2147483648,0,-1,0");

    // Missing fields read as 0.
    FCString partial("7,8");
    FCRect partialRect(1, 1, 1, 1);
    partialRect.fromText(partial, ",");
    EXPECT_TRUE(partialRect == FCRect(7, 8, 7, 8));
}

TEST(FCRect, SavesAndLoadsThroughAFile)
{
    const std::string path = scratchPath("records.bin");
    const FCRect rect(10, -20, 110, 70);
    const FCPoint point(-3, 4);
    {
        FCFile file;
        ASSERT_EQ(file.open(path.c_str(), FCFile::kCreateAlways, FCFile::kReadWrite), 0u);
        EXPECT_EQ(rect.save(file), 1);
        EXPECT_EQ(point.save(file), 1);
        EXPECT_EQ(file.size(), 24);

        FCRect rectBack;
        FCPoint pointBack;
        file.seek(FCFile::kFromStart, 0);
        EXPECT_EQ(rectBack.load(file), 1);
        EXPECT_EQ(pointBack.load(file), 1);
        EXPECT_TRUE(rectBack == rect);
        EXPECT_TRUE(pointBack == point);

        // At the end nothing is read and the records keep their values.
        EXPECT_EQ(rectBack.load(file), 0);
        EXPECT_EQ(pointBack.load(file), 0);
        EXPECT_TRUE(rectBack == rect);
        EXPECT_TRUE(pointBack == point);

        // A rectangle cut short is refused.
        file.seek(FCFile::kFromStart, 12);
        EXPECT_EQ(rectBack.load(file), 0);
        EXPECT_TRUE(rectBack == rect);
    }
    // The bytes are the four words, then the two, in little-endian order.
    FILE* raw = std::fopen(path.c_str(), "rb");
    ASSERT_NE(raw, nullptr);
    unsigned char bytes[24] = {};
    EXPECT_EQ(std::fread(bytes, 1, sizeof bytes, raw), sizeof bytes);
    std::fclose(raw);
    const unsigned char expected[24] = {
        10, 0, 0, 0, 0xEC, 0xFF, 0xFF, 0xFF, 110, 0, 0, 0, 70, 0, 0, 0, // left, top, right, bottom
        0xFD, 0xFF, 0xFF, 0xFF, 4, 0, 0, 0, // x, y
    };
    for (size_t i = 0; i < sizeof bytes; ++i)
        EXPECT_EQ(bytes[i], expected[i]) << "byte " << i;
    std::remove(path.c_str());
}

TEST(FCRect, ClosedFileIsLeftAlone)
{
    FCFile closed;
    FCRect rect(1, 2, 3, 4);
    FCPoint point(5, 6);
    EXPECT_EQ(rect.save(closed), 0);
    EXPECT_EQ(rect.load(closed), 0);
    EXPECT_EQ(point.save(closed), 0);
    EXPECT_EQ(point.load(closed), 0);
    EXPECT_TRUE(rect == FCRect(1, 2, 3, 4));
    EXPECT_TRUE(point == FCPoint(5, 6));
}
