#pragma once

#include <cstdint>

#include "foundation/FCString.h"
#include "foundation/LumivexApi.h"
#include "scenario/FCDll.h"
#include "scenario/FCScenario.h"

class FCScenario;

// The scenario manager: loads the scenario module, runs INIT_ENTRY, the
// chained scenario entries and EXIT_ENTRY on the scenario thread, and tells
// its owner window (message 1213) when the run has ended.
class LUMIVEX_API FCOasys {
public:
    static constexpr unsigned kMessageCloseConfirmed = 1123;
    static constexpr unsigned kMessageStop = 1124;
    static constexpr unsigned kMessageScenarioEnded = 1213;
    static constexpr unsigned kMinStackKilobytes = 2048;
    static constexpr unsigned kMaxStackKilobytes = 32768;

    explicit FCOasys(FCWindowHandle owner);
    FCOasys(const FCOasys&) = delete;
    FCOasys& operator=(const FCOasys&) = delete;
    // Stops a running scenario and waits for its thread.
    virtual ~FCOasys();

    // Shows "<name>がロードできません" and throws CannotLoadException on failure.
    void loadScenarioModule(const char* fileName);
    // Starts the scenario thread at the given entry unless it already runs.
    void start(const char* entryName);
    // Loads the named module first when it differs from the loaded one.
    FCScenarioEntry resolve(const char* entryName, const char* moduleName);

    void setStackKilobytes(unsigned kilobytes);
    void setResidentModuleName(const char* name) { m_residentModuleName = name; }
    void setInitArgument(const char* text) { m_initArgument = text; }
    FCWindowHandle owner() const { return m_owner; }
    bool isExiting() const { return m_exiting != 0; }
    // The thread's result: 0 after a normal end, 256 after a diagnostic.
    uint32_t runResult() const { return m_runResult; }

private:
    static unsigned long __stdcall scenarioThreadMain(void* manager);
    uint32_t runScenario();
    int32_t callNamedEntry(FCScenario& scenario, FCDll& resident, const char* name, const char* text);
    void callClosingEntry(FCScenario& scenario, FCDll& resident, const char* name);

    FCWindowHandle m_owner;
    void* m_stopEvent;
    void* m_scenarioThread = nullptr;
    unsigned m_stackBytes = kMinStackKilobytes * 1024;
    volatile int32_t m_exiting = 0;
    uint32_t m_runResult = 0;
    FCString m_residentModuleName;
    FCString m_startEntry;
    FCString m_initArgument;
    FCDll m_scenarioModule;
    FCScenario* m_scenario = nullptr;
};
