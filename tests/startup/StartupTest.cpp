#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "foundation/TextCodePage.h"
#include "startup/UxMessageTable.h"
#include "startup/UxOsVersion.h"
#include "support/GameFolder.h"
#include "support/RunningGame_win32.h"
#include "support/WindowTestSupport_win32.h"

// The real executable started from a game folder, its settings read back
// through the test module's "probe" entry, which reports one fact a line.
namespace {

std::string ini(const std::string& setting, const std::string& extra = "", const char* entry = "probe")
{
    return "[setting]\r\nCLASS=" + testClassName() + "\r\nTITLE=Lumivex Test\r\n" + setting
        + "[release]\r\nscenario=story.dll\r\nentry=" + entry + "\r\n" + extra;
}

// The probe's lines as name -> value.
std::map<std::string, std::string> facts(const std::string& trace)
{
    std::map<std::string, std::string> out;
    size_t start = 0;
    while (start < trace.size()) {
        size_t end = trace.find('\n', start);
        std::string line = trace.substr(start, end == std::string::npos ? std::string::npos : end - start);
        size_t space = line.find(' ');
        if (space != std::string::npos)
            out[line.substr(0, space)] = line.substr(space + 1);
        else
            out[line] = "";
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return out;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        out.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return out;
}

// The catalogue the game ships, as the host reads it, for expected texts.
class Catalogue {
public:
    explicit Catalogue(const GameFolder& game)
    {
        m_codePage = textCodePage();
        setTextCodePage(932);
        std::string path = fromWide((game.path() + L"\\Lumivex.JP").c_str());
        m_table.load(path.c_str());
    }
    ~Catalogue() { setTextCodePage(m_codePage); }
    std::string message(int id, std::initializer_list<const char*> arguments) const
    {
        return toUtf8(m_table.message(id, arguments).text());
    }
    std::string text(int id) const { return toUtf8(m_table.text(id).text()); }

private:
    UxMessageTable m_table;
    unsigned m_codePage;
};

std::string roamingAppData()
{
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
    std::wstring wide(path);
    return std::string(wide.begin(), wide.end()) + "\\";
}

constexpr unsigned kBoxStyle = 0x2000 | 0x10000; // task modal, set to the foreground

// One message box as the message log writes it.
// (The log is read without carriage returns.)
std::string box(const std::string& caption, const std::string& text, unsigned style)
{
    std::string line = caption + "\t" + text + "\t" + std::to_string(style) + "\n";
    line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
    return line;
}

} // namespace

TEST(Startup, WithoutAnIniEveryKeyTakesItsDefault)
{
    GameFolder game;
    game.removeFile(L"Lumivex.ini");
    GameRun run = game.run();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.trace, "");
    // The default scenario module "hoge" is not there.
    EXPECT_EQ(run.messages, "FCString class\thogeがロードできません\t73728\n");

    // Only the scenario keys given: everything else as the defaults say.
    game.writeFile(L"Lumivex.ini", "[release]\r\nscenario=story.dll\r\nentry=probe\r\n");
    run = game.run();
    ASSERT_TRUE(run.finished);
    auto probe = facts(run.trace);
    EXPECT_EQ(probe["title"], "Lumivex");
    EXPECT_EQ(probe["class"], "Lumivex.wndclass");
    EXPECT_EQ(probe["visible"], "1");
    EXPECT_EQ(probe["menu"], "ゲーム(&G)");
    EXPECT_EQ(probe["codepage"], "932");
    EXPECT_EQ(probe["language"], "JP lang_jp.dll");
    EXPECT_EQ(probe["version"], "");
    EXPECT_EQ(probe["view"], "800x600");
    EXPECT_EQ(probe["client"], "800x600");
    // Input-method mode 2 and the system's version bit (Wine reports a
    // system from Windows 7 on).
    EXPECT_EQ(probe["flags"], "0x00202000");
}

