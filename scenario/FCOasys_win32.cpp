#include <windows.h>

#include <atomic>
#include <cstring>
#include <exception>

#include "foundation/Diagnostic.h"
#include "foundation/UxMessageBox.h"
#include "scenario/FCOasys.h"
#include "scenario/FCScenario.h"

static_assert(sizeof(SYSTEM_INFO) == sizeof(FCOasys::systemInformation));

namespace {
std::atomic<FCOasys*> g_manager { nullptr };

// ゲームを強制終了します。よろしいですか？
constexpr char kDefaultCloseQuestion[] = "\x83\x51\x81\x5B\x83\x80\x82\xF0\x8B\xAD\x90\xA7\x8F\x49\x97\xB9\x82\xB5"
                                         "\x82\xDC\x82\xB7\x81\x42\x82\xE6\x82\xEB\x82\xB5\x82\xA2\x82\xC5\x82\xB7"
                                         "\x82\xA9\x81\x48";
// がロードできません
constexpr char kCannotLoadText[] = "\x82\xAA\x83\x8D\x81\x5B\x83\x68\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1";

// Posts a stop to a thread, waiting for its queue to exist if it has only just started.
void postStop(FCThread& thread)
{
    while (!PostThreadMessageW(thread.id, FCOasys::kMessageStop, 0, 0) && thread.wait(10) == WAIT_TIMEOUT) { }
}

LRESULT CALLBACK hookedTopWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    FCOasys* manager = FCOasys::current();
    WNDPROC previous = manager ? reinterpret_cast<WNDPROC>(manager->previousProcedure()) : nullptr;
    if (!previous)
        return DefWindowProcW(window, message, wParam, lParam);
    // Input, activation and the close command are turned into answers for the
    // scenario's input waits here once the window thread serves them; until
    // then every message goes on to the window's own procedure.
    return CallWindowProcW(previous, window, message, wParam, lParam);
}
} // namespace

FCOasys* FCOasys::current()
{
    return g_manager.load();
}

FCOasys::FCOasys(FCWindowHandle ownerWindow)
    : topWindow(reinterpret_cast<FCWindowHandle>(GetAncestor(reinterpret_cast<HWND>(ownerWindow), GA_ROOT)))
    , owner(ownerWindow)
    , waiting(0)
    , waitMode(0)
    , inputCode(0)
    , inputData(0)
    , focusWindow(nullptr)
    , exiting(0)
    , systemInformation {}
    , busy(0)
    , active(0)
    , display {}
    , closeQuestion {}
    , scenario(nullptr)
    , monitor(nullptr)
{
    GetSystemInfo(reinterpret_cast<SYSTEM_INFO*>(systemInformation));
    std::memcpy(closeQuestion, kDefaultCloseQuestion, sizeof kDefaultCloseQuestion);
    requestDone.create(true, true);
    input.create(true, true);
    menuDone.create(true, true);
    stop.create(true, false);
    windowThread.start(&FCOasys::windowThreadMain, this, CREATE_SUSPENDED);
    g_manager.store(this);
    hookTopWindow();
    windowThread.resume();
}

FCOasys::~FCOasys()
{
    unhookTopWindow();
    if (scenarioThread.running()) {
        if (waiting) {
            input.set();
            waiting = 0;
        }
        stop.set();
        // An entry that never waits for input finds the stop between entries.
        postStop(scenarioThread);
        scenarioThread.wait(INFINITE);
    }
    if (windowThread.running()) {
        postStop(windowThread);
        windowThread.wait(INFINITE);
    }
    FCOasys* self = this;
    g_manager.compare_exchange_strong(self, nullptr);
}

void FCOasys::hookTopWindow()
{
    HWND window = reinterpret_cast<HWND>(topWindow);
    if (!window)
        return;
    m_previousProcedure = reinterpret_cast<void*>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&hookedTopWindowProc)));
}

void FCOasys::unhookTopWindow()
{
    HWND window = reinterpret_cast<HWND>(topWindow);
    if (!window || !m_previousProcedure)
        return;
    if (IsWindow(window))
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProcedure));
    m_previousProcedure = nullptr;
}

void FCOasys::setStackKilobytes(uint32_t kilobytes)
{
    if (kilobytes < kMinStackKilobytes)
        kilobytes = kMinStackKilobytes;
    if (kilobytes > kMaxStackKilobytes)
        kilobytes = kMaxStackKilobytes;
    scenarioThread.stackSize = kilobytes * 1024;
}

void FCOasys::loadScenarioModule(const char* fileName)
{
    if (scenarioModule.load(fileName ? fileName : ""))
        return;
    FCString text(fileName ? fileName : "");
    text.append(kCannotLoadText);
    UxMessageBox::show(owner.handle, text.text(), "FCString class",
        UxMessageBox::kOk | UxMessageBox::kTaskModal | UxMessageBox::kSetForeground);
    throw CannotLoadException("FCOasys - load", text.text());
}

