#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/Diagnostic.h"
#include "foundation/FCString.h"
#include "foundation/TextCodePage.h"
#include "support/MessageBoxRecorder.h"

#if defined(_WIN32)
#include "foundation/FCSync.h"
#else
#include <thread>
#endif

namespace {

// Sets the game's code page for one test and restores it.
class CodePage {
public:
    explicit CodePage(unsigned codePage)
        : m_previous(textCodePage())
    {
        setTextCodePage(codePage);
    }
    ~CodePage() { setTextCodePage(m_previous); }

private:
    unsigned m_previous;
};

// "a", 表 (trail 0x5C), "b", ア (trail 'A'), a real backslash, "c".
const char kMixed[] = "a"
                      "\x95\x5C" // 表
                      "b"
                      "\x83\x41" // ア
                      "\\c";

std::vector<uint32_t> forwardCharacters(FCString& s)
{
    std::vector<uint32_t> seen;
    s.home();
    if (s.atEnd())
        return seen;
    do
        seen.push_back(s.character());
    while (s.next());
    return seen;
}

std::vector<uint32_t> backwardCharacters(FCString& s)
{
    std::vector<uint32_t> seen;
    s.moveTo(0, FCString::kFromEnd);
    while (s.previous())
        seen.push_back(s.character());
    return seen;
}

} // namespace

TEST(FCString, CapacityKeepsOneSpareBlock)
{
    struct Case {
        const char* text;
        int32_t blockSize;
        int32_t capacity;
    };
    // ((length + 1) / block + 1) * block, with blocks below 16 raised to 16.
    const Case cases[] = {
        { "", 256, 256 },
        { "abc", 16, 16 },
        { "0123456789abcde", 16, 32 }, // 15 bytes + terminator fill one block
        { "0123456789abcd", 16, 16 },
        { "abc", 4, 16 },
    };
    for (const Case& c : cases) {
        FCStringRep rep(c.text, static_cast<int32_t>(std::char_traits<char>::length(c.text)), c.blockSize);
        EXPECT_EQ(rep.capacity, c.capacity) << '"' << c.text << "\" block " << c.blockSize;
        EXPECT_GE(rep.blockSize, 16);
    }
    EXPECT_EQ(FCStringRep(std::string(255, 'x').c_str(), 255, 256).capacity, 512);
    EXPECT_EQ(FCStringRep(std::string(254, 'x').c_str(), 254, 256).capacity, 256);
}

TEST(FCString, ImpossibleSizesThrowNotEnoughMemory)
{
    for (const char* operation : { "FCString - create()", "FCString - append" }) {
        try {
            FCStringRep rep(nullptr, INT32_MAX - 10, 256, nullptr, 0, operation);
            ADD_FAILURE() << operation;
        } catch (const NotEnoughMemoryException& error) {
            EXPECT_STREQ(error.operation(), operation);
            EXPECT_STREQ(error.message(), kNotEnoughMemoryText);
        }
    }
}

TEST(FCString, CopiesShareUntilWritten)
{
    FCString a("scene");
    FCString b(a);
    EXPECT_TRUE(a.sharesWith(b));
    b.append("01");
    EXPECT_FALSE(a.sharesWith(b));
    EXPECT_STREQ(a.text(), "scene");
    EXPECT_STREQ(b.text(), "scene01");

    // Every in-place change of a shared text leaves the other holder alone.
    struct Change {
        const char* name;
        void (*apply)(FCString&);
        const char* result;
    };
    const Change changes[] = {
        { "clear", [](FCString& s) { s.clear(); }, "" },
        { "toUpper", [](FCString& s) { s.toUpper(); }, "SCENE" },
        { "replaceAll", [](FCString& s) { s.replaceAll("e", "E"); }, "scEnE" },
        { "prepend", [](FCString& s) { s.prepend("<"); }, "<scene" },
        { "bounded append", [](FCString& s) { s.append("xyz", 2); }, "scenexy" },
        { "appendNumber", [](FCString& s) { s.appendNumber(3); }, "scene3" },
        { "mapString", [](FCString& s) { s.mapString(FCString::kMapUpperCase); }, "SCENE" },
    };
    for (const Change& c : changes) {
        FCString copy(a);
        c.apply(copy);
        EXPECT_STREQ(copy.text(), c.result) << c.name;
        EXPECT_STREQ(a.text(), "scene") << c.name;
        EXPECT_FALSE(copy.sharesWith(a)) << c.name;
    }
}

