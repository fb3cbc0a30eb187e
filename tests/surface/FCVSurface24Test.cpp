#include "surface/FCVSurface24.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/Diagnostic.h"
#include "foundation/FCFile.h"
#include "foundation/FCPathName.h"
#include "support/ContractLayout.h"
#include "support/TestFiles_win32.h"
#include "surface/FCAnimationSurfaceContainer.h"
#include "surface/FCVSurface.h"
#include "surface/Resample.h"
#include "surface/UxLayerSurface.h"
#include "window/FCVWin.h"

namespace {

std::string scratch(const char* name)
{
    return scratchFile("surface24", name);
}

// The four bytes of a pixel as one word (blue in the low byte).
uint32_t raw(const FCVSurface24& s, int32_t x, int32_t y)
{
    uint32_t v;
    std::memcpy(&v, s.pixelAt(x, y), 4);
    return v;
}

void setRaw(FCVSurface24& s, int32_t x, int32_t y, uint32_t v)
{
    std::memcpy(s.pixelAt(x, y), &v, 4);
}

// Every pixel a different colour, fourth byte 0.
void paintIndexed(FCVSurface24& s, uint32_t base)
{
    for (int32_t y = 0; y < s.height(); ++y)
        for (int32_t x = 0; x < s.width(); ++x)
            setRaw(s, x, y, (base + uint32_t(y) * 256 + uint32_t(x)) & 0xFFFFFF);
}

std::vector<uint32_t> snapshot(const FCVSurface24& s)
{
    std::vector<uint32_t> out;
    for (int32_t y = 0; y < s.height(); ++y)
        for (int32_t x = 0; x < s.width(); ++x)
            out.push_back(raw(s, x, y));
    return out;
}

// Scenario modules read these members directly (checked as this file compiles).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
using LayerSurface24 = UxLayerVSurface24;
LUMIVEX_MEMBER_AT(UxLayerVSurface24, bitmap, 4);
LUMIVEX_MEMBER_AT(UxLayerVSurface24, header, 8);
LUMIVEX_MEMBER_AT(UxLayerVSurface24, bits, 12);
LUMIVEX_MEMBER_AT(UxLayerVSurface24, cpuFeatures, 16);
LUMIVEX_MEMBER_AT(UxLayerVSurface24, dcLock, 20);
LUMIVEX_MEMBER_AT(UxLayerVSurface24, dc, 52);
LUMIVEX_MEMBER_AT(UxLayerVSurface24, dcUseCount, 96);
LUMIVEX_MEMBER_AT(UxLayerVSurface24, randomState, 100);
LUMIVEX_MEMBER_AT(UxLayerVSurface24, scratch, 104);
LUMIVEX_MEMBER_AT(UxLayerVSurface24, alpha, 128);
LUMIVEX_MEMBER_AT(UxLayerVSurface24, alphaFlags, 132);
LUMIVEX_MEMBER_AT(UxLayerVSurface24, imageInfo, 136);
LUMIVEX_MEMBER_AT(UxLayerVSurface24, owner, 140);
static_assert(ascending({ offsetof(LayerSurface24, bitmap), offsetof(LayerSurface24, header),
    offsetof(LayerSurface24, bits), offsetof(LayerSurface24, cpuFeatures), offsetof(LayerSurface24, dcLock),
    offsetof(LayerSurface24, dc), offsetof(LayerSurface24, dcUseCount), offsetof(LayerSurface24, randomState),
    offsetof(LayerSurface24, scratch), offsetof(LayerSurface24, alpha), offsetof(LayerSurface24, alphaFlags),
    offsetof(LayerSurface24, imageInfo), offsetof(LayerSurface24, owner) }));
LUMIVEX_MEMBER_AT(UxLayerVSurface24, dcLock.waiters, 48);
LUMIVEX_MEMBER_AT(UxLayerVSurface24, scratch.thirdCapacity, 124);
LUMIVEX_SIZE_IS(FCVSurface24, 140);
LUMIVEX_MEMBER_AT(UxLayerSurface, surface, 4);
LUMIVEX_MEMBER_AT(UxLayerSurface, kind, 8);
static_assert(ascending({ offsetof(UxLayerSurface, surface), offsetof(UxLayerSurface, kind) }));
LUMIVEX_MEMBER_AT(FCAnimationSurfaceContainer, holder, 4);
LUMIVEX_MEMBER_AT(FCAnimationSurfaceContainer, keyMode, 16);
static_assert(
    ascending({ offsetof(FCAnimationSurfaceContainer, holder), offsetof(FCAnimationSurfaceContainer, keyMode) }));
#pragma GCC diagnostic pop

// Slot of a virtual member relative to slot 1 (the GNU ABI keeps 1 + the byte
// offset in the table in a member function pointer).
template <typename Member> ptrdiff_t slotFrom1(Member member)
{
    uintptr_t rawSlot = 0, first = 0;
    std::memcpy(&rawSlot, &member, sizeof rawSlot);
    auto slot1 = &FCVSurface24::loadDib;
    std::memcpy(&first, &slot1, sizeof first);
    return 1 + static_cast<ptrdiff_t>(rawSlot - first) / static_cast<ptrdiff_t>(sizeof(void*));
}

TEST(FCVSurface24, SlotsInContractOrder)
{
    using S = FCVSurface24;
    EXPECT_EQ(slotFrom1(static_cast<int32_t (S::*)(const FCPathName&, uint32_t, int32_t)>(&S::load)), 2);
    EXPECT_EQ(slotFrom1(&S::create), 3);
    EXPECT_EQ(slotFrom1(&S::loadStream), 4);
    EXPECT_EQ(slotFrom1(static_cast<int32_t (S::*)(const char*, uint32_t, int32_t)>(&S::load)), 5);
    EXPECT_EQ(slotFrom1(&S::stretchTo), 6);
    EXPECT_EQ(slotFrom1(&S::stretchTo8), 7);
    EXPECT_EQ(slotFrom1(&S::stretchAllTo), 8);
    EXPECT_EQ(slotFrom1(&S::gdiStretchTo), 9);
    EXPECT_EQ(slotFrom1(&S::gdiStretchAllTo), 11);
    EXPECT_EQ(slotFrom1(&S::paintRect), 12);
    EXPECT_EQ(slotFrom1(&S::paintWindow), 15);
    EXPECT_EQ(slotFrom1(&S::capture), 16);
    EXPECT_EQ(slotFrom1(&S::copyDib), 17);
    EXPECT_EQ(slotFrom1(&S::tilePaint), 19);
    EXPECT_EQ(slotFrom1(&S::save), 20);
    EXPECT_EQ(slotFrom1(&S::restore), 21);
    EXPECT_EQ(slotFrom1(&S::saveShuffledBmp), 22);
    EXPECT_EQ(slotFrom1(&S::writeBmp), 24);
    EXPECT_EQ(slotFrom1(&UxLayerVSurface24::update), 25);
}

TEST(FCVSurface24, FillStoresColourBytesBottomUp)
{
    FCVSurface24 s(3, 2);
    ASSERT_NE(s.bits, nullptr);
    EXPECT_EQ(s.header->bitCount, 32);
    EXPECT_EQ(s.header->height, 2);
    s.fill(0x00112233);
    EXPECT_EQ(s.bits[0], 0x11);
    EXPECT_EQ(s.bits[1], 0x22);
    EXPECT_EQ(s.bits[2], 0x33);
    EXPECT_EQ(s.bits[3], 0x00);
    EXPECT_EQ(s.pixel(2, 1), 0x00112233u);
    FCRect area(2, 1, 9, 9);
    s.fill(0x000000FF, &area);
    EXPECT_EQ(s.pixelAt(2, 1), s.bits + 8); // the bottom row comes first
    EXPECT_EQ(s.pixel(2, 1), 0x000000FFu);
    EXPECT_EQ(s.pixel(1, 1), 0x00112233u);
    EXPECT_EQ(s.pixel(2, 0), 0x00112233u);
    EXPECT_EQ(s.pixel(3, 0), 0u);
}

struct ClipCase {
    int32_t dx, dy, sx, sy, w, h;
};

// Where the copy lands: destination (dx + i, dy + j) takes source
// (sx + i, sy + j) wherever both lie inside.
std::vector<uint32_t> expectedCopy(const FCVSurface24& from, const FCVSurface24& to, const ClipCase& c)
{
    std::vector<uint32_t> out = snapshot(to);
    for (int64_t y = 0; y < to.height(); ++y)
        for (int64_t x = 0; x < to.width(); ++x) {
            int64_t i = x - c.dx, j = y - c.dy, fx = c.sx + i, fy = c.sy + j;
            if (i >= 0 && j >= 0 && i < c.w && j < c.h && fx >= 0 && fy >= 0 && fx < from.width() && fy < from.height())
                out[size_t(y * to.width() + x)] = raw(from, int32_t(fx), int32_t(fy));
        }
    return out;
}

const ClipCase kClipCases[] = {
    { 1, 1, 0, 0, 4, 3 },
    { -2, 1, 1, 0, 4, 3 },
    { 2, -1, -1, 1, 9, 9 },
    { -1, -2, -3, 0, 5, 5 },
    { 4, 3, 0, 0, 100, 100 },
    { 6, 0, 0, 0, 2, 2 },
    { 0, 5, 0, 0, 2, 2 },
    { 0, 0, 4, 0, 2, 2 },
    { 0, 0, 0, 0, 0, 3 },
    { INT32_MIN, 0, 0, 0, INT32_MAX, 3 },
    { 0, 0, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX },
    { INT32_MAX, INT32_MAX, 0, 0, INT32_MAX, INT32_MAX },
    { 3, 2, -INT32_MAX, 2, INT32_MAX, 1 },
};

TEST(FCVSurface24, CopyAndBlendClipToBothSurfaces)
{
    FCVSurface24 from(4, 3);
    paintIndexed(from, 0x100000);
    // A fully opaque alpha plane: blend then draws what copy does.
    FCVSurface24 opaque(from);
    opaque.createAlpha(255);
    for (const ClipCase& c : kClipCases) {
        for (int blend = 0; blend < 2; ++blend) {
            SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy << " " << c.sx << "," << c.sy << " " << c.w << "x"
                                            << c.h << (blend ? " blend" : " copy"));
            FCVSurface24 to(6, 5);
            to.fill(0x00ABCDEF);
            std::vector<uint32_t> expected = expectedCopy(from, to, c);
            if (blend)
                opaque.blend(to, c.dx, c.dy, c.sx, c.sy, c.w, c.h);
            else
                from.copyRect(to, c.dx, c.dy, c.sx, c.sy, c.w, c.h);
            EXPECT_EQ(snapshot(to), expected);
        }
    }
}