TEST(Startup, LanguageSettingChoosesCodePageModuleAndCatalogue)
{
    struct Case {
        const char* i18n;
        const char* language;
        const char* codePage;
        const char* menu;
        bool catalogue;
    };
    const Case cases[] = {
        { "EN", "EN lang_en.dll", "1252", "&Game", true },
        { "FR", "FR lang_jp.dll", "932", "ゲーム(&G)", false },
        { "en, lang_jp.dll", "EN lang_jp.dll", "1252", "ゲーム(&G)", true },
    };
    for (const Case& each : cases) {
        GameFolder game;
        game.writeFile(L"Lumivex.ini", ini(std::string("I18N=") + each.i18n + "\r\n"));
        GameRun run = game.run();
        ASSERT_TRUE(run.finished) << each.i18n;
        auto probe = facts(run.trace);
        EXPECT_EQ(probe["language"], each.language) << each.i18n;
        EXPECT_EQ(probe["codepage"], each.codePage) << each.i18n;
        EXPECT_EQ(probe["menu"], each.menu) << each.i18n;
        // "Lumivex.FR" does not exist: every message is empty.
        EXPECT_EQ(probe["message26"].empty(), !each.catalogue) << each.i18n;
    }
}

TEST(Startup, MissingCatalogueLeavesMessagesEmpty)
{
    GameFolder game;
    game.removeFile(L"Lumivex.JP");
    game.writeFile(L"Lumivex.ini", ini(""));
    GameRun run = game.run();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(facts(run.trace)["message26"], "");
    EXPECT_EQ(facts(run.trace)["title"], "Lumivex Test");
}

TEST(Startup, VersionLineAndFlagKeys)
{
    struct Case {
        std::string keys;
        const char* fact;
        const char* expected;
    };
    const Case cases[] = {
        { "[copyright]\r\nVERSION=1.5.beta\r\n", "version", "ver.1.05 rev.beta" },
        { "[copyright]\r\nVERSION=2.100.7\r\n", "version", "ver.2.100 rev.7" },
        // FLAGS bit 1 gives recmax (bit 9), bit 4 NoAbortCheck (bit 23).
        { "[option]\r\nFLAGS=0x12\r\n", "flags", "0x00A02200" },
        { "[option]\r\nFLAGS=0x12\r\nrecmax=0\r\nNoAbortCheck=7\r\n", "flags", "0x00A02000" },
        { "[option]\r\nrecmax=1\r\nNoAbortCheck=1\r\n", "flags", "0x00A02200" },
        { "[option]\r\nresizeMode=18\r\nresize=1\r\n", "flags", "0x0022A000" },
        { "[option]\r\nresizeMode=-3\r\n", "flags", "0x00202000" },
    };
    for (const Case& each : cases) {
        GameFolder game;
        game.writeFile(L"Lumivex.ini", ini("", each.keys));
        GameRun run = game.run();
        ASSERT_TRUE(run.finished) << each.keys;
        EXPECT_EQ(facts(run.trace)[each.fact], each.expected) << each.keys;
    }
}

TEST(Startup, LayoutEditorModeFromTheCommandLine)
{
    GameFolder game;
    CreateDirectoryW((game.path() + L"\\user").c_str(), nullptr);
    // The layout editor's own configuration: a 4:3 screen of the view width.
    game.writeFile(L"user\\config.layouter.rnf", "SAR=4:3\r\n");
    game.writeFile(L"user\\config.rnf", "SAR=16:9\r\n");
    game.writeFile(L"Lumivex.ini", ini("W_VIEW=1000\r\nH_VIEW=500\r\nUSER_FOLDER=user\r\n", "", "first"));
    RunOptions options;
    options.arguments = L"/E 2";
    GameRun run = game.run(options);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    auto probe = facts(run.trace);
    // Editor mode starts at "layouter", whatever the ini's entry says.
    EXPECT_EQ(lines(run.trace)[1], "layouter");
    EXPECT_EQ(probe["title"], "LAYOUT EDITOR");
    EXPECT_EQ(probe["class"], testClassName() + "EDIT.wndclass");
    EXPECT_EQ(probe["view"], "1000x750");
    EXPECT_EQ(probe["flags"], "0x00202002");
}

