#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "layer/ScreenTransition.h"
#include "scenario/FCRandom.h"

namespace {
struct Event {
    enum Kind { Redraw, Restart, Wait, Sleep, Poll, Whole } kind;
    FCRect rect;
    uint32_t ms;
    bool operator==(const Event& other) const { return kind == other.kind && rect == other.rect && ms == other.ms; }
};

Event redraw(const FCRect& rect)
{
    return { Event::Redraw, rect, 0 };
}
Event pause(uint32_t ms)
{
    return { Event::Sleep, FCRect(), ms };
}

// Records what a transition asks of the window; the right button is found
// down at the poll numbered abortAtPoll (counting from 1), never when 0.
class RecordingScreen : public TransitionScreen {
public:
    void redraw(const FCRect& part) override { events.push_back({ Event::Redraw, part, 0 }); }
    void restartTimer() override { events.push_back({ Event::Restart, FCRect(), 0 }); }
    void waitUntil(uint32_t ms) override { events.push_back({ Event::Wait, FCRect(), ms }); }
    void sleep(uint32_t ms) override { events.push_back({ Event::Sleep, FCRect(), ms }); }
    bool rightButtonAbort() override
    {
        ++polls;
        return polls == abortAtPoll;
    }
    void showWhole(const FCRect& area) override { events.push_back({ Event::Whole, area, 0 }); }

    std::vector<FCRect> redraws() const
    {
        std::vector<FCRect> out;
        for (const Event& e : events)
            if (e.kind == Event::Redraw)
                out.push_back(e.rect);
        return out;
    }

    std::vector<Event> events;
    int polls = 0;
    int abortAtPoll = 0;
};

RecordingScreen run(const FCRect& area, int32_t effect, int abortAtPoll = 0)
{
    RecordingScreen screen;
    screen.abortAtPoll = abortAtPoll;
    FCRandom random;
    runScreenTransition(screen, area, effect, random);
    return screen;
}

// How often each pixel of the area was redrawn; fails on a redraw outside it.
std::vector<int> coverage(const std::vector<FCRect>& parts, const FCRect& area)
{
    const int width = area.width();
    std::vector<int> counts(size_t(width) * area.height());
    for (const FCRect& part : parts) {
        EXPECT_TRUE(part.left >= area.left && part.top >= area.top && part.right <= area.right
            && part.bottom <= area.bottom && part.left < part.right && part.top < part.bottom);
        for (int y = std::max(part.top, area.top); y < std::min(part.bottom, area.bottom); ++y)
            for (int x = std::max(part.left, area.left); x < std::min(part.right, area.right); ++x)
                ++counts[size_t(y - area.top) * width + (x - area.left)];
    }
    return counts;
}

bool allEqual(const std::vector<int>& counts, int value)
{
    return std::all_of(counts.begin(), counts.end(), [value](int c) { return c == value; });
}

// The interlace pre-pass of an area: every second column, every second row, 50 ms.
std::vector<Event> prePass(const FCRect& area)
{
    std::vector<Event> out;
    for (int x = area.left; x < area.right; x += 2)
        out.push_back(redraw(FCRect(x, area.top, x + 1, area.bottom)));
    for (int y = area.top; y < area.bottom; y += 2)
        out.push_back(redraw(FCRect(area.left, y, area.right, y + 1)));
    out.push_back(pause(50));
    return out;
}

bool startsWith(const std::vector<Event>& events, const std::vector<Event>& prefix)
{
    return events.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), events.begin());
}
} // namespace

TEST(TransitionOrder, AWipeRestartsRedrawsAndWaitsEachOfEightSteps)
{
    const FCRect area(0, 0, 80, 40);
    RecordingScreen screen = run(area, 13);
    std::vector<Event> expected;
    for (int k = 1; k <= 8; ++k) {
        expected.push_back({ Event::Restart, FCRect(), 0 });
        expected.push_back(redraw(k < 8 ? FCRect(0, 40 - 5 * k, 80, 40) : area));
        expected.push_back({ Event::Wait, FCRect(), 20 });
    }
    expected.push_back({ Event::Whole, area, 0 });
    EXPECT_EQ(screen.events, expected);
}

