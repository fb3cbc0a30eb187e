// Start-up test entries (in story.dll): what the host made of its settings,
// reported as the game sees it.
#include <windows.h>

#include <imm.h>

#include <cstdio>
#include <string>

#include "Trace.h"
#include "foundation/TextCodePage.h"
#include "scenario/FCOasys.h"
#include "scenario/FCScenario.h"
#include "scenario/FCWindowRequest.h"
#include "startup/FCMainWindow.h"
#include "startup/LumivexHost.h"
#include "startup/StartupSettings.h"
#include "startup/UxApplicationFlags.h"
#include "startup/UxMessageTable.h"
#include "window/FCChildWindow.h"

namespace {

std::string utf8(const wchar_t* text)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1)
        WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

std::string gameText(const char* text)
{
    return toUtf8(text);
}

void traceLine(const std::string& name, const std::string& value)
{
    trace((name + " " + value).c_str());
}

FCWindowRequest windowRequest(
    int32_t kind, const char* name, int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t flags = 0)
{
    FCWindowRequest request = {};
    request.kind = kind;
    request.left = left;
    request.top = top;
    request.right = right;
    request.bottom = bottom;
    request.name = name;
    request.flags = flags;
    return request;
}

} // namespace

namespace {

// The menu as the player sees it: each item's command (0 for a separator),
// submenus in brackets.
std::string menuTree(HMENU menu)
{
    std::string out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (i)
            out += ",";
        if (HMENU sub = GetSubMenu(menu, i))
            out += "(" + menuTree(sub) + ")";
        else
            out += std::to_string(GetMenuItemID(menu, i));
    }
    return out;
}

} // namespace

// One line per fact: the window's title, class and first menu item, the
// game's code page, the application flags, the language module, the
// version line, catalogue message 26 and the view.
LUMIVEX_SCENARIO_ENTRY(probe)
{
    HWND top = reinterpret_cast<HWND>(scenario->manager->topWindow);
    wchar_t text[256] = {};
    GetWindowTextW(top, text, 256);
    traceLine("title", utf8(text));
    GetClassNameW(top, text, 256);
    traceLine("class", utf8(text));
    traceLine("visible", IsWindowVisible(top) ? "1" : "0");
    text[0] = 0;
    GetMenuStringW(GetMenu(top), 0, text, 256, MF_BYPOSITION);
    traceLine("menu", utf8(text));
    traceLine("menus", menuTree(GetMenu(top)));
    // Whether the window and its view have an input context.
    HWND view = FindWindowExW(top, nullptr, L"FCScenarioView", nullptr);
    std::string ime;
    for (HWND window : { top, view }) {
        HIMC context = ImmGetContext(window);
        ime += context ? "1" : "0";
        if (context)
            ImmReleaseContext(window, context);
    }
    traceLine("ime", ime);
    traceLine("codepage", std::to_string(textCodePage()));
    char flags[16];
    std::snprintf(flags, sizeof flags, "0x%08X", applicationFlags().word());
    traceLine("flags", flags);
    if (const StartupSettings* settings = lumivexStartupSettings()) {
        traceLine(
            "language", gameText(settings->languageCode.text()) + " " + gameText(settings->languageModule.text()));
        traceLine("version", gameText(settings->versionLine.text()));
    }
    traceLine("message26", gameText(UxMessageTable::global().text(26).text()));
    const FCDisplayRecord& display = scenario->manager->display;
    traceLine("view", std::to_string(display.viewWidth) + "x" + std::to_string(display.viewHeight));
    RECT client;
    GetClientRect(top, &client);
    traceLine("client", std::to_string(client.right) + "x" + std::to_string(client.bottom));
    scenario->nextEntry = "";
}

// The layout editor's first entry.
LUMIVEX_SCENARIO_ENTRY(layouter)
{
    trace("layouter");
    scenario->nextEntry = "probe";
}

// Runs until "stop.txt" appears in the current folder (at most 30 s), then
// reports the scene a second instance asked for.
LUMIVEX_SCENARIO_ENTRY(linger)
{
    trace("linger");
    for (int i = 0; i < 300 && GetFileAttributesW(L"stop.txt") == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);
    if (FCMainWindow* window = lumivexMainWindow())
        traceLine("scene", gameText(window->sceneName.text()));
    scenario->nextEntry = "";
}