TEST(FCVSurface24, BlendThroughAlphaAndLevels)
{
    FCVSurface24 from(2, 1), to(2, 1);
    from.fill(0x00FFFFFF);
    to.fill(0);
    setRaw(to, 1, 0, 0x7F000000);
    from.createAlpha(0);
    EXPECT_TRUE(from.hasAlpha());
    *from.alpha->pixel(0, 0) = 1;
    from.blend(to, 0, 0, 0, 0, 2, 1);
    EXPECT_EQ(raw(to, 0, 0), 0x00010101u); // (255 x 2) >> 8
    EXPECT_EQ(raw(to, 1, 0), 0x7F000000u); // alpha 0 leaves all four bytes
    from.alphaFlags = FCVSurface24::kAlphaOff; // switched off: a straight copy
    EXPECT_FALSE(from.hasAlpha());
    from.blend(to, 0, 0, 0, 0, 2, 1);
    EXPECT_EQ(raw(to, 1, 0), 0x00FFFFFFu);

    FCVSurface24 plain(1, 1);
    plain.fill(0x00FFFFFF);
    struct {
        int32_t level;
        uint32_t expected;
    } const levels[] = { { 20, 0x00FFFFFF }, { 16, 0x00FFFFFF }, { 8, 0x007F7F7F }, { 0, 0 }, { -3, 0 } };
    for (const auto& l : levels) {
        FCVSurface24 target(1, 1);
        target.fill(0);
        plain.blendLevel(target, 0, 0, 0, 0, 1, 1, l.level);
        EXPECT_EQ(raw(target, 0, 0), l.expected) << l.level;
    }
}

