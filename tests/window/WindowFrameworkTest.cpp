#include <gtest/gtest.h>

#include <windows.h>

#include <mmsystem.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "foundation/Diagnostic.h"
#include "foundation/FCXList.h"
#include "foundation/TextCodePage.h"
#include "support/ContractLayout.h"
#include "support/MessageBoxRecorder.h"
#include "support/TestFiles_win32.h"
#include "support/WindowTestSupport_win32.h"
#include "window/FCCaret.h"
#include "window/FCChildWindow.h"
#include "window/FCCursor.h"
#include "window/FCDropFiles.h"
#include "window/FCTickTimer.h"
#include "window/FCWindow.h"

// Scenario modules read the members of the window classes directly: their
// 32-bit offsets and sizes are checked as this file compiles.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
LUMIVEX_MEMBER_AT(FCVWin, handle, 4);
LUMIVEX_MEMBER_AT(FCVWin, name, 8);
LUMIVEX_SIZE_IS(FCVWin, 20);
LUMIVEX_MEMBER_AT(FCWindow, parent, 20);
LUMIVEX_MEMBER_AT(FCWindow, cursor, 40);
LUMIVEX_MEMBER_AT(FCWindow, cursorName, 52);
LUMIVEX_MEMBER_AT(FCWindow, reserved, 64);
LUMIVEX_SIZE_IS(FCWindow, 68);
static_assert(ascending({ offsetof(FCWindow, handle), offsetof(FCWindow, name), offsetof(FCWindow, parent),
    offsetof(FCWindow, cursor), offsetof(FCWindow, cursorName), offsetof(FCWindow, reserved) }));
LUMIVEX_MEMBER_AT(FCChildWindow, childRect, 68);
LUMIVEX_SIZE_IS(FCChildWindow, 88); // FCRect carries its own table pointer
static_assert(offsetof(FCChildWindow, childRect) == sizeof(FCWindow));
LUMIVEX_MEMBER_AT(FCCursor, fromFile, 4);
LUMIVEX_MEMBER_AT(FCCursor, handle, 8);
LUMIVEX_SIZE_IS(FCCursor, 12);
LUMIVEX_MEMBER_AT(FCCaret, owner, 4);
LUMIVEX_MEMBER_AT(FCCaret, width, 8);
LUMIVEX_MEMBER_AT(FCCaret, height, 12);
LUMIVEX_MEMBER_AT(FCCaret, savedBlinkTime, 16);
LUMIVEX_MEMBER_AT(FCCaret, position, 20);
LUMIVEX_SIZE_IS(FCCaret, 32); // so does FCPoint
static_assert(ascending({ offsetof(FCCaret, owner), offsetof(FCCaret, width), offsetof(FCCaret, height),
    offsetof(FCCaret, savedBlinkTime), offsetof(FCCaret, position) }));
LUMIVEX_MEMBER_AT(FCDropFiles, drop, 4);
LUMIVEX_MEMBER_AT(FCDropFiles, count, 8);
LUMIVEX_MEMBER_AT(FCDropFiles, nextIndex, 12);
LUMIVEX_MEMBER_AT(FCDropFiles, fileName, 16);
LUMIVEX_MEMBER_AT(FCDropFiles, x, 316);
LUMIVEX_MEMBER_AT(FCDropFiles, y, 320);
LUMIVEX_SIZE_IS(FCDropFiles, 324);
static_assert(ascending({ offsetof(FCDropFiles, drop), offsetof(FCDropFiles, count), offsetof(FCDropFiles, nextIndex),
    offsetof(FCDropFiles, fileName), offsetof(FCDropFiles, x), offsetof(FCDropFiles, y) }));
LUMIVEX_MEMBER_AT(FCTickTimer, start, 4);
LUMIVEX_MEMBER_AT(FCTickTimer, last, 8);
LUMIVEX_SIZE_IS(FCTickTimer, 12);
#pragma GCC diagnostic pop