// Input waits: "wait <i>" before each wait, "code <code>" after it.
namespace {
void traceWaits(FCScenario* scenario, int32_t mode, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        traceLine("wait", std::to_string(i));
        int32_t code = scenario->manager->waitInput(-1, mode, 0);
        traceLine("code", std::to_string(code));
    }
}
} // namespace

LUMIVEX_SCENARIO_ENTRY(waitClicks)
{
    traceWaits(scenario, 1, 3);
    scenario->nextEntry = "";
}

LUMIVEX_SCENARIO_ENTRY(waitKeys)
{
    traceWaits(scenario, 0, 2);
    scenario->nextEntry = "";
}

// Time-outs: 5 tenths, then 5 raw milliseconds, each with its duration.
LUMIVEX_SCENARIO_ENTRY(waitTimeouts)
{
    DWORD start = GetTickCount();
    int32_t code = scenario->manager->waitInput(5, 0, 0);
    traceLine("tenths", std::to_string(code) + " " + std::to_string(GetTickCount() - start));
    start = GetTickCount();
    code = scenario->manager->waitInput(5, 0, 1);
    traceLine("raw", std::to_string(code) + " " + std::to_string(GetTickCount() - start));
    scenario->nextEntry = "";
}

// Waits until the game is closed.
LUMIVEX_SCENARIO_ENTRY(waitForever)
{
    trace("wait 0");
    int32_t code = scenario->manager->waitInput(-1, 1, 0);
    traceLine("code", std::to_string(code));
    scenario->nextEntry = "";
}

// The developer monitor's other end: registers with known values, a wait,
// then what the monitor wrote.
LUMIVEX_SCENARIO_ENTRY(monitorTarget)
{
    scenario->registers[3] = 42;
    scenario->stringRegisters[1] = "hello";
    trace("wait 0");
    scenario->manager->waitInput(-1, 1, 0);
    trace(("after " + std::to_string(scenario->registers[3]) + " " + scenario->stringRegisters[2].text() + " "
        + std::to_string(scenario->systemRegisters[1]))
              .c_str());
    scenario->nextEntry = "";
}

// Window requests and a popup menu, through the window thread.
LUMIVEX_SCENARIO_ENTRY(windowRequests)
{
    FCWindowRequest request = windowRequest(4, "panel", 10, 20, 110, 70);
    FCVWin* panel = scenario->manager->requestWindow(request);
    HWND panelWindow = panel ? reinterpret_cast<HWND>(panel->handle) : nullptr;
    RECT placed = {};
    if (panelWindow) {
        GetWindowRect(panelWindow, &placed);
        MapWindowPoints(nullptr, GetParent(panelWindow), reinterpret_cast<POINT*>(&placed), 2);
    }
    traceLine("panel",
        std::string(panel == request.created ? "" : "mismatch ") + std::to_string(placed.left) + ","
            + std::to_string(placed.top) + " " + std::to_string(placed.right - placed.left) + "x"
            + std::to_string(placed.bottom - placed.top) + " kind " + std::to_string(panel ? panel->kind() : 0)
            + (panelWindow && GetParent(panelWindow) == reinterpret_cast<HWND>(scenario->manager->owner.handle)
                    ? " in view"
                    : ""));

    FCWindowRequest unknown = {};
    unknown.kind = 63;
    traceLine("unknown", scenario->manager->requestWindow(unknown) ? "made" : "null");

    scenario->manager->destroyWindow("panel");
    traceLine("destroyed", panelWindow && IsWindow(panelWindow) ? "no" : "yes");

    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 301, L"One");
    AppendMenuW(menu, MF_STRING, 302, L"Two");
    FCPopupMenuRequest popup = { menu, 40, 40, 0, -1 };
    trace("popup");
    int32_t command = scenario->manager->trackPopupMenu(popup);
    traceLine("menu", std::to_string(command));
    DestroyMenu(menu);
    scenario->nextEntry = "";
}

