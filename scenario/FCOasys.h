#pragma once

#include <cstdint>

#include "foundation/FCString.h"
#include "foundation/FCSync.h"
#include "foundation/FCXList.h"
#include "foundation/LumivexApi.h"
#include "scenario/FCDll.h"
#include "scenario/FCScenario.h"
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
    static constexpr unsigned kMessageDestroyWindow = 1126;
    static constexpr unsigned kMessageScenarioEnded = 1213;
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
    // Asks the window thread to destroy every scenario window of a kind.
    void destroyScenarioWindows(int32_t kind);
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
    // The system's SYSTEM_INFO record, read at construction.
    alignas(4) uint8_t systemInformation[36];
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
    void hookTopWindow();
    void unhookTopWindow();
    // The hooked top-level window procedure forwards to this one.
    void* m_previousProcedure = nullptr;
};
