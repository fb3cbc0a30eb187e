#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/TextCodePage.h"
#include "text/PrintLayout.h"

namespace {

// Fixed advances: 8 pixels a byte, so a double-byte character is 16 wide and
// a measured prefix can end inside one, as byte-counting measures do.
class FixedAdvanceTarget : public PrintLayoutTarget {
public:
    struct Draw {
        int32_t x, y;
        std::string text;
        bool operator==(const Draw&) const = default;
    };

    int32_t fitBytes(const char*, int32_t length, int32_t maxWidth) override
    {
        const int32_t bytes = maxWidth / 8;
        return bytes < length ? bytes : length;
    }
    int32_t textWidth(const char*, int32_t length) override { return 8 * length; }
    void drawPiece(int32_t x, int32_t y, const char* text, int32_t length, bool outline) override
    {
        (outline ? outlines : draws).push_back({ x, y, std::string(text, size_t(length)) });
    }
    void areaFull() override { ++fullAreas; }
    void warnStartOutside(const char* text) override { warnings.push_back(text); }
    void debugNotice(const char* text) override { notices.push_back(text); }

    std::vector<Draw> draws;
    std::vector<Draw> outlines;
    int fullAreas = 0;
    std::vector<std::string> warnings;
    std::vector<std::string> notices;
};

// An 80 x 60 area: ten bytes a line, three lines of 20 pixels.
PrintLayoutState areaState(uint32_t styleFlags = 0, const char* kinsoku = "")
{
    PrintLayoutState state;
    state.area = FCRect(0, 0, 80, 60);
    state.styleFlags = styleFlags;
    state.kinsoku = kinsoku;
    return state;
}

struct LayoutCase {
    const char* name;
    PrintLayoutState state;
    FCPoint start;
    const char* text;
    int32_t result;
    std::vector<FixedAdvanceTarget::Draw> draws;
};

class PrintLayoutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = textCodePage();
        setTextCodePage(932);
    }
    void TearDown() override { setTextCodePage(previous); }
    unsigned previous = 0;
};

TEST_F(PrintLayoutTest, BreaksLinesAsTheRulesSay)
{
    PrintLayoutState wrapping = areaState();
    wrapping.wordWrap = true;
    PrintLayoutState noKinsoku = areaState(0, ".,");
    noKinsoku.flags = PrintLayoutState::kNoKinsoku;
    PrintLayoutState narrow = areaState();
    narrow.area = FCRect(0, 0, 4, 60);
    const LayoutCase cases[] = {
        { "leading new lines", areaState(), { 0, 0 }, "\n\nab", 0, { { 0, 40, "ab" } } },
        { "exact fit", areaState(), { 0, 0 }, "abcdefghij", 0, { { 0, 0, "abcdefghij" } } },
        { "outline needs 4 spare pixels", areaState(PrintLayoutState::kOutline), { 0, 0 }, "abcdefghij", 0,
            { { 0, 0, "abcdefghi" }, { 0, 20, "j" } } },
        { "first character does not fit", areaState(), { 76, 0 }, "ab", 0, { { 0, 20, "ab" } } },
        { "cut mode drops the rest of the line", areaState(PrintLayoutState::kCutLines), { 0, 0 },
            "abcdefghijklmno\nxy", 0, { { 0, 0, "abcdefghij" }, { 0, 20, "xy" } } },
        { "empty kinsoku breaks at the last fitting character", areaState(), { 0, 0 }, "abcdefghijkl", 0,
            { { 0, 0, "abcdefghij" }, { 0, 20, "kl" } } },
        { "kinsoku characters never begin a line", areaState(0, ".,"), { 0, 0 }, "abcdefghi.,k", 0,
            { { 0, 0, "abcdefgh" }, { 0, 20, "i.,k" } } },
        { "all kinsoku keeps the break", areaState(0, "abcdefghijk"), { 0, 0 }, "abcdefghijk", 0,
            { { 0, 0, "abcdefghij" }, { 0, 20, "k" } } },
        { "kinsoku switched off", noKinsoku, { 0, 0 }, "abcdefghi.,k", 0, { { 0, 0, "abcdefghi." }, { 0, 20, ",k" } } },
        { "word wrap: the space begins the next piece", wrapping, { 0, 0 }, "ab cdefgh ij", 0,
            { { 0, 0, "ab cdefgh" }, { 0, 20, " ij" } } },
        // "aあいう": four bytes fit, the fourth is half of い.
        { "double-byte characters are never split", areaState(), { 0, 0 }, "a\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8",
            0, { { 0, 0, "a\x82\xA0\x82\xA2\x82\xA4\x82\xA6" }, { 0, 20, "\x82\xA8" } } },
        // ",": the kinsoku byte 0x42 is the trail byte of "。" (81 42): not a
        // character of its own.
        { "a trail byte is not a kinsoku character", areaState(0, "B"), { 0, 0 }, "abcdefghi\x81\x42xy", 0,
            { { 0, 0, "abcdefghi" }, { 0, 20, "\x81\x42xy" } } },
        { "centred", areaState(PrintLayoutState::kCentre), { 0, 0 }, "ab", 0, { { 32, 0, "ab" } } },
        { "full area reported", areaState(PrintLayoutState::kReportFull), { 0, 0 }, "a\nb\nc\nd", 2,
            { { 0, 0, "a" }, { 0, 20, "b" }, { 0, 40, "c" } } },
        { "too narrow for one character: one a line, no hang", narrow, { 0, 0 }, "abc", 0,
            { { 0, 20, "a" }, { 0, 40, "b" }, { 0, 0, "c" } } },
    };
    for (const LayoutCase& c : cases) {
        PrintLayoutState state = c.state;
        FixedAdvanceTarget target;
        PrintLayout layout(state, target);
        layout.setPosition(c.start);
        EXPECT_EQ(layout.layout(c.text, int32_t(std::string(c.text).size())), c.result) << c.name;
        EXPECT_EQ(target.draws, c.draws) << c.name;
    }
}