// A draggable panel and a plain one: "panel <x> <y>" (screen), then for
// each wait its code and where the panel is in its parent.
namespace {
void dragPanels(FCScenario* scenario, int32_t waits, int32_t timeout)
{
    FCWindowRequest request = windowRequest(4, "panel", 10, 20, 110, 100, FCWindowRequest::kDraggable);
    FCVWin* panel = scenario->manager->requestWindow(request);
    FCWindowRequest plainRequest = windowRequest(4, "plain", 150, 20, 250, 100);
    FCVWin* plain = scenario->manager->requestWindow(plainRequest);
    if (!panel || !plain) {
        trace("no panel");
        scenario->nextEntry = "";
        return;
    }
    auto place = [](FCVWin* window, bool screen) {
        RECT placed = {};
        GetWindowRect(reinterpret_cast<HWND>(window->handle), &placed);
        if (!screen)
            MapWindowPoints(
                nullptr, GetParent(reinterpret_cast<HWND>(window->handle)), reinterpret_cast<POINT*>(&placed), 2);
        return std::to_string(placed.left) + " " + std::to_string(placed.top);
    };
    traceLine("panel", place(panel, true));
    traceLine("plain", place(plain, true));
    for (int i = 0; i < waits; ++i) {
        traceLine("wait", std::to_string(i));
        int32_t code = scenario->manager->waitInput(timeout, 0, 0);
        traceLine("code", std::to_string(code) + " at " + place(panel, false));
    }
    // Whether the panel is being moved as the run ends.
    if (timeout != -1)
        traceLine("busy", std::to_string(scenario->manager->busy));
    scenario->nextEntry = "";
}
} // namespace

LUMIVEX_SCENARIO_ENTRY(dragPanel)
{
    dragPanels(scenario, 2, -1);
}

// The run ends (its one wait runs out after 3 s) while the player may be
// dragging the panel: "busy 1" when the move was going on.
LUMIVEX_SCENARIO_ENTRY(dragWhileEnding)
{
    dragPanels(scenario, 1, 30);
}

// Keeps the manager busy for a test that closes the game at random moments:
// each round asks for windows (one left open, one draggable and destroyed
// again), waits in tenths and in milliseconds and chains to itself. With
// "restless" the fourth round shows a popup menu nobody answers; with
// "restlessThenExit" the run ends after the fourth round and EXIT_ENTRY
// lingers (register 15).
namespace {
void restlessRound(FCScenario* scenario, bool popupAtTheEnd)
{
    FCOasys* manager = scenario->manager;
    scenario->registers[15] = 1;
    int32_t round = scenario->registers[14]++;
    traceLine("round", std::to_string(round));
    FCWindowRequest request = windowRequest(4, "moving", 10 + round, 20, 110 + round, 100, FCWindowRequest::kDraggable);
    manager->requestWindow(request);
    manager->waitInput(1, 0, 0);
    manager->destroyWindow("kept");
    request.name = "kept";
    request.flags = 0;
    manager->requestWindow(request);
    manager->destroyWindow("moving");
    manager->waitInput(20, 1, 1);
    if (round < 3) {
        scenario->nextEntry = popupAtTheEnd ? "restless" : "restlessThenExit";
        return;
    }
    if (popupAtTheEnd) {
        HMENU menu = CreatePopupMenu();
        AppendMenuW(menu, MF_STRING, 301, L"One");
        FCPopupMenuRequest popup = { menu, 40, 40, 0, -1 };
        trace("popup");
        int32_t command = manager->trackPopupMenu(popup);
        DestroyMenu(menu);
        traceLine("menu", std::to_string(command));
    }
    scenario->nextEntry = "";
}
} // namespace

LUMIVEX_SCENARIO_ENTRY(restless)
{
    restlessRound(scenario, true);
}

LUMIVEX_SCENARIO_ENTRY(restlessThenExit)
{
    restlessRound(scenario, false);
}

