#include <gtest/gtest.h>

#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "scenario/FCScenario.h"
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

// A save that cannot be made asks Retry or Cancel through FCFile; Cancel
// ends the run through EXCEPTION_ENTRY and EXIT_ENTRY, the file left as it
// was. A folder holds the name the save writes first, or the file's own.
TEST(ScenarioRun, AFailedSaveEndsTheRunThroughTheExceptionEntry)
{
    const struct {
        const wchar_t* folder;
        const char* caption;
        const char* named;
        // What ended the run, shown after the box.
        const char* shown;
    } cases[] = {
        { L"TestGame.system.dat.new", "FCFile - open\t", "TestGame.system.dat.new", "\ncannot open\t" },
        { L"TestGame.system.dat", "FCFile - write\t", "TestGame.system.dat", "\ncannot write\t" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        GameFolder game;
        ASSERT_TRUE(CreateDirectoryW((game.path() + L"\\" + c.folder).c_str(), nullptr));
        GameRun run = runFrom(game, "saveSystem");
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.trace, "INIT (null)\nEXCEPTION\nEXIT\n");
        EXPECT_EQ(run.messages.rfind(c.caption, 0), 0u) << run.messages;
        EXPECT_NE(run.messages.find(c.named), std::string::npos) << run.messages;
        EXPECT_NE(run.messages.find(c.shown), std::string::npos) << run.messages;
        EXPECT_FALSE(game.exists(L"TestGame.system.dat.bak"));
    }
}

namespace {

// The 34-byte system data file of 1, -1 and 256.
const std::string kSystemData(
    "\xFF\xFF\xFF\x7F\0\0\0\0\x06\0\0\0FCReg\0\x03\0\0\0\x01\0\0\0\xFF\xFF\xFF\xFF\0\x01\0\0", 34);

// The persistent registers a new run of the game would load: the count,
// then the values.
std::vector<int32_t> loadedSystemRegisters(const GameFolder& game)
{
    const std::wstring& wide = game.path();
    const std::string folder = std::string(wide.begin(), wide.end()) + "\\";
    FCScenario scenario(nullptr);
    scenario.initialise("TestGame", 1, 1, 3, 0, folder.c_str());
    std::vector<int32_t> loaded { scenario.systemRegisters.count };
    for (int32_t i = 0; i < scenario.systemRegisters.count; ++i)
        loaded.push_back(scenario.systemRegisters[i]);
    return loaded;
}

} // namespace

// A game killed at any moment of a save (a crash, a power cut) leaves the
// registers of the last finished save or of the one before: never a torn
// file, never fewer generations than a run had already loaded.
TEST(ScenarioRun, SystemDataSurvivesKillsAtAnyMoment)
{
    constexpr int kKills = 120;
    const unsigned seed = std::random_device()();
    std::mt19937 random(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    GameFolder game;
    game.writeFile(L"Lumivex.ini",
        "[setting]\r\nTITLE=Lumivex "
        "Test\r\nCLASS=LumivexTest\r\n[release]\r\nscenario=story.dll\r\nentry=saveForever\r\n");
    int32_t last = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        game.removeFile(L"trace.txt");
        // Wine may refuse a start while the last killed process is still
        // going away: a few tries.
        void* process = nullptr;
        for (int tries = 0; tries < 10 && !process; ++tries) {
            process = game.start(RunOptions());
            if (!process)
                Sleep(200);
        }
        ASSERT_NE(process, nullptr) << "kill " << kill << ": the game does not start";
        for (int i = 0; i < 2000 && game.readBytes(L"trace.txt").find("saving") == std::string::npos; ++i)
            Sleep(5);
        Sleep(random() % 40);
        TerminateProcess(process, 9);
        WaitForSingleObject(process, 10000);
        CloseHandle(process);
        const std::vector<int32_t> loaded = loadedSystemRegisters(game);
        ASSERT_EQ(loaded.size(), 4u) << "kill " << kill;
        ASSERT_EQ(loaded[2], -loaded[1]) << "kill " << kill << ": a torn generation";
        ASSERT_EQ(loaded[3], 3 * loaded[1]) << "kill " << kill << ": a torn generation";
        ASSERT_GE(loaded[1], last) << "kill " << kill << ": saved generations were lost";
        last = loaded[1];
    }
    // The game did save between the kills.
    EXPECT_GT(last, kKills);
}

// A damaged or missing file gives way to the previous generation, and a save
// over a damaged file keeps that backup rather than the damage.
TEST(ScenarioRun, DamagedSystemDataFallsBackToTheBackup)
{
    GameFolder game;
    game.writeFile(L"TestGame.system.dat.bak", kSystemData);
    for (const char* damage : { "torn", "" }) {
        SCOPED_TRACE(damage);
        game.writeFile(L"TestGame.system.dat", damage);
        EXPECT_EQ(loadedSystemRegisters(game), (std::vector<int32_t> { 3, 1, -1, 256 }));
    }
    game.removeFile(L"TestGame.system.dat");
    GameRun read = runFrom(game, "readSystem");
    EXPECT_EQ(read.trace, "INIT (null)\nsystem 3 1 -1 256\nEXIT\n");

    game.writeFile(L"TestGame.system.dat", "torn");
    game.removeFile(L"trace.txt");
    GameRun save = runFrom(game, "saveSystem");
    ASSERT_TRUE(save.finished);
    EXPECT_EQ(game.readBytes(L"TestGame.system.dat"), kSystemData);
    EXPECT_EQ(game.readBytes(L"TestGame.system.dat.bak"), kSystemData);
    EXPECT_FALSE(game.exists(L"TestGame.system.dat.new"));
}