TEST_F(PrintLayoutTest, OutlinePassesAroundEachPiece)
{
    PrintLayoutState state = areaState(PrintLayoutState::kOutline);
    FixedAdvanceTarget target;
    PrintLayout layout(state, target);
    layout.setPosition(FCPoint(10, 10));
    layout.layout("ab", 2);
    const std::vector<FixedAdvanceTarget::Draw> outlines { { 9, 10, "ab" }, { 11, 10, "ab" }, { 10, 9, "ab" },
        { 10, 11, "ab" } };
    EXPECT_EQ(target.outlines, outlines);
    EXPECT_EQ(state.cursor.x, 26);
    EXPECT_EQ(state.firstPiece, FCPoint(10, 10));

    PrintLayoutState palette = areaState(PrintLayoutState::kOutline);
    palette.paletteMode = true;
    FixedAdvanceTarget plain;
    PrintLayout paletteLayout(palette, plain);
    paletteLayout.layout("ab", 2);
    EXPECT_TRUE(plain.outlines.empty());
}

// A full area without the report flag waits for the click (the target),
// goes back to the start corner and goes on.
TEST_F(PrintLayoutTest, FullAreaWaitsAndStartsAgain)
{
    PrintLayoutState state = areaState();
    FixedAdvanceTarget target;
    PrintLayout layout(state, target);
    layout.home();
    EXPECT_EQ(layout.layout("a\nb\nc\nd", 7), 0);
    EXPECT_EQ(target.fullAreas, 1);
    EXPECT_EQ(target.draws.back(), (FixedAdvanceTarget::Draw { 0, 0, "d" }));
    EXPECT_TRUE(target.notices.empty());
}

struct DirectionCase {
    uint32_t flags;
    int32_t direction;
    FCPoint home;
    FCPoint afterNewLine;
};

// Area (10, 20)-(110, 220), indent 3, start offset (4, 5), pitch 20.
TEST_F(PrintLayoutTest, StartCornersAndNewLinesInEveryDirection)
{
    const DirectionCase cases[] = {
        { 0, 1, { 17, 25 }, { 13, 45 } },
        { PrintLayoutState::kVertical, 2, { 105, 28 }, { 85, 23 } },
        { PrintLayoutState::kReversed, 4, { 102, 25 }, { 106, 45 } },
        { PrintLayoutState::kVertical | PrintLayoutState::kReversed, 8, { 105, 211 }, { 85, 216 } },
    };
    for (const DirectionCase& c : cases) {
        PrintLayoutState state;
        state.flags = c.flags;
        state.area = FCRect(10, 20, 110, 220);
        state.indent = 3;
        state.startOffset = FCPoint(4, 5);
        FixedAdvanceTarget target;
        PrintLayout layout(state, target);
        EXPECT_EQ(layout.direction(), c.direction);
        layout.home();
        EXPECT_EQ(state.cursor, c.home) << c.direction;
        EXPECT_EQ(layout.newLine(), 0);
        EXPECT_EQ(state.cursor, c.afterNewLine) << c.direction;
        EXPECT_TRUE(target.warnings.empty());
    }
}

TEST_F(PrintLayoutTest, PositionsOutsideTheArea)
{
    // A start corner outside: the warning, the area's corner, no indent.
    PrintLayoutState state = areaState();
    state.flags = PrintLayoutState::kVertical | PrintLayoutState::kReversed;
    state.startOffset = FCPoint(500, 0);
    state.indent = 7;
    FixedAdvanceTarget target;
    PrintLayout layout(state, target);
    layout.home();
    ASSERT_EQ(target.warnings.size(), 1u);
    EXPECT_EQ(target.warnings[0], kStartOutsideText);
    EXPECT_EQ(state.cursor, FCPoint(79, 59));
    EXPECT_EQ(state.indent, 0);

    // A new line whose start falls outside for another reason than the far
    // edge (here the indent): the notice with the numbers, then the corner.
    PrintLayoutState indented = areaState();
    indented.indent = 90;
    FixedAdvanceTarget noticed;
    PrintLayout indentedLayout(indented, noticed);
    indented.cursor = FCPoint(0, 0);
    EXPECT_EQ(indentedLayout.newLine(), 0);
    ASSERT_EQ(noticed.notices.size(), 1u);
    EXPECT_EQ(noticed.notices[0], std::string(kLineOutsideText) + "0,0 80x60 in:90,20) \n");
    EXPECT_EQ(indented.cursor, FCPoint(0, 0));
    EXPECT_EQ(indented.indent, 0);
}

TEST_F(PrintLayoutTest, HostileGeometryStaysBounded)
{
    PrintLayoutState state;
    state.area = FCRect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
    state.linePitch = INT32_MAX;
    state.indent = INT32_MIN;
    state.rightMargin = INT32_MAX;
    FixedAdvanceTarget target;
    PrintLayout layout(state, target);
    layout.home();
    layout.layout("ab\ncd\n\x82", 6);
    PrintLayoutState empty;
    empty.area = FCRect(5, 5, 5, 5);
    PrintLayout emptyLayout(empty, target);
    emptyLayout.home();
    EXPECT_EQ(emptyLayout.layout("abc\ndef", 7), 0);
}

} // namespace
