#pragma once

#include <cstdint>

#include "foundation/FCString.h"
#include "foundation/FCSync.h"
#include "foundation/FCXList.h"
#include "foundation/LumivexApi.h"
#include "scenario/FCDll.h"
#include "scenario/FCScenario.h"
#include "scenario/FCWindowRequest.h"
#include "window/FCVWin.h"

// The view and display settings the main window hands to the manager before
// the start.
struct FCDisplayRecord {
    int32_t editorMode;
    // 1 = start maximised, 2 = resizable, 4 = a start argument was given.
    int32_t optionBits;
    int32_t viewWidth;
    int32_t viewHeight;
    int32_t viewLeft;
    int32_t viewTop;
    int32_t viewRight;
    int32_t viewBottom;
    int32_t resizeMode;
    FCVWin* viewParent;
};

// The scenario manager: loads the scenario module, runs INIT_ENTRY, the
// chained scenario entries and EXIT_ENTRY on the scenario thread, and tells
// its owner window (message 1213) when the run has ended. A second thread,
// the window thread, owns the windows made for scenario code. Scenario code
// reaches the manager through FCScenario, so the order of the members below
// is part of the module contract.
class LUMIVEX_API FCOasys {
public:
    static constexpr unsigned kMessageCloseConfirmed = 1123;
    static constexpr unsigned kMessageStop = 1124;
    static constexpr unsigned kMessageCreateWindow = 1125;
    static constexpr unsigned kMessageDestroyWindow = 1126;
    static constexpr unsigned kMessageDestroyAllWindows = 1127;
    static constexpr unsigned kMessageSetCursor = 1128;
    static constexpr unsigned kMessageActivateApp = 1129;
    static constexpr unsigned kMessageActivationChanged = 1130;
    static constexpr unsigned kMessagePopupMenu = 1131;
    static constexpr unsigned kMessageStartWaiting = 1134;
    static constexpr unsigned kMessageInput = 1135;
    static constexpr unsigned kMessageRestoreFocus = 1136;
    static constexpr unsigned kMessageScenarioEnded = 1213;
    // The developer monitor's messages to the top window.
    static constexpr unsigned kMonitorAttach = 1861;
    static constexpr unsigned kMonitorDetach = 1862;
    static constexpr unsigned kMonitorSendRegisters = 1863;
    static constexpr unsigned kMonitorSendSystemRegisters = 1864;
    static constexpr unsigned kMonitorSendString = 1865;
    static constexpr unsigned kMonitorSetRegister = 1866;
    static constexpr unsigned kMonitorSetSystemRegister = 1867;
    static constexpr unsigned kMonitorSendEntry = 1869;
    // Asks the owner window whether the game may close (wParam kMayCloseQuery).
    static constexpr unsigned kMessageMayClose = 0x8001;
    static constexpr uint32_t kMayCloseQuery = 0x12345678;
    // Input codes besides keys: a left click, a right click, the wheel.
    static constexpr int32_t kInputLeftClick = 1;
    static constexpr int32_t kInputRightClick = 2;
    static constexpr int32_t kInputWheelDown = 0xFFF1;
    static constexpr int32_t kInputWheelUp = 0xFFF2;
    // waitInput's answer when the time ran out.
    static constexpr int32_t kInputTimedOut = 258;
    static constexpr unsigned kMinStackKilobytes = 2048;
    static constexpr unsigned kMaxStackKilobytes = 32768;
    static constexpr uint32_t kRunEnded = 0;
    static constexpr uint32_t kRunEndedByDiagnostic = 256;

    // Creates the events, starts the window thread and hooks the owner's
    // top-level window.
    explicit FCOasys(FCWindowHandle owner);
    FCOasys(const FCOasys&) = delete;
    FCOasys& operator=(const FCOasys&) = delete;
    // Stops a running scenario and waits for both threads.
    virtual ~FCOasys();

    // The manager of the process, or null.
    static FCOasys* current();

