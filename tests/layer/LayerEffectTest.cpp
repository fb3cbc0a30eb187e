#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "layer/LayerEffects.h"
#include "surface/PixelBlend.h"

namespace {
struct Image {
    int width, height;
    std::vector<uint8_t> pixels, alpha;
    Image(int w, int h, uint32_t seed)
        : width(w)
        , height(h)
        , pixels(size_t(w) * h * 4)
        , alpha(size_t(w) * h)
    {
        std::mt19937 generator(seed);
        for (uint8_t& b : pixels)
            b = uint8_t(generator());
        for (uint8_t& a : alpha)
            a = uint8_t(generator());
    }
    uint8_t* at(int x, int y) { return &pixels[(size_t(y) * width + x) * 4]; }
};

LayerTransform identity(int level)
{
    return LayerTransform { 60, 0.0, 100, level, 100 };
}

void draw(Image& dst, const FCRect& clip, Image& src, bool withAlpha, const FCRect& display, const FCRect& source,
    const LayerTransform& transform)
{
    drawTransformed(dst.pixels.data(), dst.width * 4, clip, src.pixels.data(), src.width * 4, src.width, src.height,
        withAlpha ? src.alpha.data() : nullptr, src.width, display, source, transform);
}

bool inside(int x, int y, const FCRect& r)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}
} // namespace

// Untransformed, the effect's drawing is the plain drawing of the same pixels.
TEST(LayerEffect, IdentityEqualsThePlainBlend)
{
    Image src(13, 9, 1);
    const FCRect display(4, 3, 15, 10), source(2, 1, 13, 8), clip(6, 2, 20, 9);
    for (bool withAlpha : { false, true }) {
        for (int level : { 16, 11 }) {
            Image drawn(20, 16, 2), expected(20, 16, 2);
            draw(drawn, clip, src, withAlpha, display, source, identity(level));
            // Display (6..15, 3..9) shows source from (4, 1).
            PixelBlend::blendMask(expected.at(6, 3), expected.width * 4, src.at(4, 1), src.width * 4,
                withAlpha ? &src.alpha[size_t(1) * src.width + 4] : nullptr, src.width, nullptr, 0, 9, 6, level);
            EXPECT_EQ(drawn.pixels, expected.pixels) << withAlpha << " " << level;
        }
    }
}

// A half turn is the image upside down and mirrored, pixel for pixel.
TEST(LayerEffect, HalfTurnMirrorsBothWays)
{
    Image src(5, 3, 3), drawn(5, 3, 4);
    const FCRect whole(0, 0, 5, 3);
    draw(drawn, whole, src, false, whole, whole, LayerTransform { 63, 180.0, 100, 16, 100 });
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            for (int c = 0; c < 4; ++c)
                EXPECT_EQ(drawn.at(x, y)[c], src.at(4 - x, 2 - y)[c]) << x << "," << y;
}

// Every pixel written lies in the transformed extent and the clip; a turned
// or scaled layer still draws something.
TEST(LayerEffect, WritesStayInsideTheExtentAndTheClip)
{
    Image src(24, 16, 5);
    std::fill(src.pixels.begin(), src.pixels.end(), 0xFF);
    std::fill(src.alpha.begin(), src.alpha.end(), 0xFF);
    const FCRect display(20, 14, 44, 30), source(0, 0, 24, 16);
    const LayerTransform transforms[] = { { 60, 30.0, 100, 16, 100 }, { 61, 90.0, 50, 16, 100 },
        { 61, 200.0, 150, 9, 100 }, { 26, 0.0, 10, 16, 100 }, { 27, 0.0, 400, 16, 100 }, { 62, -45.0, 233, 16, 100 },
        { 28, 0.0, 100, 16, 40 }, { 34, 0.0, 100, 16, 70 } };
    for (const LayerTransform& t : transforms) {
        for (const FCRect& clip : { FCRect(0, 0, 64, 48), FCRect(25, 10, 37, 33) }) {
            for (bool withAlpha : { false, true }) {
                Image dst(64, 48, 0);
                std::fill(dst.pixels.begin(), dst.pixels.end(), 0);
                draw(dst, clip, src, withAlpha, display, source, t);
                const FCRect extent = transformedExtent(display, t);
                int written = 0;
                for (int y = 0; y < dst.height; ++y)
                    for (int x = 0; x < dst.width; ++x)
                        if (dst.at(x, y)[0] || dst.at(x, y)[1] || dst.at(x, y)[2]) {
                            ++written;
                            EXPECT_TRUE(inside(x, y, extent) && inside(x, y, clip))
                                << t.effect << " " << t.angleDegrees << " at " << x << "," << y;
                        }
                EXPECT_GT(written, 0) << t.effect << " " << t.angleDegrees;
            }
        }
    }
}