namespace {

// The per-message handlers of slots 45 to 97 with their messages.
#define LUMIVEX_PER_MESSAGE_SLOTS(X)                                                                                   \
    X(onTimer, WM_TIMER, 45)                                                                                           \
    X(onQueryEndSession, WM_QUERYENDSESSION, 46)                                                                       \
    X(onEndSession, WM_ENDSESSION, 47)                                                                                 \
    X(onCommand, WM_COMMAND, 48)                                                                                       \
    X(onNotify, WM_NOTIFY, 49)                                                                                         \
    X(onParentNotify, WM_PARENTNOTIFY, 50)                                                                             \
    X(onSysCommand, WM_SYSCOMMAND, 51)                                                                                 \
    X(onDisplayChange, WM_DISPLAYCHANGE, 52)                                                                           \
    X(onLButtonDblClk, WM_LBUTTONDBLCLK, 53)                                                                           \
    X(onLButtonDown, WM_LBUTTONDOWN, 54)                                                                               \
    X(onLButtonUp, WM_LBUTTONUP, 55)                                                                                   \
    X(onRButtonDblClk, WM_RBUTTONDBLCLK, 56)                                                                           \
    X(onRButtonDown, WM_RBUTTONDOWN, 57)                                                                               \
    X(onRButtonUp, WM_RBUTTONUP, 58)                                                                                   \
    X(onMButtonDown, WM_MBUTTONDOWN, 59)                                                                               \
    X(onMButtonUp, WM_MBUTTONUP, 60)                                                                                   \
    X(onMouseMove, WM_MOUSEMOVE, 61)                                                                                   \
    X(onDropFiles, WM_DROPFILES, 62)                                                                                   \
    X(onSetCursor, WM_SETCURSOR, 63)                                                                                   \
    X(onChar, WM_CHAR, 64)                                                                                             \
    X(onKeyDown, WM_KEYDOWN, 65)                                                                                       \
    X(onKeyUp, WM_KEYUP, 66)                                                                                           \
    X(onSysChar, WM_SYSCHAR, 67)                                                                                       \
    X(onSysKeyDown, WM_SYSKEYDOWN, 68)                                                                                 \
    X(onSysKeyUp, WM_SYSKEYUP, 69)                                                                                     \
    X(onQueryOpen, WM_QUERYOPEN, 70)                                                                                   \
    X(onSize, WM_SIZE, 71)                                                                                             \
    X(onSizing, WM_SIZING, 72)                                                                                         \
    X(onGetMinMaxInfo, WM_GETMINMAXINFO, 73)                                                                           \
    X(onMove, WM_MOVE, 74)                                                                                             \
    X(onMoving, WM_MOVING, 75)                                                                                         \
    X(onWindowPosChanged, WM_WINDOWPOSCHANGED, 76)                                                                     \
    X(onWindowPosChanging, WM_WINDOWPOSCHANGING, 77)                                                                   \
    X(onEnterSizeMove, WM_ENTERSIZEMOVE, 78)                                                                           \
    X(onExitSizeMove, WM_EXITSIZEMOVE, 79)                                                                             \
    X(onInitMenuPopup, WM_INITMENUPOPUP, 80)                                                                           \
    X(onContextMenu, WM_CONTEXTMENU, 81)                                                                               \
    X(onActivateApp, WM_ACTIVATEAPP, 82)                                                                               \
    X(onActivate, WM_ACTIVATE, 83)                                                                                     \
    X(onSetFocus, WM_SETFOCUS, 84)                                                                                     \
    X(onKillFocus, WM_KILLFOCUS, 85)                                                                                   \
    X(onHScroll, WM_HSCROLL, 86)                                                                                       \
    X(onVScroll, WM_VSCROLL, 87)                                                                                       \
    X(onPaletteChanged, WM_PALETTECHANGED, 88)                                                                         \
    X(onQueryNewPalette, WM_QUERYNEWPALETTE, 89)                                                                       \
    X(onSysColorChange, WM_SYSCOLORCHANGE, 90)                                                                         \
    X(onNcActivate, WM_NCACTIVATE, 91)                                                                                 \
    X(onNcHitTest, WM_NCHITTEST, 92)                                                                                   \
    X(onImeChar, WM_IME_CHAR, 93)                                                                                      \
    X(onCopyData, WM_COPYDATA, 94)                                                                                     \
    X(onMciNotify, MM_MCINOTIFY, 95)                                                                                   \
    X(onEraseBkgnd, WM_ERASEBKGND, 96)                                                                                 \
    X(onDeviceChange, WM_DEVICECHANGE, 97)

// A window that writes down every handler call while recording is on.
// Moves the pointer to the screen's far corner, away from the test windows,
// and lets the messages its move caused arrive: an earlier test (a real
// click) may have left it over the place where the next window opens.
void keepPointerAway()
{
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    for (int i = 0; i < 5; ++i) {
        Sleep(20);
        pumpMessages();
    }
}

class RecordingWindow : public FCWindow {
public:
    struct Call {
        std::string slot;
        uint32_t message;
        FCWParam wParam;
    };

    explicit RecordingWindow(FCWindowHandle parentWindow = nullptr)
        : FCWindow(parentWindow)
    {
    }
    ~RecordingWindow() override { recording = false; }

    const char* className() override { return "LumivexRecordingWindow"; }
    uint32_t style() override { return WS_OVERLAPPEDWINDOW; }
    int32_t initialWidth() override { return 320; }
    int32_t initialHeight() override { return 240; }
    int32_t showOnCreate() override { return 1; }

