#include "layer/UxCalcData.h"

#include "layer/Easing.h"

namespace {

int32_t saturate(int64_t value)
{
    return value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : int32_t(value);
}

// start + the eased part of end - start. A difference beyond 32 bits
// (values far apart) is eased as twice its half, so it neither overflows nor
// stops short.
int32_t interpolate(int32_t start, int32_t end, uint32_t elapsed, uint32_t duration, int32_t curve)
{
    const int64_t delta = int64_t(end) - start;
    int64_t eased;
    if (delta >= INT32_MIN && delta <= INT32_MAX) {
        eased = ease(curve, int32_t(delta), elapsed, duration);
    } else {
        const int64_t half = delta / 2;
        eased = 2 * int64_t(ease(curve, int32_t(half), elapsed, duration))
            + ease(curve, int32_t(delta - 2 * half), elapsed, duration);
    }
    return saturate(int64_t(start) + eased);
}

bool hasArea(const FCRect& rect)
{
    return rect.right != rect.left && rect.bottom != rect.top;
}

void move(FCRect& current, const FCRect& start, const FCRect& end, uint32_t elapsed, uint32_t duration, int32_t curve)
{
    if (!hasArea(start) || !hasArea(end))
        return;
    if (elapsed >= duration) {
        current = end;
        return;
    }
    current = FCRect(interpolate(start.left, end.left, elapsed, duration, curve),
        interpolate(start.top, end.top, elapsed, duration, curve),
        interpolate(start.right, end.right, elapsed, duration, curve),
        interpolate(start.bottom, end.bottom, elapsed, duration, curve));
}

} // namespace

UxCalcData::~UxCalcData() = default;

void UxIntData::setConstant(int32_t v)
{
    current = start = end = v;
    duration = 0;
    curve = 0;
}

void UxIntData::calc(uint32_t elapsed, int32_t requested)
{
    if (start == end)
        return;
    current = elapsed >= duration ? end : interpolate(start, end, elapsed, duration, curveFor(requested));
}

void UxAreaData::setUp(int32_t x, int32_t y, int32_t sourceX, int32_t sourceY, int32_t width, int32_t height,
    int32_t destinationX, int32_t destinationY, int32_t destinationWidth, int32_t destinationHeight)
{
    // Coordinates wrap rather than overflow, as FCRect's own do.
    auto far = [](int32_t origin, int32_t size) { return int32_t(uint32_t(origin) + uint32_t(size)); };
    source = sourceStart = sourceEnd = FCRect(sourceX, sourceY, far(sourceX, width), far(sourceY, height));
    const int32_t shownWidth = destinationWidth < 1 ? width : destinationWidth;
    const int32_t shownHeight = destinationHeight < 1 ? height : destinationHeight;
    destination = destinationStart = destinationEnd
        = FCRect(destinationX, destinationY, far(destinationX, shownWidth), far(destinationY, shownHeight));
    lastDrawnDestination = lastDrawnSource = previousSource = FCRect();
    anchorX = x;
    anchorY = y;
    duration = 0;
    curve = 0;
    state = 0;
}

void UxAreaData::calc(uint32_t elapsed, int32_t requested)
{
    const int32_t used = curveFor(requested);
    move(destination, destinationStart, destinationEnd, elapsed, duration, used);
    previousSource = source;
    move(source, sourceStart, sourceEnd, elapsed, duration, used);
}