TEST(FCVSurface24, ResampleOfEqualSizesIsBlend)
{
    FCVSurface24 from(5, 4);
    paintIndexed(from, 0x204060);
    from.createAlpha(0);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 5; ++x)
            *from.alpha->pixel(x, y) = static_cast<uint8_t>(x * 60 + y);
    FCVSurface24 a(7, 6), b(7, 6);
    a.fill(0x00336699);
    b.fill(0x00336699);
    from.blend(a, 2, 1, 1, 1, 4, 3);
    EXPECT_EQ(from.resample(b, FCRect(2, 1, 6, 4), FCRect(1, 1, 5, 4)), 1);
    EXPECT_EQ(snapshot(a), snapshot(b));
    // Scaled rectangles reaching outside are refused rather than clipped.
    EXPECT_EQ(from.resample(b, FCRect(-1, 0, 6, 6), FCRect(0, 0, 5, 4)), 0);
    EXPECT_EQ(from.resample(b, FCRect(0, 0, 7, 6), FCRect(0, 0, 6, 4)), 0);
    EXPECT_EQ(from.resample(b, FCRect(0, 0, 7, 6), FCRect(0, 0, 5, 4)), 1);
}

// Above the Lanczos limit into part of the destination: the fallback scaler
// draws into a surface of its own, which lands at the target rectangle.
TEST(FCVSurface24, ResampleAboveTheLimitIntoPartOfTheDestination)
{
    FCVSurface24 from(4, 2);
    paintIndexed(from, 0x102030);
    constexpr int32_t kWidth = Resample::kMaxLanczosSize + 102, kHeight = 4;
    FCVSurface24 to(kWidth, kHeight);
    to.fill(0x00ABCDEF);
    const FCRect target(1, 1, kWidth - 1, 3);
    const int32_t dw = target.width(), dh = target.height();
    ASSERT_EQ(from.resample(to, target, FCRect(0, 0, 4, 2)), 1);

    // What the fallback scaler makes of the source at the target's size.
    std::vector<uint8_t> expected(size_t(dw) * dh * 4);
    ASSERT_EQ(Resample::fallbackScale(expected.data(), ptrdiff_t(dw) * 4, dw, dh, from.topRow(), -from.stride(), 4, 2),
        Resample::Outcome::Done);
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x) {
            const bool inside = x >= target.left && x < target.right && y >= target.top && y < target.bottom;
            uint32_t want = 0x00EFCDABu;
            if (inside) {
                const uint8_t* p = &expected[(size_t(y - target.top) * dw + size_t(x - target.left)) * 4];
                want = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
            }
            ASSERT_EQ(raw(to, x, y), want) << x << "," << y;
        }
}

TEST(FCVSurface24, StretchToScalesAndClipsHostileRectangles)
{
    FCVSurface24 from(5, 4);
    paintIndexed(from, 0x010000);
    struct Case {
        int32_t dx, dy, dw, dh, sx, sy, sw, sh;
    } const cases[] = {
        { 0, 0, 10, 8, 0, 0, 5, 4 },
        { -3, -2, 10, 8, 0, 0, 5, 4 },
        { 2, 1, 3, 2, 1, 1, 4, 3 },
        { 0, 0, 8, 6, -2, -1, 5, 4 },
        { 4, 3, 100000, 100000, 3, 2, 50, 50 },
        { 0, 0, INT32_MAX, INT32_MAX, 0, 0, INT32_MAX, INT32_MAX },
        { INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0, 0, 5, 4 },
        { 0, 0, 8, 6, INT32_MIN, 0, INT32_MAX, 4 },
        { 0, 0, -8, 6, 0, 0, 5, 4 },
        { 0, 0, 8, 6, 0, 0, -5, 4 },
        { 0, 0, INT32_MIN, INT32_MIN, 0, 0, INT32_MIN, INT32_MIN },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy << " " << c.dw << "x" << c.dh << " from " << c.sx << ","
                                        << c.sy << " " << c.sw << "x" << c.sh);
        FCVSurface24 to(8, 6);
        to.fill(0x00ABCDEF);
        std::vector<uint32_t> expected = snapshot(to);
        if (c.dw > 0 && c.dh > 0 && c.sw > 0 && c.sh > 0) {
            // Equal sizes copy, which the same mapping describes (step 1.0).
            const int64_t stepX = (int64_t(c.sw) << 12) / c.dw, stepY = (int64_t(c.sh) << 12) / c.dh;
            for (int64_t y = 0; y < 6; ++y)
                for (int64_t x = 0; x < 8; ++x) {
                    int64_t i = x - c.dx, j = y - c.dy;
                    if (i < 0 || j < 0 || i >= c.dw || j >= c.dh)
                        continue;
                    int64_t fx = c.sx + ((i * stepX) >> 12), fy = c.sy + ((j * stepY) >> 12);
                    if (fx >= 0 && fy >= 0 && fx < 5 && fy < 4)
                        expected[size_t(y * 8 + x)] = raw(from, int32_t(fx), int32_t(fy));
                }
        }
        from.stretchTo(to, c.dx, c.dy, c.dw, c.dh, c.sx, c.sy, c.sw, c.sh, FCVSurface24::kPlaneColour);
        EXPECT_EQ(snapshot(to), expected);
    }
}

TEST(FCVSurface24, StretchToCarriesAlpha)
{
    FCVSurface24 from(2, 2), to(4, 4);
    from.fill(0x00FF0000);
    from.createAlpha(200);
    to.fill(0);
    EXPECT_EQ(from.stretchTo(to, 1, 1, 2, 2, 0, 0, 2, 2, FCVSurface24::kPlaneAlpha), 1);
    ASSERT_TRUE(to.hasAlpha());
    EXPECT_EQ(*to.alpha->pixel(1, 1), 200);
    EXPECT_EQ(*to.alpha->pixel(0, 0), 0);
    EXPECT_EQ(to.pixel(1, 1), 0u); // colour was not asked for
}

TEST(FCVSurface24, TilesOverAnArea)
{
    FCVSurface24 tile(10, 10), to(30, 15);
    paintIndexed(tile, 0x300000);
    to.fill(0x00ABCDEF);
    FCRect area(2, 1, 27, 13); // 25 x 12: two whole tiles and a 5-wide one per row
    EXPECT_EQ(tile.tileTo(to, &area), 1);
    for (int32_t y = 0; y < 15; ++y)
        for (int32_t x = 0; x < 30; ++x) {
            bool inside = x >= 2 && x < 27 && y >= 1 && y < 13;
            uint32_t expected = inside ? raw(tile, (x - 2) % 10, (y - 1) % 10) : 0x00EFCDABu;
            ASSERT_EQ(raw(to, x, y), expected) << x << "," << y;
        }
    // An area of billions of tiles costs only the ones that show.
    FCRect huge(-1000000000, -1000000000, 1000000000, 1000000000);
    EXPECT_EQ(tile.tileTo(to, &huge), 1);
    EXPECT_EQ(raw(to, 0, 0), raw(tile, 0, 0));
    EXPECT_EQ(raw(to, 29, 14), raw(tile, 9, 4));
}