    int32_t onClose() override
    {
        note("onClose", WM_CLOSE, 0);
        return allowClose;
    }
    FCLResult defaultProc(uint32_t message, FCWParam wParam, FCLParam lParam) override
    {
        if (message >= 0xC000)
            note("defaultProc", message, wParam);
        return FCWindow::defaultProc(message, wParam, lParam);
    }
    void onBeginPaint() override { note("onBeginPaint", WM_PAINT, 0); }
    void onPaint(tagPAINTSTRUCT* paint) override { note(paint ? "onPaint" : "onPaint(null)", WM_PAINT, 0); }
    void onEndPaint() override { note("onEndPaint", WM_PAINT, 0); }
    FCLResult onUserMessage(uint32_t message, FCWParam wParam, FCLParam) override
    {
        note("onUserMessage", message, wParam);
        return 77;
    }
    FCLResult onAppMessage(uint32_t message, FCWParam wParam, FCLParam) override
    {
        note("onAppMessage", message, wParam);
        return 78;
    }
    FCLResult onDestroy(FCWParam wParam, FCLParam lParam) override
    {
        handleAtDestroy = handle;
        note("onDestroy", WM_DESTROY, 0);
        return FCWindow::onDestroy(wParam, lParam);
    }
    FCLResult onCreate(FCWindowHandle window, tagCREATESTRUCTW* create) override
    {
        createArgument = window;
        handleAtCreate = handle;
        createStructGiven = create != nullptr;
        return 0;
    }
    void onCreated() override { ++createdCalls; }

#define LUMIVEX_RECORD_SLOT(slot, message, number)                                                                     \
    FCLResult slot(FCWParam wParam, FCLParam lParam) override                                                          \
    {                                                                                                                  \
        if (!recording)                                                                                                \
            return FCWindow::slot(wParam, lParam);                                                                     \
        note(#slot, message, wParam);                                                                                  \
        return 100 + number;                                                                                           \
    }
    LUMIVEX_PER_MESSAGE_SLOTS(LUMIVEX_RECORD_SLOT)
#undef LUMIVEX_RECORD_SLOT

    void note(const char* slot, uint32_t message, FCWParam wParam)
    {
        if (recording)
            calls.push_back({ slot, message, wParam });
    }

    std::vector<std::string> slots() const
    {
        std::vector<std::string> names;
        for (const Call& call : calls)
            names.push_back(call.slot);
        return names;
    }

    bool recording = false;
    int32_t allowClose = 1;
    std::vector<Call> calls;
    FCWindowHandle createArgument = nullptr;
    FCWindowHandle handleAtCreate = reinterpret_cast<FCWindowHandle>(1);
    FCWindowHandle handleAtDestroy = nullptr;
    bool createStructGiven = false;
    int createdCalls = 0;
};

HWND hwndOf(const FCVWin& window)
{
    return reinterpret_cast<HWND>(window.handle);
}

} // namespace

TEST(WindowFramework, SlotsLieInTheirContractOrder)
{
    using Rect5 = int32_t (FCVWin::*)(int32_t, int32_t, int32_t, int32_t, int32_t);
    using RectPointer = int32_t (FCVWin::*)(const tagRECT*, int32_t);
    EXPECT_EQ(slotOf(&FCVWin::kind), 1);
    EXPECT_EQ(slotOf(&FCVWin::resize), 2);
    EXPECT_EQ(slotOf(static_cast<Rect5>(&FCVWin::redraw)), 3);
    EXPECT_EQ(slotOf(static_cast<RectPointer>(&FCVWin::redraw)), 4);
    EXPECT_EQ(slotOf(&FCVWin::update), 5);
    EXPECT_EQ(slotOf(static_cast<Rect5>(&FCVWin::invalidate)), 6);
    EXPECT_EQ(slotOf(static_cast<RectPointer>(&FCVWin::invalidate)), 7);
    struct Expected {
        int slot;
        int expected;
    };
    const Expected window[] = { { slotOf(&FCWindow::createWithClass), 8 }, { slotOf(&FCWindow::create), 9 },
        { slotOf(&FCWindow::createEx), 10 }, { slotOf(&FCWindow::adoptCursor), 11 },
        { slotOf(&FCWindow::selectCursor), 12 }, { slotOf(&FCWindow::windowProc), 13 },
        { slotOf(&FCWindow::classStyle), 14 }, { slotOf(&FCWindow::classSmallIcon), 22 },
        { slotOf(&FCWindow::windowTitle), 24 }, { slotOf(&FCWindow::parentHandle), 30 },
        { slotOf(&FCWindow::loadMenuByName), 32 }, { slotOf(&FCWindow::onCreated), 35 },
        { slotOf(&FCWindow::onClose), 36 }, { slotOf(&FCWindow::defaultProc), 37 }, { slotOf(&FCWindow::onPaint), 39 },
        { slotOf(&FCWindow::onUserMessage), 41 }, { slotOf(&FCWindow::onAppMessage), 42 },
        { slotOf(&FCWindow::onDestroy), 43 }, { slotOf(&FCWindow::onCreate), 44 },
#define LUMIVEX_EXPECT_SLOT(slot, message, number) { slotOf(&FCWindow::slot), number },
        LUMIVEX_PER_MESSAGE_SLOTS(LUMIVEX_EXPECT_SLOT)
#undef LUMIVEX_EXPECT_SLOT
    };
    for (const Expected& each : window)
        EXPECT_EQ(each.slot, each.expected);
}

TEST(WindowFramework, KindsAndChildGeometry)
{
    FCVWin plain;
    FCWindow window;
    EXPECT_EQ(plain.kind(), 1);
    EXPECT_EQ(window.kind(), 2);

    RecordingWindow parentWindow;
    ASSERT_EQ(parentWindow.create(), 1);
    FCChildWindow child(parentWindow.handle, 10, 20, 100, 50);
    EXPECT_EQ(child.kind(), 4);
    ASSERT_EQ(child.create(), 1);
    EXPECT_EQ(GetParent(hwndOf(child)), hwndOf(parentWindow));
    EXPECT_TRUE(GetWindowLongW(hwndOf(child), GWL_STYLE) & WS_CHILD);
    RECT placed;
    GetWindowRect(hwndOf(child), &placed);
    MapWindowPoints(nullptr, hwndOf(parentWindow), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 10);
    EXPECT_EQ(placed.top, 20);
    EXPECT_EQ(placed.right - placed.left, 100);
    EXPECT_EQ(placed.bottom - placed.top, 50);
    EXPECT_EQ(GetClassLongW(hwndOf(child), GCL_STYLE), static_cast<DWORD>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS));
}

