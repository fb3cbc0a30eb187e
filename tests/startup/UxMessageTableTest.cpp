#include <gtest/gtest.h>

#include <string>

#include "startup/ScratchFiles.h"
#include "startup/UxMessageTable.h"

#ifndef LUMIVEX_CATALOGUE_DIR
#error "the tests need the folder of the shipped catalogues"
#endif

namespace {

using Catalogue = ScratchFiles;

} // namespace

TEST(UxMessageTableTest, CatalogueLines)
{
    UxMessageTable table;
    table.parse(FCString("; comment\n"
                         "5\tfirst line\n"
                         "+\tsecond line\n"
                         "  +  \t  third\n"
                         "6 \t \tspaced text  \n"
                         "200\tdropped\n"
                         "+\tcontinues the dropped entry\n"
                         "7\n"
                         "+\tafter an empty text\n"
                         "127\tlast\n"
                         "128\tout of range\n"
                         "-1\tnegative\n"
                         ".V\n"
                         "+\tno message pending\n"
                         "0\t0x20\n"
                         "+\t99\n"
                         "15\t-3\n"
                         "16\t4\n"
                         ".m\n"
                         "8\tmessages again\n"
                         "x\tunknown lines are ignored\n"
                         "9\tstored at the end"));
    EXPECT_STREQ(table.text(5).text(), "first line\nsecond line\nthird");
    EXPECT_STREQ(table.text(6).text(), "spaced text  ");
    EXPECT_STREQ(table.text(7).text(), "\nafter an empty text");
    EXPECT_STREQ(table.text(127).text(), "last");
    EXPECT_STREQ(table.text(8).text(), "messages again");
    EXPECT_STREQ(table.text(9).text(), "stored at the end");
    EXPECT_STREQ(table.text(0).text(), "");
    EXPECT_STREQ(table.text(128).text(), "");
    EXPECT_STREQ(table.text(-1).text(), "");
    EXPECT_EQ(table.value(0), 32);
    EXPECT_EQ(table.value(15), -3);
    EXPECT_EQ(table.value(16), 0);
    EXPECT_EQ(table.value(-1), 0);
    for (int32_t id = 0; id < UxMessageTable::kMessageCount; ++id)
        EXPECT_EQ(std::string(table.text(id).text()).find("range"), std::string::npos) << id;
}

TEST(UxMessageTableTest, Placeholders)
{
    const char* args[] = { "A", "B%1", "C", "D", "E", "F", "G", "H", "I", "J" };
    struct Case {
        const char* text;
        int32_t count;
        const char* expected;
    } cases[] = {
        { "%1 and %2", 2, "A and B%1" }, // an argument is never scanned again
        { "%2%1%2", 2, "B%1AB%1" },
        { "%3 stays", 2, "%3 stays" },
        { "%0 and %", 2, "%0 and %" },
        { "100%", 1, "100%" },
        { "%10", 1, "A0" },
        { "%10", 10, "J" },
        { "%1", 0, "%1" },
        { "", 3, "" },
    };
    for (const Case& c : cases)
        EXPECT_STREQ(UxMessageTable::expand(c.text, c.count, args).text(), c.expected) << c.text;

    UxMessageTable table;
    table.parse(FCString("43\t%1 cannot be made (%2)\n"));
    EXPECT_STREQ(table.message(43, 2, "C:\\save", "Lumivex").text(), "C:\\save cannot be made (Lumivex)");
    EXPECT_STREQ(table.message(43, { "x" }).text(), "x cannot be made (%2)");
    EXPECT_STREQ(table.message(128, 1, "x").text(), "");
}

TEST_F(Catalogue, LoadReplacesTheTableAndMissingFileEmptiesIt)
{
    std::string path = scratch("Lumivex.XX");
    put(path, "; test\r\n1\tone\r\n+\ttwo\r\n.V\r\n3\t12\r\n");
    UxMessageTable table;
    table.parse(FCString("2\tstale\n"));
    ASSERT_TRUE(table.load(path.c_str()));
    EXPECT_STREQ(table.text(1).text(), "one\ntwo");
    EXPECT_STREQ(table.text(2).text(), "");
    EXPECT_EQ(table.value(3), 12);
    EXPECT_FALSE(table.load(scratch("Lumivex.none").c_str()));
    EXPECT_STREQ(table.text(1).text(), "");
    EXPECT_EQ(table.value(3), 0);
}

TEST(UxMessageTableTest, LanguageQueries)
{
    EXPECT_EQ(languageCodePage("EN"), 1252u);
    EXPECT_EQ(languageCodePage("JP"), 932u);
    EXPECT_EQ(languageCodePage("FR"), 932u);
    EXPECT_EQ(languageCodePage("en"), 932u); // codes arrive upper-cased
    EXPECT_FALSE(languageIsJapanese("EN"));
    EXPECT_TRUE(languageIsJapanese("JP"));
    EXPECT_TRUE(languageIsJapanese("FR"));
    EXPECT_STREQ(UxMessageTable::catalogueName("JP").text(), "Lumivex.JP");
}

// Every message the host shows has a text in both shipped catalogues.
TEST(UxMessageTableTest, ShippedCataloguesHoldEveryMessage)
{
    const int32_t used[] = { 26, 27, 42, 43, 44, 48, 49, 50, 72, 73, 74, 76, 101, 102 };
    for (const char* language : { "JP", "EN" }) {
        std::string path = std::string(LUMIVEX_CATALOGUE_DIR) + "Lumivex." + language;
        UxMessageTable table;
        ASSERT_TRUE(table.load(path.c_str())) << path;
        for (int32_t id : used)
            EXPECT_GT(table.text(id).length(), 0) << language << " " << id;
        // Message 42 follows the folder path on a line of its own.
        EXPECT_EQ(table.text(42).text()[0], '\n') << language;
        // The placeholders each message is given.
        EXPECT_NE(std::string(table.text(48).text()).find("%3"), std::string::npos) << language;
        EXPECT_NE(std::string(table.text(72).text()).find("%1"), std::string::npos) << language;
        EXPECT_NE(std::string(table.text(101).text()).find("%1"), std::string::npos) << language;
    }
}
