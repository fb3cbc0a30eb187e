#include <gtest/gtest.h>

#include "support/GameFolder.h"

namespace {

std::string iniFor(const char* entry, const char* module = "story.dll")
{
    return "[setting]\r\nTITLE=Lumivex Test\r\nCLASS=" + testClassName() + "\r\n[release]\r\nscenario=" + module
        + "\r\nentry=" + entry + "\r\n";
}

} // namespace

// The executable runs a game from its folder: INIT_ENTRY, the chain, EXIT_ENTRY.
TEST(HostProcess, RunsChainedEntriesAndEnds)
{
    GameFolder game;
    game.writeFile(L"Lumivex.ini", iniFor("first"));
    GameRun run = game.run();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.trace, "INIT (null)\nfirst\nsecond\nEXIT\n");
    EXPECT_EQ(run.messages, "");
}

// A game maker renames the executable after the game; the modules still
// import from the host DLL, whose name is fixed.
TEST(HostProcess, RenamedExecutableRunsModules)
{
    GameFolder game;
    game.writeFile(L"Lumivex.ini", iniFor("first"));
    game.renameFile(L"Lumivex.exe", L"MyGame.exe");
    GameRun run = game.run(L"MyGame.exe");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.trace, "INIT (null)\nfirst\nsecond\nEXIT\n");
}

// An exception class of the host thrown inside a module reaches the host's
// catch: the player sees it, then EXCEPTION_ENTRY and EXIT_ENTRY run.
TEST(HostProcess, DiagnosticFromModuleIsCaughtByHost)
{
    GameFolder game;
    game.writeFile(L"Lumivex.ini", iniFor("thrower"));
    GameRun run = game.run();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.trace, "INIT (null)\nthrower\nEXCEPTION\nEXIT\n");
    EXPECT_EQ(run.messages, "cannot open\tmissing.dat\t73728\n");
}

TEST(HostProcess, ModuleSwitchLoadsTheOtherModule)
{
    GameFolder game;
    game.writeFile(L"Lumivex.ini", iniFor("toOther"));
    GameRun run = game.run();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.trace, "INIT (null)\ntoOther\nthird\nEXIT\n");
}

TEST(HostProcess, MissingScenarioModuleIsReported)
{
    GameFolder game;
    game.writeFile(L"Lumivex.ini", iniFor("first", "nosuch.dll"));
    GameRun run = game.run();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.trace, "");
    EXPECT_EQ(run.messages, "FCString class\tnosuch.dllがロードできません\t73728\n");
}