// 70 x 45 at (3, 5): no cell size divides it, so the last column and row are narrower.
TEST(TransitionOrder, RandomRevealsShowEveryCellOnceInAShuffledOrder)
{
    const FCRect area(3, 5, 73, 50);
    for (int32_t effect = 40; effect <= 47; ++effect) {
        const int cell = 32 >> ((effect - 40) % 4);
        RecordingScreen screen = run(area, effect);
        std::vector<Event> expectedPrefix = effect >= 44 ? prePass(area) : std::vector<Event>();
        ASSERT_TRUE(startsWith(screen.events, expectedPrefix)) << effect;
        std::vector<FCRect> cells = screen.redraws();
        cells.erase(cells.begin(), cells.begin() + (expectedPrefix.empty() ? 0 : expectedPrefix.size() - 1));
        const int columns = (70 + cell - 1) / cell, rows = (45 + cell - 1) / cell;
        ASSERT_EQ(cells.size(), size_t(columns * rows)) << effect;
        EXPECT_TRUE(allEqual(coverage(cells, area), 1)) << effect;
        for (const FCRect& c : cells)
            EXPECT_TRUE((c.left - 3) % cell == 0 && (c.top - 5) % cell == 0) << effect;
        if (cell <= 8) {
            auto rowMajor
                = [](const FCRect& a, const FCRect& b) { return a.top != b.top ? a.top < b.top : a.left < b.left; };
            EXPECT_FALSE(std::is_sorted(cells.begin(), cells.end(), rowMajor)) << effect;
        }
        EXPECT_EQ(screen.events.back(), (Event { Event::Whole, area, 0 }));
    }
}

TEST(TransitionOrder, RowsAndColumnsEachOnce)
{
    const FCRect area(-4, 2, 27, 39);
    const std::vector<FCRect> rows = run(area, 48).redraws();
    ASSERT_EQ(rows.size(), 37u);
    EXPECT_TRUE(allEqual(coverage(rows, area), 1));
    for (const FCRect& r : rows)
        EXPECT_EQ(r.height(), 1);
    const std::vector<FCRect> columns = run(area, 49).redraws();
    ASSERT_EQ(columns.size(), 31u);
    EXPECT_TRUE(allEqual(coverage(columns, area), 1));
    for (const FCRect& c : columns)
        EXPECT_EQ(c.width(), 1);
}

// 3 x 15 at (10, 20): even rows down, odd rows up, a 1 ms pause after the
// first and the seventh line of each pass.
TEST(TransitionOrder, LinesInTheirOrderWithTheirPauses)
{
    const FCRect area(10, 20, 13, 35);
    auto row = [](int y) { return redraw(FCRect(10, 20 + y, 13, 21 + y)); };
    std::vector<Event> expected;
    const int evenRows[] = { 0, 2, 4, 6, 8, 10, 12, 14 }, oddRows[] = { 13, 11, 9, 7, 5, 3, 1 };
    for (int i = 0; i < 8; ++i) {
        expected.push_back(row(evenRows[i]));
        if (i == 0 || i == 6)
            expected.push_back(pause(1));
    }
    for (int i = 0; i < 7; ++i) {
        expected.push_back(row(oddRows[i]));
        if (i == 0 || i == 6)
            expected.push_back(pause(1));
    }
    expected.push_back({ Event::Whole, area, 0 });
    EXPECT_EQ(run(area, 50).events, expected);

    // 5 x 3: even columns right, even rows down, odd columns back left.
    const FCRect small(0, 0, 5, 3);
    auto column = [](int x) { return redraw(FCRect(x, 0, x + 1, 3)); };
    auto smallRow = [](int y) { return redraw(FCRect(0, y, 5, y + 1)); };
    const std::vector<Event> expected52 = { column(0), pause(1), column(2), column(4), smallRow(0), pause(1),
        smallRow(2), column(3), pause(1), column(1), { Event::Whole, small, 0 } };
    EXPECT_EQ(run(small, 52).events, expected52);
    const std::vector<Event> expected51
        = { column(0), pause(1), column(2), column(4), column(3), pause(1), column(1), { Event::Whole, small, 0 } };
    EXPECT_EQ(run(small, 51).events, expected51);
}