TEST(FCVSurface24, FlipMirrorsColourAndAlpha)
{
    FCVSurface24 s(3, 2);
    paintIndexed(s, 0);
    s.createAlpha(0);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            *s.alpha->pixel(x, y) = static_cast<uint8_t>(10 * y + x);
    EXPECT_EQ(s.flip(3, 0, 0, 0, 0), 1); // both ways, the whole surface
    EXPECT_EQ(raw(s, 0, 0), 0x000102u);
    EXPECT_EQ(raw(s, 2, 1), 0x000000u);
    EXPECT_EQ(*s.alpha->pixel(0, 0), 12);
    EXPECT_EQ(*s.alpha->pixel(1, 1), 1);
    EXPECT_EQ(s.flip(2, 1, 0, 100, 1), 1); // columns 1..2 of the top row
    EXPECT_EQ(raw(s, 1, 0), 0x000100u);
    EXPECT_EQ(raw(s, 2, 0), 0x000101u);
    EXPECT_EQ(*s.alpha->pixel(2, 0), 11);
    EXPECT_EQ(s.flip(1, 5, 0, 2, 2), 0);
}

TEST(FCVSurface24, CopyFlippedTakesTheMirroredRectangle)
{
    FCVSurface24 from(4, 3), to(4, 3);
    paintIndexed(from, 0);
    to.fill(0x00ABCDEF);
    // Horizontal: the 2 x 1 rectangle at 0, 0 is measured from the right edge.
    EXPECT_EQ(from.copyFlipped(2, to, 0, 0, 0, 0, 2, 1), 1);
    EXPECT_EQ(raw(to, 0, 0), 0x000003u);
    EXPECT_EQ(raw(to, 1, 0), 0x000002u);
    // Clipped on the left: the dropped destination column is the source's last.
    to.fill(0x00ABCDEF);
    EXPECT_EQ(from.copyFlipped(1, to, -1, 0, 0, 0, 3, 3), 1);
    EXPECT_EQ(raw(to, 0, 0), 0x000201u);
    EXPECT_EQ(raw(to, 0, 2), 0x000001u);
    EXPECT_EQ(raw(to, 2, 0), 0x00EFCDABu);
    EXPECT_EQ(from.copyFlipped(3, to, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX), 0);
}

TEST(FCVSurface24, CreateAlphaKeepsAPlaneOfItsSize)
{
    FCVSurface24 s(4, 2);
    s.createAlpha(0);
    *s.alpha->pixel(3, 1) = 77;
    FCVSurface* plane = s.alpha;
    s.createAlpha(9);
    EXPECT_EQ(s.alpha, plane);
    EXPECT_EQ(*s.alpha->pixel(3, 1), 77);
    s.create(5, 5);
    EXPECT_EQ(s.alpha, nullptr);
    FCVSurface24 empty;
    empty.createAlpha(0);
    EXPECT_FALSE(empty.hasAlpha());
}

TEST(FCVSurface24, LoadDibTakesEightTwentyFourAndThirtyTwoBits)
{
    FCVSurface24 s(2, 2);
    FCDib empty;
    EXPECT_EQ(s.loadDib(empty, 0), 1);
    EXPECT_EQ(s.width(), 32);
    EXPECT_EQ(s.pixel(31, 31), 0x000000FFu);

    FCDib four;
    ASSERT_TRUE(four.create(3, 2, 4));
    EXPECT_EQ(s.loadDib(four, 0), 0);
    EXPECT_EQ(s.width(), 32);

    FCDib eight;
    ASSERT_TRUE(eight.create(3, 2, 8));
    *eight.pixel(2, 1) = 200;
    ASSERT_EQ(s.loadDib(eight, 0), 1);
    EXPECT_EQ(s.width(), 3);
    EXPECT_EQ(raw(s, 2, 1), 0x00C8C8C8u);
    EXPECT_EQ(s.header->sizeImage, 24u);

    FCDib deep;
    ASSERT_TRUE(deep.create(2, 1, 24));
    deep.pixel(1, 0)[0] = 1;
    deep.pixel(1, 0)[1] = 2;
    deep.pixel(1, 0)[2] = 3;
    FCVSurface24 target(3, 3);
    target.fill(0x00ABCDEF);
    EXPECT_EQ(target.copyDib(deep), 1);
    EXPECT_EQ(raw(target, 1, 0), 0x030201u);
    EXPECT_EQ(raw(target, 2, 0), 0x00EFCDABu);
}

TEST(FCVSurface24, SaveRestoreRoundTripAndDamagedRecords)
{
    const std::string path = scratch("record");
    FCVSurface24 s(3, 2);
    paintIndexed(s, 0x0A0000);
    {
        FCFile file;
        ASSERT_EQ(file.open(path.c_str(), FCFile::kCreateAlways, FCFile::kReadWrite), 0u);
        EXPECT_EQ(s.save(file), 1);
    }
    std::vector<uint8_t> record = readAll(path);
    ASSERT_EQ(record.size(), 4u + 4 + 4 + 13 + 40 + 24);
    EXPECT_EQ(record[8], 13);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&record[12])), "FCVSurface24");
    {
        FCVSurface24 back(1, 1);
        FCFile file;
        ASSERT_EQ(file.open(path.c_str()), 0u);
        EXPECT_EQ(back.restore(file), 1);
        EXPECT_EQ(snapshot(back), snapshot(s));
        EXPECT_EQ(file.position(), int64_t(record.size()));
    }
    // Each damaged record leaves the surface and the file position alone.
    struct Damage {
        size_t at;
        uint8_t value;
        size_t keep;
    } const damages[] = {
        { 13, 'X', 0 }, // another class name
        { 25 + 4, 99, 0 }, // a width beyond the pixels
        { 25 + 14, 24, 0 }, // 24 bits a pixel
        { 0, record[0], record.size() - 1 }, // pixels cut short
        { 0, record[0], 30 }, // header cut short
    };
    for (const Damage& d : damages) {
        std::vector<uint8_t> bytes = record;
        bytes[d.at] = d.value;
        if (d.keep)
            bytes.resize(d.keep);
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        FCVSurface24 back(1, 1);
        back.fill(0x00123456);
        FCFile file;
        ASSERT_EQ(file.open(path.c_str()), 0u);
        EXPECT_EQ(back.restore(file), 0) << d.at;
        EXPECT_EQ(file.position(), 0) << d.at;
        EXPECT_EQ(back.width(), 1);
        EXPECT_EQ(back.pixel(0, 0), 0x00123456u);
    }
    std::remove(path.c_str());
}