TEST(Startup, UserFolderFromTheCommandLineAndExpanded)
{
    GameFolder game;
    game.writeFile(L"Lumivex.ini", ini("USER_FOLDER=fromini\r\n", "", "first"));
    RunOptions options;
    options.arguments = L"/U fromcommand";
    GameRun run = game.run(options);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(lines(run.trace)[0], "INIT fromcommand");
    EXPECT_TRUE(game.exists(L"fromcommand"));
    EXPECT_FALSE(game.exists(L"fromini"));

    std::string folder = "LumivexStartupTest" + std::to_string(GetCurrentProcessId());
    game.writeFile(L"Lumivex.ini", ini("USER_FOLDER=%AppData%" + folder + "\r\nQUIET=1\r\n", "", "first"));
    game.removeFile(L"trace.txt");
    run = game.run();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(lines(run.trace)[0], "INIT " + roamingAppData() + folder);
    std::string madeFolder = roamingAppData() + folder;
    std::wstring made(madeFolder.begin(), madeFolder.end());
    EXPECT_TRUE(RemoveDirectoryW(made.c_str()));
}

TEST(Startup, AUserFolderThatCannotBeMadeEndsStartUp)
{
    GameFolder game;
    Catalogue catalogue(game);
    game.writeFile(L"blocker", "a file where the folder's parent should be");
    game.writeFile(L"Lumivex.ini", ini("USER_FOLDER=blocker\\save\r\n"));
    GameRun run = game.run();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.trace, "");
    // Asked, agreed (the log presses the first button), failed, told why.
    EXPECT_EQ(run.messages,
        box("Lumivex", "blocker\\save" + catalogue.text(42), 4 | kBoxStyle)
            + box("Lumivex", catalogue.message(43, { "blocker\\save", "Lumivex" }), kBoxStyle)
            + box("Lumivex UAC Manager", catalogue.message(101, { "blocker\\save" }), kBoxStyle));

    // Refusing the question ends start-up at once.
    game.removeFile(L"messages.txt");
    RunOptions refuse;
    refuse.answer = 7; // No
    run = game.run(refuse);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.messages,
        box("Lumivex", "blocker\\save" + catalogue.text(42), 4 | kBoxStyle)
            + box("Lumivex UAC Manager", catalogue.message(101, { "blocker\\save" }), kBoxStyle));

    // A quiet start asks nothing.
    game.removeFile(L"messages.txt");
    game.writeFile(L"Lumivex.ini", ini("USER_FOLDER=blocker\\save\r\nQUIET=1\r\n"));
    run = game.run();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.messages,
        box("Lumivex", catalogue.message(43, { "blocker\\save", "Lumivex" }), kBoxStyle)
            + box("Lumivex UAC Manager", catalogue.message(101, { "blocker\\save" }), kBoxStyle));
}

TEST(Startup, AFolderThatCannotBeWrittenAsksForTheHelper)
{
    GameFolder game;
    Catalogue catalogue(game);
    CreateDirectoryW((game.path() + L"\\user").c_str(), nullptr);
    // A folder in the system data file's place cannot be opened for writing.
    std::string systemData = "user\\" + testClassName() + ".system.dat";
    CreateDirectoryW((game.path() + L"\\" + std::wstring(systemData.begin(), systemData.end())).c_str(), nullptr);
    game.writeFile(L"Lumivex.ini", ini("USER_FOLDER=user\r\n"));
    RunOptions refuse;
    refuse.answer = 7; // No: do not try to start the helper again
    GameRun run = game.run(refuse);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.trace, "");
    FCString systemName = UxOsVersion::current().systemName();
    EXPECT_EQ(run.messages,
        box("Lumivex UAC Manager", catalogue.message(72, { systemName.text() }), kBoxStyle)
            + box("Lumivex UAC Manager", catalogue.message(73, { "Lumivex.exe" }), kBoxStyle)
            + box("Lumivex UAC Manager", catalogue.message(74, { "Lumivex.exe" }), 4 | kBoxStyle)
            + box("Lumivex UAC Manager", catalogue.message(101, { "user" }), kBoxStyle));
    EXPECT_FALSE(game.exists(L"user\\__dummy.write.check__"));
}

