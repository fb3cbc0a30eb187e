#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "layer/Easing.h"

namespace {

struct EaseCase {
    int32_t curve;
    int32_t delta;
    uint32_t elapsed;
    uint32_t duration;
    int32_t expected;
};

TEST(Easing, CurvesGiveTheirValues)
{
    const EaseCase cases[] = {
        { 1, 100, 5, 10, 25 }, // squares
        { 2, 100, 5, 10, 70 }, // sqrt(5000) = 70.7
        { 0, 100, 5, 10, 50 },
        { 3, 100, 0, 10, 0 }, // ln 0 is minus infinity
        { 3, 100, 5, 10, 69 }, // 100 ln 5 / ln 10 = 69.9
        { 7, 100, 5, 10, 50 }, // unknown curves are linear
        { -1, 100, 3, 10, 30 },
        { 1, -100, 5, 10, -25 }, // the sign of the delta, the same magnitude
        { 2, -100, 5, 10, -70 },
        { 0, -100, 5, 10, -50 },
        { 0, 0, 5, 10, 0 },
        { 1, 100, 10, 10, 100 }, // at the end exactly the delta
        { 2, -7, 11, 10, -7 },
        { 0, 100, 0xFFFFFFFFu, 10, 100 }, // elapsed compared unsigned
        { 0, 100, 5, 0, 100 }, // no duration: already there
        { 3, 100, 0, 1, 0 }, // ln 1 is 0: no division by zero reaches the result
        { 0, INT32_MIN, 1, 2, INT32_MIN / 2 },
        { 1, INT32_MIN, 1, 2, INT32_MIN / 4 },
        { 0, INT32_MAX, 0xFFFFFFFEu, 0xFFFFFFFFu, INT32_MAX - 1 },
    };
    for (const EaseCase& c : cases)
        EXPECT_EQ(ease(c.curve, c.delta, c.elapsed, c.duration), c.expected)
            << "curve " << c.curve << " delta " << c.delta << " t " << c.elapsed << " of " << c.duration;
}

// Durations above 65535 ms would overflow 32-bit squares; the squares are
// taken in 64 bits, so long moves still accelerate smoothly and end exactly.
TEST(Easing, LongDurationsOnTheSquareCurve)
{
    EXPECT_EQ(ease(1, 1000, 32768, 65536), 250);
    EXPECT_EQ(ease(1, 1000, 65535, 65536), 999);
    EXPECT_EQ(ease(1, 1000, 1u << 31, 0xFFFFFFFFu), 250);
    EXPECT_EQ(ease(1, INT32_MAX, 0xFFFFFFFEu, 0xFFFFFFFFu), INT32_MAX - 1); // a - 2a/T + a/T^2
    // Never past the delta and never backwards along a long move.
    int32_t previous = 0;
    for (uint32_t t = 0; t <= 200000; t += 997) {
        const int32_t value = ease(1, 5000, t, 200000);
        EXPECT_GE(value, previous);
        EXPECT_LE(value, 5000);
        previous = value;
    }
}

} // namespace
