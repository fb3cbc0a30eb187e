#include <gtest/gtest.h>

#include <cstdint>

#include "layer/UxCalcData.h"

namespace {

TEST(UxCalcData, IntDataMovesAlongItsCurve)
{
    UxIntData level;
    level.start = 16;
    level.end = 0;
    level.current = 16;
    level.duration = 1000;
    level.curve = 1;
    level.calc(500, -1); // the stored curve: a quarter of the way
    EXPECT_EQ(level.current, 12);
    level.calc(500, 0); // linear when asked
    EXPECT_EQ(level.current, 8);
    level.calc(1000, -1);
    EXPECT_EQ(level.current, 0);

    level.setConstant(5);
    level.calc(10, 0);
    EXPECT_EQ(level.current, 5);
    EXPECT_EQ(level.duration, 0u);

    // Far-apart ends neither overflow nor miss the end.
    UxIntData far;
    far.start = INT32_MIN;
    far.end = INT32_MAX;
    far.duration = 4;
    far.calc(2, 0);
    EXPECT_NEAR(far.current, 0, 2);
    far.calc(4, 0);
    EXPECT_EQ(far.current, INT32_MAX);
}

TEST(UxCalcData, AreaDataSetUpAndMove)
{
    UxAreaData area;
    area.setUp(3, 4, 10, 20, 30, 40, 100, 200, 0, -5);
    EXPECT_EQ(area.source, FCRect(10, 20, 40, 60));
    EXPECT_EQ(area.destination, FCRect(100, 200, 130, 240)); // sizes below 1 take the source's
    EXPECT_EQ(area.destinationEnd, area.destination);
    EXPECT_EQ(area.anchorX, 3);
    EXPECT_EQ(area.anchorY, 4);

    area.destinationEnd = FCRect(200, 0, 260, 40);
    area.sourceEnd = FCRect(20, 20, 50, 60);
    area.duration = 100;
    area.calc(50, 0);
    EXPECT_EQ(area.destination, FCRect(150, 100, 195, 140));
    EXPECT_EQ(area.previousSource, FCRect(10, 20, 40, 60));
    EXPECT_EQ(area.source, FCRect(15, 20, 45, 60));
    area.calc(100, 0);
    EXPECT_EQ(area.destination, area.destinationEnd);
    EXPECT_EQ(area.previousSource, FCRect(15, 20, 45, 60));

    // An empty start or end keeps the current rectangle.
    area.destination = FCRect(1, 2, 3, 4);
    area.destinationStart = FCRect(0, 0, 0, 10);
    area.calc(50, 0);
    EXPECT_EQ(area.destination, FCRect(1, 2, 3, 4));
}

} // namespace