TEST(Startup, ANormalEndLeavesOnlyTheGamesFiles)
{
    GameFolder game;
    CreateDirectoryW((game.path() + L"\\user").c_str(), nullptr);
    game.writeFile(L"user\\config.rnf", "NEW_SAR=1\r\nsw=1024\r\nsh=768\r\nSAR=4:3\r\nkeep=this\r\n");
    game.writeFile(L"Lumivex.ini", ini("USER_FOLDER=user\r\nW_VIEW=640\r\nH_VIEW=400\r\n", "", "first"));
    std::string before = game.listing();
    GameRun run = game.run();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.trace, "INIT user\nfirst\nsecond\nEXIT\n");
    EXPECT_EQ(run.messages, "");
    // Only the test module's trace is new.
    std::vector<std::string> was = lines(before);
    std::vector<std::string> now = lines(game.listing());
    std::vector<std::string> added;
    std::set_difference(now.begin(), now.end(), was.begin(), was.end(), std::back_inserter(added));
    EXPECT_EQ(added, std::vector<std::string> { "trace.txt" });
    EXPECT_EQ(now.size(), was.size() + 1);
    EXPECT_FALSE(game.exists(L"user\\__dummy.write.check__"));
    std::string systemData = "user\\" + testClassName() + ".system.dat";
    EXPECT_FALSE(game.exists(std::wstring(systemData.begin(), systemData.end())));
    // A new screen aspect drops the old window size from the file.
    std::string config = game.readBytes(L"user\\config.rnf");
    EXPECT_EQ(config.find("NEW_SAR"), std::string::npos) << config;
    EXPECT_EQ(config.find("sw="), std::string::npos) << config;
    EXPECT_NE(config.find("SAR=4:3"), std::string::npos) << config;
    EXPECT_NE(config.find("keep=this"), std::string::npos) << config;
}

namespace {

// Stands in for a running copy of the game: the instance event and a window
// of the game's class and title that records what it is sent.
class RunningCopy {
public:
    RunningCopy()
    {
        std::string name = testClassName();
        std::wstring eventName(name.begin(), name.end());
        std::wstring className = eventName + L".wndclass";
        m_event = CreateEventW(nullptr, TRUE, TRUE, eventName.c_str());
        WNDCLASSW record = {};
        record.lpfnWndProc = &RunningCopy::procedure;
        record.hInstance = GetModuleHandleW(nullptr);
        record.lpszClassName = className.c_str();
        RegisterClassW(&record);
        m_window = CreateWindowExW(0, className.c_str(), L"Lumivex Test", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
            nullptr, GetModuleHandleW(nullptr), nullptr);
        s_received.clear();
    }
    ~RunningCopy()
    {
        DestroyWindow(m_window);
        CloseHandle(m_event);
    }
    static std::vector<std::pair<UINT, WPARAM>> s_received;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message >= 0x8000 && message < 0xC000)
            s_received.emplace_back(message, wParam);
        return DefWindowProcW(window, message, wParam, lParam);
    }
    HANDLE m_event;
    HWND m_window;
};
std::vector<std::pair<UINT, WPARAM>> RunningCopy::s_received;

} // namespace

TEST(Startup, ASecondCopyHandsOverAndEnds)
{
    GameFolder game;
    game.writeFile(L"Lumivex.ini", ini("", "", "first"));
    RunningCopy first;

    RunOptions plain;
    GameRun run = game.run(plain);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.trace, "");
    pumpMessages();
    EXPECT_TRUE(RunningCopy::s_received.empty());

    RunOptions sceneJump;
    sceneJump.arguments = L"/P 1";
    run = game.run(sceneJump);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.trace, "");
    pumpMessages();
    ASSERT_EQ(RunningCopy::s_received.size(), 1u);
    EXPECT_EQ(RunningCopy::s_received[0].first, 0x8006u);
    EXPECT_EQ(RunningCopy::s_received[0].second, 256u);
}

