#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/FCFile.h"
#include "image/FCMcg.h"
#include "image/ImageResource.h"
#include "image/McgWriter.h"
#include "image/SurfaceLoad.h"
#include "image/UxCgSurface.h"
#include "support/ContractLayout.h"
#include "support/TestFiles_win32.h"
#include "surface/FCDib.h"
#include "surface/FCVSurface.h"
#include "surface/FCVSurface24.h"

// The test executable carries these (tests/CMakeLists.txt).
enum : uint16_t { kPlainRcg = 101, kNotRcg = 102 };

namespace {

using Bytes = std::vector<uint8_t>;

std::string writeScratch(const char* name, const Bytes& bytes)
{
    return writeScratchFile("mcg", name, bytes);
}

// A picture with a gradient and flat bands (bottom-up BGR0) and a ramp alpha.
struct Sample {
    int32_t w = 23, h = 11;
    Bytes pixels, alpha;
    Sample()
    {
        for (int32_t y = 0; y < h; ++y) {
            for (int32_t x = 0; x < w; ++x) {
                pixels.insert(pixels.end(), { uint8_t(x * 11), uint8_t(x < 10 ? 50 : y * 20), uint8_t(x ^ y), 0 });
                alpha.push_back(uint8_t(x * 255 / (w - 1)));
            }
        }
    }
};

// Slot of a virtual member of FCMcg relative to slot 1 (the GNU ABI keeps
// 1 + the byte offset in the table in a member function pointer).
template <typename Member> ptrdiff_t mcgSlotFrom1(Member member)
{
    uintptr_t rawSlot = 0, first = 0;
    std::memcpy(&rawSlot, &member, sizeof rawSlot);
    auto slot1 = &FCMcg::attach;
    std::memcpy(&first, &slot1, sizeof first);
    return 1 + static_cast<ptrdiff_t>(rawSlot - first) / static_cast<ptrdiff_t>(sizeof(void*));
}

} // namespace

// Scenario modules read these members directly (checked as this file compiles).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
LUMIVEX_MEMBER_AT(FCMcg, file, 4);
LUMIVEX_MEMBER_AT(FCMcg, start, 8);
LUMIVEX_MEMBER_AT(FCMcg, end, 12);
static_assert(ascending({ offsetof(FCMcg, file), offsetof(FCMcg, start), offsetof(FCMcg, end) }));
LUMIVEX_SIZE_IS(FCMcg, 16);
LUMIVEX_MEMBER_AT(UxCgSurface, bits, 4);
LUMIVEX_MEMBER_AT(UxCgSurface, width, 8);
LUMIVEX_MEMBER_AT(UxCgSurface, height, 12);
LUMIVEX_MEMBER_AT(UxCgSurface, palette, 16);
LUMIVEX_MEMBER_AT(UxCgSurface, format, 1044);
static_assert(ascending({ offsetof(UxCgSurface, bits), offsetof(UxCgSurface, width), offsetof(UxCgSurface, height),
    offsetof(UxCgSurface, palette), offsetof(UxCgSurface, format) }));
static_assert(offsetof(UxCgSurface, format) == offsetof(UxCgSurface, palette) + 4 + 1024);
#pragma GCC diagnostic pop

TEST(McgSurface, CgSlotsInContractOrder)
{
    EXPECT_EQ(mcgSlotFrom1(&FCMcg::isReadable), 2);
    EXPECT_EQ(mcgSlotFrom1(&FCMcg::checkSignature), 3);
    EXPECT_EQ(mcgSlotFrom1(&FCMcg::decodeAll), 4);
    EXPECT_EQ(mcgSlotFrom1(&FCMcg::decodeMemory), 5);
    EXPECT_EQ(mcgSlotFrom1(&FCMcg::readIndexAlpha), 6);
    EXPECT_EQ(mcgSlotFrom1(&FCMcg::colourCount), 7);
    EXPECT_EQ(mcgSlotFrom1(&FCMcg::readPalette), 8);
    EXPECT_EQ(mcgSlotFrom1(&FCMcg::writePalette), 9);
}