TEST(WindowFramework, CreationAsksTheObjectAndBindsIt)
{
    RecordingWindow window;
    EXPECT_EQ(window.handle, nullptr);
    ASSERT_EQ(window.create(), 1);
    EXPECT_TRUE(IsWindow(hwndOf(window)));
    // onCreate ran before the member was set and got the handle as argument.
    EXPECT_EQ(window.handleAtCreate, nullptr);
    EXPECT_EQ(window.createArgument, window.handle);
    EXPECT_TRUE(window.createStructGiven);
    EXPECT_EQ(window.createdCalls, 1);
    EXPECT_TRUE(IsWindowVisible(hwndOf(window)));
    wchar_t title[64] = {};
    GetWindowTextW(hwndOf(window), title, 64);
    EXPECT_STREQ(title, L"LumivexRecordingWindow");

    // A live window is never made twice.
    FCWindowHandle first = window.handle;
    EXPECT_EQ(window.create(), 0);
    EXPECT_EQ(window.createEx(), 0);
    EXPECT_EQ(window.handle, first);
    EXPECT_EQ(window.createdCalls, 1);

    // The class is registered by now: a second object makes its window from it.
    RecordingWindow second;
    ASSERT_EQ(second.createEx(), 1);
    EXPECT_NE(second.handle, first);
    EXPECT_EQ(second.createdCalls, 1);
    wchar_t secondClass[64] = {};
    GetClassNameW(hwndOf(second), secondClass, 64);
    EXPECT_STREQ(secondClass, L"LumivexRecordingWindow");
}

TEST(WindowFramework, MessageRangesReachTheirSlots)
{
    RecordingWindow window;
    ASSERT_EQ(window.create(), 1);
    keepPointerAway();
    window.recording = true;
    UINT registered = RegisterWindowMessageW(L"LumivexTestRegisteredMessage");
    ASSERT_GE(registered, 0xC000u);

    struct Case {
        UINT message;
        const char* slot;
        LRESULT result;
    };
    // 0x04C8 and WM_USER + 0x0100 are other classes' private numbers, yet
    // every number of the user range goes to onUserMessage.
    const Case cases[] = {
        { 0x0400, "onUserMessage", 77 },
        { 0x04C8, "onUserMessage", 77 },
        { 0x0500, "onUserMessage", 77 },
        { 0x7FFF, "onUserMessage", 77 },
        { 0x8000, "onAppMessage", 78 },
        { 0x8006, "onAppMessage", 78 },
        { 0xBFFF, "onAppMessage", 78 },
        { registered, "defaultProc", 0 },
    };
    for (const Case& each : cases) {
        window.calls.clear();
        LRESULT result = SendMessageW(hwndOf(window), each.message, 5, 6);
        ASSERT_EQ(window.calls.size(), 1u) << std::hex << each.message;
        EXPECT_EQ(window.calls[0].slot, each.slot) << std::hex << each.message;
        EXPECT_EQ(window.calls[0].message, each.message);
        EXPECT_EQ(result, each.result) << std::hex << each.message;
    }

    // Posted messages go the same way through the thread's queue.
    window.calls.clear();
    PostMessageW(hwndOf(window), 0x0401, 9, 0);
    PostMessageW(hwndOf(window), 0x8001, 10, 0);
    pumpMessages();
    ASSERT_EQ(window.slots(), (std::vector<std::string> { "onUserMessage", "onAppMessage" }));
    EXPECT_EQ(window.calls[0].wParam, 9u);
    EXPECT_EQ(window.calls[1].wParam, 10u);
}