TEST(FCVSurface24, WritesTwentyFourBitBmp)
{
    FCVSurface24 s(5, 2);
    paintIndexed(s, 0x030201);
    const std::string path = scratch("picture.bmp");
    ASSERT_EQ(s.saveBmp(FCPathName(path.c_str())), 1);
    std::vector<uint8_t> bmp = readAll(path);
    ASSERT_EQ(bmp.size(), 16u * 2 + 54);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    uint32_t fileSize, offset, imageSize;
    uint16_t bitCount;
    std::memcpy(&fileSize, &bmp[2], 4);
    std::memcpy(&offset, &bmp[10], 4);
    std::memcpy(&bitCount, &bmp[14 + 14], 2);
    std::memcpy(&imageSize, &bmp[14 + 20], 4);
    EXPECT_EQ(fileSize, 86u);
    EXPECT_EQ(offset, 54u);
    EXPECT_EQ(bitCount, 24);
    EXPECT_EQ(imageSize, 32u);
    // Bottom row first, blue green red, the row padded with 0.
    EXPECT_EQ(bmp[54], 0x01);
    EXPECT_EQ(bmp[55], 0x02 + 1); // row 1
    EXPECT_EQ(bmp[56], 0x03);
    EXPECT_EQ(bmp[57], 0x01 + 1); // column 1
    EXPECT_EQ(bmp[54 + 15], 0);
    EXPECT_EQ(bmp[54 + 17], 0x02); // row 0

    // A key above 0xFFFF writes the rows unrotated.
    ASSERT_EQ(s.saveShuffledBmp(FCPathName(path.c_str()), 0x10000), 1);
    EXPECT_EQ(readAll(path), bmp);
    ASSERT_EQ(s.saveShuffledBmp(FCPathName(path.c_str()), 0x1234), 1);
    std::vector<uint8_t> shuffled = readAll(path);
    ASSERT_EQ(shuffled.size(), bmp.size());
    EXPECT_NE(shuffled, bmp);
    std::remove(path.c_str());
}

TEST(FCVSurface24, NextRandomSequence)
{
    FCVSurface24 s;
    s.randomState = 7;
    EXPECT_EQ(s.nextRandom(0xFFFFFFFF), 0x8D6BCFC4u);
    EXPECT_EQ(s.nextRandom(100), 22u);
    EXPECT_EQ(s.nextRandom(1000), 37u);
    EXPECT_EQ(s.nextRandom(3), 0u);
}

TEST(FCVSurface24, ScratchGrowsOnlyInSteps)
{
    FCVSurface24 s(2, 2);
    uint32_t* pair = s.scratchPair(10);
    ASSERT_NE(pair, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(pair) % 16, 0u);
    EXPECT_EQ(s.scratch.pairCapacity, 1024u);
    EXPECT_EQ(s.scratchPair(1024), pair);
    s.scratchThird(1025);
    EXPECT_EQ(s.scratch.thirdCapacity, 4096u);
    s.scratchSecond(513);
    EXPECT_EQ(s.scratch.secondCapacity, 1024u);
    EXPECT_EQ(s.scratchPair(0), nullptr);
    EXPECT_EQ(s.scratch.pairCapacity, 0u);
}

// A table of 256 entries (blue, green, red, 0) built from the index.
template <typename Entry> void setTable(FCVSurface& s, Entry entry)
{
    uint8_t table[256 * 4];
    for (int i = 0; i < 256; ++i) {
        uint32_t v = entry(i);
        std::memcpy(&table[i * 4], &v, 4);
    }
    s.setColorRange(table, 0, 256);
}

void greyTable(FCVSurface& s)
{
    setTable(s, [](int i) { return uint32_t(i) * 0x010101u; });
}

// One channel blended with weight k (in 1/256).
uint32_t mixRaw(uint32_t s, uint32_t d, uint32_t k)
{
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c) {
        int32_t sc = (s >> (8 * c)) & 0xFF, dc = (d >> (8 * c)) & 0xFF;
        out |= uint32_t(((sc - dc) * int32_t(k) + dc * 256) >> 8) << (8 * c);
    }
    return out;
}

TEST(FCVSurface24, BlendMaskThroughMaskAndSourceAlpha)
{
    // Mask bytes over the destination row 1 (read at its coordinates) and
    // source alpha bytes; mask 0 must leave the pixel whatever the level.
    const uint8_t masks[] = { 0, 1, 128, 255, 255, 40 };
    const uint8_t alphas[] = { 255, 255, 100, 1, 255, 3 };
    const uint32_t source = 0x00C86432, background = 0x7F102030;
    const int32_t levels[] = { 16, 8, 1, 0 };
    for (bool withAlpha : { false, true })
        for (int32_t level : levels) {
            SCOPED_TRACE(testing::Message() << "level " << level << (withAlpha ? " source alpha" : " mask only"));
            FCVSurface24 from(6, 1), to(8, 2);
            from.fill(0);
            for (int32_t x = 0; x < 6; ++x)
                setRaw(from, x, 0, source);
            if (withAlpha) {
                from.createAlpha(0);
                for (int32_t x = 0; x < 6; ++x)
                    *from.alpha->pixel(x, 0) = alphas[x];
            }
            for (int32_t y = 0; y < 2; ++y)
                for (int32_t x = 0; x < 8; ++x)
                    setRaw(to, x, y, background);
            FCVSurface mask(8, 2, 0);
            for (int32_t x = 0; x < 6; ++x)
                *mask.pixel(x + 2, 1) = masks[x];
            *mask.pixel(2, 0) = 255; // row 0 of the mask is not under the drawn row
            const uint32_t o = level >= 16 ? 255 : uint32_t(level) * 16;
            std::vector<uint32_t> expected = snapshot(to);
            for (int32_t x = 0; x < 6 && level > 0; ++x) {
                const uint32_t m = masks[x];
                uint32_t k = 0;
                if (withAlpha) {
                    if (m)
                        k = ((m + 1) * (o + 1) * alphas[x]) >> 16;
                } else {
                    uint32_t a = o < 255 ? (m * (o + 1)) >> 8 : m;
                    k = a ? a + 1 : 0;
                }
                if (k >= 1)
                    expected[size_t(8 + x + 2)] = mixRaw(source, background, k);
            }
            EXPECT_EQ(from.blendMask(to, &mask, 2, 1, 0, 0, 6, 1, level), level > 0 ? 1 : 0);
            EXPECT_EQ(snapshot(to), expected);
        }
}