TEST(FCString, AppendsInPlaceOnlyWhenPrivateWithRoom)
{
    FCString s("0123456789abc", 16); // capacity 16
    const char* before = s.text();
    s.append("d"); // 14 < 16: in place
    EXPECT_EQ(s.text(), before);
    s.append("e"); // 15 < 16: in place, filling the block
    EXPECT_EQ(s.text(), before);
    s.append("f"); // 16 does not fit beside the terminator
    EXPECT_NE(s.text(), before);
    EXPECT_STREQ(s.text(), "0123456789abcdef");
    EXPECT_EQ(s.blockSize(), 16);
    s.append(nullptr);
    s.append("", 5);
    EXPECT_STREQ(s.text(), "0123456789abcdef");
}

TEST(FCString, BoundedAppendNeverSplitsDoubleByteCharacter)
{
    CodePage japanese(932);
    FCString s("x");
    s.append("a\x95\x5C"
             "b",
        2); // 表 would need bytes 2 and 3
    EXPECT_STREQ(s.text(), "xa");
    s.append("\x95\x5C"
             "b",
        3);
    EXPECT_STREQ(s.text(),
        "xa\x95\x5C"
        "b");
}

TEST(FCString, AssignmentRules)
{
    FCString a("one");
    FCString b(a);
    const char* text = a.text();
    a = b; // already shared: nothing happens
    FCString& self = a;
    a = self;
    EXPECT_EQ(a.text(), text);
    a = "two"; // text: always a new representation
    EXPECT_FALSE(a.sharesWith(b));
    a.assign("three", 32);
    EXPECT_EQ(a.blockSize(), 32);
    EXPECT_TRUE(a == "three");
    EXPECT_TRUE(FCString("x") == FCString("x"));
    EXPECT_FALSE(FCString("x") == FCString("X"));
    a.prepend("->");
    EXPECT_STREQ(a.text(), "->three");
    FCIdString id("plain", 1);
    FCIdString idCopy(id);
    EXPECT_EQ(idCopy.tag(), 1);
    EXPECT_TRUE(idCopy.sharesWith(id));
}

TEST(FCString, AppendNumber)
{
    struct Case {
        int32_t value;
        int32_t base;
        int32_t width;
        char pad;
        const char* expected;
    };
    const Case cases[] = {
        { 5, 10, 2, '0', "05" }, { 1234, 10, 2, ' ', "34" }, { -7, 10, 0, ' ', "-7" }, { 42, 10, 2, ' ', "42" },
        { 255, 16, 4, '0', "00ff" }, { 5, 2, 0, ' ', "101" }, { 35, 36, 0, ' ', "z" }, { -1, 16, 0, ' ', "ffffffff" },
        { INT32_MIN, 10, 0, ' ', "-2147483648" }, { 0, 10, 3, '*', "**0" }, { 9, 37, 0, ' ', "" }, // no such base
    };
    for (const Case& c : cases) {
        FCString s("[");
        s.appendNumber(c.value, c.base, c.width, c.pad);
        EXPECT_EQ(std::string(s.text()), std::string("[") + c.expected) << c.value << " base " << c.base;
    }
    FCString u;
    u.appendUnsigned(4294967295u);
    EXPECT_STREQ(u.text(), "4294967295");
    u.setNumber(-12);
    EXPECT_STREQ(u.text(), "-12");
}

