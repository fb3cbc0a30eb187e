#include "surface/Resample.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "surface/CpuFeatures.h"

namespace {

// ---- The weight rule, computed on its own in doubles ----

double referenceLanczos(double x)
{
    const double pi = 3.1415926535;
    if (x < 0)
        x = -x;
    if (x <= 2.220446049250313e-16)
        return 1.0;
    if (x >= 3.0)
        return 0.0;
    return std::sin(pi * x) * std::sin(pi * x / 3) / (pi * pi * x * x / 3);
}

struct Entry {
    int first = 0;
    std::vector<int> weights;
};

struct Table {
    int rawTaps = 0; // taps per output before merging
    std::vector<Entry> entries;
};

Table referenceTable(int n, int m)
{
    Table table;
    table.rawTaps = n < m ? 6 : (m + 6 * n - 1) / m;
    for (int i = 0; i < m; ++i) {
        std::vector<int> indices;
        std::vector<double> raw;
        for (int j = 0; j < table.rawTaps; ++j) {
            double position;
            double x;
            if (n < m) {
                const double q = (i + 0.5) * n / m;
                position = std::floor(q - 2.5) + j;
                x = position + 0.5 - q;
            } else {
                position = std::floor(0.5 + (i - 3 + 0.5) * n / m) + j;
                x = (position + 0.5) * m / n - (i + 0.5);
            }
            indices.push_back(std::clamp(static_cast<int>(position), 0, n - 1));
            raw.push_back(referenceLanczos(x));
        }
        double sum = 0;
        for (double r : raw)
            sum += r;
        Entry entry;
        entry.first = indices[0];
        for (size_t j = 0; j < raw.size(); ++j) {
            const int weight = static_cast<int>(std::trunc(raw[j] / sum * 16384));
            if (j > 0 && indices[j] == indices[j - 1])
                entry.weights.back() += weight;
            else
                entry.weights.push_back(weight);
        }
        table.entries.push_back(entry);
    }
    return table;
}

// ---- Pictures: top-down, 4 bytes a pixel, no padding ----

struct Picture {
    int w = 0;
    int h = 0;
    std::vector<uint8_t> bytes;
    uint8_t& at(int x, int y, int c) { return bytes[(static_cast<size_t>(y) * w + x) * 4 + c]; }
    uint8_t at(int x, int y, int c) const { return bytes[(static_cast<size_t>(y) * w + x) * 4 + c]; }
};

Picture randomPicture(int w, int h, std::mt19937& rng)
{
    Picture p { w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h * 4) };
    // Mostly flat areas with sharp steps, which drive the filter past 0..255.
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> extreme(0, 3);
    for (auto& b : p.bytes) {
        const int e = extreme(rng);
        b = static_cast<uint8_t>(e == 0 ? 0 : (e == 1 ? 255 : byte(rng)));
    }
    return p;
}

// Straightforward passes over the reference tables.
Picture referenceHorizontal(const Picture& src, int dw)
{
    const Table table = referenceTable(src.w, dw);
    Picture out { dw, src.h, std::vector<uint8_t>(static_cast<size_t>(dw) * src.h * 4) };
    for (int y = 0; y < src.h; ++y)
        for (int x = 0; x < dw; ++x)
            for (int c = 0; c < 4; ++c) {
                const Entry& e = table.entries[x];
                long sum = 0;
                for (size_t k = 0; k < e.weights.size(); ++k)
                    sum += static_cast<long>(e.weights[k]) * src.at(e.first + static_cast<int>(k), y, c);
                out.at(x, y, c) = static_cast<uint8_t>(std::clamp((sum + 8192) >> 14, 0L, 255L));
            }
    return out;
}

Picture referenceVertical(const Picture& src, int dh)
{
    const Table table = referenceTable(src.h, dh);
    Picture out { src.w, dh, std::vector<uint8_t>(static_cast<size_t>(src.w) * dh * 4) };
    for (int y = 0; y < dh; ++y)
        for (int x = 0; x < src.w; ++x)
            for (int c = 0; c < 4; ++c) {
                const Entry& e = table.entries[y];
                long sum = 0;
                for (size_t k = 0; k < e.weights.size(); ++k)
                    sum += static_cast<long>(e.weights[k]) * src.at(x, e.first + static_cast<int>(k), c);
                out.at(x, y, c) = static_cast<uint8_t>(std::clamp((sum + 8192) >> 14, 0L, 255L));
            }
    return out;
}

