#include "layer/ScreenTransition.h"

#include <algorithm>
#include <vector>

#include "layer/TransitionGeometry.h"
#include "scenario/FCRandom.h"

namespace {
// Areas past these bounds are larger than any window could show; they are
// shown whole at once rather than animated, which keeps the work of every
// effect bounded (at most about four million cells, so the shuffle's table
// stays below 20 MB, and at most 131072 lines a pass).
constexpr int64_t kMaxAnimatedSide = int64_t(1) << 17;
constexpr int64_t kMaxAnimatedPixels = int64_t(1) << 26;

constexpr uint32_t kWipeStepMs = 20;
constexpr uint32_t kInterlaceWaitMs = 50;
constexpr uint32_t kLineSleepMs = 1;
constexpr int64_t kLinesPerSleep = 6;

struct Area {
    int64_t left, top, width, height;

    FCRect part(int64_t x, int64_t y, int64_t w, int64_t h) const
    {
        return FCRect(static_cast<int32_t>(left + x), static_cast<int32_t>(top + y), static_cast<int32_t>(left + x + w),
            static_cast<int32_t>(top + y + h));
    }
    FCRect row(int64_t y) const { return part(0, y, width, 1); }
    FCRect column(int64_t x) const { return part(x, 0, 1, height); }
};

void runWipe(TransitionScreen& screen, const FCRect& rect, int32_t effect)
{
    std::vector<FCRect> parts;
    for (int32_t step = 1; step <= 8; ++step) {
        screen.restartTimer();
        wipeParts(effect, rect, step, parts);
        for (const FCRect& part : parts)
            screen.redraw(part);
        screen.waitUntil(kWipeStepMs);
    }
}

// Every second column from the left, every second row from the top, a pause.
void interlacePrePass(TransitionScreen& screen, const Area& area)
{
    for (int64_t x = 0; x < area.width; x += 2)
        screen.redraw(area.column(x));
    for (int64_t y = 0; y < area.height; y += 2)
        screen.redraw(area.row(y));
    screen.sleep(kInterlaceWaitMs);
}

// Shows `limit` cells (all when negative) of cellWidth x cellHeight, laid from
// the area's top left (the last column and row narrower), in a shuffled
// order. The right button is polled after every row's worth of cells; false
// when it stopped the effect.
bool showShuffledCells(
    TransitionScreen& screen, FCRandom& random, const Area& area, int64_t cellWidth, int64_t cellHeight, int64_t limit)
{
    const int64_t columns = (area.width + cellWidth - 1) / cellWidth;
    const int64_t rows = (area.height + cellHeight - 1) / cellHeight;
    const int64_t cells = columns * rows; // at most about 4M within the animated bounds
    const int64_t count = limit < 0 ? cells : std::min(limit, cells);
    if (count <= 0)
        return true;
    random.makePermutation(static_cast<int32_t>(cells));
    for (int64_t shown = 1; shown <= count; ++shown) {
        const int64_t index = random.nextPermuted();
        const int64_t x = (index % columns) * cellWidth, y = (index / columns) * cellHeight;
        screen.redraw(area.part(x, y, std::min(cellWidth, area.width - x), std::min(cellHeight, area.height - y)));
        if (shown % columns == 0 && screen.rightButtonAbort()) {
            random.makePermutation(0);
            return false;
        }
    }
    random.makePermutation(0);
    return true;
}

// Finer cells first, a fixed share of the area each, then every coarse cell.
void growingReveal(TransitionScreen& screen, FCRandom& random, const Area& area)
{
    const int64_t share = area.width * area.height / 512;
    showShuffledCells(screen, random, area, 4, 4, share) && showShuffledCells(screen, random, area, 8, 8, share)
        && showShuffledCells(screen, random, area, 16, 16, share / 2)
        && showShuffledCells(screen, random, area, 32, 32, -1);
}

// One pass of 1-pixel lines, pausing after the first and every sixth line.
template <typename Line> void linePass(TransitionScreen& screen, int64_t first, int64_t end, int64_t by, Line line)
{
    int64_t count = 0;
    for (int64_t i = first; by > 0 ? i < end : i >= end; i += by, ++count) {
        screen.redraw(line(i));
        if (count % kLinesPerSleep == 0)
            screen.sleep(kLineSleepMs);
    }
}

void runLines(TransitionScreen& screen, const Area& area, int32_t effect)
{
    auto row = [&area](int64_t y) { return area.row(y); };
    auto column = [&area](int64_t x) { return area.column(x); };
    // The last odd index of a span n: n - 1 when n is even, n - 2 when odd.
    auto lastOdd = [](int64_t n) { return n % 2 == 0 ? n - 1 : n - 2; };
    switch (effect) {
    case 50:
        linePass(screen, 0, area.height, 2, row);
        linePass(screen, lastOdd(area.height), 1, -2, row);
        break;
    case 51:
        linePass(screen, 0, area.width, 2, column);
        linePass(screen, lastOdd(area.width), 1, -2, column);
        break;
    case 52:
        linePass(screen, 0, area.width, 2, column);
        linePass(screen, 0, area.height, 2, row);
        linePass(screen, lastOdd(area.width), 1, -2, column);
        break;
    }
}
} // namespace

void runScreenTransition(TransitionScreen& screen, const FCRect& rect, int32_t effect, FCRandom& random)
{
    const Area area { rect.left, rect.top, int64_t(rect.right) - rect.left, int64_t(rect.bottom) - rect.top };
    const bool animated = area.width > 0 && area.height > 0 && area.width <= kMaxAnimatedSide
        && area.height <= kMaxAnimatedSide && area.width * area.height <= kMaxAnimatedPixels;
    if (effect >= 10 && effect <= 23) {
        // Eight steps of at most four parts: bounded for any rectangle.
        runWipe(screen, rect, effect);
    } else if (animated && effect >= 38 && effect <= 47) {
        if (effect == 39 || effect >= 44)
            interlacePrePass(screen, area);
        if (effect <= 39) {
            growingReveal(screen, random, area);
        } else {
            static const int64_t kCellSizes[4] = { 32, 16, 8, 4 };
            const int64_t cell = kCellSizes[(effect - 40) % 4];
            showShuffledCells(screen, random, area, cell, cell, -1);
        }
    } else if (animated && effect == 48) {
        showShuffledCells(screen, random, area, area.width, 1, -1);
    } else if (animated && effect == 49) {
        showShuffledCells(screen, random, area, 1, area.height, -1);
    } else if (animated && effect >= 50 && effect <= 52) {
        runLines(screen, area, effect);
    }
    if (effect != 255)
        screen.showWhole(rect);
}