    // Shows "<name>がロードできません" and throws CannotLoadException on failure.
    void loadScenarioModule(const char* fileName);
    // Starts the scenario thread at the given entry unless it already runs.
    void start(const char* entryName);
    // Null for a null entry name; loads the named module first when it
    // differs from the loaded one (an empty name differs too).
    FCScenarioEntry resolve(const char* entryName, const char* moduleName);
    // "SS_SCENARIO" kilobytes, clamped to 2 MB to 32 MB.
    void setStackKilobytes(uint32_t kilobytes);
    // Waits for the player on the scenario thread: a click or a key ends the
    // wait with its code. Mode 1 is the click wait: left click, Enter and
    // Space give 13, right click and Escape 27, the wheel its codes, other
    // keys nothing; in every other mode each key but Shift and Ctrl gives
    // its key code (a left click 1, a right click 2). The time-out is in
    // tenths of a second (-1: none), or in milliseconds with raw set; 258
    // when it runs out, -1 when the wait fails. A stop request throws
    // ExitScenarioException.
    int32_t waitInput(int32_t timeout, int32_t mode, int32_t raw);
    // Asks the scenario to stop (any thread): the stop event, then a pending
    // wait woken, which then finds the stop set.
    void requestStop();
    // Asks the window thread to make a window (scenario thread): waits while
    // the game is busy or its window minimised, then for the window thread.
    // The window (also in request.created), listed; null when its kind has
    // no factory or creation failed. A stop request throws
    // ExitScenarioException while the game window is minimised.
    FCVWin* requestWindow(FCWindowRequest& request);
    // Destroys the listed window of that name (scenario thread).
    void destroyWindow(const char* name);
    // Shows a popup menu from the window thread and returns the chosen
    // command (also in request.command); 0 when dismissed.
    int32_t trackPopupMenu(FCPopupMenuRequest& request);
    // The factory that makes windows of a kind; null removes it.
    static void registerWindowFactory(int32_t kind, FCWindowFactory factory);
    // Asks the window thread to destroy every scenario window of a kind.
    void destroyScenarioWindows(int32_t kind);
    // The hooked top-level window procedure's own messages (input while a
    // wait is pending, the close command, focus, activation); false for those
    // it passes on to the window's own procedure.
    bool handleTopWindowMessage(
        FCWindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result);
    // The top-level window's own procedure, which the hooked one forwards to.
    void* previousProcedure() const { return m_previousProcedure; }

    FCWindowHandle topWindow;
    FCVWin owner;
    FCEvent requestDone;
    FCEvent input;
    FCEvent menuDone;
    FCEvent stop;
    volatile int32_t waiting;
    int32_t waitMode;
    int32_t inputCode;
    int32_t inputData;
    FCVWin* focusWindow;
    FCThread windowThread;
    volatile int32_t exiting;
    FCCriticalSection windowLock;
    FCString residentModuleName;
    FCString startEntry;
    FCDll scenarioModule;
    FCThread scenarioThread;
    FCXList<FCVWin> windows;
    // The system's SYSTEM_INFO record, read at construction (36 bytes in
    // 32 bits: three of its fields are pointer-sized).
    alignas(void*) uint8_t systemInformation[24 + 3 * sizeof(void*)];
    volatile int32_t busy;
    volatile int32_t active;
    FCString initArgument;
    FCDisplayRecord display;
    char closeQuestion[256];
    FCScenario* volatile scenario;
    FCWindowHandle monitor;

private:
    static unsigned LUMIVEX_STDCALL scenarioThreadMain(void* manager);
    static unsigned LUMIVEX_STDCALL windowThreadMain(void* manager);
    uint32_t runScenario();
    void runWindowThread();
    // Window messages of the window thread: input for a pending wait, and a
    // left press on a draggable window held back until it becomes a click or
    // a move. True when the message must not be dispatched.
    bool routeWindowInput(void* message);
    // The listed window a press on this window drags, or null.
    FCWindowHandle dragTarget(FCWindowHandle pressed);
    void startDragMove();
    // Keeps the window thread's own messages alive inside a move, a popup
    // menu or a message box, whose loops would dispatch them to nowhere.
    static intptr_t LUMIVEX_STDCALL filterModalMessage(int code, uintptr_t wParam, intptr_t lParam);
    bool takeModalThreadMessage(void* message, int filterCode);
    void destroyRequestedWindow(const char* name, FCVWin* window);
    // The window thread's part in an input wait: one input for it.
    void takeInput(int32_t code, int32_t data);
    void endWait(int32_t code, int32_t data);
    void askToClose(FCWindowHandle window);
    void postToWindowThread(unsigned message, uintptr_t wParam, intptr_t lParam);
    // One click for the pending wait (kInputLeftClick or kInputRightClick).
    void postClick(int32_t button, intptr_t lParam);
    bool handleWindowThreadMessage(unsigned message, uintptr_t wParam, intptr_t lParam);
    void destroyAllScenarioWindows();
    void serveMonitor(FCWindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
    void createRequestedWindow(FCWindowRequest* request);
    void showPopupMenu(FCPopupMenuRequest* request);
    void waitUntilFree(uint32_t pollMilliseconds);
    void hookTopWindow();
    void unhookTopWindow();
    // The hooked top-level window procedure forwards to this one.
    void* m_previousProcedure = nullptr;
};