Picture referenceResample(const Picture& src, int dw, int dh)
{
    Picture p = src;
    if (dw != src.w)
        p = referenceHorizontal(p, dw);
    if (dh != src.h)
        p = referenceVertical(p, dh);
    return p;
}

// ---- A plane as the surfaces hold it: rows with padding, optionally
// bottom-up, rows starting off any 4-byte boundary, guard bytes all around ----

constexpr uint8_t kGuard = 0xA5;

struct Plane {
    int w = 0;
    int h = 0;
    ptrdiff_t stride = 0;
    size_t topOffset = 0;
    std::vector<uint8_t> bytes;

    Plane(int width, int height, bool bottomUp, int misalign)
        : w(width)
        , h(height)
    {
        const ptrdiff_t rowBytes = static_cast<ptrdiff_t>(w) * 4 + 12;
        bytes.assign(static_cast<size_t>(rowBytes) * h + 128 + misalign, kGuard);
        const size_t origin = 64 + misalign;
        stride = bottomUp ? -rowBytes : rowBytes;
        topOffset = bottomUp ? origin + static_cast<size_t>(rowBytes) * (h - 1) : origin;
    }
    uint8_t* top() { return bytes.data() + topOffset; }
    uint8_t* pixel(int x, int y) { return top() + y * stride + x * 4; }

    void put(const Picture& p)
    {
        for (int y = 0; y < h; ++y)
            std::copy_n(&p.bytes[static_cast<size_t>(y) * w * 4], w * 4, pixel(0, y));
    }
    Picture get()
    {
        Picture p { w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h * 4) };
        for (int y = 0; y < h; ++y)
            std::copy_n(pixel(0, y), w * 4, &p.bytes[static_cast<size_t>(y) * w * 4]);
        return p;
    }
    // Bytes outside the rectangle that are no longer the guard value.
    int damagedGuards()
    {
        std::vector<bool> inside(bytes.size(), false);
        for (int y = 0; y < h; ++y)
            std::fill_n(inside.begin() + (pixel(0, y) - bytes.data()), w * 4, true);
        int damaged = 0;
        for (size_t i = 0; i < bytes.size(); ++i)
            damaged += !inside[i] && bytes[i] != kGuard;
        return damaged;
    }
};

// Runs a test body once per kernel level this processor has.
class ResampleLevels : public ::testing::TestWithParam<CpuFeatures::SimdLevel> {
protected:
    void SetUp() override
    {
        if (!CpuFeatures::supports(GetParam()))
            GTEST_SKIP() << "this processor lacks the level";
        CpuFeatures::selectSimdLevel(GetParam());
    }
    void TearDown() override { CpuFeatures::resetSimdLevel(); }
};

std::string levelName(const ::testing::TestParamInfo<CpuFeatures::SimdLevel>& info)
{
    return info.param == CpuFeatures::SimdLevel::Scalar ? "Scalar" : "Sse2";
}

// ---- Weight tables ----

TEST(ResampleWeightsTest, TablesFollowTheWeightRuleForUpAndDownScales)
{
    const struct {
        int n, m;
    } cases[] = { { 2, 7 }, { 7, 2 }, { 300, 100 }, { 640, 1280 }, { 1280, 853 }, { 1, 5 }, { 5, 1 }, { 3, 4 },
        { 1080, 360 }, { 33, 1 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.n) + " -> " + std::to_string(c.m));
        const Table expected = referenceTable(c.n, c.m);
        Resample::ResampleWeights table;
        ASSERT_TRUE(table.build(c.n, c.m));
        ASSERT_EQ(table.outputs(), c.m);
        for (int i = 0; i < c.m; ++i) {
            const Entry& e = expected.entries[i];
            ASSERT_EQ(table.taps(i), static_cast<int>(e.weights.size())) << "output " << i;
            ASSERT_EQ(table.firstIndex(i), e.first) << "output " << i;
            const std::vector<int> weights(table.weights(i), table.weights(i) + table.taps(i));
            ASSERT_EQ(weights, e.weights) << "output " << i;
            ASSERT_LE(e.first + table.taps(i), c.n);
        }
    }
}

TEST(ResampleWeightsTest, DownScaleFrom300To100UsesEighteenTapsAwayFromTheEdges)
{
    EXPECT_EQ(referenceTable(300, 100).rawTaps, 18);
    Resample::ResampleWeights table;
    ASSERT_TRUE(table.build(300, 100));
    EXPECT_EQ(table.taps(50), 18);
    EXPECT_EQ(table.maxTaps(), 18);
    // At the left edge the taps before pixel 0 have been merged into it.
    EXPECT_LT(table.taps(0), 18);
    EXPECT_EQ(table.firstIndex(0), 0);
}