TEST(FCString, NumberConversions)
{
    struct Case {
        const char* text;
        int32_t asInt;
        uint32_t asUnsigned;
    };
    const Case cases[] = {
        { "0x1F", 31, 31 },
        { "0b101", 5, 5 },
        { "0x", 0, 0 },
        { "0xg", 0, 0 },
        { "0b2", 0, 0 },
        { "12abc", 12, 12 },
        { "", 0, 0 },
        { "  -42", -42, 0u - 42u },
        { "+7", 7, 7 },
        { "0xFFFFFFFF", -1, 0xFFFFFFFFu },
        { "99999999999", INT32_MAX, 0xFFFFFFFFu },
        { "-99999999999", INT32_MIN, 0xFFFFFFFFu },
        { "0b11z", 3, 3 },
        { "007", 7, 7 },
    };
    for (const Case& c : cases) {
        FCString s(c.text);
        EXPECT_EQ(s.toInt(), c.asInt) << '"' << c.text << '"';
        EXPECT_EQ(s.toUnsigned(), c.asUnsigned) << '"' << c.text << '"';
    }
    FCString fromCursor("x=0x10");
    fromCursor.findChar('=');
    fromCursor.next();
    EXPECT_EQ(fromCursor.toInt(true), 16);
    EXPECT_EQ(fromCursor.toInt(), 0);
    EXPECT_EQ(fromCursor.cursorIndex(), 2); // left where it was
}

TEST(FCString, FormatHasNoLengthLimit)
{
    std::string big(100000, 'q');
    FCString s("old");
    s.format("%s|%d|%05.1f|%x|%c|%%", big.c_str(), -3, 2.5, 255, 'Z');
    EXPECT_EQ(std::string(s.text()), big + "|-3|002.5|ff|Z|%");
    EXPECT_EQ(s.length(), static_cast<int32_t>(big.size()) + 16);
    s.format("%*d|%-*s|%.*s", 4, 7, 3, "a", 2, "xyz");
    EXPECT_STREQ(s.text(), "   7|a  |xy");
    s.format("%Fs %Np", "far", static_cast<void*>(nullptr));
    EXPECT_EQ(std::string(s.text()).substr(0, 4), "far ");
    s.format("%ls", L"wide");
    EXPECT_STREQ(s.text(), "wide");
}

TEST(FCString, CopyToNeedsRoomForTerminator)
{
    FCString s("abc");
    char buffer[4] = { 'x', 'x', 'x', 'x' };
    EXPECT_EQ(s.copyTo(buffer, 3), nullptr);
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(s.copyTo(buffer, 4), buffer + 3);
    EXPECT_STREQ(buffer, "abc");
}

TEST(FCString, CursorStepsOverDoubleByteCharacters)
{
    {
        CodePage japanese(932);
        FCString s(kMixed);
        EXPECT_EQ(forwardCharacters(s), (std::vector<uint32_t> { 'a', 0x955C, 'b', 0x8341, '\\', 'c' }));
        EXPECT_EQ(backwardCharacters(s), (std::vector<uint32_t> { 'c', '\\', 0x8341, 'b', 0x955C, 'a' }));
        s.setCursorIndex(2); // the trail byte 0x5C of 表: onto its lead byte
        EXPECT_EQ(s.cursorIndex(), 1);
        EXPECT_EQ(s.character(), 0x955Cu);
        EXPECT_TRUE(s.next());
        EXPECT_EQ(s.character(), uint32_t('b'));
        EXPECT_EQ(s.moveTo(3), uint32_t(0x8341));
        EXPECT_EQ(s.cursorIndex(), 4);
        EXPECT_EQ(s.moveTo(-2, FCString::kFromEnd), uint32_t('\\'));
        EXPECT_EQ(s.cursorIndex(), 6);
        EXPECT_EQ(s.moveTo(-3, FCString::kFromCursor), uint32_t(0x955C));
        EXPECT_EQ(s.moveTo(2, FCString::kFromCursor), uint32_t(0x8341));
        EXPECT_EQ(s.moveTo(9), 0u);
        EXPECT_EQ(s.cursorIndex(), 4); // out of range: the cursor stays
        EXPECT_EQ(s.moveTo(-7, FCString::kFromEnd), 0u);
        EXPECT_EQ(s.moveTo(6), 0u); // the end
        EXPECT_TRUE(s.atEnd());
        EXPECT_FALSE(s.next());
        s.home();
        EXPECT_FALSE(s.previous());

        s.home();
        EXPECT_EQ(s.findChar('\\'), s.text() + 6);
        s.home();
        EXPECT_EQ(s.findChar('A'), nullptr);
        EXPECT_TRUE(s.atEnd());
        s.home();
        EXPECT_EQ(s.findChar(0x8341), s.text() + 4);
        s.home();
        EXPECT_EQ(s.findAnyOf("A\\"), s.text() + 6);
        s.home();
        EXPECT_EQ(s.findLastOf("a\x95\x5C"), s.text() + 1);
    }
    {
        CodePage english(1252);
        FCString s(kMixed);
        EXPECT_EQ(forwardCharacters(s).size(), 8u);
        EXPECT_EQ(backwardCharacters(s).size(), 8u);
        s.setCursorIndex(2);
        EXPECT_EQ(s.character(), 0x5Cu);
        s.home();
        EXPECT_EQ(s.findChar('\\'), s.text() + 2);
        s.home();
        EXPECT_EQ(s.findChar('A'), s.text() + 5);
        EXPECT_EQ(s.moveTo(-3, FCString::kFromEnd), uint32_t('A'));
    }
}

