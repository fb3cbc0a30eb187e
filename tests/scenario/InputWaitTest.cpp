#include <gtest/gtest.h>

#include <windows.h>

#include <random>
#include <string>

#include "scenario/FCOasys.h"
#include "support/GameFolder.h"
#include "support/RunningGame_win32.h"

// Input waits of a running game, the input coming as the window system
// delivers it: posted to the game's top window and to its picture.
namespace {

std::string ini(const char* entry, const std::string& extra = "")
{
    return "[setting]\r\nCLASS=" + testClassName()
        + "\r\nTITLE=Lumivex Test\r\n[release]\r\nscenario=story.dll\r\nentry=" + entry + "\r\n" + extra;
}

std::string stripped(std::string text)
{
    std::string out;
    for (char c : text)
        if (c != '\r')
            out += c;
    return out;
}

} // namespace

TEST(InputWait, ClickWaitsTakeClicksEnterSpaceAndEscape)
{
    GameFolder folder;
    folder.writeFile(L"Lumivex.ini", ini("waitClicks"));
    RunningGame game(folder);
    ASSERT_NE(game.top(), nullptr) << game.describe();
    ASSERT_NE(game.view(), nullptr) << game.describe();

    ASSERT_TRUE(game.reached("wait 0")) << game.describe();
    PostMessageW(game.view(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    PostMessageW(game.view(), WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
    ASSERT_TRUE(game.reached("wait 1")) << game.describe();
    // A letter does not answer a click wait; the space key does.
    PostMessageW(game.top(), WM_KEYDOWN, 'A', 0x1E0001);
    PostMessageW(game.top(), WM_KEYDOWN, VK_SPACE, 0x390001);
    ASSERT_TRUE(game.reached("wait 2")) << game.describe();
    PostMessageW(game.view(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 30));
    GameRun run = game.finish();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.trace, "INIT (null)\nwait 0\ncode 27\nwait 1\ncode 13\nwait 2\ncode 13\nEXIT\n");
    EXPECT_EQ(run.messages, "");
}

TEST(InputWait, KeyWaitsTakeEveryKeyButShiftAndTheWheel)
{
    GameFolder folder;
    folder.writeFile(L"Lumivex.ini", ini("waitKeys"));
    RunningGame game(folder);
    ASSERT_NE(game.top(), nullptr) << game.describe();
    ASSERT_TRUE(game.reached("wait 0")) << game.describe();
    PostMessageW(game.top(), WM_KEYDOWN, VK_SHIFT, 0x2A0001);
    PostMessageW(game.top(), WM_KEYDOWN, VK_CONTROL, 0x1D0001);
    PostMessageW(game.top(), WM_KEYDOWN, 'A', 0x1E0001);
    ASSERT_TRUE(game.reached("wait 1")) << game.describe();
    PostMessageW(game.top(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), MAKELPARAM(100, 100));
    GameRun run = game.finish();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.trace, "INIT (null)\nwait 0\ncode 65\nwait 1\ncode 65521\nEXIT\n");
}

TEST(InputWait, TimeOutsInTenthsAndInMilliseconds)
{
    GameFolder folder;
    folder.writeFile(L"Lumivex.ini", ini("waitTimeouts"));
    GameRun run = folder.run();
    ASSERT_TRUE(run.finished);
    // Lower bounds only (a tick of the clock may be missing): 5 tenths wait
    // at least 500 ms, 5 raw milliseconds far less than that.
    int tenthsCode = 0, tenthsMs = 0, rawCode = 0, rawMs = 0;
    ASSERT_EQ(std::sscanf(
                  run.trace.c_str(), "INIT (null)\ntenths %d %d\nraw %d %d", &tenthsCode, &tenthsMs, &rawCode, &rawMs),
        4)
        << run.trace;
    EXPECT_EQ(tenthsCode, 258);
    EXPECT_GE(tenthsMs, 484);
    EXPECT_EQ(rawCode, 258);
    EXPECT_LT(rawMs, 480);
}

TEST(InputWait, TheCloseQuestionAnsweredYesEndsTheRun)
{
    GameFolder folder;
    folder.writeFile(L"Lumivex.ini", ini("waitForever"));
    RunningGame game(folder);
    ASSERT_NE(game.top(), nullptr) << game.describe();
    ASSERT_TRUE(game.reached("wait 0")) << game.describe();
    PostMessageW(game.top(), WM_SYSCOMMAND, SC_CLOSE, 0);
    GameRun run = game.finish();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    // The stop ends the wait through EXCEPTION_ENTRY and EXIT_ENTRY, and
    // shows nothing beyond the question.
    EXPECT_EQ(run.trace, "INIT (null)\nwait 0\nEXCEPTION\nEXIT\n");
    EXPECT_EQ(run.messages,
        "scenario manager\tゲームを強制終了します。よろしいですか？\t" + std::to_string(0x4 | 0x30 | 0x2000 | 0x10000)
            + "\n");
}

TEST(InputWait, TheCloseQuestionAnsweredNoKeepsPlaying)
{
    GameFolder folder;
    folder.writeFile(L"Lumivex.ini", ini("waitForever"));
    RunOptions no;
    no.answer = 7;
    RunningGame game(folder, no);
    ASSERT_NE(game.top(), nullptr) << game.describe();
    ASSERT_TRUE(game.reached("wait 0")) << game.describe();
    PostMessageW(game.top(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Sleep(500);
    PostMessageW(game.top(), WM_KEYDOWN, VK_RETURN, 0x1C0001);
    GameRun run = game.finish();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.trace, "INIT (null)\nwait 0\ncode 13\nEXIT\n");
    EXPECT_NE(run.messages.find("scenario manager"), std::string::npos);
}

TEST(InputWait, NoAbortCheckClosesWithoutAQuestion)
{
    GameFolder folder;
    folder.writeFile(L"Lumivex.ini", ini("waitForever", "[option]\r\nNoAbortCheck=1\r\n"));
    RunningGame game(folder);
    ASSERT_NE(game.top(), nullptr) << game.describe();
    ASSERT_TRUE(game.reached("wait 0")) << game.describe();
    PostMessageW(game.top(), WM_SYSCOMMAND, SC_CLOSE, 0);
    GameRun run = game.finish();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.trace, "INIT (null)\nwait 0\nEXCEPTION\nEXIT\n");
    EXPECT_EQ(run.messages, "");
}

// Closing the main window (WM_CLOSE, the menu's Exit) during a wait ends the
// run through the exception and exit entries: the wait never answers with
// an input code the player did not give.
TEST(InputWait, CloseDuringAWaitEndsTheRunWithoutAnInputCode)
{
    for (int attempt = 0; attempt < 10; ++attempt) {
        SCOPED_TRACE(attempt);
        GameFolder folder;
        folder.writeFile(L"Lumivex.ini", ini("waitForever"));
        RunningGame game(folder);
        ASSERT_NE(game.top(), nullptr) << game.describe();
        ASSERT_TRUE(game.reached("wait 0")) << game.describe();
        PostMessageW(game.top(), WM_CLOSE, 0, 0);
        GameRun run = game.finish();
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.trace, "INIT (null)\nwait 0\nEXCEPTION\nEXIT\n");
    }
}

