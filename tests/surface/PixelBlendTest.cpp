#include "surface/PixelBlend.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "surface/CpuFeatures.h"

using CpuFeatures::SimdLevel;

namespace {

// A plane with guard bytes around it: rows of `w` pixels placed at an odd
// offset inside rows of a wider pitch, top row first in memory or last
// (bottom-up storage), so every kernel sees unaligned, negatively strided
// rows and any write outside w x h shows up in the guard bytes.
struct Plane {
    Plane(int w, int h, int bytesPerPixel, int offset, bool bottomUp, uint32_t seed)
        : pitch(w * bytesPerPixel + offset + 7)
        , bytes(static_cast<size_t>(pitch) * (h + 2))
    {
        std::mt19937 rng(seed);
        for (auto& b : bytes)
            b = static_cast<uint8_t>(rng());
        const ptrdiff_t firstRow = pitch + offset;
        top = bytes.data() + (bottomUp ? firstRow + static_cast<ptrdiff_t>(h - 1) * pitch : firstRow);
        stride = bottomUp ? -pitch : pitch;
    }
    uint8_t* at(int x, int y, int bytesPerPixel) { return top + y * stride + x * bytesPerPixel; }

    ptrdiff_t pitch;
    std::vector<uint8_t> bytes;
    uint8_t* top = nullptr;
    ptrdiff_t stride = 0;
};

// Sets the level for one test and puts the processor's choice back after it.
struct LevelScope {
    explicit LevelScope(SimdLevel level) { CpuFeatures::selectSimdLevel(level); }
    ~LevelScope() { CpuFeatures::resetSimdLevel(); }
};

uint32_t pixel(const uint8_t* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void setPixel(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace

TEST(PixelBlendTest, LevelOpacityClampsAndMapsSixteenTo255)
{
    const struct {
        int level, opacity;
    } cases[] = { { -3, 0 }, { 0, 0 }, { 1, 16 }, { 8, 128 }, { 15, 240 }, { 16, 255 }, { 20, 255 } };
    for (const auto& c : cases)
        EXPECT_EQ(PixelBlend::levelOpacity(c.level), c.opacity) << c.level;
    EXPECT_EQ(PixelBlend::kLevelOpacityTable[16], 255);
    EXPECT_EQ(PixelBlend::kLevelOpacityTable[17], 0);
    EXPECT_EQ(PixelBlend::kLevelOpacityTable[255], 0);
}

TEST(PixelBlendTest, AlphaBlendEdgeCasesOnEveryLevel)
{
    // Source, destination (0xFFRRGGBB as bytes b, g, r, fourth), alpha, opacity, result.
    const struct {
        uint32_t src, dst;
        int alpha, opacity;
        uint32_t expected;
    } cases[] = {
        { 0x7F123456, 0xAA000000, 255, 255, 0x00123456 }, // exact copy of the colour, fourth byte 0
        { 0xFFFFFFFF, 0x77000000, 1, 255, 0x00010101 }, // weight 2: (255 * 2) >> 8 = 1
        { 0x00FFFFFF, 0x33000000, 0, 255, 0x33000000 }, // alpha 0 leaves all four bytes
        { 0x00FFFFFF, 0x00000000, 255, 128, 0x00808080 }, // T[255] = 128, weight 129: (255 * 129) >> 8
        { 0x00FFFFFF, 0x44000000, 1, 128, 0x44000000 }, // T[1] = 0 skips the pixel
        { 0x00FFFFFF, 0x44000000, 255, 0, 0x44000000 }, // opacity 0 draws nothing
        { 0x00000000, 0x00FFFFFF, 127, 255, 0x007F7F7F }, // (-255 * 128 + 255 * 256) >> 8 = 127.5 rounds down
    };
    for (SimdLevel level : { SimdLevel::Scalar, SimdLevel::Sse2, SimdLevel::Avx2 }) {
        LevelScope scope(level);
        for (const auto& c : cases) {
            // A row long enough for every SIMD body, the case in every pixel.
            constexpr int kWidth = 70;
            std::vector<uint8_t> dst(4 * kWidth), src(4 * kWidth), alpha(kWidth, static_cast<uint8_t>(c.alpha));
            for (int x = 0; x < kWidth; ++x) {
                setPixel(&dst[4 * x], c.dst);
                setPixel(&src[4 * x], c.src);
            }
            PixelBlend::blendAlpha(dst.data(), 0, src.data(), 0, alpha.data(), 0, kWidth, 1, c.opacity);
            for (int x = 0; x < kWidth; ++x)
                ASSERT_EQ(pixel(&dst[4 * x]), c.expected)
                    << "level " << int(level) << " alpha " << c.alpha << " opacity " << c.opacity << " x " << x;
        }
    }
}

TEST(PixelBlendTest, ConstantBlendEdgeCasesOnEveryLevel)
{
    const struct {
        int level;
        uint32_t expected;
    } cases[] = {
        { 8, 0x7F7F7F7F }, // (255 * 8) >> 4 in every byte, the fourth included
        { 16, 0xFFFFFFFF }, // straight copy of all four bytes
        { 20, 0xFFFFFFFF }, // clamped to 16
        { 0, 0x00000000 }, // nothing drawn
        { -3, 0x00000000 },
        { 1, 0x0F0F0F0F },
    };
    for (SimdLevel level : { SimdLevel::Scalar, SimdLevel::Sse2, SimdLevel::Avx2 }) {
        LevelScope scope(level);
        for (const auto& c : cases) {
            constexpr int kWidth = 37;
            std::vector<uint8_t> dst(4 * kWidth, 0), src(4 * kWidth, 0xFF);
            PixelBlend::blendConstant(dst.data(), 0, src.data(), 0, kWidth, 1, c.level);
            for (int x = 0; x < kWidth; ++x)
                ASSERT_EQ(pixel(&dst[4 * x]), c.expected) << "level " << c.level << " x " << x;
        }
    }
}

TEST(PixelBlendTest, MaskAndAlphaUseTheProductWeightItself)
{
    // White over a destination whose colour is black and fourth byte 0x55.
    const struct {
        int mask, alpha, level;
        uint32_t expected;
    } cases[] = {
        { 255, 255, 16, 0x00FEFEFE }, // k = (256 * 256 * 255) >> 16 = 255, not 256
        { 1, 255, 16, 0x00000000 }, // k = (2 * 256 * 255) >> 16 = 1: colour 0, fourth byte cleared
        { 255, 0, 16, 0x55000000 }, // k = 0 leaves the pixel
        { 0, 255, 16, 0x55000000 }, // m = 0 leaves the pixel
        { 128, 128, 8, 0x001F1F1F }, // k = (129 * 129 * 128) >> 16 = 32, (255 * 32) >> 8 = 31
    };
    for (const auto& c : cases) {
        uint8_t dst[4], src[4] = { 0xFF, 0xFF, 0xFF, 0xFF };
        setPixel(dst, 0x55000000);
        const uint8_t alpha = static_cast<uint8_t>(c.alpha), mask = static_cast<uint8_t>(c.mask);
        PixelBlend::blendMask(dst, 0, src, 0, &alpha, 0, &mask, 0, 1, 1, c.level);
        EXPECT_EQ(pixel(dst), c.expected) << c.mask << " " << c.alpha << " " << c.level;
    }
}

TEST(PixelBlendTest, MaskByteZeroNeverChangesAPixel)
{
    constexpr int kWidth = 40;
    std::mt19937 rng(7);
    std::vector<uint8_t> src(4 * kWidth), alpha(kWidth), mask(kWidth, 0);
    for (auto& b : src)
        b = static_cast<uint8_t>(rng());
    for (auto& b : alpha)
        b = static_cast<uint8_t>(rng());
    for (int level : { 1, 8, 16, 30 }) {
        for (const uint8_t* a : { static_cast<const uint8_t*>(nullptr), static_cast<const uint8_t*>(alpha.data()) }) {
            std::vector<uint8_t> dst(4 * kWidth, 0x5A);
            PixelBlend::blendMask(dst.data(), 0, src.data(), 0, a, 0, mask.data(), 0, kWidth, 1, level);
            EXPECT_EQ(dst, std::vector<uint8_t>(4 * kWidth, 0x5A)) << level;
        }
    }
}

TEST(PixelBlendTest, MaskBlendChoosesByThePlanesPresent)
{
    constexpr int kWidth = 21, kLevel = 11;
    std::mt19937 rng(11);
    std::vector<uint8_t> src(4 * kWidth), dst(4 * kWidth), alpha(kWidth), mask(kWidth);
    for (auto* v : { &src, &dst, &alpha, &mask })
        for (auto& b : *v)
            b = static_cast<uint8_t>(rng());
    const int o = PixelBlend::levelOpacity(kLevel);
    auto run = [&](const uint8_t* a, const uint8_t* m) {
        std::vector<uint8_t> out = dst;
        PixelBlend::blendMask(out.data(), 0, src.data(), 0, a, 0, m, 0, kWidth, 1, kLevel);
        return out;
    };
    auto expect = [&](auto call) {
        std::vector<uint8_t> out = dst;
        call(out.data());
        return out;
    };
    EXPECT_EQ(run(nullptr, nullptr),
        expect([&](uint8_t* d) { PixelBlend::scalar::blendConstant(d, 0, src.data(), 0, kWidth, 1, kLevel); }));
    EXPECT_EQ(run(alpha.data(), nullptr), expect([&](uint8_t* d) {
        PixelBlend::scalar::blendAlpha(d, 0, src.data(), 0, alpha.data(), 0, kWidth, 1, o);
    }));
    EXPECT_EQ(run(nullptr, mask.data()),
        expect([&](uint8_t* d) { PixelBlend::scalar::blendAlpha(d, 0, src.data(), 0, mask.data(), 0, kWidth, 1, o); }));
    EXPECT_EQ(run(alpha.data(), mask.data()), expect([&](uint8_t* d) {
        PixelBlend::scalar::blendMaskAlpha(d, 0, src.data(), 0, alpha.data(), 0, mask.data(), 0, kWidth, 1, o);
    }));
    std::vector<uint8_t> untouched = dst;
    PixelBlend::blendMask(untouched.data(), 0, src.data(), 0, alpha.data(), 0, mask.data(), 0, kWidth, 1, 0);
    EXPECT_EQ(untouched, dst) << "level 0 draws nothing";
}

namespace {

// Alpha planes that exercise the run paths: runs of 0 and 255 of random
// lengths mixed with in-between values, or plain noise.
void fillAlpha(Plane& plane, int w, int h, std::mt19937& rng, bool runs)
{
    for (int y = 0; y < h; ++y) {
        uint8_t* row = plane.at(0, y, 1);
        for (int x = 0; x < w;) {
            int n = runs ? 1 + static_cast<int>(rng() % 40) : 1;
            const int kind = static_cast<int>(rng() % 3);
            for (; n > 0 && x < w; --n, ++x)
                row[x] = !runs  ? static_cast<uint8_t>(rng())
                    : kind == 0 ? 0
                    : kind == 1 ? 255
                                : static_cast<uint8_t>(rng());
        }
    }
}

} // namespace

TEST(PixelBlendTest, SimdKernelsMatchTheScalarReferenceOnRandomRectangles)
{
    std::vector<SimdLevel> levels;
    for (SimdLevel level : { SimdLevel::Sse2, SimdLevel::Avx2 })
        if (CpuFeatures::supports(level))
            levels.push_back(level);
    if (levels.empty())
        GTEST_SKIP() << "no SIMD level on this processor";
    std::mt19937 rng(20240607);
    for (int round = 0; round < 400; ++round) {
        const uint32_t seed = rng();
        std::mt19937 r(seed);
        const int w = 1 + static_cast<int>(r() % 67);
        const int h = 1 + static_cast<int>(r() % 4);
        const bool bottomUp = r() & 1;
        const int opacityChoices[] = { 255, 255, 128, 1, 0, 254, static_cast<int>(r() % 256), 300 };
        const int opacity = opacityChoices[r() % 8];
        const int constantLevel = static_cast<int>(r() % 19) - 1;
        Plane src(w, h, 4, static_cast<int>(r() % 4), r() & 1, r());
        Plane alpha(w, h, 1, static_cast<int>(r() % 4), r() & 1, r());
        Plane mask(w, h, 1, static_cast<int>(r() % 4), r() & 1, r());
        fillAlpha(alpha, w, h, r, r() & 1);
        fillAlpha(mask, w, h, r, r() & 1);
        const Plane dst0(w, h, 4, static_cast<int>(r() % 4), bottomUp, r());
        const std::string where = "seed " + std::to_string(seed) + " w " + std::to_string(w);

        Plane want = dst0;
        want.top = want.bytes.data() + (dst0.top - dst0.bytes.data());
        PixelBlend::scalar::blendAlpha(
            want.top, want.stride, src.top, src.stride, alpha.top, alpha.stride, w, h, opacity);
        Plane wantConstant = dst0;
        wantConstant.top = wantConstant.bytes.data() + (dst0.top - dst0.bytes.data());
        PixelBlend::scalar::blendConstant(
            wantConstant.top, wantConstant.stride, src.top, src.stride, w, h, constantLevel);
        Plane wantMask = dst0;
        wantMask.top = wantMask.bytes.data() + (dst0.top - dst0.bytes.data());
        PixelBlend::scalar::blendMaskAlpha(wantMask.top, wantMask.stride, src.top, src.stride, alpha.top, alpha.stride,
            mask.top, mask.stride, w, h, opacity);
        for (SimdLevel level : levels) {
            LevelScope scope(level);
            Plane got = dst0;
            got.top = got.bytes.data() + (dst0.top - dst0.bytes.data());
            PixelBlend::blendAlpha(got.top, got.stride, src.top, src.stride, alpha.top, alpha.stride, w, h, opacity);
            ASSERT_EQ(got.bytes, want.bytes) << "blendAlpha level " << int(level) << " " << where;
            got.bytes = dst0.bytes;
            PixelBlend::blendConstant(got.top, got.stride, src.top, src.stride, w, h, constantLevel);
            ASSERT_EQ(got.bytes, wantConstant.bytes) << "blendConstant level " << int(level) << " " << where;
            got.bytes = dst0.bytes;
            PixelBlend::blendMaskAlpha(got.top, got.stride, src.top, src.stride, alpha.top, alpha.stride, mask.top,
                mask.stride, w, h, opacity);
            ASSERT_EQ(got.bytes, wantMask.bytes) << "blendMaskAlpha level " << int(level) << " " << where;
        }
    }
}

TEST(PixelBlendTest, KernelsWriteNothingOutsideTheRectangle)
{
    // The scalar references are what the SIMD kernels are held to, so their
    // own bounds are checked against a per-pixel model here.
    std::mt19937 rng(99);
    for (int round = 0; round < 60; ++round) {
        const int w = 1 + static_cast<int>(rng() % 19), h = 1 + static_cast<int>(rng() % 5);
        Plane src(w, h, 4, static_cast<int>(rng() % 4), rng() & 1, rng());
        Plane alpha(w, h, 1, 1, rng() & 1, rng());
        const Plane before(w, h, 4, 3, rng() & 1, rng());
        for (SimdLevel level : { SimdLevel::Scalar, CpuFeatures::simdLevel() }) {
            LevelScope scope(level);
            Plane dst = before;
            dst.top = dst.bytes.data() + (before.top - before.bytes.data());
            PixelBlend::blendAlpha(dst.top, dst.stride, src.top, src.stride, alpha.top, alpha.stride, w, h, 255);
            PixelBlend::blendConstant(dst.top, dst.stride, src.top, src.stride, w, h, 5);
            for (size_t i = 0; i < dst.bytes.size(); ++i) {
                const ptrdiff_t offset = static_cast<ptrdiff_t>(i) - (dst.top - dst.bytes.data());
                // Row y of the rectangle starts at y * stride from the top.
                bool inside = false;
                for (int y = 0; y < h && !inside; ++y)
                    inside = offset >= y * dst.stride && offset < y * dst.stride + 4 * w;
                if (!inside) {
                    ASSERT_EQ(dst.bytes[i], before.bytes[i]) << "byte " << i << " round " << round;
                }
            }
        }
    }
}

TEST(PixelBlendTest, FlipMirrorsPixelsAndPlanes)
{
    // A 3 x 2 rectangle of values 1..6 (row-major from the top).
    const struct {
        unsigned flags;
        int expected[6];
    } cases[] = {
        { 0, { 1, 2, 3, 4, 5, 6 } },
        { PixelBlend::kFlipVertical, { 4, 5, 6, 1, 2, 3 } },
        { PixelBlend::kFlipHorizontal, { 3, 2, 1, 6, 5, 4 } },
        { PixelBlend::kFlipVertical | PixelBlend::kFlipHorizontal, { 6, 5, 4, 3, 2, 1 } },
    };
    for (int bpp : { 1, 4 }) {
        for (const auto& c : cases) {
            for (bool bottomUp : { false, true }) {
                Plane plane(3, 2, bpp, 1, bottomUp, 5);
                Plane src(3, 2, bpp, 2, !bottomUp, 6);
                const std::vector<uint8_t> guard = plane.bytes;
                for (int i = 0; i < 6; ++i)
                    for (int b = 0; b < bpp; ++b) {
                        plane.at(i % 3, i / 3, bpp)[b] = static_cast<uint8_t>(i + 1 + 16 * b);
                        src.at(i % 3, i / 3, bpp)[b] = static_cast<uint8_t>(i + 1 + 16 * b);
                    }
                std::vector<uint8_t> filled = plane.bytes;
                PixelBlend::flip(plane.top, plane.stride, 3, 2, bpp, c.flags);
                Plane copy(3, 2, bpp, 1, bottomUp, 5);
                PixelBlend::copyFlipped(copy.top, copy.stride, src.top, src.stride, 3, 2, bpp, c.flags);
                for (int i = 0; i < 6; ++i)
                    for (int b = 0; b < bpp; ++b) {
                        const int want = c.expected[i] + 16 * b;
                        EXPECT_EQ(plane.at(i % 3, i / 3, bpp)[b], want) << c.flags << " bpp " << bpp;
                        EXPECT_EQ(copy.at(i % 3, i / 3, bpp)[b], want) << c.flags << " bpp " << bpp;
                        plane.at(i % 3, i / 3, bpp)[b] = guard[plane.at(i % 3, i / 3, bpp) + b - plane.bytes.data()];
                        copy.at(i % 3, i / 3, bpp)[b] = guard[copy.at(i % 3, i / 3, bpp) + b - copy.bytes.data()];
                    }
                EXPECT_EQ(plane.bytes, guard) << "flip wrote outside the rectangle";
                EXPECT_EQ(copy.bytes, guard) << "copyFlipped wrote outside the rectangle";
            }
        }
    }
}

TEST(PixelBlendTest, ScalarOverrideFromTheEnvironment)
{
    static char forced[] = "LUMIVEX_SCALAR=1";
    static char cleared[] = "LUMIVEX_SCALAR=";
    putenv(forced);
    CpuFeatures::resetSimdLevel();
    EXPECT_EQ(CpuFeatures::simdLevel(), SimdLevel::Scalar);
    putenv(cleared);
    CpuFeatures::resetSimdLevel();
    EXPECT_EQ(CpuFeatures::supports(CpuFeatures::simdLevel()), true);
    if (CpuFeatures::featureWord() & CpuFeatures::kSse2) {
        EXPECT_NE(CpuFeatures::simdLevel(), SimdLevel::Scalar);
    }
}