TEST(WindowFramework, EachHandledMessageReachesItsOwnSlot)
{
    RecordingWindow window;
    ASSERT_EQ(window.create(), 1);
    window.recording = true;
    struct Case {
        const char* slot;
        UINT message;
        int number;
    };
    const Case cases[] = {
#define LUMIVEX_CASE(slot, message, number) { #slot, message, number },
        LUMIVEX_PER_MESSAGE_SLOTS(LUMIVEX_CASE)
#undef LUMIVEX_CASE
    };
    for (const Case& each : cases) {
        window.calls.clear();
        // ASCII values, so character messages arrive untranslated.
        LRESULT result = SendMessageW(hwndOf(window), each.message, 'A', 0);
        ASSERT_EQ(window.slots(), std::vector<std::string> { each.slot }) << each.slot;
        EXPECT_EQ(window.calls[0].wParam, static_cast<FCWParam>('A')) << each.slot;
        EXPECT_EQ(result, 100 + each.number) << each.slot;
    }
}

TEST(WindowFramework, CharactersArriveInTheGamesCodePage)
{
    unsigned saved = textCodePage();
    setTextCodePage(932);
    RecordingWindow window;
    ASSERT_EQ(window.create(), 1);
    keepPointerAway();
    window.recording = true;

    // HIRAGANA LETTER A is 0x82 0xA0 in code page 932: two character calls,
    // lead byte first, as an ANSI window of that code page gets them.
    SendMessageW(hwndOf(window), WM_CHAR, 0x3042, 0);
    ASSERT_EQ(window.calls.size(), 2u);
    EXPECT_EQ(window.calls[0].wParam, 0x82u);
    EXPECT_EQ(window.calls[1].wParam, 0xA0u);

    window.calls.clear();
    SendMessageW(hwndOf(window), WM_IME_CHAR, 0x3042, 0);
    ASSERT_EQ(window.calls.size(), 1u);
    EXPECT_EQ(window.calls[0].wParam, 0x82A0u);

    // A character typed through the window system arrives the same way.
    window.calls.clear();
    PostMessageW(hwndOf(window), WM_CHAR, 0x3042, 0);
    pumpMessages();
    EXPECT_EQ(window.calls.size(), 2u);
    setTextCodePage(saved);
}

namespace {

// A window whose default handling records the text it is given.
class TextWindow : public RecordingWindow {
public:
    FCLResult defaultProc(uint32_t message, FCWParam wParam, FCLParam lParam) override
    {
        if (message == WM_SETTEXT && lParam)
            lastSetText = reinterpret_cast<const char*>(lParam);
        return RecordingWindow::defaultProc(message, wParam, lParam);
    }
    std::string lastSetText;
};

} // namespace

// Text-bearing messages cross between a module and the windows in the
// game's code page, lengths in bytes: a char buffer never gets more bytes
// than it has room for, and handlers see the text as the module has it.
TEST(WindowFramework, TextMessagesCrossInTheGamesCodePage)
{
    const unsigned saved = textCodePage();
    struct Case {
        unsigned codePage;
        const char* text;
        const wchar_t* wide;
        // WM_GETTEXT into 5 and 4 bytes: the bytes copied.
        LRESULT intoFive, intoFour;
    } cases[] = {
        { 932, "\x93\xFA\x96\x7B\x8C\xEA", L"\u65E5\u672C\u8A9E", 4, 2 }, // never half a character
        { 1252, "Cl\xE9ment", L"Cl\u00E9ment", 4, 3 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePage);
        setTextCodePage(c.codePage);
        TextWindow window;
        ASSERT_EQ(window.create(), 1);
        wchar_t title[32] = {};

        EXPECT_EQ(window.sendMessage(WM_SETTEXT, 0, reinterpret_cast<FCLParam>(c.text)), TRUE);
        GetWindowTextW(hwndOf(window), title, 32);
        EXPECT_STREQ(title, c.wide);
        EXPECT_EQ(window.lastSetText, c.text);
        EXPECT_EQ(window.sendMessage(WM_GETTEXTLENGTH, 0, 0), static_cast<FCLResult>(std::strlen(c.text)));

        for (auto [room, copied] : { std::pair<FCWParam, LRESULT> { 5, c.intoFive }, { 4, c.intoFour } }) {
            char guarded[32];
            std::memset(guarded, 0x7E, sizeof guarded);
            EXPECT_EQ(window.sendMessage(WM_GETTEXT, room, reinterpret_cast<FCLParam>(guarded)), copied);
            EXPECT_EQ(std::string(guarded), std::string(c.text, static_cast<size_t>(copied)));
            for (size_t i = room; i < sizeof guarded; ++i)
                ASSERT_EQ(guarded[i], 0x7E) << "byte " << i << " past the room of " << room;
        }

        // Wide text from the system reaches handlers in the code page, and
        // is kept as it came when they hand it on unchanged; read back
        // through the handlers it is what the code page holds of it.
        window.lastSetText.clear();
        SetWindowTextW(hwndOf(window), L"\u3042");
        EXPECT_EQ(window.lastSetText, c.codePage == 932 ? "\x82\xA0" : "?");
        GetWindowTextW(hwndOf(window), title, 32);
        EXPECT_STREQ(title, c.codePage == 932 ? L"\u3042" : L"?");
        window.defaultProc(WM_SETTEXT, 0, reinterpret_cast<FCLParam>(c.text));
        EXPECT_EQ(GetWindowTextW(hwndOf(window), title, 3), 2);
        EXPECT_EQ(std::wstring(title), std::wstring(c.wide, 2));
    }
    setTextCodePage(saved);
}

