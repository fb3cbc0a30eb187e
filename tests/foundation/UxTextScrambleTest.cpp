#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "foundation/UxTextScramble.h"

TEST(UxTextScramble, RegionStartsAfterPlainLines)
{
    struct Case {
        const char* text;
        int32_t plainLines;
        size_t start;
    };
    const Case cases[] = {
        { "a\nb\nc", 0, 0 },
        { "a\nb\nc", 1, 2 },
        { "a\r\nb\r\nc", 2, 6 }, // CR LF ends one line
        { "a\nb\n", 2, 4 }, // an empty region
        { "a\nb", 2, SIZE_MAX }, // the last line has no line feed
        { "a\rb\rc", 1, SIZE_MAX }, // a lone CR ends no line
        { "", 1, SIZE_MAX },
        { "", 0, 0 },
        { "x\n", -1, 0 },
    };
    for (const Case& c : cases) {
        std::string text(c.text);
        EXPECT_EQ(scrambleRegionStart(text.data(), text.size(), c.plainLines), c.start)
            << '"' << c.text << "\" " << c.plainLines;
    }
}

TEST(UxTextScramble, RotatesByKeysOfTheSeed)
{
    // The first keys of seed 4357 are 3, 2, 1, 7 (outputs modulo 8).
    char bytes[] = { 0x01, 0x01, 0x01, static_cast<char>(0x81) };
    scrambleBytes(bytes, 4, 4357);
    EXPECT_EQ(static_cast<uint8_t>(bytes[0]), 0x08);
    EXPECT_EQ(static_cast<uint8_t>(bytes[1]), 0x04);
    EXPECT_EQ(static_cast<uint8_t>(bytes[2]), 0x02);
    EXPECT_EQ(static_cast<uint8_t>(bytes[3]), 0xC0);
    unscrambleBytes(bytes, 4, 4357);
    EXPECT_EQ(std::string(bytes, 4), std::string("\x01\x01\x01\x81", 4));
}

TEST(UxTextScramble, RoundTripsAndRepeatsKeysEvery256Bytes)
{
    std::string original;
    for (int i = 0; i < 1000; ++i)
        original += static_cast<char>((i * 37 + 11) & 0xFF);
    for (uint32_t seed : { 1u, 4357u, 0xDEADBEEFu }) {
        std::string text = original;
        scrambleBytes(text.data(), text.size(), seed);
        EXPECT_NE(text, original);
        // The same keys every 256 bytes: equal input blocks scramble equally.
        std::string same(512, 'z');
        scrambleBytes(same.data(), same.size(), seed);
        EXPECT_EQ(same.substr(0, 256), same.substr(256));
        for (size_t i = 0; i < text.size(); ++i)
            ASSERT_EQ(text[i] == 0, original[i] == 0) << "a rotation keeps zero bytes zero";
        unscrambleBytes(text.data(), text.size(), seed);
        EXPECT_EQ(text, original) << seed;
    }
}