// 128 x 64: area / 512 = 16 cells of 4, 16 of 8, 8 of 16, then all 8 cells of 32.
TEST(TransitionOrder, GrowingRevealCountsAndPrePass)
{
    const FCRect area(0, 0, 128, 64);
    std::vector<int> sizes;
    for (const FCRect& r : run(area, 38).redraws()) {
        ASSERT_EQ(r.width(), r.height());
        sizes.push_back(r.width());
    }
    std::vector<int> expected;
    expected.insert(expected.end(), 16, 4);
    expected.insert(expected.end(), 16, 8);
    expected.insert(expected.end(), 8, 16);
    expected.insert(expected.end(), 8, 32);
    EXPECT_EQ(sizes, expected);
    const std::vector<FCRect> all = run(area, 38).redraws();
    EXPECT_TRUE(allEqual(coverage({ all.end() - 8, all.end() }, area), 1));

    RecordingScreen interlaced = run(area, 39);
    EXPECT_TRUE(startsWith(interlaced.events, prePass(area)));
    EXPECT_EQ(interlaced.redraws().size(), 64 + 32 + expected.size());
}

// 320 x 64 in cells of 32: ten cells a row, then the poll that finds the button.
TEST(TransitionOrder, TheRightButtonStopsAfterARowsWorth)
{
    const FCRect area(0, 0, 320, 64);
    RecordingScreen screen = run(area, 40, 1);
    EXPECT_EQ(screen.polls, 1);
    EXPECT_EQ(screen.redraws().size(), 10u);
    EXPECT_EQ(screen.events.back(), (Event { Event::Whole, area, 0 }));

    // The growing reveal polls after 40 cells of 8 (no row of 80 cells of 4
    // is ever filled by its 40), then after 20 cells of 16.
    RecordingScreen growing = run(area, 38, 2);
    EXPECT_EQ(growing.polls, 2);
    EXPECT_EQ(growing.redraws().size(), 100u); // 40 of 4, 40 of 8, 20 of 16
}

TEST(TransitionOrder, DegenerateAndHugeAreasStayBounded)
{
    const FCRect areas[] = { FCRect(0, 0, 0, 0), FCRect(10, 10, 0, 0), FCRect(5, 7, 6, 8), FCRect(0, 0, 100000, 3),
        FCRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX), FCRect(0, 0, 1 << 17, 1 << 10) };
    for (const FCRect& area : areas) {
        for (int32_t effect = 0; effect <= 255; ++effect) {
            RecordingScreen screen = run(area, effect);
            const int64_t width = int64_t(area.right) - area.left, height = int64_t(area.bottom) - area.top;
            // A wipe's parts, or at most a redraw per line and per four-pixel
            // cell where the area is one a window could show.
            const size_t redraws = screen.redraws().size();
            const bool showable
                = width > 0 && height > 0 && width <= (1 << 17) && height <= (1 << 17) && width * height <= (1 << 26);
            if (!showable)
                EXPECT_LE(redraws, 32u) << effect;
            else
                EXPECT_LE(redraws, size_t(32 + width + height + (width / 4 + 1) * (height / 4 + 1))) << effect;
            if (effect == 255)
                EXPECT_TRUE(screen.events.empty() || screen.events.back().kind != Event::Whole);
            else
                EXPECT_EQ(screen.events.back(), (Event { Event::Whole, area, 0 })) << effect;
        }
    }
    // A single pixel is shown by every reveal and line effect.
    for (int32_t effect = 38; effect <= 52; ++effect) {
        const std::vector<FCRect> parts = run(FCRect(5, 7, 6, 8), effect).redraws();
        EXPECT_FALSE(parts.empty()) << effect;
        EXPECT_TRUE(allEqual(coverage(parts, FCRect(5, 7, 6, 8)), int(parts.size()))) << effect;
    }
}