TEST(ResampleWeightsTest, TapsClampedOntoAnEdgePixelMergeAtBothEdges)
{
    for (const auto& [n, m] : { std::pair { 2, 7 }, std::pair { 640, 1280 }, std::pair { 7, 2 } }) {
        SCOPED_TRACE(std::to_string(n) + " -> " + std::to_string(m));
        Resample::ResampleWeights table;
        ASSERT_TRUE(table.build(n, m));
        const Table expected = referenceTable(n, m);
        const int first = 0;
        const int last = m - 1;
        EXPECT_EQ(table.firstIndex(first), 0);
        EXPECT_LT(table.taps(first), expected.rawTaps);
        EXPECT_EQ(table.firstIndex(last) + table.taps(last), n);
        EXPECT_LT(table.taps(last), expected.rawTaps);
    }
    // 2 -> 7: output 0 reads pixel 0 through four taps and pixel 1 through two.
    Resample::ResampleWeights table;
    ASSERT_TRUE(table.build(2, 7));
    EXPECT_EQ(table.taps(0), 2);
}

TEST(ResampleWeightsTest, RefusesSizesOutsideTheLimit)
{
    Resample::ResampleWeights table;
    EXPECT_FALSE(table.build(0, 5));
    EXPECT_FALSE(table.build(5, -1));
    EXPECT_FALSE(table.build(8101, 100));
    EXPECT_TRUE(table.build(8100, 1));
    EXPECT_EQ(table.taps(0), 8100); // 48600 taps merged onto the 8100 pixels
}

TEST(ResampleWeightsTest, LanczosEdgeValues)
{
    EXPECT_EQ(Resample::lanczos3(0.0), 1.0);
    EXPECT_EQ(Resample::lanczos3(2.0e-16), 1.0);
    EXPECT_EQ(Resample::lanczos3(3.0), 0.0);
    EXPECT_EQ(Resample::lanczos3(-7.5), 0.0);
    EXPECT_EQ(Resample::lanczos3(0.5), referenceLanczos(0.5));
    EXPECT_EQ(Resample::lanczos3(-1.25), referenceLanczos(-1.25));
}

// ---- The passes ----

TEST_P(ResampleLevels, SizeChoosesThePathAndMatchesTheReference)
{
    const struct {
        int sw, sh, dw, dh;
    } cases[] = {
        { 9, 11, 9, 29 }, // vertical only, up
        { 13, 40, 13, 7 }, // vertical only, down
        { 11, 5, 31, 5 }, // horizontal only, up
        { 45, 3, 7, 3 }, // horizontal only, down
        { 10, 12, 23, 5 }, // both
        { 37, 9, 6, 21 }, // both, opposite ways
        { 1, 1, 5, 3 }, // a single pixel spread
        { 6, 6, 1, 1 }, // to a single pixel
    };
    std::mt19937 rng(7);
    for (const auto& c : cases) {
        for (bool bottomUp : { false, true }) {
            SCOPED_TRACE(std::to_string(c.sw) + "x" + std::to_string(c.sh) + " -> " + std::to_string(c.dw) + "x"
                + std::to_string(c.dh) + (bottomUp ? " bottom-up" : ""));
            const Picture picture = randomPicture(c.sw, c.sh, rng);
            Plane src(c.sw, c.sh, bottomUp, 1);
            src.put(picture);
            Plane dst(c.dw, c.dh, !bottomUp, 3);
            ASSERT_EQ(Resample::resample(dst.top(), dst.stride, c.dw, c.dh, src.top(), src.stride, c.sw, c.sh),
                Resample::Outcome::Done);
            EXPECT_EQ(dst.get().bytes, referenceResample(picture, c.dw, c.dh).bytes);
            EXPECT_EQ(dst.damagedGuards(), 0);
            EXPECT_EQ(src.get().bytes, picture.bytes);
        }
    }
}