TEST(McgSurface, KeyedFileWithMaskBecomesPixelsAndAlpha)
{
    const Sample s;
    McgWriter::KeyedOptions options;
    options.maskLevels = 256;
    options.key = 0x1234;
    const std::string path
        = writeScratch("keyed.mcg", McgWriter::writeKeyed(s.pixels.data(), s.alpha.data(), s.w, s.h, options));

    FCVSurface24 surface;
    ASSERT_EQ(surface.load(path.c_str(), 0, 0x1234), 1);
    ASSERT_EQ(surface.width(), s.w);
    ASSERT_EQ(surface.height(), s.h);
    EXPECT_EQ(0, std::memcmp(surface.bits, s.pixels.data(), s.pixels.size()));
    ASSERT_TRUE(surface.hasAlpha());
    for (int32_t y = 0; y < s.h; ++y)
        for (int32_t x = 0; x < s.w; ++x)
            ASSERT_EQ(surface.alpha->bits[y * surface.alpha->stride() + x], s.alpha[y * s.w + x]);
    EXPECT_EQ(surface.imageInfo, 24u | FCVSurface24::kInfoCallerKey | FCVSurface24::kInfoMask256);

    // The same through the shared loader gives the same picture.
    FCFile file;
    ASSERT_EQ(file.open(path.c_str()), 0u);
    SurfaceLoad::Picture picture;
    ASSERT_EQ(SurfaceLoad::loadStream(file, 0, 0x1234, picture), 1);
    EXPECT_EQ(0, std::memcmp(picture.bits(), surface.bits, s.pixels.size()));

    // Flag 0x100 leaves the mask out; no key shows the placeholder.
    FCVSurface24 unmasked;
    ASSERT_EQ(unmasked.load(path.c_str(), SurfaceLoad::kIgnoreMask, 0x1234), 1);
    EXPECT_FALSE(unmasked.hasAlpha());
    FCVSurface24 locked;
    ASSERT_EQ(locked.load(path.c_str(), 0, 0), 1);
    EXPECT_EQ(locked.pixel(4, 0), 0x00FF00u);
    EXPECT_EQ(locked.pixel(4, 1), 0u);
    EXPECT_EQ(locked.pixel(4, 3), 0x00FF00u);
    EXPECT_FALSE(locked.hasAlpha());
    std::remove(path.c_str());
}

TEST(McgSurface, PlainFileGoesThroughTheDib)
{
    const Sample s;
    const std::string path = writeScratch("plain.mcg", McgWriter::writePlain(s.pixels.data(), s.w, s.h));
    FCVSurface24 surface;
    ASSERT_EQ(surface.load(path.c_str(), 0, 0), 1);
    ASSERT_EQ(surface.width(), s.w);
    EXPECT_EQ(0, std::memcmp(surface.bits, s.pixels.data(), s.pixels.size()));
    EXPECT_FALSE(surface.hasAlpha());
    EXPECT_EQ(surface.imageInfo, 24u);
    std::remove(path.c_str());
}

TEST(McgSurface, RcgResourceOfTheModule)
{
    HMODULE self = GetModuleHandleW(nullptr);
    FCDib dib;
    ASSERT_TRUE(loadDibResource(dib, MAKEINTRESOURCEA(kPlainRcg), self, 0));
    FCVSurface24 surface;
    ASSERT_EQ(surface.loadDib(dib, 0), 1);
    ASSERT_EQ(surface.width(), 3);
    ASSERT_EQ(surface.height(), 2);
    // Stored top-down: the top row is 1..9, the bottom row 10..18.
    EXPECT_EQ(surface.pixel(0, 0), 0x010203u);
    EXPECT_EQ(surface.pixel(2, 0), 0x070809u);
    EXPECT_EQ(surface.pixel(1, 1), 0x0D0E0Fu);

    // An "RCG" resource without its tag, and a missing one, load nothing.
    EXPECT_FALSE(loadDibResource(dib, MAKEINTRESOURCEA(kNotRcg), self, 0));
    EXPECT_FALSE(loadDibResource(dib, MAKEINTRESOURCEA(999), self, 0));

    // The 8-bit surface's resource slot takes the same picture.
    FCVSurface surface8;
    ASSERT_EQ(surface8.load(MAKEINTRESOURCEA(kPlainRcg), 0, self, 0), 1);
    EXPECT_EQ(surface8.width(), 3);
}

TEST(McgSurface, CgDescriptorOverASurfacesPlanes)
{
    FCVSurface24 surface(5, 3);
    UxCgSurface colour;
    colour.set(surface.bits, 5, 3, UxCgSurface::kBgr | UxCgSurface::kAlphaZero | UxCgSurface::kPadded);
    // Pixel (x, y) of the descriptor is the surface's pixel (x, y).
    EXPECT_EQ(colour.pixelAt(2, 1), surface.pixelAt(2, 1));
    surface.createAlpha(0);
    UxCgSurface alpha;
    alpha.set(surface.alpha->bits, 5, 3, UxCgSurface::kOneByte | UxCgSurface::kPadded);
    EXPECT_EQ(alpha.stride(), surface.alpha->stride());
    EXPECT_EQ(alpha.pixelAt(4, 0), surface.alpha->bits + 2 * surface.alpha->stride() + 4);
}
