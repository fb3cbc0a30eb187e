#include <windows.h>

#include "foundation/Diagnostic.h"
#include "foundation/UxMessageBox.h"
#include "scenario/FCOasys.h"
#include "scenario/FCScenario.h"

FCOasys::FCOasys(FCWindowHandle owner)
    : m_owner(owner)
    , m_stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

FCOasys::~FCOasys()
{
    if (m_scenarioThread) {
        SetEvent(m_stopEvent);
        DWORD threadId = GetThreadId(m_scenarioThread);
        // The thread finds the stop message between two entries.
        while (!PostThreadMessageW(threadId, kMessageStop, 0, 0)
            && WaitForSingleObject(m_scenarioThread, 10) == WAIT_TIMEOUT) { }
        WaitForSingleObject(m_scenarioThread, INFINITE);
        CloseHandle(m_scenarioThread);
    }
    CloseHandle(m_stopEvent);
}

void FCOasys::setStackKilobytes(unsigned kilobytes)
{
    if (kilobytes < kMinStackKilobytes)
        kilobytes = kMinStackKilobytes;
    if (kilobytes > kMaxStackKilobytes)
        kilobytes = kMaxStackKilobytes;
    m_stackBytes = kilobytes * 1024;
}

void FCOasys::loadScenarioModule(const char* fileName)
{
    if (m_scenarioModule.load(fileName ? fileName : ""))
        return;
    FCString text(fileName);
    text.append("\x82\xAA\x83\x8D\x81\x5B\x83\x68\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1"); // がロードできません
    UxMessageBox::show(m_owner, text.text(), "FCString class",
        UxMessageBox::kOk | UxMessageBox::kTaskModal | UxMessageBox::kSetForeground);
    throw CannotLoadException("FCOasys - load", text.text());
}

void FCOasys::start(const char* entryName)
{
    if (m_scenarioThread)
        return;
    m_startEntry = entryName;
    m_scenarioThread = CreateThread(
        nullptr, m_stackBytes, &FCOasys::scenarioThreadMain, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
}

FCScenarioEntry FCOasys::resolve(const char* entryName, const char* moduleName)
{
    if (!entryName)
        return nullptr;
    if (!(m_scenarioModule.fileName() == moduleName) || !m_scenarioModule.isLoaded())
        loadScenarioModule(moduleName);
    return reinterpret_cast<FCScenarioEntry>(m_scenarioModule.entry(entryName));
}

unsigned long __stdcall FCOasys::scenarioThreadMain(void* manager)
{
    return static_cast<FCOasys*>(manager)->runScenario();
}

int32_t FCOasys::callNamedEntry(FCScenario& scenario, FCDll& resident, const char* name, const char* text)
{
    auto entry = reinterpret_cast<FCNamedEntry>(resident.entry(name));
    return entry ? entry(&scenario, text, 0, 0, 0) : 0;
}

// The closing entries run after the chain has ended; a diagnostic they throw
// is shown and the run still ends in order.
void FCOasys::callClosingEntry(FCScenario& scenario, FCDll& resident, const char* name)
{
    try {
        callNamedEntry(scenario, resident, name, nullptr);
    } catch (const Diagnostic& diagnostic) {
        diagnostic.show(m_owner);
    }
}

uint32_t FCOasys::runScenario()
{
    // Makes the thread's message queue, where the stop message arrives.
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);

    auto* resident = new FCDll;
    auto* scenario = new FCScenario(this);
    scenario->residentModule = resident;
    m_scenario = scenario;
    resident->load(m_residentModuleName.isEmpty() ? "resident.dll" : m_residentModuleName.text());

    uint32_t result = 0;
    try {
        callNamedEntry(*scenario, *resident, "INIT_ENTRY", m_initArgument.isEmpty() ? nullptr : m_initArgument.text());
        scenario->nextModule = m_scenarioModule.fileName();
        scenario->nextEntry = m_startEntry;
        FCScenarioEntry entry = reinterpret_cast<FCScenarioEntry>(m_scenarioModule.entry(m_startEntry.text()));
        while (entry) {
            entry(scenario);
            FCScenarioEntry next = nullptr;
            if (!scenario->nextEntry.isEmpty()) {
                // The strings a module made die with it: renew them before
                // another module replaces it.
                if (!scenario->nextModule.isEmpty() && !(scenario->nextModule == m_scenarioModule.fileName())) {
                    scenario->nextEntry.renew();
                    scenario->nextModule.renew();
                    scenario->saveFolder.renew();
                }
                next = resolve(scenario->nextEntry.text(), scenario->nextModule.text());
            }
            if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) && !message.hwnd && message.message == kMessageStop)
                next = nullptr;
            entry = next;
        }
    } catch (const Diagnostic& diagnostic) {
        m_scenario = nullptr;
        m_exiting = 1;
        diagnostic.show(m_owner);
        callClosingEntry(*scenario, *resident, "EXCEPTION_ENTRY");
        result = 256;
    }

    m_scenario = nullptr;
    m_exiting = 1;
    callClosingEntry(*scenario, *resident, "EXIT_ENTRY");
    m_exiting = 0;
    delete scenario;
    delete resident;
    m_runResult = result;
    PostMessageW(reinterpret_cast<HWND>(m_owner), kMessageScenarioEnded, 0, 0);
    return result;
}
