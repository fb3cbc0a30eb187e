#include <gtest/gtest.h>

#include <vector>

#include "layer/TransitionGeometry.h"

namespace {
std::vector<FCRect> parts(int32_t effect, const FCRect& area, int32_t step)
{
    std::vector<FCRect> out;
    wipeParts(effect, area, step, out);
    return out;
}

using Parts = std::vector<FCRect>;
} // namespace

// 80 x 40: an eighth is 10 across and 5 down (12 and 7 for 20 and 23).
TEST(TransitionGeometry, WipePartsOfAnEvenArea)
{
    const FCRect area(0, 0, 80, 40);
    EXPECT_EQ(parts(10, area, 3), Parts({ FCRect(0, 0, 30, 15) }));
    EXPECT_EQ(parts(13, area, 1), Parts({ FCRect(0, 35, 80, 40) }));
    EXPECT_EQ(parts(14, area, 2), Parts({ FCRect(60, 30, 80, 40) }));
    EXPECT_EQ(parts(18, area, 2), Parts({ FCRect(0, 15, 80, 25) }));
    EXPECT_EQ(parts(19, area, 3), Parts({ FCRect(25, 0, 55, 40) }));
    EXPECT_EQ(parts(20, area, 1), Parts({ FCRect(34, 16, 46, 23) }));
    EXPECT_EQ(parts(21, area, 3), Parts({ FCRect(0, 0, 80, 7), FCRect(0, 33, 80, 40) }));
    EXPECT_EQ(parts(22, area, 3), Parts({ FCRect(0, 0, 15, 40), FCRect(65, 0, 80, 40) }));
    EXPECT_EQ(parts(23, area, 1),
        Parts({ FCRect(0, 0, 80, 3), FCRect(0, 0, 6, 40), FCRect(0, 37, 80, 40), FCRect(74, 0, 80, 40) }));
    EXPECT_EQ(parts(17, area, 8), Parts({ area }));
    // Seven steps of 12 x 7 outgrow the area: the part is held to it.
    EXPECT_EQ(parts(20, area, 7), Parts({ area }));
    EXPECT_EQ(parts(20, area, 6), Parts({ FCRect(4, 0, 76, 40) }));
}

// 25 x 21 with negative corners: eighths of 3 and 2, truncated.
TEST(TransitionGeometry, WipePartsOfAnOddArea)
{
    const FCRect area(-17, -9, 8, 12);
    EXPECT_EQ(parts(16, area, 4), Parts({ FCRect(-4, -9, 8, -1) }));
    EXPECT_EQ(parts(12, area, 7), Parts({ FCRect(-17, -2, 4, 12) }));
    EXPECT_EQ(parts(19, area, 1), Parts({ FCRect(-6, -9, -3, 12) }));
    EXPECT_EQ(parts(15, area, 2), Parts({ FCRect(2, -9, 8, 12) }));
}

// Below 8 pixels an eighth of 0 becomes 1 (2 for 20); centring truncates
// toward zero; parts reaching past the area are held to it.
TEST(TransitionGeometry, WipePartsOfATinyOffsetArea)
{
    const FCRect area(100, 50, 107, 53);
    EXPECT_EQ(parts(11, area, 7), Parts({ FCRect(100, 50, 107, 53) }));
    EXPECT_EQ(parts(15, area, 5), Parts({ FCRect(102, 50, 107, 53) }));
    EXPECT_EQ(parts(20, area, 3), Parts({ FCRect(100, 50, 106, 53) }));
    EXPECT_EQ(parts(18, area, 5), Parts({ FCRect(100, 50, 107, 53) }));
    EXPECT_EQ(parts(10, area, 7), Parts({ area }));
    EXPECT_EQ(parts(21, area, 1), Parts({ FCRect(100, 50, 107, 50), FCRect(100, 53, 107, 53) }));
}

TEST(TransitionGeometry, WipePartsAreNormalisedAndOnlyForWipes)
{
    // Inverted: an eighth of -10 is -1, so the corner part runs backwards.
    EXPECT_EQ(parts(10, FCRect(10, 10, 0, 0), 1), Parts({ FCRect(9, 9, 10, 10) }));
    EXPECT_EQ(parts(10, FCRect(10, 10, 0, 0), 8), Parts({ FCRect(0, 0, 10, 10) }));
    const FCRect area(0, 0, 80, 40);
    EXPECT_TRUE(parts(9, area, 3).empty());
    EXPECT_TRUE(parts(24, area, 3).empty());
    EXPECT_TRUE(parts(10, area, 0).empty());
    EXPECT_TRUE(parts(10, area, 9).empty());
}

// 80 x 40 at (100, 50): the shown part grows from its side while the source
// shows the end of the image that enters first.
TEST(TransitionGeometry, SlideInSteps)
{
    const FCRect display(100, 50, 180, 90), source(0, 0, 80, 40);
    struct Case {
        int32_t effect, step;
        FCRect shownDisplay, shownSource;
    };
    const Case cases[] = {
        { 31, 3, FCRect(100, 50, 130, 90), FCRect(50, 0, 80, 40) },
        { 35, 3, FCRect(150, 50, 180, 90), FCRect(0, 0, 30, 40) },
        { 30, 2, FCRect(100, 50, 120, 60), FCRect(60, 30, 80, 40) },
        { 32, 2, FCRect(100, 80, 120, 90), FCRect(60, 0, 80, 10) },
        { 34, 2, FCRect(160, 80, 180, 90), FCRect(0, 0, 20, 10) },
        { 36, 2, FCRect(160, 50, 180, 60), FCRect(0, 30, 20, 40) },
        { 33, 1, FCRect(100, 85, 180, 90), FCRect(0, 0, 80, 5) },
        { 37, 1, FCRect(100, 50, 180, 55), FCRect(0, 35, 80, 40) },
        { 34, 8, display, source },
    };
    for (const Case& c : cases) {
        FCRect shownDisplay, shownSource;
        slideInStep(c.effect, display, source, c.step, shownDisplay, shownSource);
        EXPECT_EQ(shownDisplay, c.shownDisplay) << c.effect << " step " << c.step;
        EXPECT_EQ(shownSource, c.shownSource) << c.effect << " step " << c.step;
    }
}

// 5 pixels wide: steps of 1 pixel, never past the display and so never past the image.
TEST(TransitionGeometry, SlideInOfANarrowLayerStaysInsideIt)
{
    const FCRect display(0, 0, 5, 3), source(10, 10, 15, 13);
    FCRect shownDisplay, shownSource;
    slideInStep(31, display, source, 2, shownDisplay, shownSource);
    EXPECT_EQ(shownDisplay, FCRect(0, 0, 2, 3));
    EXPECT_EQ(shownSource, FCRect(13, 10, 15, 13));
    slideInStep(31, display, source, 7, shownDisplay, shownSource);
    EXPECT_EQ(shownDisplay, display);
    EXPECT_EQ(shownSource, source);
}