TEST_P(ResampleLevels, SharpEdgeOutputsAreClampedTo0And255)
{
    // Black then white: the negative lobes undershoot below 0 before the edge
    // and overshoot above 255 after it.
    Picture edge { 8, 2, std::vector<uint8_t>(8 * 2 * 4, 0) };
    for (int y = 0; y < 2; ++y)
        for (int x = 4; x < 8; ++x)
            for (int c = 0; c < 4; ++c)
                edge.at(x, y, c) = 255;
    const Table table = referenceTable(8, 29);
    long lowest = 0;
    long highest = 0;
    for (const Entry& e : table.entries) {
        long sum = 0;
        for (size_t k = 0; k < e.weights.size(); ++k)
            sum += static_cast<long>(e.weights[k]) * edge.at(e.first + static_cast<int>(k), 0, 0);
        lowest = std::min(lowest, (sum + 8192) >> 14);
        highest = std::max(highest, (sum + 8192) >> 14);
    }
    ASSERT_LT(lowest, 0);
    ASSERT_GT(highest, 255);

    Plane src(8, 2, true, 0);
    src.put(edge);
    Plane dst(29, 2, true, 0);
    ASSERT_EQ(Resample::resample(dst.top(), dst.stride, 29, 2, src.top(), src.stride, 8, 2), Resample::Outcome::Done);
    const Picture out = dst.get();
    EXPECT_EQ(out.bytes, referenceResample(edge, 29, 2).bytes);
    EXPECT_NE(std::find(out.bytes.begin(), out.bytes.end(), 0), out.bytes.end());
    EXPECT_NE(std::find(out.bytes.begin(), out.bytes.end(), 255), out.bytes.end());
}

TEST_P(ResampleLevels, PassesMatchTheScalarPassesOnOddSizes)
{
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> size(1, 67);
    for (int round = 0; round < 40; ++round) {
        const int n = size(rng);
        const int m = size(rng);
        const int other = size(rng);
        const int misalign = round % 4;
        SCOPED_TRACE("round " + std::to_string(round) + ": " + std::to_string(n) + " -> " + std::to_string(m)
            + ", other axis " + std::to_string(other));
        Resample::ResampleWeights table;
        ASSERT_TRUE(table.build(n, m));

        const Picture wide = randomPicture(n, other, rng);
        Plane src(n, other, round % 2 == 0, misalign);
        src.put(wide);
        Plane fast(m, other, round % 3 == 0, 3 - misalign);
        Plane slow(m, other, round % 3 == 0, 3 - misalign);
        Resample::horizontalPass(fast.top(), fast.stride, src.top(), src.stride, other, table);
        Resample::scalar::horizontalPass(slow.top(), slow.stride, src.top(), src.stride, other, table);
        EXPECT_EQ(fast.bytes, slow.bytes);
        EXPECT_EQ(fast.damagedGuards(), 0);

        const Picture tall = randomPicture(other, n, rng);
        Plane srcTall(other, n, round % 2 == 1, misalign);
        srcTall.put(tall);
        Plane fastTall(other, m, round % 3 == 1, misalign);
        Plane slowTall(other, m, round % 3 == 1, misalign);
        Resample::verticalPass(fastTall.top(), fastTall.stride, srcTall.top(), srcTall.stride, other, table);
        Resample::scalar::verticalPass(slowTall.top(), slowTall.stride, srcTall.top(), srcTall.stride, other, table);
        EXPECT_EQ(fastTall.bytes, slowTall.bytes);
        EXPECT_EQ(fastTall.damagedGuards(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Kernels, ResampleLevels,
    ::testing::Values(CpuFeatures::SimdLevel::Scalar, CpuFeatures::SimdLevel::Sse2), levelName);

TEST(ResampleTest, EqualSizesEmptyRectanglesAndHugeSizesDrawNothing)
{
    Plane src(4, 4, true, 0);
    Plane dst(4, 4, true, 0);
    using Resample::Outcome;
    EXPECT_EQ(Resample::resample(dst.top(), dst.stride, 4, 4, src.top(), src.stride, 4, 4), Outcome::NoResampleNeeded);
    EXPECT_EQ(Resample::resample(dst.top(), dst.stride, 0, 4, src.top(), src.stride, 4, 4), Outcome::Failed);
    EXPECT_EQ(Resample::resample(dst.top(), dst.stride, 4, 4, src.top(), src.stride, 4, -2), Outcome::Failed);
    EXPECT_EQ(Resample::resample(dst.top(), dst.stride, 8101, 4, src.top(), src.stride, 4, 4), Outcome::UseFallback);
    EXPECT_EQ(Resample::resample(dst.top(), dst.stride, 4, 4, src.top(), src.stride, 4, 8200), Outcome::UseFallback);
    EXPECT_EQ(
        Resample::fallbackScale(dst.top(), dst.stride, 4, 4, src.top(), src.stride, 4, 4), Outcome::NoResampleNeeded);
    EXPECT_TRUE(std::all_of(dst.bytes.begin(), dst.bytes.end(), [](uint8_t b) { return b == kGuard; }));
}

// ---- The fallback scaler ----

Picture referenceBilinear(const Picture& src, Picture dst)
{
    const int w = src.w, h = src.h, W = dst.w, H = dst.h;
    auto X = [&](int i) { return i == W ? (w * 256 * (W - 1)) / W : (w * 256 * i) / W; };
    for (int j = 0; j < H; ++j) {
        const int fy = ((h * 256 * j) / H) & 255;
        const int r0 = j == H - 1 ? ((H - 1) * h) / H : (j * h) / H;
        const int r1 = j == H - 1 ? ((H - 1) * h) / H : ((j + 1) * h) / H;
        for (int i = 0; i < W; ++i) {
            const int fx = X(i) & 255;
            const int c0 = X(i) >> 8, c1 = X(i + 1) >> 8;
            for (int c = 0; c < 3; ++c) {
                const int tl = src.at(c0, r0, c), tr = src.at(c1, r0, c);
                const int bl = src.at(c0, r1, c), br = src.at(c1, r1, c);
                dst.at(i, j, c) = static_cast<uint8_t>(
                    ((tl * (255 - fx) + tr * fx) * (255 - fy) + (bl * (255 - fx) + br * fx) * fy) >> 16);
            }
        }
    }
    return dst;
}

Picture referenceNearest(const Picture& src, int W, int H)
{
    Picture dst { W, H, std::vector<uint8_t>(static_cast<size_t>(W) * H * 4) };
    const int stepX = (src.w << 12) / W, stepY = (src.h << 12) / H;
    for (int j = 0; j < H; ++j)
        for (int i = 0; i < W; ++i)
            for (int c = 0; c < 4; ++c)
                dst.at(i, j, c) = src.at((i * stepX) >> 12, (j * stepY) >> 12, c);
    return dst;
}

TEST(ResampleFallbackTest, BilinearFollowsTheFixedPointFormulaAndKeepsTheFourthByte)
{
    const struct {
        int sw, sh, dw, dh;
    } cases[] = { { 10, 7, 23, 13 }, { 5, 5, 3, 4 }, { 64, 48, 100, 30 }, { 2, 2, 9, 9 }, { 17, 3, 5, 7 } };
    std::mt19937 rng(3);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.sw) + "x" + std::to_string(c.sh) + " -> " + std::to_string(c.dw) + "x"
            + std::to_string(c.dh));
        const Picture picture = randomPicture(c.sw, c.sh, rng);
        const Picture before = randomPicture(c.dw, c.dh, rng);
        Plane src(c.sw, c.sh, true, 2);
        src.put(picture);
        Plane dst(c.dw, c.dh, true, 1);
        dst.put(before);
        ASSERT_EQ(Resample::fallbackScale(dst.top(), dst.stride, c.dw, c.dh, src.top(), src.stride, c.sw, c.sh),
            Resample::Outcome::Done);
        EXPECT_EQ(dst.get().bytes, referenceBilinear(picture, before).bytes);
        EXPECT_EQ(dst.damagedGuards(), 0);
    }
}