TEST(FCString, BackwardStepsFindBoundariesInLongLeadRuns)
{
    CodePage japanese(932);
    // 検検ア: every byte before the trail 'A' is in the lead range.
    FCString s("\x8C\x9F\x8C\x9F\x83\x41");
    EXPECT_EQ(backwardCharacters(s), (std::vector<uint32_t> { 0x8341, 0x8C9F, 0x8C9F }));
    s.setCursorIndex(3);
    EXPECT_EQ(s.character(), 0x8C9Fu);
    // A lead byte with nothing after it is a character of its own.
    FCString cut("a\x93");
    EXPECT_EQ(forwardCharacters(cut), (std::vector<uint32_t> { 'a', 0x93 }));
    EXPECT_EQ(backwardCharacters(cut), (std::vector<uint32_t> { 0x93, 'a' }));
}

TEST(FCString, SkipsAndSearches)
{
    CodePage japanese(932);
    FCString s("  \t key \x95\x5C  ");
    EXPECT_EQ(s.skip(" \t"), s.text() + 4);
    EXPECT_EQ(s.skip("yek"), s.text() + 7);
    s.moveTo(0, FCString::kFromEnd);
    EXPECT_EQ(s.skipBackward(" "), s.text() + 8); // on 表, not on its trail
    EXPECT_EQ(s.character(), 0x955Cu);
    s.setCursorIndex(3);
    EXPECT_EQ(s.skipBackward(" \t"), nullptr);
    EXPECT_EQ(s.cursorIndex(), 0);
    s.setCursorIndex(7);
    EXPECT_EQ(s.skipBackward(" eky", s.text() + 5), nullptr); // stops at the bound
    EXPECT_EQ(s.cursorIndex(), 5);
    s.home();
    EXPECT_EQ(s.skip(" \tkey\x95\x5C"), nullptr);
    EXPECT_TRUE(s.atEnd());

    // A match never begins on a trail byte.
    FCString t("\x83\x41"
               "B AB");
    EXPECT_EQ(t.findText("AB"), t.text() + 4);
    t.home();
    EXPECT_EQ(t.findText("AB", " "), t.text() + 4);
    t.home();
    EXPECT_EQ(t.findText("A", " "), nullptr);
    EXPECT_TRUE(t.atEnd());
    FCString tokens("alpha beta,bet beta");
    EXPECT_EQ(tokens.findText("bet", " ,"), tokens.text() + 11);
    tokens.home();
    EXPECT_EQ(tokens.findText("beta"), tokens.text() + 6);
    {
        CodePage english(1252);
        t.home();
        EXPECT_EQ(t.findText("AB"), t.text() + 1);
    }
    FCString none("abc");
    EXPECT_EQ(none.findLastOf("xyz"), nullptr);
    EXPECT_TRUE(none.atEnd());
}

