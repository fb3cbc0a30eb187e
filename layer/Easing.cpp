#include "layer/Easing.h"

#include <cmath>

namespace {

// floor(a * b / c) for c > 0 and a quotient below 2^64, without a 128-bit
// type (the 32-bit targets have none): the product in four 32-bit halves,
// then long division one bit at a time.
uint64_t multiplyDivide(uint64_t a, uint64_t b, uint64_t c)
{
    const uint64_t aLow = a & 0xFFFFFFFFu, aHigh = a >> 32;
    const uint64_t bLow = b & 0xFFFFFFFFu, bHigh = b >> 32;
    const uint64_t lowLow = aLow * bLow;
    const uint64_t highLow = aHigh * bLow;
    const uint64_t lowHigh = aLow * bHigh;
    const uint64_t middle = (lowLow >> 32) + (highLow & 0xFFFFFFFFu) + (lowHigh & 0xFFFFFFFFu);
    const uint64_t low = (middle << 32) | (lowLow & 0xFFFFFFFFu);
    const uint64_t high = aHigh * bHigh + (highLow >> 32) + (lowHigh >> 32) + (middle >> 32);

    uint64_t quotient = 0;
    uint64_t remainder = 0;
    for (int bit = 127; bit >= 0; --bit) {
        const bool carry = (remainder >> 63) != 0;
        const uint64_t next = bit >= 64 ? (high >> (bit - 64)) & 1 : (low >> bit) & 1;
        remainder = (remainder << 1) | next;
        if (carry || remainder >= c) {
            remainder -= c;
            if (bit < 64)
                quotient |= uint64_t(1) << bit;
        }
    }
    return quotient;
}

// A double turned into 0..magnitude; NaN and negative values (the logarithm
// of 0) give 0.
uint64_t clampedMagnitude(double value, uint64_t magnitude)
{
    if (!(value > 0.0))
        return 0;
    if (value >= double(magnitude))
        return magnitude;
    return uint64_t(value);
}

} // namespace

int32_t ease(int32_t curve, int32_t delta, uint32_t elapsed, uint32_t duration)
{
    if (delta == 0)
        return 0;
    if (elapsed >= duration)
        return delta;
    // elapsed < duration from here on, so duration is at least 1.
    const uint64_t magnitude = delta < 0 ? uint64_t(-int64_t(delta)) : uint64_t(delta);
    uint64_t value;
    switch (curve) {
    case 1:
        // The squares in 64 bits: a duration above 65535 ms would overflow
        // 32-bit squares (65536 ms squares to 0), while every shorter one
        // gives the same result either way.
        value = multiplyDivide(magnitude, uint64_t(elapsed) * elapsed, uint64_t(duration) * duration);
        break;
    case 2:
        value = clampedMagnitude(
            std::sqrt(double(magnitude) * double(magnitude) * double(elapsed) / double(duration)), magnitude);
        break;
    case 3:
        value = clampedMagnitude(double(magnitude) * std::log(double(elapsed)) / std::log(double(duration)), magnitude);
        break;
    default:
        value = uint64_t(elapsed) * magnitude / duration;
        break;
    }
    if (value > magnitude)
        value = magnitude;
    return delta < 0 ? int32_t(-int64_t(value)) : int32_t(value);
}