TEST(ResampleFallbackTest, NearestNeighbourWhenAnAxisKeepsItsSizeOrShrinksToAQuarter)
{
    const struct {
        int sw, sh, dw, dh;
    } cases[] = {
        { 10, 7, 10, 19 }, // width kept
        { 10, 7, 3, 7 }, // height kept
        { 40, 9, 10, 20 }, // a quarter of the width
        { 9, 41, 20, 10 }, // a quarter of the height (41 / 4 = 10)
        { 33, 50, 7, 3 },
    };
    std::mt19937 rng(5);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.sw) + "x" + std::to_string(c.sh) + " -> " + std::to_string(c.dw) + "x"
            + std::to_string(c.dh));
        const Picture picture = randomPicture(c.sw, c.sh, rng);
        Plane src(c.sw, c.sh, false, 1);
        src.put(picture);
        Plane dst(c.dw, c.dh, true, 2);
        ASSERT_EQ(Resample::fallbackScale(dst.top(), dst.stride, c.dw, c.dh, src.top(), src.stride, c.sw, c.sh),
            Resample::Outcome::Done);
        EXPECT_EQ(dst.get().bytes, referenceNearest(picture, c.dw, c.dh).bytes);
        EXPECT_EQ(dst.damagedGuards(), 0);
    }
}

} // namespace
