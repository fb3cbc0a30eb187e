#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layer/AnimationScript.h"

namespace {

std::vector<int32_t> steps(const char* text, int count, bool stopAtEnd = false, bool restart = false)
{
    AnimationScript script;
    script.load(text, stopAtEnd);
    std::vector<int32_t> results;
    for (int i = 0; i < count; ++i)
        results.push_back(script.step(restart));
    return results;
}

struct ScriptCase {
    const char* text;
    bool stopAtEnd;
    std::vector<int32_t> expected;
};

// Expected lists worked out by hand from the interpreter's rules. After "."
// the sequence reports -1 once and, as the text ends there, starts again.
TEST(AnimationScript, StepsThroughScripts)
{
    const ScriptCase cases[] = {
        { "3[ab]c.", false, { 0, 1, 0, 1, 0, 1, 2, -1, 0, 1 } },
        { "2[a2[bc]d].", false, { 0, 1, 2, 1, 2, 3, 0, 1, 2, 1, 2, 3, -1 } }, { "<1>A.", false, { 26, -1, 26 } },
        { "<1Ab.", false, { 27, -1, 27 } }, // the A ends the bank number
        { "<2>z<0>a.", false, { 77, 0, -1 } }, { "ab", false, { 0, 1, 0, 1 } }, // no "." loops
        { "ab", true, { 0, 1, -2, -2 } }, // ... unless it stops at the end
        { "a?b.", false, { 0, -1, 1, -1 } }, // unknown characters end it
        { "a b.", false, { 0, -1, 1, -1 } }, { "a#5(1,2)b.", false, { 0, -3, 1, -1 } },
        { "(10,20)a{2,0}bc.", false, { -1, 0, -1, 1, 2, -1 } },
        { "5a.", false, { -1, 0, -1 } }, // digits without "[" are not a repeat
        { "a]b.", false, { 0, -1, 1, -1 } }, // a "]" without a repeat
    };
    for (const ScriptCase& c : cases)
        EXPECT_EQ(steps(c.text, int(c.expected.size()), c.stopAtEnd), c.expected) << c.text;
}

TEST(AnimationScript, VelocityMovesEveryFollowingFrame)
{
    AnimationScript script;
    script.load("(5,7){2,-1}abc.", false);
    std::vector<std::pair<int32_t, int32_t>> offsets;
    for (int i = 0; i < 5; ++i) {
        script.step(false);
        offsets.push_back({ script.offsetX, script.offsetY });
    }
    const std::vector<std::pair<int32_t, int32_t>> expected { { 5, 7 }, { 7, 6 }, { 9, 5 }, { 11, 4 }, { 13, 3 } };
    EXPECT_EQ(offsets, expected);
}

TEST(AnimationScript, ListNumbers)
{
    AnimationScript script;
    script.load("( x 12 , -3 )a{,4}b#9(1,-2,+3,4,5)c.", false);
    script.step(false);
    EXPECT_EQ(script.x, 12);
    EXPECT_EQ(script.y, -3);
    script.step(false);
    script.step(false);
    EXPECT_EQ(script.dx, 0); // missing: unchanged (zeroed by the position)
    EXPECT_EQ(script.dy, 4);
    script.step(false);
    script.step(false);
    EXPECT_EQ(script.pauseCount, 9);
    EXPECT_EQ((std::vector<int32_t>(script.pauseParameters, script.pauseParameters + 4)),
        (std::vector<int32_t> { 1, -2, 3, 4 }));
}

TEST(AnimationScript, RestartReportsTheLastFrameAfterTheEnd)
{
    EXPECT_EQ(steps("ab", 4, true, true), (std::vector<int32_t> { 0, 1, 1, 1 }));
}

// Hostile texts end or keep going step by step; none runs away inside one
// step, overflows the repeat stack or reads past the text.
TEST(AnimationScript, HostileScriptsStayBounded)
{
    const char* texts[] = {
        "999999999999999999999[a]",
        "4000000000[]",
        "[[[[[]]]]]",
        "]]]]",
        "1[1[1[1[1[1[1[1[1[1[1[1[1[1[1[1[1[1[1[1[a]]]]]]]]]]]]]]]]]]]]",
        "<99999999999999>a",
        "(99999999999,-99999999999)a{-2147483648,2147483647}bbbb",
        "#99999999999(1,2,3,4,5,6,7",
        "(",
        "{1,",
        "<",
        "",
        "<1>",
    };
    for (const char* text : texts) {
        std::vector<int32_t> results = steps(text, 50);
        EXPECT_EQ(results.size(), 50u) << text;
    }
    EXPECT_EQ(steps("<99999999999999>a", 1)[0], INT32_MAX);
    EXPECT_EQ(steps("", 2, true), (std::vector<int32_t> { -2, -2 }));
}

} // namespace