TEST(FCString, NextToken)
{
    FCString s(" one, two ,,three");
    FCString token("keep");
    EXPECT_EQ(s.nextToken(token, " ,"), s.text() + 1);
    EXPECT_STREQ(token.text(), "one");
    EXPECT_EQ(token.blockSize(), FCString::kShortBlockSize);
    EXPECT_NE(s.nextToken(token, " ,", true), nullptr);
    EXPECT_STREQ(token.text(), "two ");
    EXPECT_NE(s.nextToken(token, " ,"), nullptr);
    EXPECT_STREQ(token.text(), "three");
    EXPECT_EQ(s.nextToken(token, " ,"), nullptr);
    EXPECT_TRUE(token.isEmpty());
}

TEST(FCString, GetField)
{
    struct Case {
        const char* text;
        bool keepEmpty;
        std::vector<std::pair<int32_t, std::string>> fields; // result and field, until 0
    };
    const Case cases[] = {
        { "a,b", false, { { 1, "a" }, { 1, "b" }, { 0, "" } } },
        { ",,a,,b,", false, { { 1, "a" }, { 1, "b" }, { 0, "" } } },
        { "a,,b,", true, { { 1, "a" }, { 1, "" }, { 2, "b" }, { 0, "" } } },
        { "a,", true, { { 2, "a" }, { 0, "" } } },
        { ",", true, { { 2, "" }, { 0, "" } } },
        { "", true, { { 0, "" } } },
        { "a;b c", false, { { 1, "a" }, { 1, "b" }, { 1, "c" }, { 0, "" } } },
    };
    for (const Case& c : cases) {
        FCString s(c.text);
        for (const auto& [result, text] : c.fields) {
            FCString field("stale");
            EXPECT_EQ(s.getField(field, ",; ", c.keepEmpty), result) << c.text;
            EXPECT_EQ(std::string(field.text()), text) << c.text;
        }
    }
    FCString s("x=1;");
    FCString field;
    char found = 'q';
    s.getField(field, "=;", false, &found);
    EXPECT_EQ(found, '=');
    s.getField(field, "=;", false, &found);
    EXPECT_EQ(found, ';');
    EXPECT_EQ(s.getField(field, "=;", false, &found), 0);
    EXPECT_EQ(found, '\0');
    {
        // 表's trail byte is not the separator "\".
        CodePage japanese(932);
        FCString path("\x95\x5C\\x");
        EXPECT_EQ(path.getField(field, "\\"), 1);
        EXPECT_STREQ(field.text(), "\x95\x5C");
    }
}

TEST(FCString, GetFieldCopiesLongFields)
{
    std::string longField(5000, 'L');
    FCString s((longField + "," + std::string(2047, 'm') + ",end").c_str());
    FCString field;
    EXPECT_EQ(s.getField(field, ","), 1);
    EXPECT_EQ(std::string(field.text()), longField);
    EXPECT_EQ(s.getField(field, ","), 1);
    EXPECT_EQ(field.length(), 2047);
    EXPECT_EQ(s.getField(field, ","), 1);
    EXPECT_STREQ(field.text(), "end");
}

TEST(FCString, Split)
{
    struct Case {
        const char* text;
        int32_t count;
        int32_t options;
        const char* skip;
        std::vector<std::string> fields;
    };
    const Case cases[] = {
        { "a,b,", 3, 1, nullptr, { "a", "b", "" } },
        { "a,b,", 3, 0, nullptr, { "a", "b" } },
        { "a,b,", 3, 2, nullptr, { "a", "b" } },
        { "a,,b", 3, 0, nullptr, { "a", "b" } },
        { "a,,b", 3, 1, nullptr, { "a", "", "b" } },
        { ",a", 3, 1, nullptr, { "", "a" } },
        { "a,b,c,d", 2, 2, nullptr, { "a", "b,c,d" } },
        { "a,b,c,d", 2, 0, nullptr, { "a", "b" } },
        { "a,", 1, 1, nullptr, { "a" } }, // no room for the empty field
        { "JP, lang_jp.dll", 2, 1, " \t", { "JP", "lang_jp.dll" } },
        { "EN,", 2, 1, " \t", { "EN", "" } },
        { "", 2, 1, nullptr, {} },
    };
    for (const Case& c : cases) {
        FCString s(c.text);
        FCString out[4] = { FCString("-"), FCString("-"), FCString("-"), FCString("-") };
        int32_t filled = s.split(out, c.count, ",", c.options, c.skip);
        ASSERT_EQ(filled, static_cast<int32_t>(c.fields.size())) << c.text << " options " << c.options;
        for (int32_t i = 0; i < filled; ++i)
            EXPECT_EQ(std::string(out[i].text()), c.fields[static_cast<size_t>(i)]) << c.text << " field " << i;
        EXPECT_STREQ(out[filled].text(), "-");
    }
}

