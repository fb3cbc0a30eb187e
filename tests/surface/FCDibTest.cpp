#include "surface/FCDib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/Diagnostic.h"
#include "support/MessageBoxRecorder.h"

namespace {

void put16(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    put16(b, at, v);
    put16(b, at + 2, v >> 16);
}

// A packed DIB with a 40-byte header: the table (entries x 4 bytes, entry i =
// i, i + 1, i + 2, 0) and then `bitBytes` bytes counting up.
std::vector<uint8_t> packed(int32_t w, int32_t h, uint16_t bitCount, uint32_t entries, uint32_t bitBytes,
    uint32_t clrUsed = 0, uint32_t sizeImage = 0, uint32_t compression = 0)
{
    std::vector<uint8_t> b(40 + 4 * entries + bitBytes);
    put32(b, 0, 40); // header size
    put32(b, 4, static_cast<uint32_t>(w));
    put32(b, 8, static_cast<uint32_t>(h));
    put16(b, 12, 1); // planes
    put16(b, 14, bitCount);
    put32(b, 16, compression);
    put32(b, 20, sizeImage);
    put32(b, 32, clrUsed);
    for (uint32_t i = 0; i < entries; ++i)
        for (uint32_t c = 0; c < 3; ++c)
            b[40 + 4 * i + c] = static_cast<uint8_t>(i + c);
    for (uint32_t i = 0; i < bitBytes; ++i)
        b[40 + 4 * entries + i] = static_cast<uint8_t>(i);
    return b;
}

TEST(FCDib, CreateGreyTableAndSizes)
{
    FCDib dib;
    EXPECT_EQ(dib.indexFlags[9], 0);
    EXPECT_EQ(dib.indexFlags[10], 1);
    EXPECT_EQ(dib.indexFlags[245], 1);
    EXPECT_EQ(dib.indexFlags[246], 0);

    ASSERT_TRUE(dib.create(9, 2, 1));
    ASSERT_NE(dib.colors, nullptr);
    EXPECT_EQ(dib.colors[0], 0);
    EXPECT_EQ(dib.colors[4], 1); // entries 0 and 1, not 0 and 255
    EXPECT_EQ(dib.colors[6], 1);
    EXPECT_EQ(dib.bitsBytes(), 8u); // two rows of one 32-bit word

    ASSERT_TRUE(dib.create(5, -3, 8));
    EXPECT_EQ(dib.stride(), 8);
    EXPECT_EQ(dib.bitsBytes(), 24u);
    EXPECT_EQ(dib.colors[4 * 200 + 1], 200);
    EXPECT_EQ(dib.pixel(0, 0), dib.bits + 16);
    EXPECT_EQ(dib.pixel(5, 0), nullptr);

    ASSERT_TRUE(dib.create(3, 1, 24));
    EXPECT_EQ(dib.colors, nullptr);
    EXPECT_EQ(dib.stride(), 12);
    EXPECT_FALSE(dib.create(0, 1, 8));
    EXPECT_TRUE(dib.empty());
    EXPECT_THROW(dib.create(0x7FFFFFFF, 0x7FFFFFFF, 32), NotEnoughMemoryException);
    EXPECT_TRUE(dib.empty());
}

TEST(FCDib, CopyPackedForms)
{
    FCDib dib;
    // 8 bits with a short table: three colours stated, room for 256.
    std::vector<uint8_t> eight = packed(3, 2, 8, 3, 8, 3);
    ASSERT_TRUE(dib.copyPacked(eight.data(), eight.size()));
    EXPECT_EQ(dib.tableEntries(), 256u);
    EXPECT_EQ(dib.colors[4 * 2 + 1], 3);
    EXPECT_EQ(dib.colors[4 * 3], 0);
    EXPECT_EQ(dib.bits[7], 7);

    // A wrong image size is corrected to stride x height.
    std::vector<uint8_t> sized = packed(3, 2, 8, 256, 8, 0, 99);
    ASSERT_TRUE(dib.copyPacked(sized.data(), sized.size()));
    EXPECT_EQ(dib.header->sizeImage, 8u);

    // A 12-byte core header: 3-byte table entries become 4-byte ones.
    std::vector<uint8_t> core(12 + 2 * 3 + 4);
    put32(core, 0, 12);
    put16(core, 4, 1);
    put16(core, 6, 1);
    put16(core, 8, 1);
    put16(core, 10, 1);
    const uint8_t table[6] = { 1, 2, 3, 4, 5, 6 };
    std::memcpy(&core[12], table, 6);
    core[18] = 0x80;
    ASSERT_TRUE(dib.copyPacked(core.data(), core.size()));
    EXPECT_EQ(dib.header->size, 40u);
    EXPECT_EQ(dib.bitCount(), 1);
    EXPECT_EQ((std::vector<int> { dib.colors[4], dib.colors[5], dib.colors[6], dib.colors[7] }),
        (std::vector<int> { 4, 5, 6, 0 }));
    EXPECT_EQ(dib.bits[0], 0x80);

    // Bitfields: the masks sit between header and table; no table at 16 bits.
    std::vector<uint8_t> fields = packed(2, 1, 16, 3, 4, 0, 0, 3);
    ASSERT_TRUE(dib.copyPacked(fields.data(), fields.size()));
    EXPECT_EQ(dib.colors, nullptr);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(dib.header)[41], 1);