TEST(Startup, TheRunningCopyTakesTheSceneFromTheClipboard)
{
    GameFolder game;
    game.writeFile(L"Lumivex.ini", ini("", "", "linger"));
    RunningGame first(game);
    ASSERT_NE(first.top(), nullptr);
    // The editor leaves the scene's name on the clipboard, then starts a copy.
    UINT format = RegisterClipboardFormatW(L"CorvaneSceneName");
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, 8);
    memcpy(GlobalLock(data), "scene01", 8);
    GlobalUnlock(data);
    SetClipboardData(format, data);
    CloseClipboard();

    GameFolder second;
    second.writeFile(L"Lumivex.ini", ini("", "", "first"));
    RunOptions sceneJump;
    sceneJump.arguments = L"/P 3";
    GameRun secondRun = second.run(sceneJump);
    EXPECT_TRUE(secondRun.finished);
    EXPECT_EQ(secondRun.exitCode, 0u);
    EXPECT_EQ(secondRun.trace, "");

    Sleep(500);
    game.writeFile(L"stop.txt", "");
    GameRun run = first.finish();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.trace, "INIT (null)\nlinger\nscene scene01\nEXIT\n");
}

// The menu as the player sees it: the developer sizes, with their submenu,
// only with "WINCNF"; its commands size the window, show the information
// dialog and end the game through the close path.
TEST(Startup, MainWindowMenuAndItsCommands)
{
    const std::string sizes = "40009,40010,40011,40012";
    const struct {
        const char* setting;
        std::string menus;
    } menus[] = {
        { "", "(40002,0,40001),(" + sizes + ")" },
        { "WINCNF=1\r\n", "(40002,0,40001),(" + sizes + ",(40013,40014,40015,40016,40017,40018,40019,40020,40021))" },
    };
    for (const auto& each : menus) {
        GameFolder game;
        game.writeFile(L"Lumivex.ini", ini(each.setting));
        GameRun run = game.run(RunOptions());
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(facts(run.trace)["menus"], each.menus) << each.setting;
    }

    GameFolder game;
    game.writeFile(L"Lumivex.ini", ini("", "", "waitForever"));
    RunningGame running(game);
    ASSERT_NE(running.top(), nullptr) << running.describe();
    ASSERT_TRUE(running.reached("wait 0")) << running.describe();
    const struct {
        WPARAM command;
        LONG width, height;
    } commands[] = { { 40011, 400, 300 }, { 40012, 200, 150 }, { 40009, 800, 600 } };
    for (const auto& each : commands) {
        SendMessageW(running.top(), WM_COMMAND, each.command, 0);
        RECT client {};
        GetClientRect(running.top(), &client);
        EXPECT_EQ(client.right, each.width) << each.command;
        EXPECT_EQ(client.bottom, each.height) << each.command;
    }
    SendMessageW(running.top(), WM_COMMAND, 40002, 0);
    SendMessageW(running.top(), WM_COMMAND, 40001, 0);
    GameRun run = running.finish();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.trace, "INIT (null)\nwait 0\nEXCEPTION\nEXIT\n");
    EXPECT_NE(run.messages.find("dialog\t"), std::string::npos) << run.messages;
    EXPECT_NE(run.messages.find("\t200\n"), std::string::npos) << run.messages;
}

// Each input-method mode as the game's windows have it: 0 takes the context
// from the game window, 1 from the window and its view, 2 and 3 leave both.
TEST(Startup, InputMethodModes)
{
    const struct {
        const char* mode;
        const char* contexts;
    } modes[] = { { "0", "01" }, { "1", "00" }, { "2", "11" }, { "3", "11" } };
    for (const auto& each : modes) {
        GameFolder game;
        game.writeFile(L"Lumivex.ini", ini("", std::string("[option]\r\nIMECtrl=") + each.mode + "\r\n"));
        GameRun run = game.run(RunOptions());
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(facts(run.trace)["ime"], each.contexts) << "IMECtrl=" << each.mode;
    }
}