// Focus and activation: a kind-6 window of this module's own that reports
// the activation it is told of, and a field the manager keeps the focus on.
namespace {
class ActivationProbe : public FCChildWindow {
public:
    using FCChildWindow::FCChildWindow;
    int32_t kind() const override { return 6; }
    FCLResult onNcActivate(FCWParam wParam, FCLParam lParam) override
    {
        traceLine("ncactivate", std::to_string(wParam ? 1 : 0));
        return FCChildWindow::onNcActivate(wParam, lParam);
    }
};

FCVWin* makeActivationProbe(const FCWindowRequest& request, FCOasys& manager)
{
    auto* probe = new ActivationProbe(
        manager.owner.handle, request.left, request.top, request.right - request.left, request.bottom - request.top);
    if (!probe->create()) {
        delete probe;
        return nullptr;
    }
    return probe;
}

std::string activeAfterAWhile(FCOasys* manager)
{
    manager->waitInput(3, 1, 0);
    return std::to_string(manager->active);
}
} // namespace

LUMIVEX_SCENARIO_ENTRY(attention)
{
    FCOasys* manager = scenario->manager;
    FCOasys::registerWindowFactory(6, makeActivationProbe);
    FCWindowRequest request = windowRequest(6, "probe", 0, 0, 40, 40);
    manager->requestWindow(request);
    request = windowRequest(4, "field", 50, 0, 90, 40);
    FCVWin* field = manager->requestWindow(request);
    manager->focusWindow = field;
    traceLine("field", std::to_string(field ? reinterpret_cast<uintptr_t>(field->handle) : 0));
    trace("wait 0");
    int32_t code = manager->waitInput(-1, 0, 0);
    traceLine("code", std::to_string(code) + " active " + std::to_string(manager->active));
    // The window thread passes an activation on to the top window (1129);
    // one that comes from the manager's own threads changes nothing.
    PostThreadMessageW(manager->windowThread.id, FCOasys::kMessageActivateApp, 1, 4242);
    traceLine("activated", activeAfterAWhile(manager));
    PostThreadMessageW(manager->windowThread.id, FCOasys::kMessageActivateApp, 0, manager->windowThread.id);
    traceLine("own thread", activeAfterAWhile(manager));
    manager->focusWindow = nullptr;
    manager->destroyWindow("field");
    manager->destroyWindow("probe");
    FCOasys::registerWindowFactory(6, nullptr);
    scenario->nextEntry = "";
}

// Ends at once; EXIT_ENTRY then waits for input that must not reach it
// (register 15 = 2).
LUMIVEX_SCENARIO_ENTRY(exitWaits)
{
    scenario->registers[15] = 2;
    scenario->nextEntry = "";
}

// Two listed windows of one name, of kinds that a reset destroys in the
// opposite order (14 before 5): each is destroyed once, its own node with it.
namespace {
int g_panelNumber = 0;

class TracedPanel : public FCChildWindow {
public:
    TracedPanel(FCWindowHandle parent, const FCWindowRequest& request)
        : FCChildWindow(parent, request.left, request.top, request.right - request.left, request.bottom - request.top)
        , m_kind(request.kind)
        , m_number(++g_panelNumber)
    {
    }
    ~TracedPanel() override { traceLine("destroyed", std::to_string(m_number)); }
    int32_t kind() const override { return m_kind; }

private:
    int32_t m_kind;
    int m_number;
};

FCVWin* makeTracedPanel(const FCWindowRequest& request, FCOasys& manager)
{
    auto* panel = new TracedPanel(manager.owner.handle, request);
    if (!panel->create()) {
        delete panel;
        return nullptr;
    }
    return panel;
}
} // namespace

LUMIVEX_SCENARIO_ENTRY(resetSameNamedWindows)
{
    FCOasys::registerWindowFactory(5, makeTracedPanel);
    FCOasys::registerWindowFactory(14, makeTracedPanel);
    FCWindowRequest first = windowRequest(5, "twin", 0, 0, 20, 20);
    FCWindowRequest second = windowRequest(14, "twin", 30, 0, 50, 20);
    const bool madeFirst = scenario->manager->requestWindow(first) != nullptr;
    const bool madeSecond = scenario->manager->requestWindow(second) != nullptr;
    traceLine("made", std::string(madeFirst ? "1" : "-") + (madeSecond ? "2" : "-"));
    scenario->reset();
    trace("reset");
    FCOasys::registerWindowFactory(5, nullptr);
    FCOasys::registerWindowFactory(14, nullptr);
    scenario->nextEntry = "";
}
