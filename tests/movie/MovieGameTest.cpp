#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "support/GameFolder.h"
#include "support/RunningGame_win32.h"

// Movies in a running game: the test modules' movie entries (story.dll)
// request a movie window, wait for its end and go on.
namespace {

// The test movie lasts 3 s; one that played to its end took at least this
// long from the moment it started (the graph may show its first frames late,
// never early); a skipped one ends well before.
constexpr int kPlayedMs = 2500;

std::string ini(const char* entry, const std::string& extra = "")
{
    return "[setting]\r\nCLASS=" + testClassName()
        + "\r\nTITLE=Lumivex Test\r\n[release]\r\nscenario=story.dll\r\nentry=" + entry + "\r\n" + extra;
}

// A game folder with the test movie as "movie.avi".
void addMovie(GameFolder& folder)
{
    wchar_t source[MAX_PATH];
    GetFullPathNameW(L"tests\\movies\\pattern.avi", MAX_PATH, source, nullptr);
    ASSERT_TRUE(CopyFileW(source, (folder.path() + L"\\movie.avi").c_str(), FALSE));
}

// The milliseconds from the start of playing to the end, from "ended <ms>"; -1 without it.
int endedAfter(const std::string& trace)
{
    size_t at = trace.find("\nended ");
    int ms = -1;
    if (at != std::string::npos)
        std::sscanf(trace.c_str() + at, "\nended %d", &ms);
    return ms;
}

} // namespace

TEST(MovieGame, AMoviePlaysToItsEndAndTheScenarioGoesOn)
{
    // DirectShow's player, then the MCI view.
    for (const char* entry : { "movieToEnd", "aviToEnd" }) {
        SCOPED_TRACE(entry);
        GameFolder folder;
        addMovie(folder);
        folder.writeFile(L"Lumivex.ini", ini(entry));
        GameRun run = folder.run();
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_NE(run.trace.find("\nerror 0\nended "), std::string::npos) << run.trace;
        EXPECT_GE(endedAfter(run.trace), kPlayedMs) << run.trace;
        EXPECT_NE(run.trace.find("\nafter movie\nEXIT\n"), std::string::npos) << run.trace;
        EXPECT_EQ(run.messages, "");
    }
}

TEST(MovieGame, AClickSkipsTheMovieOnlyOnceItsSkipDelayHasPassed)
{
    struct Case {
        const char* entry;
        bool skipped;
    } cases[] = {
        { "movieSkippable", true }, // 300 ms
        { "movieUnskippable", false }, // 60 s
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        GameFolder folder;
        addMovie(folder);
        folder.writeFile(L"Lumivex.ini", ini(c.entry));
        RunningGame game(folder);
        HWND player = game.tracedWindow("player");
        ASSERT_NE(player, nullptr) << game.describe();
        Sleep(700);
        PostMessageW(player, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
        PostMessageW(player, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
        GameRun run = game.finish();
        ASSERT_TRUE(run.finished);
        int ms = endedAfter(run.trace);
        if (c.skipped) {
            EXPECT_GE(ms, 0) << run.trace;
            EXPECT_LT(ms, 2000) << run.trace;
        } else {
            EXPECT_GE(ms, kPlayedMs) << run.trace;
        }
        EXPECT_NE(run.trace.find("\nafter movie\nEXIT\n"), std::string::npos) << run.trace;
    }
}

// Nothing is shown to the player; the scenario reads why and goes on.
TEST(MovieGame, AFileThatCannotPlayLetsTheGameGoOnAtOnce)
{
    struct Case {
        const char* entry;
        const char* error;
    } cases[] = {
        { "movieMissing", "\nerror 5\n" },
        { "movieGarbage", "\nerror 3\n" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        GameFolder folder;
        folder.writeFile(L"garbage.avi", "RIFF this is not a movie\n");
        folder.writeFile(L"Lumivex.ini", ini(c.entry));
        GameRun run = folder.run(L"Lumivex.exe", 20000);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_NE(run.trace.find(c.error), std::string::npos) << run.trace;
        EXPECT_NE(run.trace.find("\nafter movie\nEXIT\n"), std::string::npos) << run.trace;
        EXPECT_EQ(run.messages, "");
    }
}

TEST(MovieGame, ClosingTheGameDuringAMovieEndsIt)
{
    for (const char* entry : { "movieUnskippable", "aviToEnd" }) {
        SCOPED_TRACE(entry);
        GameFolder folder;
        addMovie(folder);
        folder.writeFile(L"Lumivex.ini", ini(entry, "[option]\r\nNoAbortCheck=1\r\n"));
        RunningGame game(folder);
        ASSERT_NE(game.tracedWindow("player"), nullptr) << game.describe();
        Sleep(500);
        PostMessageW(game.top(), WM_SYSCOMMAND, SC_CLOSE, 0);
        GameRun run = game.finish(10000);
        ASSERT_TRUE(run.finished) << "the game did not end";
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(run.trace.find("after movie"), std::string::npos) << run.trace;
        EXPECT_NE(run.trace.find("\nEXCEPTION\nEXIT\n"), std::string::npos) << run.trace;
        EXPECT_EQ(run.messages, "");
    }
}
