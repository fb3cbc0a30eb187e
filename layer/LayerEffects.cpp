#include "layer/LayerEffects.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "surface/PixelBlend.h"

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr int64_t kOne = 1 << 16; // image coordinates are sampled in 16.16 fixed point
// The share of the layer the soft edge of a reveal spans.
constexpr double kSoftEdge = 0.25;

int32_t clampToInt32(double value)
{
    if (!(value > std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    if (!(value < std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

int64_t toFixed(double value)
{
    const double limit = 0x1p60;
    return static_cast<int64_t>(std::llround(std::clamp(value * kOne, -limit, limit)));
}

bool isReveal(int32_t effect)
{
    return effect >= 28 && effect <= 37;
}

// The direction a reveal travels, per axis: 1 from the left (top), -1 from
// the right (bottom), 0 not along that axis. 28 and 29 come from the left and
// the top; 30..37 from the side or corner the matching slide-in enters from.
void revealDirection(int32_t effect, int& x, int& y)
{
    static const int8_t kDirections[10][2] = {
        { 1, 0 }, // 28 left
        { 0, 1 }, // 29 top
        { 1, 1 }, // 30 top-left
        { 1, 0 }, // 31 left
        { 1, -1 }, // 32 bottom-left
        { 0, -1 }, // 33 bottom
        { -1, -1 }, // 34 bottom-right
        { -1, 0 }, // 35 right
        { -1, 1 }, // 36 top-right
        { 0, 1 }, // 37 top
    };
    x = kDirections[effect - 28][0];
    y = kDirections[effect - 28][1];
}

FCRect intersect(const FCRect& a, const FCRect& b)
{
    return FCRect(
        std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom));
}

FCRect unite(const FCRect& a, const FCRect& b)
{
    if (a.right <= a.left || a.bottom <= a.top)
        return b;
    if (b.right <= b.left || b.bottom <= b.top)
        return a;
    return FCRect(
        std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom));
}

bool geometric(const LayerTransform& transform)
{
    return transform.scalePercent != 100 || std::fmod(transform.angleDegrees, 360.0) != 0.0;
}
} // namespace

FCRect transformedExtent(const FCRect& display, const LayerTransform& transform)
{
    if (!geometric(transform))
        return display;
    const double cx = (double(display.left) + display.right) / 2, cy = (double(display.top) + display.bottom) / 2;
    if (transform.scalePercent <= 0) {
        const int32_t x = clampToInt32(cx), y = clampToInt32(cy);
        return FCRect(x, y, x, y);
    }
    const double scale = transform.scalePercent / 100.0, angle = transform.angleDegrees * kPi / 180;
    const double c = std::cos(angle) * scale, s = std::sin(angle) * scale;
    const double hw = (double(display.right) - display.left) / 2, hh = (double(display.bottom) - display.top) / 2;
    // Half the bounding box of the turned rectangle, and a pixel of margin
    // for the sampling's rounding.
    const double ex = std::fabs(c * hw) + std::fabs(s * hh) + 1, ey = std::fabs(s * hw) + std::fabs(c * hh) + 1;
    return FCRect(clampToInt32(std::floor(cx - ex)), clampToInt32(std::floor(cy - ey)),
        clampToInt32(std::ceil(cx + ex)), clampToInt32(std::ceil(cy + ey)));
}

void drawTransformed(uint8_t* dst, ptrdiff_t dstStride, const FCRect& clip, const uint8_t* src, ptrdiff_t srcStride,
    int32_t srcWidth, int32_t srcHeight, const uint8_t* alpha, ptrdiff_t alphaStride, const FCRect& display,
    const FCRect& source, const LayerTransform& transform)
{
    const int level = PixelBlend::clampLevel(transform.level);
    if (!dst || !src || level == 0 || transform.scalePercent <= 0)
        return;
    const FCRect region = intersect(clip, transformedExtent(display, transform));
    // The image pixels that may be sampled: the source rectangle within the image.
    const FCRect readable = intersect(source, FCRect(0, 0, srcWidth, srcHeight));
    if (region.right <= region.left || region.bottom <= region.top || readable.right <= readable.left
        || readable.bottom <= readable.top)
        return;

    // Inverse mapping: a destination pixel's centre, turned back about the
    // display's centre and unscaled, lands on the image position it shows.
    const double scale = transform.scalePercent / 100.0, angle = transform.angleDegrees * kPi / 180;
    const double c = geometric(transform) ? std::cos(angle) / scale : 1,
                 s = geometric(transform) ? std::sin(angle) / scale : 0;
    const double cx = (double(display.left) + display.right) / 2, cy = (double(display.top) + display.bottom) / 2;
    const double offsetX = double(source.left) - display.left - 0.5, offsetY = double(source.top) - display.top - 0.5;
    const int64_t stepX = toFixed(c), stepY = toFixed(-s);

    const bool reveal = isReveal(transform.effect) && transform.revealPercent < 100;
    int directionX = 0, directionY = 0;
    if (reveal)
        revealDirection(transform.effect, directionX, directionY);
    const double front = std::clamp(transform.revealPercent, 0, 100) / 100.0 * (1 + kSoftEdge) - kSoftEdge;
    const double sourceWidth = std::max(1.0, double(source.right) - source.left);
    const double sourceHeight = std::max(1.0, double(source.bottom) - source.top);
    // Without alpha, reveal or turn, whole pixels are copied at the level, as
    // the plain drawing does; otherwise every pixel is weighted by an alpha.
    const bool weighted = alpha || reveal;

    const int width = region.right - region.left;
    std::vector<uint8_t> pixels(size_t(width) * 4), weights(weighted ? size_t(width) : 0);
    for (int32_t y = region.top; y < region.bottom; ++y) {
        const double dx = region.left + 0.5 - cx, dy = y + 0.5 - cy;
        const int64_t startX = toFixed(cx + c * dx + s * dy + offsetX);
        const int64_t startY = toFixed(cy - s * dx + c * dy + offsetY);
        int first = -1, last = -1;
        for (int i = 0; i < width; ++i) {
            const int64_t fx = startX + i * stepX, fy = startY + i * stepY;
            // The pixel shows the image pixel its centre falls in.
            const int64_t nearX = (fx + kOne / 2) >> 16, nearY = (fy + kOne / 2) >> 16;
            if (nearX < readable.left || nearX >= readable.right || nearY < readable.top || nearY >= readable.bottom) {
                if (first >= 0)
                    break; // the covered pixels of a row are one run
                continue;
            }
            if (first < 0)
                first = i;
            last = i;
            // Bilinear between the four neighbours, held inside the readable part.
            const int64_t x0 = fx >> 16, y0 = fy >> 16;
            const int tx = int((fx & (kOne - 1)) >> 8), ty = int((fy & (kOne - 1)) >> 8);
            const int32_t xa = int32_t(std::clamp<int64_t>(x0, readable.left, readable.right - 1));
            const int32_t xb = int32_t(std::clamp<int64_t>(x0 + 1, readable.left, readable.right - 1));
            const int32_t ya = int32_t(std::clamp<int64_t>(y0, readable.top, readable.bottom - 1));
            const int32_t yb = int32_t(std::clamp<int64_t>(y0 + 1, readable.top, readable.bottom - 1));
            const int w00 = (256 - tx) * (256 - ty), w01 = tx * (256 - ty), w10 = (256 - tx) * ty, w11 = tx * ty;
            const uint8_t* rowA = src + ya * srcStride;
            const uint8_t* rowB = src + yb * srcStride;
            for (int channel = 0; channel < 4; ++channel) {
                const int v = rowA[xa * 4 + channel] * w00 + rowA[xb * 4 + channel] * w01 + rowB[xa * 4 + channel] * w10
                    + rowB[xb * 4 + channel] * w11;
                pixels[size_t(i) * 4 + channel] = uint8_t((v + 32768) >> 16);
            }
            if (!weighted)
                continue;
            int a = 255;
            if (alpha) {
                const uint8_t* alphaA = alpha + ya * alphaStride;
                const uint8_t* alphaB = alpha + yb * alphaStride;
                a = (alphaA[xa] * w00 + alphaA[xb] * w01 + alphaB[xa] * w10 + alphaB[xb] * w11 + 32768) >> 16;
            }
            if (reveal) {
                // How far along the reveal's direction the pixel lies, 0..1.
                const double u = (double(fx) / kOne + 0.5 - source.left) / sourceWidth;
                const double v = (double(fy) / kOne + 0.5 - source.top) / sourceHeight;
                double along = 0;
                along += directionX > 0 ? u : directionX < 0 ? 1 - u : 0;
                along += directionY > 0 ? v : directionY < 0 ? 1 - v : 0;
                along /= std::abs(directionX) + std::abs(directionY);
                const double shown = std::clamp((front + kSoftEdge - along) / kSoftEdge, 0.0, 1.0);
                a = (a * int(shown * 256 + 0.5)) >> 8;
            }
            weights[size_t(i)] = uint8_t(a);
        }
        if (first < 0)
            continue;
        uint8_t* out = dst + y * dstStride + ptrdiff_t(region.left + first) * 4;
        const int run = last - first + 1;
        if (weighted)
            PixelBlend::blendAlpha(out, dstStride, &pixels[size_t(first) * 4], 0, &weights[size_t(first)], 0, run, 1,
                PixelBlend::levelOpacity(level));
        else
            PixelBlend::blendConstant(out, dstStride, &pixels[size_t(first) * 4], 0, run, 1, level);
    }
}

namespace {
constexpr int32_t kDefaultSteps = 16;
constexpr int32_t kMaxSteps = 256;
constexpr uint32_t kStepMs = 10;
constexpr uint32_t kMaxStepMs = 1000;

// Fast at first, settling gently.
double easeOut(double t)
{
    return 1 - (1 - t) * (1 - t);
}

// The frame of an effect at progress t (0 < t <= 1). angle: the turn at the
// start, ending at `finalAngle`; scale runs from `startScale` to 100.
LayerTransform frameAt(int32_t effect, double t, int32_t finalAngle, int32_t startScale)
{
    const double e = easeOut(t);
    LayerTransform frame { effect, 0.0, 100, 16, 100 };
    auto scaleFrom = [e](double from) { return int32_t(std::lround(from + (100 - from) * e)); };
    auto turnFrom = [e, finalAngle](double from) { return from + (finalAngle - from) * e; };
    // Turning effects fade in over their first half.
    const int32_t fadeIn = int32_t(std::lround(std::min(1.0, 2 * t) * 16));
    switch (effect) {
    case 26: // zooms in from a tenth of its size, fading in
        frame.scalePercent = scaleFrom(10);
        frame.level = int32_t(std::lround(e * 16));
        break;
    case 27: // settles from half again its size, fading in
        frame.scalePercent = scaleFrom(150);
        frame.level = int32_t(std::lround(e * 16));
        break;
    case 60: // a quarter turn into place, growing
        frame.angleDegrees = turnFrom(90 + finalAngle);
        frame.scalePercent = scaleFrom(startScale);
        frame.level = fadeIn;
        break;
    case 61: // a full turn, growing
        frame.angleDegrees = turnFrom(360 + finalAngle);
        frame.scalePercent = scaleFrom(startScale);
        frame.level = fadeIn;
        break;
    case 62: // a quarter turn the other way, growing
        frame.angleDegrees = turnFrom(finalAngle - 90);
        frame.scalePercent = scaleFrom(startScale);
        frame.level = fadeIn;
        break;
    case 63: // a half turn, settling down from as much larger
        frame.angleDegrees = turnFrom(180 + finalAngle);
        frame.scalePercent = scaleFrom(200 - startScale);
        frame.level = fadeIn;
        break;
    default: // 28..37: a soft-edged reveal
        frame.revealPercent = int32_t(std::lround(t * 100));
        break;
    }
    return frame;
}

// Every pixel a frame of a layer with this full area can touch: the turned
// display lies within its half diagonal (scaled) of the display's centre,
// which lies somewhere in the area.
FCRect frameBounds(const FCRect& area, const LayerTransform& frame)
{
    if (!geometric(frame))
        return area;
    const double w = double(area.right) - area.left, h = double(area.bottom) - area.top;
    const double reach = std::max(0, frame.scalePercent) / 100.0 * std::sqrt(w * w + h * h) / 2 + 1;
    return FCRect(clampToInt32(std::floor(area.left - reach)), clampToInt32(std::floor(area.top - reach)),
        clampToInt32(std::ceil(area.right + reach)), clampToInt32(std::ceil(area.bottom + reach)));
}
} // namespace

void runLayerEffect(LayerEffectTarget& target, int32_t effect, int32_t speed, int32_t parameter1, int32_t parameter2,
    int32_t parameter3)
{
    const FCRect area = target.area();
    FCRect previous = area;
    const bool known = (effect >= 26 && effect <= 37) || (effect >= 60 && effect <= 63);
    if (known) {
        // The speed word counts the frames; the first parameter of the turning
        // effects is the time a frame lasts, the second the angle they end at,
        // the third the size in percent they start from.
        const int32_t steps = speed < 1 ? kDefaultSteps : std::min(speed, kMaxSteps);
        const bool turning = effect >= 60;
        const uint32_t stepMs
            = turning && parameter1 > 0 ? std::min<uint32_t>(uint32_t(parameter1), kMaxStepMs) : kStepMs;
        const int32_t finalAngle = turning ? std::clamp(parameter2, -3600, 3600) : 0;
        const int32_t startScale = turning ? std::clamp(parameter3, 1, 400) : 100;
        // Two frames in turn: the one the layer points at is never rewritten
        // while another thread may be drawing through it.
        LayerTransform frames[2];
        for (int32_t step = 1; step < steps; ++step) {
            target.restartTimer();
            LayerTransform& frame = frames[step & 1];
            frame = frameAt(effect, double(step) / steps, finalAngle, startScale);
            target.setTransform(&frame);
            const FCRect bounds = frameBounds(area, frame);
            target.updatePresent(unite(previous, bounds));
            previous = bounds;
            target.waitUntil(stepMs);
        }
        target.restartTimer();
    }
    target.setTransform(nullptr);
    target.updatePresent(unite(previous, area));
}