    // Header and separate bits.
    std::vector<uint8_t> head = packed(4, 1, 8, 256, 0);
    const uint8_t bits[4] = { 9, 8, 7, 6 };
    ASSERT_TRUE(dib.copySeparate(head.data(), head.size(), bits, 4));
    EXPECT_EQ(dib.bits[3], 6);
}

TEST(FCDib, ZeroBitsAreReported)
{
    MessageBoxRecorder boxes;
    FCDib dib;
    std::vector<uint8_t> none = packed(0, 3, 8, 256, 0);
    EXPECT_FALSE(dib.copyPacked(none.data(), none.size()));
    EXPECT_FALSE(dib.copySeparate(none.data(), none.size(), nullptr, 0));
    auto requests = boxes.requests();
    ASSERT_EQ(requests.size(), 2u);
    const std::string failed = "\x46\x43\x44\x69\x62\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC"
                               "\x82\xB5\x82\xBD"; // FCDibの作成に失敗しました
    EXPECT_EQ(requests[0].text, failed + "(A)\ncolor depth:8\nwidth:0\nheight:3");
    EXPECT_EQ(requests[1].text, failed + "(B)\ncolor depth:8\nwidth:0\nheight:3");
    EXPECT_EQ(requests[0].caption, "FCString class");
    EXPECT_EQ(requests[0].style, 0x2000u | 0x10000u);
    EXPECT_TRUE(dib.empty());
}

TEST(FCDib, HostileHeadersAreRefused)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> block;
    };
    std::vector<Case> cases = {
        { "too short for a size", { 40, 0 } },
        { "header size beyond the block", packed(1, 1, 8, 0, 0) },
        { "header size between core and info",
            [] {
                auto b = packed(2, 2, 8, 256, 8);
                put32(b, 0, 20);
                return b;
            }() },
        { "negative width", packed(-40, 2, 8, 256, 64) },
        { "height INT_MIN", packed(4, INT32_MIN, 8, 256, 64) },
        { "bit count 7", packed(8, 1, 7, 0, 64) },
        { "colours used beyond 256", packed(4, 1, 8, 256, 4, 0x40000000) },
        { "table cut short", packed(4, 1, 8, 10, 0) },
        { "bits cut short", packed(4, 2, 8, 256, 7) },
        { "huge picture", packed(0x7FFFFFFF, 0x7FFFFFFF, 32, 0, 16) },
        { "bitfields with a small image size", packed(64, 64, 32, 3, 16, 0, 4, 3) },
        { "core header cut short", { 12, 0, 0, 0, 1, 0 } },
        // Found by the fuzzer: a compressed picture whose rows need a stride
        // beyond 32 bits.
        { "rows too wide to address", packed(0x40000002, 4, 16, 0, 3, 0, 3, 39) },
    };
    cases[1].block.resize(20);
    MessageBoxRecorder boxes;
    for (const auto& c : cases) {
        FCDib dib;
        EXPECT_FALSE(dib.copyPacked(c.block.data(), c.block.size())) << c.what;
        EXPECT_TRUE(dib.empty()) << c.what;
    }
    EXPECT_TRUE(boxes.requests().empty());
}

} // namespace
