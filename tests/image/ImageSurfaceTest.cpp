#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "image/UxDeltaDecoder.h"
#include "support/MessageBoxRecorder.h"
#include "support/TestFiles_win32.h"
#include "surface/FCVSurface.h"
#include "surface/FCVSurface24.h"

namespace {

using Bytes = std::vector<uint8_t>;

void put32(Bytes& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A 3 x 2 8-bit animation: a palette (entry i = blue i, green 2i, red 3i),
// a stored key frame of indices 0..5 (bottom row first), the end. The
// header claims alpha, which a surface loading the file never gets.
Bytes paletteAnimation(uint32_t version)
{
    Bytes out;
    for (uint32_t v : { version, 3u, 2u, 1u, 0x802u, 0u, 0u, UxDeltaDecoder::kMagic })
        put32(out, v);
    put32(out, (UxDeltaDecoder::kTypePalette << 8) | UxDeltaDecoder::kNoRectangle);
    put32(out, 1024);
    for (int i = 0; i < 256; ++i)
        out.insert(out.end(), { uint8_t(i), uint8_t(2 * i), uint8_t(3 * i), 0 });
    put32(out, (UxDeltaDecoder::kTypeStoredKey << 8) | UxDeltaDecoder::kNoRectangle);
    put32(out, 6);
    out.insert(out.end(), { 0, 1, 2, 3, 4, 5 });
    put32(out, UxDeltaDecoder::kEnd);
    put32(out, 0);
    return out;
}

} // namespace

// Both surfaces load a DLT file as its first picture: the 24-bit one as
// palette colours without an alpha plane, the 8-bit one as the indices
// with the animation's palette as its colour table.
TEST(ImageSurface, DltBothSurfacesLoadTheFirstPicture)
{
    const std::string path = writeScratchFile("dlt", "palette.dlt", paletteAnimation(0x0103));
    FCVSurface24 surface;
    ASSERT_EQ(surface.load(path.c_str(), 0, 0), 1);
    ASSERT_EQ(surface.width(), 3);
    ASSERT_EQ(surface.height(), 2);
    EXPECT_FALSE(surface.hasAlpha());
    EXPECT_EQ(surface.imageInfo, 0u);
    // Index 0 leaves the new surface's black; the top row holds indices 3..5.
    EXPECT_EQ(surface.pixel(0, 1), 0u);
    EXPECT_EQ(surface.pixel(1, 1), 0x010203u);
    EXPECT_EQ(surface.pixel(2, 0), 0x050A0Fu);

    FCVSurface indexed;
    ASSERT_EQ(indexed.load(path.c_str(), 0, 0), 1);
    ASSERT_EQ(indexed.width(), 3);
    EXPECT_EQ(*indexed.pixel(0, 0), 3);
    EXPECT_EQ(*indexed.pixel(2, 1), 2);
    EXPECT_EQ(indexed.colorTable()[4 * 5 + 2], 15);
    std::remove(path.c_str());
}

// A newer file warns through the message box, task-modal in front, and
// still loads.
TEST(ImageSurface, DltNewerFileWarnsThenLoads)
{
    const std::string path = writeScratchFile("dlt", "newer.dlt", paletteAnimation(0x0104));
    MessageBoxRecorder boxes;
    FCVSurface24 surface;
    ASSERT_EQ(surface.load(path.c_str(), 0, 0), 1);
    EXPECT_EQ(surface.pixel(1, 1), 0x010203u);
    const auto requests = boxes.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].caption, "data version checker");
    EXPECT_EQ(requests[0].style, unsigned(MB_OK | MB_ICONWARNING | MB_TASKMODAL | MB_SETFOREGROUND));
    std::remove(path.c_str());
}

// A top-down 8-bit BMP (negative height) stands upright in both surfaces.
TEST(ImageSurface, TopDownBmpStandsUpright)
{
    Bytes file = { 'B', 'M' };
    put32(file, 14 + 40 + 8 + 8);
    put32(file, 0);
    put32(file, 14 + 40 + 8);
    for (uint32_t v : { 40u, 2u, uint32_t(-2), 0x00080001u, 0u, 0u, 0u, 0u, 2u, 0u })
        put32(file, v);
    put32(file, 0x00102030); // entry 0
    put32(file, 0x00405060); // entry 1
    file.insert(file.end(), { 1, 0, 0, 0, 0, 1, 0, 0 }); // top row 1 0, bottom row 0 1
    const std::string path = writeScratchFile("bmp", "top-down.bmp", file);
    FCVSurface24 surface;
    ASSERT_EQ(surface.load(path.c_str(), 0, 0), 1);
    EXPECT_EQ(surface.pixel(0, 0), 0x605040u);
    EXPECT_EQ(surface.pixel(1, 0), 0x302010u);
    EXPECT_EQ(surface.pixel(1, 1), 0x605040u);
    FCVSurface indexed;
    ASSERT_EQ(indexed.load(path.c_str(), 0, 0), 1);
    EXPECT_EQ(*indexed.pixel(0, 0), 1);
    EXPECT_EQ(*indexed.pixel(0, 1), 0);
    std::remove(path.c_str());
}