TEST(WindowFramework, PaintRunsOnlyWithAnUpdateRegion)
{
    RecordingWindow window;
    ASSERT_EQ(window.create(), 1);
    pumpMessages();
    window.recording = true;

    ValidateRect(hwndOf(window), nullptr);
    SendMessageW(hwndOf(window), WM_PAINT, 0, 0);
    EXPECT_TRUE(window.calls.empty());

    EXPECT_EQ(window.invalidate(0, 0, 10, 10, 0), 1);
    EXPECT_EQ(window.update(), 1);
    EXPECT_EQ(window.slots(), (std::vector<std::string> { "onBeginPaint", "onPaint", "onEndPaint" }));

    // redraw is invalidate and update in one.
    window.calls.clear();
    RECT area = { 5, 5, 50, 50 };
    EXPECT_EQ(window.redraw(&area, 0), 1);
    EXPECT_EQ(window.slots(), (std::vector<std::string> { "onBeginPaint", "onPaint", "onEndPaint" }));
}

TEST(WindowFramework, CloseAsksOnCloseAndDestroyClearsTheHandles)
{
    RecordingWindow parentWindow;
    ASSERT_EQ(parentWindow.create(), 1);
    RecordingWindow window(parentWindow.handle);
    ASSERT_EQ(window.create(), 1);
    HWND hwnd = hwndOf(window);
    window.recording = true;

    window.allowClose = 0;
    EXPECT_EQ(SendMessageW(hwnd, WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(window.slots(), std::vector<std::string> { "onClose" });

    window.calls.clear();
    window.allowClose = 1;
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    // Activation moves away in between; the close comes first, the destroy last.
    std::vector<std::string> slots = window.slots();
    ASSERT_GE(slots.size(), 2u);
    EXPECT_EQ(slots.front(), "onClose");
    EXPECT_EQ(slots.back(), "onDestroy");
    EXPECT_EQ(window.handleAtDestroy, reinterpret_cast<FCWindowHandle>(hwnd));
    EXPECT_EQ(window.handle, nullptr);
    EXPECT_EQ(window.parent.handle, nullptr);
}

TEST(WindowFramework, OperationsOnAGoneWindowDoNothing)
{
    RecordingWindow window;
    ASSERT_EQ(window.create(), 1);
    HWND hwnd = hwndOf(window);
    DestroyWindow(hwnd);
    EXPECT_EQ(window.handle, nullptr);
    EXPECT_EQ(window.resize(100, 100, 1), 0);
    EXPECT_EQ(window.invalidate(nullptr, 1), 0);
    EXPECT_EQ(window.invalidate(0, 0, 1, 1, 1), 0);
    EXPECT_EQ(window.redraw(0, 0, 1, 1, 1), 0);
    EXPECT_EQ(window.update(), 0);
    EXPECT_EQ(window.show(SW_SHOW), 0);
    EXPECT_EQ(window.sendMessage(0x0400, 0, 0), 0);
    EXPECT_EQ(window.postMessage(0x0400, 0, 0), 0);
    EXPECT_EQ(window.postToParent(0x0400, 0, 0), 0);
    RECT client;
    EXPECT_EQ(window.clientRect(&client), 0);

    // A handle that is stale, not null, is checked too.
    FCVWin stale(reinterpret_cast<FCWindowHandle>(hwnd));
    EXPECT_EQ(stale.update(), 0);
    EXPECT_EQ(stale.sendMessage(0x0400, 0, 0), 0);
}

TEST(WindowFramework, LiveWindowOperations)
{
    RecordingWindow parentWindow;
    ASSERT_EQ(parentWindow.create(), 1);
    FCChildWindow child(parentWindow.handle, 30, 40, 100, 80);
    ASSERT_EQ(child.create(), 1);

    EXPECT_EQ(child.resize(60, 70, 1), 1);
    RECT placed;
    GetWindowRect(hwndOf(child), &placed);
    MapWindowPoints(nullptr, hwndOf(parentWindow), reinterpret_cast<POINT*>(&placed), 2);
    // The new size at the old place.
    EXPECT_EQ(placed.left, 30);
    EXPECT_EQ(placed.top, 40);
    EXPECT_EQ(placed.right - placed.left, 60);
    EXPECT_EQ(placed.bottom - placed.top, 70);

    RECT client;
    EXPECT_EQ(child.clientRect(&client), 1);
    EXPECT_EQ(client.right, 60);

    EXPECT_EQ(child.disable(), 1);
    EXPECT_FALSE(IsWindowEnabled(hwndOf(child)));
    EXPECT_EQ(child.enable(), 1);
    EXPECT_TRUE(IsWindowEnabled(hwndOf(child)));
    EXPECT_EQ(child.hide(), 1);
    EXPECT_FALSE(IsWindowVisible(hwndOf(child)));

    parentWindow.recording = true;
    EXPECT_EQ(child.postToParent(0x0456, 3, 4), 1);
    pumpMessages();
    int posted = 0;
    for (const RecordingWindow::Call& call : parentWindow.calls)
        posted += call.message == 0x0456 && call.wParam == 3;
    EXPECT_EQ(posted, 1);
}

TEST(WindowFramework, TheDestructorClosesEvenARefusingWindow)
{
    auto* window = new RecordingWindow;
    ASSERT_EQ(window->create(), 1);
    HWND hwnd = hwndOf(*window);
    window->allowClose = 0;
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    ASSERT_TRUE(IsWindow(hwnd));
    delete window;
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(WindowFramework, AFailureInAHandlerIsShownNotThrown)
{
    // wParam chooses what the handler throws.
    struct ThrowingWindow : RecordingWindow {
        FCLResult onUserMessage(uint32_t, FCWParam kind, FCLParam) override
        {
            if (kind == 0)
                throw CannotOpenException("ThrowingWindow - onUserMessage", "broken");
            if (kind == 1)
                throw std::runtime_error("out of range");
            throw 42;
        }
    };
    const struct {
        const char* caption;
        const char* text;
    } shown[] = {
        { "ThrowingWindow - onUserMessage", "broken" },
        { "FCWindow - windowProc", "out of range" },
        { "FCWindow - windowProc", "unknown exception" },
    };
    MessageBoxRecorder boxes;
    ThrowingWindow window;
    ASSERT_EQ(window.create(), 1);
    for (FCWParam kind = 0; kind < 3; ++kind)
        EXPECT_EQ(SendMessageW(hwndOf(window), 0x0400, kind, 0), 0);
    ASSERT_EQ(boxes.requests().size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(boxes.requests()[i].caption, shown[i].caption);
        EXPECT_EQ(boxes.requests()[i].text, shown[i].text);
    }
    EXPECT_TRUE(IsWindow(hwndOf(window)));
}

TEST(WindowFramework, WindowListsFindByNameOrHandle)
{
    FCVWin first(reinterpret_cast<FCWindowHandle>(0x100));
    FCVWin second(reinterpret_cast<FCWindowHandle>(0x200));
    first.name = "title";
    FCXList<FCVWin> windows;
    windows.add(&first, 0);
    windows.add(&second, 0);

    FCVWin byName(reinterpret_cast<FCWindowHandle>(0x999));
    byName.name = "title";
    EXPECT_EQ(windows.findKey(&byName)->item, &first);
    FCVWin byHandle(reinterpret_cast<FCWindowHandle>(0x200));
    EXPECT_EQ(windows.findKey(&byHandle)->item, &second);
    FCVWin missing(reinterpret_cast<FCWindowHandle>(0x300));
    EXPECT_FALSE(windows.containsKey(&missing));
    // A named search does not match by handle.
    FCVWin otherName(reinterpret_cast<FCWindowHandle>(0x100));
    otherName.name = "other";
    EXPECT_FALSE(windows.containsKey(&otherName));
}

namespace {

// A 32 by 32 monochrome cursor file.
std::vector<uint8_t> cursorFile()
{
    std::vector<uint8_t> bytes = {
        0, 0, 2, 0, 1, 0, // reserved, type 2 (cursor), one image
        32, 32, 0, 0, // width, height, colour count, reserved
        1, 0, 1, 0, // hot spot x 1, y 1
        48, 1, 0, 0, // 304 bytes of image
        22, 0, 0, 0, // at offset 22
    };
    const uint8_t header[] = {
        40, 0, 0, 0, 32, 0, 0, 0, 64, 0, 0, 0, // size, width, height of both masks
        1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, // planes, 1 bit, no compression, image size
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, // resolutions, colours
    };
    bytes.insert(bytes.end(), header, header + sizeof(header));
    const uint8_t palette[] = { 0, 0, 0, 0, 255, 255, 255, 0 };
    bytes.insert(bytes.end(), palette, palette + sizeof(palette));
    bytes.insert(bytes.end(), 128, 0x00); // colour mask
    bytes.insert(bytes.end(), 128, 0xF0); // transparency mask
    return bytes;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

} // namespace

TEST(WindowFramework, SelectCursorLoadsANameOnce)
{
    std::string first = scratchFile("cursor", "first.cur");
    std::string second = scratchFile("cursor", "second.cur");
    writeFile(first, cursorFile());
    writeFile(second, cursorFile());

    RecordingWindow window;
    window.selectCursor(first.c_str());
    HICON loaded = window.cursor.handle;
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(window.cursor.fromFile, 1);
    EXPECT_EQ(window.cursorName, first.c_str());

    // The same name again loads nothing: a new load would give a new handle.
    window.selectCursor(first.c_str());
    EXPECT_EQ(window.cursor.handle, loaded);

    window.selectCursor(second.c_str());
    EXPECT_NE(window.cursor.handle, loaded);
    EXPECT_EQ(window.cursorName, second.c_str());

    // A number clears the name and loads a shared system cursor.
    window.selectCursor(MAKEINTRESOURCEA(32649 - 137)); // IDC_ARROW
    EXPECT_TRUE(window.cursorName.isEmpty());
    EXPECT_EQ(window.cursor.fromFile, 0);
    EXPECT_EQ(window.cursor.handle, LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));

    // What loads nowhere becomes the arrow.
    window.selectCursor("no such cursor anywhere.cur");
    EXPECT_EQ(window.cursor.handle, LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));

    // An adopted cursor is shared, never destroyed by its adopter.
    FCCursor own;
    own.load(second.c_str());
    {
        RecordingWindow adopter;
        adopter.adoptCursor(&own);
        EXPECT_EQ(adopter.cursor.handle, own.handle);
        EXPECT_EQ(adopter.cursor.fromFile, 0);
    }
    ICONINFO information;
    EXPECT_TRUE(GetIconInfo(own.handle, &information));
    DeleteObject(information.hbmMask);
    DeleteObject(information.hbmColor);
    DeleteFileA(first.c_str());
    DeleteFileA(second.c_str());
}

TEST(WindowFramework, CaretSavesAndRestoresTheBlinkTime)
{
    RecordingWindow window;
    ASSERT_EQ(window.create(), 1);
    FCCaret caret;
    EXPECT_EQ(caret.setPosition(1, 1), 0);
    UINT blink = GetCaretBlinkTime();
    ASSERT_EQ(caret.create(window.handle, 2, 16, nullptr), 1);
    EXPECT_EQ(caret.owner, window.handle);
    EXPECT_EQ(caret.savedBlinkTime, blink);
    EXPECT_EQ(caret.setPosition(7, 9), 1);
    POINT at;
    GetCaretPos(&at);
    EXPECT_EQ(at.x, 7);
    EXPECT_EQ(at.y, 9);
    SetCaretBlinkTime(blink + 100);
    EXPECT_EQ(caret.destroy(), 1);
    EXPECT_EQ(GetCaretBlinkTime(), blink);
    EXPECT_EQ(caret.destroy(), 0);
}

TEST(WindowFramework, DroppedFilesComeOneByOneInTheGamesCodePage)
{
    unsigned saved = textCodePage();
    setTextCodePage(932);
    // A drop record as the shell makes it: the header, then wide names,
    // each ended by a zero, and one more zero.
    const wchar_t names[] = L"C:\\game\\a.txt\0C:\\game\\\x3042.txt\0";
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + sizeof(names));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = { 12, 34 };
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names, sizeof(names));
    GlobalUnlock(memory);

    FCDropFiles files;
    files.attach(static_cast<HDROP>(memory));
    EXPECT_EQ(files.count, 2u);
    EXPECT_EQ(files.x, 12);
    EXPECT_EQ(files.y, 34);
    const char* first = files.next();
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, "C:\\game\\a.txt");
    const char* second = files.next();
    ASSERT_NE(second, nullptr);
    EXPECT_STREQ(second, "C:\\game\\\x82\xA0.txt");
    EXPECT_EQ(files.next(), nullptr);
    files.finish();
    EXPECT_EQ(files.drop, nullptr);
    setTextCodePage(saved);
}

