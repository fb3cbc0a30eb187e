#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "foundation/FCCmdParam.h"
#include "foundation/TextCodePage.h"

namespace {

using Tokens = std::vector<std::pair<std::string, int32_t>>;

Tokens tokenise(const char* line)
{
    Tokens tokens;
    FCCmdParam parameters(line);
    FCIdString token;
    while (parameters.next(token))
        tokens.emplace_back(token.text(), token.tag());
    return tokens;
}

} // namespace

TEST(FCCmdParam, Tokens)
{
    constexpr int32_t O = FCCmdParam::kOption;
    constexpr int32_t P = FCCmdParam::kPlain;
    struct Case {
        const char* line;
        Tokens tokens;
    };
    const Case cases[] = {
        { "", {} },
        { " \t ", {} },
        { "/E 1 /p 0x20", { { "E", O }, { "1", P }, { "p", O }, { "0x20", P } } },
        { "\t/U\t\"C:\\Save Data\\\"  start", { { "U", O }, { "C:\\Save Data\\", P }, { "start", P } } },
        { "\"unterminated text", { { "unterminated text", P } } },
        { "\"\" /", { { "", P }, { "", O } } },
        { "/C\"x y\" z", { { "C\"x", O }, { "y\"", P }, { "z", P } } },
        { "a\"b c", { { "a\"b", P }, { "c", P } } },
        { "\"a\"b", { { "a", P }, { "b", P } } },
        // A trail byte of a double-byte character ends no token.
        { "\x95\x5C/x \x83\x41", { { "\x95\x5C/x", P }, { "\x83\x41", P } } },
    };
    unsigned previous = textCodePage();
    setTextCodePage(932);
    for (const Case& c : cases)
        EXPECT_EQ(tokenise(c.line), c.tokens) << '[' << c.line << ']';
    setTextCodePage(previous);
}

TEST(FCCmdParam, RewindStartsOver)
{
    FCCmdParam parameters("/P scene");
    FCIdString token("kept", 7);
    EXPECT_TRUE(parameters.next(token));
    EXPECT_TRUE(parameters.next(token));
    EXPECT_FALSE(parameters.next(token));
    EXPECT_STREQ(token.text(), "scene");
    EXPECT_EQ(token.tag(), FCCmdParam::kPlain);
    parameters.rewind();
    EXPECT_TRUE(parameters.next(token));
    EXPECT_STREQ(token.text(), "P");
    EXPECT_EQ(token.tag(), FCCmdParam::kOption);
    FCCmdParam empty(nullptr);
    EXPECT_FALSE(empty.next(token));
}