TEST(FCVSurface24, MadeFromAnEightBitSurface)
{
    FCVSurface eight(3, 2, 0);
    setTable(eight, [](int i) { return uint32_t(i) | uint32_t(255 - i) << 8 | uint32_t(i / 2) << 16; });
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            *eight.pixel(x, y) = static_cast<uint8_t>(40 * y + 10 * x + 1);
    {
        FCVSurface24 plain(eight);
        ASSERT_EQ(plain.width(), 3);
        EXPECT_EQ(raw(plain, 2, 1), 0x001EC23Du); // entry 61: blue 61, green 194, red 30
        EXPECT_FALSE(plain.hasAlpha());
    }
    eight.createAlpha(-2, false, 0);
    eight.alphaState |= FCVSurface::kAlphaValid;
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            *eight.alpha->pixel(x, y) = static_cast<uint8_t>(x == 1 ? 0 : 100 + 3 * x + y);
    const uint32_t flags = eight.alphaFlags;
    FCVSurface24 s(eight);
    EXPECT_EQ(eight.alphaFlags, flags);
    ASSERT_TRUE(s.hasAlpha());
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x) {
            const uint32_t i = 40 * y + 10 * x + 1;
            // Colour ignores the alpha (even where it is 0); the plane is copied.
            EXPECT_EQ(raw(s, x, y), i | (255 - i) << 8 | (i / 2) << 16) << x << "," << y;
            EXPECT_EQ(*s.alpha->pixel(x, y), *eight.alpha->pixel(x, y));
        }
}

TEST(FCVSurface24, StretchSmoothPaths)
{
    // Lanczos keeps a flat colour exactly; equal sizes blend through alpha.
    FCVSurface24 flat(3, 2), big(7, 5);
    flat.fill(0x00336699);
    ASSERT_TRUE(flat.cpuFeatures & 1);
    EXPECT_EQ(flat.stretchSmooth(big, 0), 1);
    for (uint32_t v : snapshot(big))
        ASSERT_EQ(v, 0x00996633u);
    FCVSurface24 same(3, 2);
    same.fill(0);
    flat.createAlpha(0);
    *flat.alpha->pixel(1, 1) = 255;
    EXPECT_EQ(flat.stretchSmooth(same, 0), 1);
    EXPECT_EQ(raw(same, 1, 1), 0x00996633u);
    EXPECT_EQ(raw(same, 0, 0), 0u);

    // Without MMX: bilinear on the 255 base, the fourth byte left alone.
    FCVSurface24 bars(2, 2), out(4, 4);
    bars.fill(0);
    const FCRect right(1, 0, 2, 2);
    bars.fill(0x00FFFFFF, &right);
    bars.cpuFeatures = 0;
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            setRaw(out, x, y, 0x5A000000);
    EXPECT_EQ(bars.stretchSmooth(out, 0), 1);
    const uint32_t row[] = { 0, 127, 253, 253 };
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(raw(out, x, y), 0x5A000000u | row[x] * 0x010101u) << x << "," << y;
    // One axis keeps its size: nearest neighbour, whole pixels.
    setRaw(bars, 0, 0, 0x11000001);
    setRaw(bars, 0, 1, 0x11000001);
    FCVSurface24 wide(4, 2);
    EXPECT_EQ(bars.stretchSmooth(wide, 0), 1);
    EXPECT_EQ(raw(wide, 1, 0), 0x11000001u);
    EXPECT_EQ(raw(wide, 2, 1), 0x00FFFFFFu);
}

TEST(FCVSurface24, StretchAlphaTakesTheBlueByteIntoTheAlphaPlane)
{
    FCVSurface24 from(3, 2), to(6, 5);
    from.fill(0x00FFFFFF);
    from.createAlpha(0);
    // A table that is not grey: only the blue byte must reach the plane.
    setTable(*from.alpha, [](int i) { return uint32_t(i) | 0x00FF7700u; });
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            *from.alpha->pixel(x, y) = static_cast<uint8_t>(10 + 20 * x + 100 * y);
    to.fill(0x00123456);
    EXPECT_EQ(from.stretchAlpha(to, FCRect(1, 1, 4, 3), FCRect(0, 0, 3, 2)), 0); // no plane yet
    to.createAlpha(7);
    EXPECT_EQ(from.stretchAlpha(to, FCRect(1, 1, 4, 3), FCRect(0, 0, 3, 2)), 1);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && x < 4 && y >= 1 && y < 3;
            EXPECT_EQ(*to.alpha->pixel(x, y), inside ? *from.alpha->pixel(x - 1, y - 1) : 7) << x << "," << y;
            EXPECT_EQ(to.pixel(x, y), 0x00123456u);
        }
    // Scaled: a flat plane stays flat inside the rectangle only.
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            *from.alpha->pixel(x, y) = 200;
    EXPECT_EQ(from.stretchAlpha(to, FCRect(0, 1, 5, 5), FCRect(0, 0, 3, 2)), 1);
    for (int32_t y = 1; y < 5; ++y)
        for (int32_t x = 0; x < 5; ++x)
            EXPECT_EQ(*to.alpha->pixel(x, y), 200) << x << "," << y;
    EXPECT_EQ(*to.alpha->pixel(5, 1), 7);
    EXPECT_EQ(*to.alpha->pixel(0, 0), 7);
}