TEST(TickTimer, StepsLastAtLeastTheirInterval)
{
    // Lower bounds only: a loaded machine may make every step longer.
    // Steps are measured by the ticks the timer stores at the end of each
    // wait, which is where the next interval starts.
    FCTickTimer timer;
    DWORD before = timer.last;
    std::vector<DWORD> ends;
    for (int step = 0; step < 5; ++step) {
        timer.waitUntil(30);
        ends.push_back(timer.last);
    }
    // The clock may tick a millisecond short of a sleep's length.
    EXPECT_GE(ends.back() - before, 5u * 30 - 5);
    for (size_t i = 1; i < ends.size(); ++i)
        EXPECT_GE(ends[i] - ends[i - 1], 29u) << "step " << i;

    // Work inside a step counts toward its interval.
    timer.waitUntil(0);
    Sleep(40);
    DWORD start = timeGetTime();
    timer.waitUntil(30);
    EXPECT_LT(timeGetTime() - start, 1000u);

    Sleep(20);
    EXPECT_GE(timer.elapsed(), 19u);
}

TEST(TickTimer, WaitOnAHandleOrWithout)
{
    // The interval counts from the timer's last tick, so each measurement
    // starts just before elapsed() stores that tick.
    FCTickTimer timer;
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD start = timeGetTime();
    timer.elapsed();
    EXPECT_EQ(timer.waitOn(25, nullptr), static_cast<uint32_t>(WAIT_TIMEOUT));
    EXPECT_GE(timeGetTime() - start, 24u);

    start = timeGetTime();
    timer.elapsed();
    EXPECT_EQ(timer.waitOn(25, event), static_cast<uint32_t>(WAIT_TIMEOUT));
    EXPECT_GE(timeGetTime() - start, 24u);
    SetEvent(event);
    EXPECT_EQ(timer.waitOn(5000, event), static_cast<uint32_t>(WAIT_OBJECT_0));
    CloseHandle(event);
}