void FCOasys::start(const char* entryName)
{
    if (scenarioThread.running())
        return;
    startEntry = entryName ? entryName : "";
    scenarioThread.start(&FCOasys::scenarioThreadMain, this, 0);
}

FCScenarioEntry FCOasys::resolve(const char* entryName, const char* moduleName)
{
    if (!entryName)
        return nullptr;
    const FCString& loaded = scenarioModule.fileName();
    if (!moduleName || !*moduleName || !(loaded == moduleName))
        loadScenarioModule(moduleName);
    return reinterpret_cast<FCScenarioEntry>(scenarioModule.entry(entryName));
}

void FCOasys::destroyScenarioWindows(int32_t kind)
{
    if (!windowThread.running())
        return;
    for (;;) {
        FCVWin* found = nullptr;
        {
            FCLock lock(&windowLock);
            FCXListIterator<FCVWin> each(&windows);
            while (FCVWin* window = each.next()) {
                if (window->kind() == kind) {
                    found = window;
                    break;
                }
            }
        }
        if (!found)
            return;
        requestDone.reset();
        if (!PostThreadMessageW(windowThread.id, kMessageDestroyWindow, 0, reinterpret_cast<LPARAM>(found)))
            return;
        requestDone.wait(INFINITE);
    }
}

unsigned LUMIVEX_STDCALL FCOasys::windowThreadMain(void* manager)
{
    static_cast<FCOasys*>(manager)->runWindowThread();
    return 0;
}

void FCOasys::runWindowThread()
{
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!message.hwnd && message.message == kMessageStop)
            break;
        if (!message.hwnd && message.message == kMessageDestroyWindow) {
            auto* window = reinterpret_cast<FCVWin*>(message.lParam);
            {
                FCLock lock(&windowLock);
                // Scenario windows are listed without ownership: the node goes, the window is deleted below.
                windows.remove(window, 1);
            }
            delete window;
            requestDone.set();
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

unsigned LUMIVEX_STDCALL FCOasys::scenarioThreadMain(void* manager)
{
    return static_cast<FCOasys*>(manager)->runScenario();
}

namespace {
int32_t callNamedEntry(FCScenario* scenario, const char* name, const char* text)
{
    if (!scenario || !scenario->manager || !scenario->residentModule)
        return 0;
    auto entry = reinterpret_cast<FCNamedEntry>(scenario->residentModule->entry(name));
    return entry ? entry(scenario, text, 0, 0, 0) : 0;
}

// Shows what ended the run; the stop the player asked for shows nothing.
void report(FCWindowHandle owner, std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Diagnostic& diagnostic) {
        diagnostic.show(owner);
    } catch (const std::exception& other) {
        Diagnostic("FCOasys - scenario", other.what()).show(owner);
    } catch (...) {
        Diagnostic("FCOasys - scenario", "unknown exception").show(owner);
    }
}
} // namespace

uint32_t FCOasys::runScenario()
{
    // Makes the thread's message queue, where the stop message arrives.
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);

    auto* resident = new FCDll;
    auto* state = new FCScenario(this);
    state->residentModule = resident;
    resident->load(residentModuleName.isEmpty() ? "resident.dll" : residentModuleName.text());

    uint32_t result = kRunEnded;
    try {
        callNamedEntry(state, "INIT_ENTRY", initArgument.isEmpty() ? nullptr : initArgument.text());
        state->nextModule = scenarioModule.fileName();
        state->nextEntry = startEntry;
        FCScenarioEntry entry = reinterpret_cast<FCScenarioEntry>(scenarioModule.entry(startEntry.text()));
        while (entry) {
            entry(state);
            FCScenarioEntry next = nullptr;
            if (!state->nextEntry.isEmpty()) {
                // The strings the old module made must outlive it.
                if (!state->nextModule.isEmpty() && !(state->nextModule == scenarioModule.fileName()))
                    state->renewStrings();
                next = resolve(state->nextEntry.text(), state->nextModule.text());
            }
            if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) && !message.hwnd && message.message == kMessageStop)
                next = nullptr;
            if (stop.wait(0) == WAIT_OBJECT_0)
                next = nullptr;
            entry = next;
        }
    } catch (...) {
        scenario = nullptr;
        exiting = 1;
        report(owner.handle, std::current_exception());
        try {
            callNamedEntry(state, "EXCEPTION_ENTRY", nullptr);
        } catch (...) {
            report(owner.handle, std::current_exception());
        }
        result = kRunEndedByDiagnostic;
    }

    scenario = nullptr;
    exiting = 1;
    try {
        callNamedEntry(state, "EXIT_ENTRY", nullptr);
    } catch (...) {
        report(owner.handle, std::current_exception());
    }
    exiting = 0;
    if (HWND attached = reinterpret_cast<HWND>(monitor)) {
        monitor = nullptr;
        SendMessageW(attached, 1862, 0, 0);
    }
    delete state;
    delete resident;
    PostMessageW(reinterpret_cast<HWND>(owner.handle), kMessageScenarioEnded, 0, 0);
    return result;
}