TEST(FCString, ReadLine)
{
    CodePage japanese(932);
    const char* text = "  first\r\n\r\n\t\x81\x40second\rthird\n\n \nlast";
    struct Case {
        int32_t options;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        { FCString::kTrimBlanks, { "first", "\x81\x40second", "third", "last" } },
        { FCString::kTrimBlanks | FCString::kTrimIdeographicSpace, { "first", "second", "third", "last" } },
        { 0, { "  first", "\t\x81\x40second", "third", " ", "last" } },
        { FCString::kTrimBlanks | FCString::kKeepEmptyLines,
            { "first", "", "\x81\x40second", "third", "", "", "last" } },
    };
    for (const Case& c : cases) {
        FCString s(text);
        FCString line;
        std::vector<std::string> lines;
        while (s.readLine(line, c.options))
            lines.emplace_back(line.text());
        EXPECT_EQ(lines, c.lines) << "options " << c.options;
    }
    FCString trailing("only\n");
    FCString line;
    EXPECT_TRUE(trailing.readLine(line, FCString::kKeepEmptyLines));
    EXPECT_FALSE(trailing.readLine(line, FCString::kKeepEmptyLines));
}

TEST(FCString, Substring)
{
    CodePage japanese(932);
    FCString s("ab\x95\x5C"
               "cd");
    FCString out("unchanged");
    s.substring(out, s.text() + 1, s.text() + 2); // to the lead byte: the whole of 表
    EXPECT_STREQ(out.text(), "b\x95\x5C");
    s.substring(out, s.text() + 4, s.text() + 1); // reversed
    EXPECT_STREQ(out.text(),
        "b\x95\x5C"
        "c");
    s.substring(out, nullptr, s.text() + 1);
    EXPECT_STREQ(out.text(), "ab");
    s.substring(out, s.text() + 4, nullptr);
    EXPECT_STREQ(out.text(), "cd");

    MessageBoxRecorder boxes;
    out = "unchanged";
    const char* outside = s.text() + 7;
    s.substring(out, s.text(), outside);
    EXPECT_STREQ(out.text(), "unchanged");
    ASSERT_EQ(boxes.requests().size(), 1u);
    EXPECT_EQ(boxes.requests()[0].caption, "FCString class");
    std::string expected = "  start:" + std::to_string(reinterpret_cast<uintptr_t>(s.text()))
        + "\n    end:" + std::to_string(reinterpret_cast<uintptr_t>(outside))
        + "\nstrings:" + std::to_string(reinterpret_cast<uintptr_t>(s.text())) + "\n length:6";
    EXPECT_EQ(boxes.requests()[0].text, expected);
}

TEST(FCString, ReplaceAll)
{
    CodePage japanese(932);
    FCString s("a\\b\x95\x5C\\");
    EXPECT_EQ(s.replaceAll("\\", "/"), 2); // not the trail byte of 表
    EXPECT_STREQ(s.text(), "a/b\x95\x5C/");
    EXPECT_EQ(s.replaceAll("", "x"), 0);
    EXPECT_EQ(s.replaceAll("zz", "x"), 0);
    FCString grow("aaa");
    EXPECT_EQ(grow.replaceAll("a", "aa"), 3);
    EXPECT_STREQ(grow.text(), "aaaaaa");
    EXPECT_EQ(grow.replaceAll("aa", nullptr), 3);
    EXPECT_TRUE(grow.isEmpty());
}