// Resetting the scenario destroys each listed window once, whatever names
// the windows share.
TEST(WindowRequests, AResetDestroysSameNamedWindowsOnceEach)
{
    GameFolder folder;
    folder.writeFile(L"Lumivex.ini", ini("resetSameNamedWindows"));
    GameRun run = folder.run();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.trace, "INIT (null)\nmade 12\ndestroyed 2\ndestroyed 1\nreset\nEXIT\n");
    EXPECT_EQ(run.messages, "");
}

// While EXIT_ENTRY runs, keys and clicks reach neither its wait nor the
// windows of the window thread: the wait runs out.
TEST(InputWait, InputWhileExitingIsDropped)
{
    GameFolder folder;
    folder.writeFile(L"Lumivex.ini", ini("exitWaits"));
    RunningGame game(folder);
    ASSERT_NE(game.view(), nullptr) << game.describe();
    HWND farewell = game.tracedWindow("farewell");
    ASSERT_NE(farewell, nullptr);
    Sleep(300);
    PostMessageW(game.top(), WM_KEYDOWN, VK_RETURN, 0x1C0001);
    PostMessageW(game.view(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 200));
    PostMessageW(game.view(), WM_RBUTTONUP, 0, MAKELPARAM(200, 200));
    PostMessageW(farewell, WM_KEYDOWN, 'A', 0x1E0001);
    PostMessageW(farewell, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    GameRun run = game.finish();
    ASSERT_TRUE(run.finished);
    EXPECT_NE(run.trace.find("\nexit code 258\n"), std::string::npos) << run.trace;
    EXPECT_EQ(run.messages, "");
}

// The top window's focus goes on to the window the manager remembers;
// activation changes from other threads are remembered and told to the
// kind-6 windows, those from the manager's own threads are not.
TEST(InputWait, FocusAndActivationReachTheScenarioWindows)
{
    GameFolder folder;
    folder.writeFile(L"Lumivex.ini", ini("attention"));
    RunningGame game(folder);
    ASSERT_NE(game.top(), nullptr) << game.describe();
    HWND field = game.tracedWindow("field");
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(game.reached("wait 0")) << game.describe();

    PostMessageW(game.top(), WM_SETFOCUS, 0, 0);
    DWORD windowThread = GetWindowThreadProcessId(field, nullptr);
    GUITHREADINFO info {};
    info.cbSize = sizeof info;
    bool focused = false;
    for (int i = 0; i < 50 && !focused; ++i) {
        Sleep(100);
        focused = GetGUIThreadInfo(windowThread, &info) && info.hwndFocus == field;
    }
    EXPECT_TRUE(focused);

    PostMessageW(game.top(), WM_ACTIVATEAPP, FALSE, 4242);
    Sleep(300);
    PostMessageW(game.top(), WM_KEYDOWN, 'A', 0x1E0001);
    GameRun run = game.finish();
    ASSERT_TRUE(run.finished);
    for (const char* line : { "code 65 active 0", "ncactivate 0", "activated 1", "ncactivate 1", "own thread 1" })
        EXPECT_NE(("\n" + run.trace).find(std::string("\n") + line + "\n"), std::string::npos) << line << "\n"
                                                                                               << run.trace;
    EXPECT_EQ(run.messages, "");
}

// The player closes the game at random moments of the scenario's life:
// during a wait, a window request, a popup menu, between entries or inside
// EXIT_ENTRY. Every run ends within a few seconds, runs EXIT_ENTRY and
// shows nothing but the close question.
TEST(InputWait, ClosedAtRandomMomentsEveryRunEndsWithinSeconds)
{
    unsigned seed = GetTickCount();
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delays(0, 1500);
    for (int i = 0; i < 12; ++i) {
        bool ask = i % 2 == 1;
        const char* entry = i % 4 < 2 ? "restless" : "restlessThenExit";
        GameFolder folder;
        folder.writeFile(L"Lumivex.ini", ini(entry, ask ? "" : "[option]\r\nNoAbortCheck=1\r\n"));
        RunOptions yes;
        yes.answer = 6;
        RunningGame game(folder, yes);
        ASSERT_NE(game.top(), nullptr) << game.describe();
        int delay = delays(random);
        Sleep(delay);
        DWORD closed = GetTickCount();
        PostMessageW(game.top(), WM_SYSCOMMAND, SC_CLOSE, 0);
        GameRun run = game.finish(10000);
        DWORD took = GetTickCount() - closed;
        std::string where = std::string(entry) + ", closed after " + std::to_string(delay) + " ms (seed "
            + std::to_string(seed) + "):\n" + run.trace;
        ASSERT_TRUE(run.finished) << where;
        EXPECT_EQ(run.exitCode, 0u) << where;
        EXPECT_LT(took, 5000u) << where;
        EXPECT_NE(run.trace.find("EXIT\n"), std::string::npos) << where;
        const std::string& messages = run.messages;
        EXPECT_TRUE(messages.empty()
            || (ask && messages.rfind("scenario manager\t", 0) == 0 && messages.find('\n') == messages.size() - 1))
            << where << "\nmessages:\n"
            << messages;
    }
}

namespace {

// Runs the developer monitor (beside the test executable) with arguments;
// its exit code, or -1 when it did not run.
int runMonitor(const std::wstring& arguments)
{
    wchar_t self[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self, length);
    folder = folder.substr(0, folder.find_last_of(L'\\') + 1);
    std::wstring program = folder + L"lvmonitor.exe";
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    if (!CreateProcessW(
            program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

std::wstring wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

} // namespace

TEST(DeveloperMonitor, ReadsAndWritesEveryRegisterKind)
{
    GameFolder folder;
    folder.writeFile(L"Lumivex.ini", ini("monitorTarget"));
    RunningGame game(folder);
    ASSERT_NE(game.top(), nullptr) << game.describe();
    ASSERT_TRUE(game.reached("wait 0")) << game.describe();
    std::wstring gameClass = wide(testClassName());

    std::wstring dumpFile = folder.path() + L"\\dump.txt";
    ASSERT_EQ(runMonitor(gameClass + L" --dump --out \"" + dumpFile + L"\""), 0);
    std::string dump = stripped(folder.readBytes(L"dump.txt"));
    EXPECT_NE(dump.find("entry monitorTarget\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("int 3 42\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("int 15 0\n"), std::string::npos) << dump;
    EXPECT_EQ(dump.find("int 16 "), std::string::npos) << dump;
    EXPECT_NE(dump.find("system 2 0\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("string 1 hello\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("string 15 \n"), std::string::npos) << dump;
    EXPECT_EQ(dump.find("string 16 "), std::string::npos) << dump;

    EXPECT_FALSE(folder.exists(L"TestGame.system.dat"));
    ASSERT_EQ(runMonitor(gameClass + L" --set-int 3 99"), 0);
    ASSERT_EQ(runMonitor(gameClass + L" --set-string 2 world"), 0);
    ASSERT_EQ(runMonitor(gameClass + L" --set-system 1 7"), 0);
    // A system register written from the monitor is saved at once.
    EXPECT_TRUE(folder.exists(L"TestGame.system.dat"));
    // Indexes outside the files are ignored.
    ASSERT_EQ(runMonitor(gameClass + L" --set-int 99 1"), 0);

    PostMessageW(game.top(), WM_KEYDOWN, VK_SPACE, 0x390001);
    GameRun run = game.finish();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.trace, "INIT (null)\nwait 0\nafter 99 world 7\nEXIT\n");
    EXPECT_EQ(run.messages, "");

    EXPECT_EQ(runMonitor(L"NoSuchGameClass --dump"), 1);
}

// A system register the monitor writes into a file that cannot be written:
// the player's Cancel is shown, the game goes on with the new value.
TEST(DeveloperMonitor, AFailedSaveIsShownAndTheGameGoesOn)
{
    GameFolder folder;
    folder.writeFile(L"Lumivex.ini", ini("monitorTarget"));
    // A folder where the save writes its new generation.
    ASSERT_TRUE(CreateDirectoryW((folder.path() + L"\\TestGame.system.dat.new").c_str(), nullptr));
    RunOptions options;
    options.answer = IDCANCEL;
    RunningGame game(folder, options);
    ASSERT_NE(game.top(), nullptr) << game.describe();
    ASSERT_TRUE(game.reached("wait 0")) << game.describe();
    ASSERT_EQ(runMonitor(wide(testClassName()) + L" --set-system 1 7"), 0);
    PostMessageW(game.top(), WM_KEYDOWN, VK_SPACE, 0x390001);
    GameRun run = game.finish();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.trace, "INIT (null)\nwait 0\nafter 42  7\nEXIT\n");
    EXPECT_NE(run.messages.find("TestGame.system.dat.new"), std::string::npos) << run.messages;
    EXPECT_FALSE(folder.exists(L"TestGame.system.dat"));
}

// A monitor that has stopped answering cannot hold up the end of a run: the
// game tells it that it detaches without waiting for it.
TEST(DeveloperMonitor, AHungMonitorDoesNotHangTheExit)
{
    GameFolder folder;
    folder.writeFile(L"Lumivex.ini", ini("monitorTarget"));
    RunningGame game(folder);
    ASSERT_NE(game.top(), nullptr) << game.describe();
    ASSERT_TRUE(game.reached("wait 0")) << game.describe();

    // The monitor's window lives on a thread that never reads a message again.
    struct Hung {
        HWND window = nullptr;
        HANDLE made = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        static DWORD WINAPI run(void* context)
        {
            auto* self = static_cast<Hung*>(context);
            self->window
                = CreateWindowExW(0, L"STATIC", L"hung monitor", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
            SetEvent(self->made);
            WaitForSingleObject(self->release, INFINITE);
            DestroyWindow(self->window);
            return 0;
        }
    } hung;
    HANDLE thread = CreateThread(nullptr, 0, &Hung::run, &hung, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(hung.made, INFINITE);
    ASSERT_NE(hung.window, nullptr);
    ASSERT_NE(SendMessageW(game.top(), FCOasys::kMonitorAttach, reinterpret_cast<WPARAM>(hung.window), 0), 0);

    PostMessageW(game.top(), WM_KEYDOWN, VK_SPACE, 0x390001);
    GameRun run = game.finish(15000);
    SetEvent(hung.release);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CloseHandle(hung.made);
    CloseHandle(hung.release);
    ASSERT_TRUE(run.finished) << "the game waited for the monitor";
    EXPECT_EQ(run.exitCode, 0u);
}

TEST(WindowRequests, TheWindowThreadMakesListsAndDestroysWindowsAndShowsMenus)
{
    GameFolder folder;
    folder.writeFile(L"Lumivex.ini", ini("windowRequests"));
    RunningGame game(folder);
    ASSERT_NE(game.top(), nullptr) << game.describe();
    ASSERT_TRUE(game.reached("popup")) << game.describe();
    // The player picks the first item with the keyboard.
    HWND menu = nullptr;
    for (int i = 0; i < 50 && !menu; ++i) {
        menu = FindWindowW(L"#32768", nullptr);
        if (!menu)
            Sleep(100);
    }
    ASSERT_NE(menu, nullptr);
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0x500001);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0x1C0001);
    GameRun run = game.finish();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.trace,
        "INIT (null)\npanel 10,20 100x50 kind 4 in view\nunknown null\ndestroyed yes\npopup\nmenu 301\nEXIT\n");
    EXPECT_EQ(run.messages, "");
}