// The reveals show the entering side first, softly.
TEST(LayerEffect, ARevealShowsItsSideFirst)
{
    Image src(40, 10, 6);
    std::fill(src.pixels.begin(), src.pixels.end(), 0xFF);
    Image dst(40, 10, 7);
    std::fill(dst.pixels.begin(), dst.pixels.end(), 0);
    const FCRect whole(0, 0, 40, 10);
    draw(dst, whole, src, false, whole, whole, LayerTransform { 35, 0.0, 100, 16, 50 });
    EXPECT_EQ(dst.at(39, 5)[0], 255); // from the right: the right end shown
    EXPECT_EQ(dst.at(0, 5)[0], 0); // the left end not yet
    EXPECT_GT(dst.at(39, 5)[0], dst.at(20, 5)[0]);
}

namespace {
class RecordingTarget : public LayerEffectTarget {
public:
    FCRect area() override { return FCRect(100, 40, 300, 140); }
    void setTransform(const LayerTransform* t) override
    {
        current = t;
        transforms.push_back(t ? *t : LayerTransform { -1, 0, 0, 0, 0 });
    }
    void updatePresent(const FCRect& rect) override
    {
        updates.push_back(rect);
        if (current)
            extents.push_back(transformedExtent(area(), *current));
        else
            extents.push_back(area());
    }
    void restartTimer() override { ++restarts; }
    void waitUntil(uint32_t ms) override { waits.push_back(ms); }

    const LayerTransform* current = nullptr;
    std::vector<LayerTransform> transforms;
    std::vector<FCRect> updates, extents;
    std::vector<uint32_t> waits;
    int restarts = 0;
};

bool contains(const FCRect& outer, const FCRect& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right
        && inner.bottom <= outer.bottom;
}
} // namespace

TEST(LayerEffect, AnEffectStepsThroughItsFramesAndEndsPlain)
{
    for (int32_t effect : { 26, 27, 28, 29, 33, 60, 61, 62, 63 }) {
        RecordingTarget target;
        runLayerEffect(target, effect, 8, 10, 0, 50);
        ASSERT_EQ(target.transforms.size(), 8u) << effect;
        EXPECT_EQ(target.transforms.back().effect, -1) << effect;
        EXPECT_TRUE(contains(target.updates.back(), target.area())) << effect;
        EXPECT_EQ(target.waits, std::vector<uint32_t>(7, 10u)) << effect;
        EXPECT_EQ(target.restarts, 8) << effect;
        // Each update covers where the frame draws and where the previous one drew.
        for (size_t i = 0; i < target.updates.size(); ++i) {
            EXPECT_TRUE(contains(target.updates[i], target.extents[i])) << effect << " frame " << i;
            if (i > 0) {
                EXPECT_TRUE(contains(target.updates[i], target.extents[i - 1])) << effect << " frame " << i;
            }
        }
    }
    // The full turn comes down to its final angle, growing from half size.
    RecordingTarget spin;
    runLayerEffect(spin, 61, 8, 10, 0, 50);
    EXPECT_GT(spin.transforms[0].angleDegrees, 180.0);
    EXPECT_LT(spin.transforms[0].scalePercent, 80);
    for (size_t i = 1; i + 1 < spin.transforms.size(); ++i) {
        EXPECT_LT(spin.transforms[i].angleDegrees, spin.transforms[i - 1].angleDegrees);
        EXPECT_GE(spin.transforms[i].scalePercent, spin.transforms[i - 1].scalePercent);
    }
}

TEST(LayerEffect, OtherNumbersOnlyShowThePlainLayer)
{
    RecordingTarget target;
    runLayerEffect(target, 5, 8, 10, 0, 50);
    ASSERT_EQ(target.transforms.size(), 1u);
    EXPECT_EQ(target.transforms[0].effect, -1);
    EXPECT_EQ(target.updates, std::vector<FCRect>({ target.area() }));
}