TEST(FCString, CaseMappingKeepsTrailBytes)
{
    {
        CodePage japanese(932);
        FCString s("Ab\x83\x41z\x82\x60"); // ア and Ａ have letter trail bytes
        FCString copy(s);
        s.toLower();
        EXPECT_STREQ(s.text(), "ab\x83\x41z\x82\x60");
        s.toUpper();
        EXPECT_STREQ(s.text(), "AB\x83\x41Z\x82\x60");
        EXPECT_STREQ(copy.text(), "Ab\x83\x41z\x82\x60");
        FCString mapped("AB\x83\x41");
        mapped.mapString(FCString::kMapLowerCase);
        EXPECT_STREQ(mapped.text(), "ab\x83\x41");
    }
    {
        CodePage english(1252);
        FCString s("Ab\x83\x41");
        s.toLower();
        EXPECT_STREQ(s.text(), "ab\x83\x61");
    }
}

TEST(FCString, HtmlEscapesRoundTrip)
{
    FCString s("a \"q\" <b> & c &amp;");
    s.mapString(FCString::kMapHtmlEscape);
    EXPECT_STREQ(s.text(), "a &quot;q&quot; &lt;b&gt; &amp; c &amp;amp;");
    s.mapString(FCString::kMapHtmlUnescape);
    EXPECT_STREQ(s.text(), "a \"q\" <b> & c &amp;");
}

TEST(FCString, CodePageConversions)
{
    {
        CodePage japanese(932);
        FCString s;
        s.fromUtf8("\xE6\x97\xA5\xE6\x9C\xAC-x"); // 日本-x
        EXPECT_STREQ(s.text(), "\x93\xFA\x96\x7B-x");
        EXPECT_EQ(s.toUtf8(), "\xE6\x97\xA5\xE6\x9C\xAC-x");
        EXPECT_EQ(s.toWide(), std::wstring(L"\u65E5\u672C-x"));
        s.fromWide(L"\u30A2\\");
        EXPECT_STREQ(s.text(), "\x83\x41\\");
    }
    {
        CodePage english(1252);
        FCString s;
        s.fromUtf8("caf\xC3\xA9");
        EXPECT_STREQ(s.text(), "caf\xE9");
        EXPECT_EQ(s.toUtf8(), "caf\xC3\xA9");
    }
}

namespace {

// Copies and releases the shared string over and over, each copy also
// writing its own text so that copy on write runs on both threads.
struct Churn {
    const FCString* shared;
    std::atomic<int>* mismatches;
};

void churn(const Churn& work)
{
    for (int i = 0; i < 20000; ++i) {
        FCString copy(*work.shared);
        FCString other;
        other = copy;
        other.append("!");
        if (std::strcmp(copy.text(), "shared text") != 0 || std::strcmp(other.text(), "shared text!") != 0)
            work.mismatches->fetch_add(1);
    }
}

#if defined(_WIN32)
unsigned LUMIVEX_STDCALL churnThread(void* argument)
{
    churn(*static_cast<Churn*>(argument));
    return 0;
}
#endif

} // namespace

TEST(FCString, CopiesReleasedAcrossThreads)
{
    FCString shared("shared text");
    std::atomic<int> mismatches { 0 };
    Churn work { &shared, &mismatches };
#if defined(_WIN32)
    // The win32 runtime has no std::thread: the host's own thread class.
    FCThread first, second;
    ASSERT_EQ(first.start(churnThread, &work), 1);
    ASSERT_EQ(second.start(churnThread, &work), 1);
    churn(work);
    first.wait();
    second.wait();
#else
    std::thread first(churn, work), second(churn, work);
    churn(work);
    first.join();
    second.join();
#endif
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_STREQ(shared.text(), "shared text");
    FCString last(shared);
    EXPECT_TRUE(last.sharesWith(shared));
}