TEST(FCVSurface24, GdiCopiesIntoAnEightBitSurface)
{
    // Wine matches colours to an 8-bit table through 5-bit buckets centred on
    // 8n + 4, so only such greys come back exact everywhere.
    const uint8_t greys[] = { 4, 20, 132, 204, 252, 100, 60, 36 };
    FCVSurface24 from(4, 2);
    for (int32_t i = 0; i < 8; ++i)
        setRaw(from, i % 4, i / 4, greys[i] * 0x010101u);
    from.createAlpha(0);
    for (int32_t i = 0; i < 8; ++i)
        *from.alpha->pixel(i % 4, i / 4) = static_cast<uint8_t>(30 * i + 5);
    auto target = [] {
        auto s = std::make_unique<FCVSurface>(7, 4, 250);
        greyTable(*s);
        return s;
    };
    auto indices = [](const FCVSurface& s) {
        std::vector<int> out;
        for (int32_t y = 0; y < s.height(); ++y)
            for (int32_t x = 0; x < s.width(); ++x)
                out.push_back(*s.pixel(x, y));
        return out;
    };
    {
        auto to = target();
        std::vector<int> expected = indices(*to);
        for (int32_t i = 0; i < 8; ++i)
            expected[size_t((i / 4 + 1) * 7 + i % 4 + 2)] = greys[i];
        EXPECT_EQ(from.gdiCopyTo(*to, 2, 1, 0, 0, 4, 2), 1);
        EXPECT_EQ(indices(*to), expected);
        // stretchTo8 at equal sizes: the same colour and the alpha plane.
        auto again = target();
        EXPECT_EQ(from.stretchTo8(*again, 2, 1, 4, 2, 0, 0, 4, 2, 3), 1);
        EXPECT_EQ(indices(*again), expected);
        ASSERT_NE(again->alpha, nullptr);
        EXPECT_TRUE(again->alphaState & FCVSurface::kAlphaValid);
        EXPECT_EQ(*again->alpha->pixel(5, 2), 30 * 7 + 5);
        EXPECT_EQ(*again->alpha->pixel(2, 1), 5);
        EXPECT_EQ(*again->alpha->pixel(0, 0), 0);
    }
    // Scaled paths on a flat picture: exactly the rectangle changes.
    FCVSurface24 flat(2, 2);
    flat.fill(100 * 0x010101u);
    flat.createAlpha(180);
    struct Case {
        int mode; // 0 gdiStretchTo, 1 gdiStretchAllTo, 2 stretchTo8
        int32_t dx, dy, dw, dh, sw, sh;
        FCRect covered;
    } const cases[] = {
        { 0, 0, 0, -1, -1, -1, -1, FCRect(0, 0, 7, 4) },
        { 0, 1, 1, 3, -1, 1, 1, FCRect(1, 1, 4, 4) },
        { 1, 1, 1, 5, 2, 0, 0, FCRect(1, 1, 6, 3) },
        { 2, 2, 0, 4, 3, 2, 2, FCRect(2, 0, 6, 3) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        auto to = target();
        if (c.mode == 0)
            EXPECT_EQ(flat.gdiStretchTo(*to, c.dx, c.dy, c.dw, c.dh, 0, 0, c.sw, c.sh), 1);
        else if (c.mode == 1)
            EXPECT_EQ(flat.gdiStretchAllTo(*to, c.dx, c.dy, c.dw, c.dh), 1);
        else
            EXPECT_EQ(flat.stretchTo8(*to, c.dx, c.dy, c.dw, c.dh, 0, 0, c.sw, c.sh, 3), 1);
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 7; ++x) {
                const bool inside
                    = x >= c.covered.left && x < c.covered.right && y >= c.covered.top && y < c.covered.bottom;
                EXPECT_EQ(*to->pixel(x, y), inside ? 100 : 250) << x << "," << y;
                if (c.mode == 2) {
                    EXPECT_EQ(*to->alpha->pixel(x, y), inside ? 180 : 0) << x << "," << y;
                }
            }
    }
}

TEST(FCVSurface24, PaintsAndTilesIntoADeviceContext)
{
    FCVSurface24 tile(4, 3);
    paintIndexed(tile, 0x400000);
    struct Case {
        int kind; // 0 paintAt, 1 paint, 2 tilePaint
        int32_t x, y, w, h, sx, sy;
    } const cases[] = {
        { 0, 5, 4, 3, 2, 1, 1 }, { 0, 9, 8, 0, 0, 0, 0 }, // 0: the surface's size
        { 1, 0, 0, 0, 0, 0, 0 }, { 2, 2, 1, 10, 7, 0, 0 }, // 3 x 3 whole tiles, the last ones not cut
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        FCVSurface24 to(16, 12);
        to.fill(0x00ABCDEF);
        FCDCHolder holder;
        ASSERT_TRUE(holder.borrow(to.getDC()));
        if (c.kind == 0)
            EXPECT_EQ(tile.paintAt(holder, c.x, c.y, c.w, c.h, c.sx, c.sy), 1);
        else if (c.kind == 1)
            EXPECT_EQ(tile.paint(holder), 1);
        else
            EXPECT_EQ(tile.tilePaint(holder, FCRect(c.x, c.y, c.x + c.w, c.y + c.h)), 1);
        holder.close();
        to.releaseDC();
        GdiFlush();
        for (int32_t y = 0; y < 12; ++y)
            for (int32_t x = 0; x < 16; ++x) {
                uint32_t expected = 0x00ABCDEF;
                const int32_t i = x - c.x, j = y - c.y;
                if (c.kind == 2) {
                    if (i >= 0 && j >= 0 && i < 12 && j < 9)
                        expected = tile.pixel(i % 4, j % 3);
                } else {
                    const int32_t w = c.w ? c.w : 4, h = c.h ? c.h : 3;
                    if (i >= 0 && j >= 0 && i < w && j < h)
                        expected = tile.pixel(c.sx + i, c.sy + j);
                }
                ASSERT_EQ(to.pixel(x, y), expected) << x << "," << y;
            }
    }
}

LRESULT CALLBACK plainWindowProc(HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_ERASEBKGND)
        return 1;
    return DefWindowProcW(window, message, w, l);
}

TEST(FCVSurface24, PaintsAWindowAndCapturesItBack)
{
    WNDCLASSW wc {};
    wc.lpfnWndProc = plainWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"LumivexSurface24Paint";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 40, 40, 24, 16, nullptr,
        nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);

    // Channels of 0 and 255 survive any display depth.
    FCVSurface24 picture(24, 16);
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 24; ++x) {
            const uint32_t n = uint32_t(x / 3 + y);
            setRaw(picture, x, y, (n & 1 ? 0xFF : 0) | (n & 2 ? 0xFF00 : 0) | (n & 4 ? 0xFF0000 : 0));
        }
    FCVWin win(window);
    EXPECT_EQ(picture.paintWindow(&win), 1);
    GdiFlush();
    FCVSurface24 back(24, 16);
    back.fill(0x00808080);
    EXPECT_EQ(back.capture(window, 1), 1);
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 24; ++x)
            ASSERT_EQ(back.pixel(x, y), picture.pixel(x, y)) << x << "," << y;

    // paintAt through a window's DC: only the rectangle changes.
    FCVSurface24 dot(2, 2);
    dot.fill(0x00FFFFFF);
    FCDCHolder holder;
    ASSERT_TRUE(holder.openWindow(window));
    EXPECT_EQ(dot.paintAt(holder, 3, 5, 2, 1, 0, 0), 1);
    holder.close();
    EXPECT_EQ(back.capture(window, 1), 1);
    EXPECT_EQ(back.pixel(3, 5), 0x00FFFFFFu);
    EXPECT_EQ(back.pixel(4, 5), 0x00FFFFFFu);
    EXPECT_EQ(back.pixel(3, 6), picture.pixel(3, 6));
    EXPECT_EQ(back.pixel(5, 5), picture.pixel(5, 5));

    FCVWin gone(nullptr);
    EXPECT_EQ(picture.paintWindow(&gone), 0);
    DestroyWindow(window);
    UnregisterClassW(wc.lpszClassName, wc.hInstance);
}

