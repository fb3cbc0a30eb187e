#include "layer/TransitionGeometry.h"

#include <algorithm>

namespace {
// Coordinates are computed in 64 bits and wrap back into 32, as FCRect's own
// arithmetic does, so hostile rectangles cannot trip undefined behaviour.
int32_t wrap(int64_t value)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

FCRect normalised(int64_t left, int64_t top, int64_t right, int64_t bottom)
{
    int32_t l = wrap(left), t = wrap(top), r = wrap(right), b = wrap(bottom);
    return FCRect(std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b));
}

// An eighth of a span, toward zero, never 0.
int64_t eighth(int64_t span, int64_t extra)
{
    int64_t part = span / 8 + extra;
    return part == 0 ? 1 : part;
}
} // namespace

void wipeParts(int32_t effect, const FCRect& area, int32_t step, std::vector<FCRect>& parts)
{
    parts.clear();
    if (effect < 10 || effect > 23 || step < 1 || step > 8)
        return;
    const int64_t L = area.left, T = area.top, R = area.right, B = area.bottom;
    const FCRect whole = normalised(L, T, R, B);
    if (step == 8) {
        parts.push_back(whole);
        return;
    }
    const int64_t extra = (effect == 20 || effect == 23) ? 2 : 0;
    const int64_t w = step * eighth(R - L, extra); // k * sx
    const int64_t h = step * eighth(B - T, extra); // k * sy
    const int64_t x0 = L + (R - L - w) / 2;
    const int64_t y0 = T + (B - T - h) / 2;
    // With the extra 2 of 20 and 23, or eighths rounded up to 1 in a small
    // area, seven steps can reach past the area; what lies outside it is not
    // part of the transition (it may hold composed changes not yet shown), so
    // parts are held to the area.
    auto add = [&parts, &whole](int64_t l, int64_t t, int64_t r, int64_t b) {
        const FCRect part = normalised(l, t, r, b);
        parts.push_back(
            FCRect(std::clamp(part.left, whole.left, whole.right), std::clamp(part.top, whole.top, whole.bottom),
                std::clamp(part.right, whole.left, whole.right), std::clamp(part.bottom, whole.top, whole.bottom)));
    };
    switch (effect) {
    case 10:
        add(L, T, L + w, T + h);
        break;
    case 11:
        add(L, T, L + w, B);
        break;
    case 12:
        add(L, B - h, L + w, B);
        break;
    case 13:
        add(L, B - h, R, B);
        break;
    case 14:
        add(R - w, B - h, R, B);
        break;
    case 15:
        add(R - w, T, R, B);
        break;
    case 16:
        add(R - w, T, R, T + h);
        break;
    case 17:
        add(L, T, R, T + h);
        break;
    case 18:
        add(L, y0, R, y0 + h);
        break;
    case 19:
        add(x0, T, x0 + w, B);
        break;
    case 20:
        add(x0, y0, x0 + w, y0 + h);
        break;
    case 21:
        add(L, T, R, T + (h >> 1));
        add(L, B - (h >> 1), R, B);
        break;
    case 22:
        add(L, T, L + (w >> 1), B);
        add(R - (w >> 1), T, R, B);
        break;
    case 23:
        add(L, T, R, T + (h >> 1));
        add(L, T, L + (w >> 1), B);
        add(L, B - (h >> 1), R, B);
        add(R - (w >> 1), T, R, B);
        break;
    }
}

void slideInStep(int32_t effect, const FCRect& display, const FCRect& source, int32_t step, FCRect& shownDisplay,
    FCRect& shownSource)
{
    shownDisplay = display;
    shownSource = source;
    if (effect < 30 || effect > 37 || step < 1 || step >= 8)
        return;
    const int64_t L = display.left, T = display.top, R = display.right, B = display.bottom;
    const int64_t width = R - L, height = B - T;
    if (width <= 0 || height <= 0)
        return;
    // Below 8 pixels an eighth is still 1, so the shown part is held to the
    // display: beyond it the source would run past the layer's image.
    const int64_t w = std::min(width, step * std::max<int64_t>(width / 8, 1));
    const int64_t h = std::min(height, step * std::max<int64_t>(height / 8, 1));
    // Which edge the growing part holds to: -1 the left (top), 1 the right
    // (bottom), 0 the full width (height).
    static const int8_t kSides[8][2] = {
        { -1, -1 }, // 30 top-left
        { -1, 0 }, // 31 left
        { -1, 1 }, // 32 bottom-left
        { 0, 1 }, // 33 bottom
        { 1, 1 }, // 34 bottom-right
        { 1, 0 }, // 35 right
        { 1, -1 }, // 36 top-right
        { 0, -1 }, // 37 top
    };
    const int8_t sideX = kSides[effect - 30][0], sideY = kSides[effect - 30][1];
    const int64_t sl = source.left, st = source.top, sr = source.right, sb = source.bottom;
    // Against the left edge the part shows the source's right end, so the
    // image enters from the left; against the right edge its left end.
    if (sideX < 0) {
        shownDisplay.right = wrap(L + w);
        shownSource.left = wrap(sr - w);
    } else if (sideX > 0) {
        shownDisplay.left = wrap(R - w);
        shownSource.right = wrap(sl + w);
    }
    if (sideY < 0) {
        shownDisplay.bottom = wrap(T + h);
        shownSource.top = wrap(sb - h);
    } else if (sideY > 0) {
        shownDisplay.top = wrap(B - h);
        shownSource.bottom = wrap(st + h);
    }
}
