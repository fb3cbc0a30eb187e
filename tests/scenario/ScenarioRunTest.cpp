#include <gtest/gtest.h>

#include "support/GameFolder.h"

// Whole runs of the host over the test modules: how the manager chains
// entries, switches modules and ends a run.
namespace {

GameRun runFrom(GameFolder& game, const char* entry)
{
    game.writeFile(L"Lumivex.ini",
        std::string("[setting]\r\nTITLE=Lumivex Test\r\nCLASS=LumivexTest\r\n[release]\r\nscenario=story.dll\r\nentry=")
            + entry + "\r\n");
    return game.run();
}

// The texts the host shows, as the message log records them (UTF-8).
const std::string kBadIndexTail = "を越えています。\n０番インデックスが指定されたと仮定して処理を継続します。";

} // namespace

TEST(ScenarioRun, ChainOutcomes)
{
    struct Case {
        const char* entry;
        const char* trace;
    } cases[] = {
        // Naming the loaded module again keeps it (and its state) loaded.
        { "sameModule", "INIT (null)\ncounter 42\nEXIT\n" },
        // The old module is gone when other.dll reads what it wrote.
        { "switchWithStrings", "INIT (null)\nstrings made by story / name from story\nEXIT\n" },
        // An entry that is not exported ends the chain without a word.
        { "notExported", "INIT (null)\nnotExported\nEXIT\n" },
        // The module's file name is Japanese; it loads whatever the system's code page.
        { "toJapaneseModule", "INIT (null)\nthird\nEXIT\n" },
        // A module's own list of the host's signatures links and finds by name.
        { "signatureList", "INIT (null)\nfound second\nEXIT\n" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        GameFolder game;
        game.copyFile(L"other.dll", L"\u7269\u8a9e.dll");
        GameRun run = runFrom(game, c.entry);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(run.trace, c.trace);
        EXPECT_EQ(run.messages, "");
    }
}

// Without the resident module the named entries are no-ops; the chain runs.
TEST(ScenarioRun, MissingResidentModuleStillRunsTheChain)
{
    GameFolder game;
    game.removeFile(L"resident.dll");
    GameRun run = runFrom(game, "first");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.trace, "first\nsecond\n");
    EXPECT_EQ(run.messages, "");
}

// An empty next-module name is a module that cannot be loaded: its message,
// then the exception's own, then the closing entries.
TEST(ScenarioRun, EmptyNextModuleEndsTheRunThroughExceptionEntry)
{
    GameFolder game;
    GameRun run = runFrom(game, "emptyModule");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.trace, "INIT (null)\nemptyModule\nEXCEPTION\nEXIT\n");
    EXPECT_EQ(run.messages,
        "FCString class\tがロードできません\t73728\n"
        "FCOasys - load\tがロードできません\t73728\n");
}

TEST(ScenarioRun, BadRegisterIndexesShowMessagesAndUseElementZero)
{
    GameFolder game;
    GameRun run = runFrom(game, "badIndexes");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.trace, "INIT (null)\nregister0 7 string0 seven\nEXIT\n");
    EXPECT_EQ(run.messages,
        "FCReg - item()\t指定されたインデックス-1は\n本レジスタの範囲 0 ～ 15" + kBadIndexTail + "\t73728\n"
            + "FCStrReg - item()\t指定されたインデックス16は\n本レジスタの範囲 0 ～ 15" + kBadIndexTail + "\t73728\n");
}

// The persistent registers are written at once and read by the next run.
TEST(ScenarioRun, SystemRegistersPersistAcrossRuns)
{
    GameFolder game;
    GameRun save = runFrom(game, "saveSystem");
    ASSERT_TRUE(save.finished);
    const char expected[] = "\xFF\xFF\xFF\x7F\0\0\0\0\x06\0\0\0FCReg\0" // class-name record
                            "\x03\0\0\0" // count
                            "\x01\0\0\0\xFF\xFF\xFF\xFF\0\x01\0\0"; // 1, -1, 256
    EXPECT_EQ(game.readBytes(L"TestGame.system.dat"), std::string(expected, sizeof expected - 1));
    game.removeFile(L"trace.txt");
    GameRun read = runFrom(game, "readSystem");
    ASSERT_TRUE(read.finished);
    EXPECT_EQ(read.trace, "INIT (null)\nsystem 3 1 -1 256\nEXIT\n");
}