TEST(FCAnimationSurfaceContainer, DrawsWithItsKeyMode)
{
    struct Case {
        int32_t keyMode;
        int expected[5];
        bool alphaCopied;
    } const cases[] = {
        { -3, { 9, 9, 9, 9, 9 }, false },
        { -2, { 9, 5, 7, 5, 9 }, true },
        { -1, { 9, 9, 7, 9, 9 }, true }, // the top-left index is the key
        { 7, { 9, 5, 9, 5, 9 }, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keyMode);
        FCAnimationSurfaceContainer frame;
        frame.keyMode = c.keyMode;
        frame.holder.make(UxLayerSurface::kEight, 3, 1, nullptr);
        FCVSurface* source = frame.holder.surface8();
        const uint8_t indices[] = { 5, 7, 5 };
        for (int32_t x = 0; x < 3; ++x)
            *source->pixel(x, 0) = indices[x];
        source->createAlpha(-2, false, 0);
        source->alphaState |= FCVSurface::kAlphaValid;
        for (int32_t x = 0; x < 3; ++x)
            *source->alpha->pixel(x, 0) = static_cast<uint8_t>(10 * x + 10);
        FCVSurface to(5, 1, 9);
        to.createAlpha(-2, false, 1);
        to.alphaState |= FCVSurface::kAlphaValid;
        frame.drawTo(to, 1, 0);
        for (int32_t x = 0; x < 5; ++x) {
            EXPECT_EQ(*to.pixel(x, 0), c.expected[x]) << x;
            // The alpha plane goes across opaquely, whatever the key.
            const int alpha = c.alphaCopied && x >= 1 && x < 4 ? 10 * x : 1;
            EXPECT_EQ(*to.alpha->pixel(x, 0), alpha) << x;
        }
    }
    // Without alpha in use on the destination, its plane is left alone.
    FCAnimationSurfaceContainer frame;
    frame.keyMode = -2;
    frame.holder.make(UxLayerSurface::kEight, 1, 1, nullptr);
    frame.holder.surface8()->createAlpha(-2, false, 50);
    frame.holder.surface8()->alphaState |= FCVSurface::kAlphaValid;
    FCVSurface to(2, 1, 0);
    to.createAlpha(-2, false, 3);
    frame.drawTo(to, 0, 0);
    EXPECT_EQ(*to.alpha->pixel(0, 0), 3);
}

TEST(UxLayerSurface, MakesAssignsAndForwards)
{
    UxLayerSurface a;
    EXPECT_EQ(a.make(UxLayerSurface::kTwentyFour, 4, 3, nullptr), 1);
    ASSERT_NE(a.surface24(), nullptr);
    a.surface24()->fill(0x00010203);
    a.createAlpha(255);
    EXPECT_TRUE(a.hasAlpha());
    EXPECT_EQ(a.pixel(3, 2), 0x00010203u);
    UxLayerSurface b;
    b.make(UxLayerSurface::kEight, 2, 2, nullptr);
    b = a;
    ASSERT_NE(b.surface24(), nullptr);
    EXPECT_NE(b.surface24(), a.surface24());
    EXPECT_EQ(b.width(), 4);
    EXPECT_EQ(b.pixel(0, 0), 0x00010203u);
    EXPECT_TRUE(b.hasAlpha());
    EXPECT_EQ(b.make(UxLayerSurface::kEight, 5, 1, nullptr), 1);
    EXPECT_EQ(b.surface24(), nullptr);
    EXPECT_EQ(b.height(), 1);
    b = UxLayerSurface();
    EXPECT_EQ(b.kind, UxLayerSurface::kEmpty);
    EXPECT_EQ(b.surface, nullptr);
}

TEST(FCAnimationSurfaceContainer, SavesRestoresAndGrows)
{
    const std::string path = scratch("frame");
    FCAnimationSurfaceContainer frame;
    frame.keyMode = 5;
    frame.holder.make(UxLayerSurface::kEight, 3, 2, nullptr);
    *frame.holder.surface8()->pixel(2, 1) = 9;
    {
        FCFile file;
        ASSERT_EQ(file.open(path.c_str(), FCFile::kCreateAlways, FCFile::kReadWrite), 0u);
        EXPECT_EQ(frame.save(file), 1);
    }
    {
        FCAnimationSurfaceContainer back;
        FCFile file;
        ASSERT_EQ(file.open(path.c_str()), 0u);
        EXPECT_EQ(back.restore(file), 1);
        EXPECT_EQ(back.keyMode, 5);
        ASSERT_NE(back.holder.surface8(), nullptr);
        EXPECT_EQ(back.holder.pixel(2, 1), 9u);
        // A 24-bit surface record is not a frame record.
        file.seek(FCFile::kFromStart, 0);
        FCVSurface24 other;
        EXPECT_EQ(other.restore(file), 0);
        EXPECT_EQ(file.position(), 0);
    }
    std::remove(path.c_str());

    FCVector<FCAnimationSurfaceContainer> frames(4);
    frames.at(1).keyMode = 7;
    EXPECT_EQ(frames.size(), 4);
    frames.at(9).keyMode = 3;
    EXPECT_EQ(frames.size(), 12);
    EXPECT_EQ(frames.at(1).keyMode, 7);
    try {
        frames.at(INT32_MAX);
        FAIL() << "no exception";
    } catch (const NotEnoughMemoryException& e) {
        EXPECT_STREQ(e.operation(), "FCVector - increase");
    }
    EXPECT_EQ(frames.at(9).keyMode, 3);
}

} // namespace
