#include <windows.h>

#include <algorithm>

#include <atomic>
#include <cstring>
#include <exception>
#include <new>
#include <vector>

#include "foundation/Diagnostic.h"
#include "foundation/UxMessageBox.h"
#include "layer/FCAnimatedControl.h"
#include "layer/FCLayerViewport.h"
#include "movie/FCAviView.h"
#include "movie/UxWmvWindow.h"
#include "scenario/FCOasys.h"
#include "scenario/FCScenario.h"
#include "window/FCChildWindow.h"
#include "window/FCCursor.h"

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

// Waits for a thread to end while answering what other threads send to
// this one's windows: the window thread's windows are children of the
// scenario view, and destroying one sends its parent a notification that
// would otherwise wait for this thread forever.
void waitForThreadEnd(FCThread& thread)
{
    HANDLE handle = thread.handle;
    if (!handle)
        return;
    while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

LRESULT CALLBACK hookedTopWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    FCOasys* manager = FCOasys::current();
    WNDPROC previous = manager ? reinterpret_cast<WNDPROC>(manager->previousProcedure()) : nullptr;
    if (!previous)
        return DefWindowProcW(window, message, wParam, lParam);
    intptr_t result = 0;
    if (manager->handleTopWindowMessage(reinterpret_cast<FCWindowHandle>(window), message, wParam, lParam, result))
        return result;
    if (message == WM_NCACTIVATE)
        wParam = manager->active ? TRUE : FALSE;
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

// The window factories by kind number.
constexpr int32_t kFactoryKinds = 64;
std::atomic<FCWindowFactory> g_factories[kFactoryKinds];

// A child window made from a request: the request's style bits and title
// on top of the plain child window.
class RequestedChildWindow : public FCChildWindow {
public:
    RequestedChildWindow(FCWindowHandle parentWindow, const FCWindowRequest& request)
        : FCChildWindow(
            parentWindow, request.left, request.top, request.right - request.left, request.bottom - request.top)
        , m_style(request.style)
        , m_exStyle(request.exStyle)
        , m_title(request.title ? request.title : "FCChildWindow")
    {
    }
    uint32_t style() override { return FCChildWindow::style() | m_style; }
    uint32_t exStyle() override { return m_exStyle; }
    const char* windowTitle() override { return m_title.text(); }

private:
    uint32_t m_style;
    uint32_t m_exStyle;
    FCString m_title;
};

FCVWin* makeChildWindow(const FCWindowRequest& request, FCOasys& manager)
{
    FCWindowHandle parentWindow = request.parent ? request.parent->handle : manager.owner.handle;
    auto* window = new RequestedChildWindow(parentWindow, request);
    if (!window->create()) {
        delete window;
        return nullptr;
    }
    return window;
}

// An MCI movie view; values[0]: the AVI file's name. Playing is the
// caller's (user message 0x730 to the view).
FCVWin* makeAviView(const FCWindowRequest& request, FCOasys& manager)
{
    FCWindowHandle parentWindow = request.parent ? request.parent->handle : manager.owner.handle;
    auto* view = new FCAviView(
        parentWindow, request.left, request.top, request.right - request.left, request.bottom - request.top);
    view->setFile(reinterpret_cast<const char*>(request.values[0]));
    if (!view->create()) {
        delete view;
        return nullptr;
    }
    return view;
}

// The system's animation control at the request's rectangle, hidden until
// its first play; the request's style bits are added to the control's.
FCVWin* makeAnimatedControl(const FCWindowRequest& request, FCOasys& manager)
{
    FCWindowHandle parentWindow = request.parent ? request.parent->handle : manager.owner.handle;
    auto* control = new FCAnimatedControl(parentWindow);
    if (!control->createControl(WS_CHILD | request.style)) {
        delete control;
        return nullptr;
    }
    MoveWindow(reinterpret_cast<HWND>(control->handle), request.left, request.top, request.right - request.left,
        request.bottom - request.top, FALSE);
    return control;
}

// A DirectShow movie player, made only for requests titled "movie player: ...".
// values[0]: the file's name, values[1]: volume 0..256, values[2]: the skip
// delay in ms. The movie fills the window; the play's result is in the
// window's error member (the window is made even when the file cannot play,
// so the caller can read why).
constexpr char kMoviePlayerTitle[] = "movie player: ";

FCVWin* makeMoviePlayer(const FCWindowRequest& request, FCOasys& manager)
{
    if (!request.title || std::strncmp(request.title, kMoviePlayerTitle, sizeof kMoviePlayerTitle - 1) != 0)
        return nullptr;
    FCWindowHandle parentWindow = request.parent ? request.parent->handle : manager.owner.handle;
    int32_t width = request.right - request.left;
    int32_t height = request.bottom - request.top;
    auto* player = new UxWmvWindow(parentWindow, request.left, request.top, width, height, width, height);
    if (!player->create()) {
        delete player;
        return nullptr;
    }
    ShowWindow(reinterpret_cast<HWND>(player->handle), SW_SHOWNA);
    player->setSkipDelay(static_cast<uint32_t>(request.values[2]));
    const char* file = reinterpret_cast<const char*>(request.values[0]);
    player->play(file ? file : "", 0, static_cast<int32_t>(request.values[1]));
    return player;
}

// The hidden window that owns the window thread's popup menus; the
// scenario thread cancels a menu through it when the game closes.
std::atomic<HWND> g_menuOwner { nullptr };

HWND menuOwner()
{
    static thread_local HWND owner = nullptr;
    if (owner && IsWindow(owner))
        return owner;
    WNDCLASSW record = {};
    record.lpfnWndProc = DefWindowProcW;
    record.hInstance = GetModuleHandleW(nullptr);
    record.lpszClassName = L"LumivexMenuOwner";
    RegisterClassW(&record);
    owner = CreateWindowExW(
        WS_EX_TOOLWINDOW, record.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, record.hInstance, nullptr);
    g_menuOwner = owner;
    return owner;
}

// The application's active state as the top window last heard it.
std::atomic<int32_t> g_applicationActive { 1 };

// A left press on a draggable window, waiting to become a click (released
// in place) or a move (held for 400 ms, or moved by more than 2 pixels).
constexpr wchar_t kDragProperty[] = L"LumivexDrag";
constexpr UINT_PTR kPressTimer = 1;
constexpr UINT kPressTimerMilliseconds = 400;
constexpr LONG kDragThreshold = 2;
// The message-filter code of the move and size loop (MSGF_SIZE, which
// mingw's headers leave out).
constexpr int kFilterSizeMove = 4;

struct PendingPress {
    HWND pressed = nullptr; // the window clicked; the press timer runs on it
    HWND mover = nullptr; // the listed window that the drag moves
    POINT at = {}; // where the press was, in screen coordinates
};

// The window thread's own state: one window thread per manager.
struct WindowThreadState {
    FCOasys* manager = nullptr;
    PendingPress press;
    // Thread messages held back while a modal loop runs, posted again once
    // the window thread's own loop has control.
    std::vector<MSG> deferred;
};
thread_local WindowThreadState* t_windowThread = nullptr;

// Deletes a scenario window on the window thread, with what was attached to it.
void deleteScenarioWindow(FCVWin* window)
{
    if (!window)
        return;
    if (HWND handle = reinterpret_cast<HWND>(window->handle)) {
        if (IsWindow(handle))
            RemovePropW(handle, kDragProperty);
        if (t_windowThread && (t_windowThread->press.mover == handle || IsChild(handle, t_windowThread->press.pressed)))
            t_windowThread->press = PendingPress();
    }
    delete window;
}

bool isKeyboardOrMouse(UINT message)
{
    return (message >= WM_KEYFIRST && message <= 0x108) || (message >= WM_MOUSEFIRST && message <= 0x20D);
}

// The monitor's record of a block of integer registers.
void sendRegisters(HWND from, HWND monitor, uint32_t kind, const FCReg& registers)
{
    COPYDATASTRUCT data = {};
    data.dwData = kind + static_cast<uint32_t>(registers.count);
    data.cbData = static_cast<DWORD>(registers.count) * 4;
    data.lpData = registers.elements;
    SendMessageW(monitor, WM_COPYDATA, reinterpret_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&data));
}

void sendText(HWND from, HWND monitor, uint32_t kind, const FCString& text)
{
    COPYDATASTRUCT data = {};
    data.dwData = kind;
    data.cbData = static_cast<DWORD>(text.length()) + 1;
    data.lpData = const_cast<char*>(text.text());
    SendMessageW(monitor, WM_COPYDATA, reinterpret_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&data));
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
        requestStop();
        // An entry that never waits for input finds the stop between entries.
        postStop(scenarioThread);
        waitForThreadEnd(scenarioThread);
    }
    if (windowThread.running()) {
        postStop(windowThread);
        waitForThreadEnd(windowThread);
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
    WindowThreadState state;
    state.manager = this;
    t_windowThread = &state;
    HHOOK filter = SetWindowsHookExW(
        WH_MSGFILTER, reinterpret_cast<HOOKPROC>(&FCOasys::filterModalMessage), nullptr, GetCurrentThreadId());

    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Input that arrives while EXIT_ENTRY or EXCEPTION_ENTRY runs goes nowhere.
        if (exiting && isKeyboardOrMouse(message.message))
            continue;
        if (!message.hwnd && message.message == kMessageStop) {
            destroyAllScenarioWindows();
            break;
        }
        if (!message.hwnd && handleWindowThreadMessage(message.message, message.wParam, message.lParam)) {
        } else if (!message.hwnd || !routeWindowInput(&message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        // What a modal loop held back goes behind what is queued now.
        for (const MSG& held : state.deferred)
            PostThreadMessageW(GetCurrentThreadId(), held.message, held.wParam, held.lParam);
        state.deferred.clear();
    }

    if (filter)
        UnhookWindowsHookEx(filter);
    t_windowThread = nullptr;
}

bool FCOasys::routeWindowInput(void* rawMessage)
{
    MSG& message = *static_cast<MSG*>(rawMessage);
    PendingPress& press = t_windowThread->press;
    switch (message.message) {
    case WM_KEYDOWN:
        if (waiting)
            postToWindowThread(kMessageInput, message.wParam, message.lParam);
        return false;
    case WM_LBUTTONDOWN:
    // Windows of classes with double clicks turn a quick second press into
    // this message: it is a press like the first.
    case WM_LBUTTONDBLCLK:
        if (!press.pressed) {
            if (HWND mover = reinterpret_cast<HWND>(dragTarget(reinterpret_cast<FCWindowHandle>(message.hwnd)))) {
                press.pressed = message.hwnd;
                press.mover = mover;
                press.at = message.pt;
                SetTimer(message.hwnd, kPressTimer, kPressTimerMilliseconds, nullptr);
                return true;
            }
        }
        if (waiting)
            postClick(kInputLeftClick, message.lParam);
        return false;
    case WM_MOUSEMOVE:
        if (press.pressed
            && (labs(message.pt.x - press.at.x) > kDragThreshold || labs(message.pt.y - press.at.y) > kDragThreshold)) {
            startDragMove();
            return true;
        }
        return false;
    case WM_TIMER:
        if (message.wParam == kPressTimer && message.hwnd == press.pressed) {
            startDragMove();
            return true;
        }
        return false;
    case WM_LBUTTONUP:
        if (press.pressed) {
            // The press stayed a click: it counts now, and the window gets
            // the press it was not given.
            HWND pressed = press.pressed;
            KillTimer(pressed, kPressTimer);
            press = PendingPress();
            if (waiting)
                postClick(kInputLeftClick, message.lParam);
            if (IsWindow(pressed))
                SendMessageW(pressed, WM_LBUTTONDOWN, MK_LBUTTON, message.lParam);
        }
        return false;
    case WM_RBUTTONUP:
        if (waiting)
            postClick(kInputRightClick, message.lParam);
        return false;
    default:
        return false;
    }
}

FCWindowHandle FCOasys::dragTarget(FCWindowHandle pressed)
{
    FCLock lock(&windowLock);
    for (HWND window = reinterpret_cast<HWND>(pressed); window;) {
        FCVWin* listed = nullptr;
        FCXListIterator<FCVWin> each(&windows);
        while (FCVWin* candidate = each.next()) {
            if (reinterpret_cast<HWND>(candidate->handle) == window) {
                listed = candidate;
                break;
            }
        }
        if (listed) {
            if (GetPropW(window, kDragProperty))
                return reinterpret_cast<FCWindowHandle>(window);
            // A layer viewport without the flag keeps its windows in place.
            if (listed->kind() == 6)
                return nullptr;
        }
        window = (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr;
    }
    return nullptr;
}

void FCOasys::startDragMove()
{
    PendingPress& press = t_windowThread->press;
    HWND pressed = press.pressed;
    HWND mover = press.mover;
    press = PendingPress();
    KillTimer(pressed, kPressTimer);
    // Once the run is ending no move begins: its button-up, dropped with
    // the rest of the input, would never end it, and the exit would wait.
    if (exiting || !IsWindow(mover))
        return;
    // Waits and window requests hold off until the window is put down.
    busy = 1;
    SendMessageW(mover, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
    busy = 0;
}

intptr_t LUMIVEX_STDCALL FCOasys::filterModalMessage(int code, uintptr_t wParam, intptr_t lParam)
{
    auto* message = reinterpret_cast<MSG*>(lParam);
    WindowThreadState* state = t_windowThread;
    if (code >= 0 && message && !message->hwnd && state && state->manager
        && state->manager->takeModalThreadMessage(message, code))
        return TRUE;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool FCOasys::takeModalThreadMessage(void* rawMessage, int filterCode)
{
    const MSG& message = *static_cast<const MSG*>(rawMessage);
    switch (message.message) {
    case kMessageStop:
        // The game is closing: end the move or the menu, and stop once the
        // window thread's own loop runs again. A message box stays until
        // it is answered.
        t_windowThread->deferred.push_back(message);
        if (filterCode == MSGF_MENU)
            EndMenu();
        else if (filterCode == kFilterSizeMove)
            PostMessageW(GetCapture(), WM_KEYDOWN, VK_ESCAPE, 0);
        return true;
    case kMessagePopupMenu:
        // One modal loop at a time: the menu comes after this one.
        t_windowThread->deferred.push_back(message);
        return true;
    default:
        return handleWindowThreadMessage(message.message, message.wParam, message.lParam);
    }
}

void FCOasys::destroyRequestedWindow(const char* name, FCVWin* window)
{
    {
        FCLock lock(&windowLock);
        // The node is found once and goes itself: searching again by key
        // could take another window's node (same name, or no name and no
        // handle left), leaving this window listed after its deletion.
        FCXListNode<FCVWin>* node = nullptr;
        if (name) {
            FCVWin key;
            key.name = name;
            node = windows.findKey(&key);
        } else if (window) {
            node = windows.findItem(window);
        }
        // Only listed windows are deleted: anything else is gone already.
        window = windows.isValidNode(node) ? node->item : nullptr;
        // Scenario windows are listed without ownership: the node goes, the window is deleted below.
        if (window)
            windows.removeNode(node, true);
    }
    deleteScenarioWindow(window);
    requestDone.set();
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
    showFailure(owner, error, "FCOasys - scenario");
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
    scenario = state;
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
        // Posted: a monitor that hangs must not hang the game's exit.
        PostMessageW(attached, 1862, 0, 0);
    }
    delete state;
    delete resident;
    PostMessageW(reinterpret_cast<HWND>(owner.handle), kMessageScenarioEnded, 0, 0);
    return result;
}

// --- Input waits ---

void FCOasys::requestStop()
{
    // The stop first: a wait woken by the input event must find it set, or
    // it would take the last input code for the player's.
    stop.set();
    if (waiting) {
        input.set();
        waiting = 0;
    }
}

int32_t FCOasys::waitInput(int32_t timeout, int32_t mode, int32_t raw)
{
    waitUntilFree(100);
    input.wait(INFINITE);
    input.reset();
    waitMode = mode;
    waiting = 1;
    DWORD milliseconds = timeout == -1 ? INFINITE
        : raw                          ? static_cast<DWORD>(timeout)
                                       : static_cast<DWORD>(timeout) * 100;
    HANDLE events[2] = { stop.handle, input.handle };
    switch (WaitForMultipleObjects(2, events, FALSE, milliseconds)) {
    case WAIT_OBJECT_0:
        waiting = 0;
        input.set();
        throw ExitScenarioException();
    case WAIT_OBJECT_0 + 1:
        // Woken for a stop that set the input event too: the stop wins.
        if (stop.wait(0) == WAIT_OBJECT_0) {
            waiting = 0;
            throw ExitScenarioException();
        }
        return inputCode;
    case WAIT_TIMEOUT:
        waiting = 0;
        input.set();
        return kInputTimedOut;
    default:
        return -1;
    }
}

void FCOasys::endWait(int32_t code, int32_t data)
{
    inputCode = code;
    inputData = data;
    waiting = 0;
    input.set();
}

void FCOasys::takeInput(int32_t code, int32_t data)
{
    if (!waiting || exiting)
        return;
    if (waitMode == 1) {
        if (code == kInputLeftClick || code == 13 || code == 32)
            endWait(13, 0);
        else if (code == kInputRightClick || code == 27)
            endWait(27, 0);
        else if (code == kInputWheelDown || code == kInputWheelUp)
            endWait(code, 0);
        return;
    }
    // Shift and Ctrl only modify other keys.
    if (code == VK_SHIFT || code == VK_CONTROL)
        return;
    endWait(code, data);
}

void FCOasys::postToWindowThread(unsigned message, uintptr_t wParam, intptr_t lParam)
{
    PostThreadMessageW(windowThread.id, message, wParam, lParam);
}

void FCOasys::postClick(int32_t button, intptr_t lParam)
{
    // The click wait takes clicks as Enter and Escape; other waits as
    // buttons, with the point.
    if (waitMode == 1)
        postToWindowThread(kMessageInput, button == kInputLeftClick ? 13 : 27, 0);
    else
        postToWindowThread(kMessageInput, static_cast<uintptr_t>(button), lParam);
}

// --- The window thread's own messages ---

void FCOasys::destroyAllScenarioWindows()
{
    FCLock lock(&windowLock);
    FCXListIterator<FCVWin> each(&windows);
    while (FCVWin* window = each.next())
        deleteScenarioWindow(window);
    windows.clear();
}

bool FCOasys::handleWindowThreadMessage(unsigned message, uintptr_t wParam, intptr_t lParam)
{
    switch (message) {
    case kMessageDestroyAllWindows:
        destroyAllScenarioWindows();
        return true;
    case kMessageSetCursor:
        if (auto* cursor = reinterpret_cast<FCCursor*>(wParam))
            SetCursor(cursor->handle);
        return true;
    case kMessageActivateApp:
        PostMessageW(reinterpret_cast<HWND>(topWindow), WM_ACTIVATEAPP, wParam, lParam);
        return true;
    case kMessageActivationChanged: {
        FCLock lock(&windowLock);
        FCXListIterator<FCVWin> each(&windows);
        while (FCVWin* window = each.next()) {
            if (window->kind() == 6 && window->isLive())
                PostMessageW(reinterpret_cast<HWND>(window->handle), WM_NCACTIVATE, wParam, 0);
        }
        return true;
    }
    case kMessageDestroyWindow:
        // wParam names the window; without a name lParam is the window itself.
        destroyRequestedWindow(reinterpret_cast<const char*>(wParam), reinterpret_cast<FCVWin*>(lParam));
        return true;
    case kMessageCreateWindow:
        createRequestedWindow(reinterpret_cast<FCWindowRequest*>(lParam));
        requestDone.set();
        return true;
    case kMessagePopupMenu:
        showPopupMenu(reinterpret_cast<FCPopupMenuRequest*>(wParam));
        menuDone.set();
        return true;
    case kMessageStartWaiting:
        waiting = 1;
        return true;
    case kMessageInput:
        takeInput(static_cast<int32_t>(wParam), static_cast<int32_t>(lParam));
        return true;
    case kMessageRestoreFocus:
        if (focusWindow && focusWindow->isLive() && GetFocus() != reinterpret_cast<HWND>(focusWindow->handle))
            SetFocus(reinterpret_cast<HWND>(focusWindow->handle));
        return true;
    default:
        return false;
    }
}

// --- The hooked top-level window ---

void FCOasys::askToClose(FCWindowHandle window)
{
    HWND top = reinterpret_cast<HWND>(window);
    if (closeQuestion[0]) {
        LRESULT answer = SendMessageW(reinterpret_cast<HWND>(owner.handle), kMessageMayClose, kMayCloseQuery, 0);
        if (answer != UxMessageBox::kIdYes && answer != UxMessageBox::kIdNo && answer != UxMessageBox::kIdOk
            && answer != UxMessageBox::kIdCancel) {
            answer = UxMessageBox::show(window, closeQuestion, "scenario manager",
                UxMessageBox::kYesNo | UxMessageBox::kIconExclamation | UxMessageBox::kTaskModal
                    | UxMessageBox::kSetForeground);
        }
        if (answer != UxMessageBox::kIdYes)
            return;
    }
    if (IsIconic(top))
        ShowWindow(top, SW_RESTORE);
    PostMessageW(reinterpret_cast<HWND>(owner.handle), kMessageCloseConfirmed, 0, 0);
    stop.set();
}

bool FCOasys::handleTopWindowMessage(
    FCWindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result)
{
    HWND top = reinterpret_cast<HWND>(window);
    if (waiting && !exiting) {
        switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            postToWindowThread(kMessageInput, kInputLeftClick, 0);
            break;
        case WM_KEYDOWN:
            postToWindowThread(kMessageInput, wParam, lParam);
            break;
        case WM_SYSKEYDOWN:
            if (wParam == VK_F10) {
                postToWindowThread(kMessageInput, wParam, lParam);
                result = 0;
                return true;
            }
            break;
        case WM_MOUSEWHEEL:
            postToWindowThread(kMessageInput, GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? kInputWheelDown : kInputWheelUp, 0);
            break;
        default:
            break;
        }
    }
    switch (message) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            askToClose(window);
            result = 0;
            return true;
        }
        return false;
    case WM_SETFOCUS:
        if (focusWindow && focusWindow->handle != window)
            postToWindowThread(kMessageRestoreFocus, 0, 0);
        return false;
    case WM_ACTIVATEAPP: {
        DWORD otherThread = static_cast<DWORD>(lParam);
        if (otherThread != windowThread.id && otherThread != scenarioThread.id) {
            int32_t nowActive = wParam ? 1 : 0;
            postToWindowThread(kMessageActivationChanged, nowActive, 0);
            g_applicationActive = nowActive;
            active = nowActive;
            PostMessageW(top, WM_NCACTIVATE, nowActive, 0);
        }
        return false;
    }
    case kMonitorAttach:
        monitor = reinterpret_cast<FCWindowHandle>(wParam);
        result = reinterpret_cast<intptr_t>(top);
        return true;
    case kMonitorDetach:
        monitor = nullptr;
        result = 0;
        return true;
    case kMonitorSendRegisters:
    case kMonitorSendSystemRegisters:
    case kMonitorSendString:
    case kMonitorSetRegister:
    case kMonitorSetSystemRegister:
    case kMonitorSendEntry:
        serveMonitor(window, message, wParam, lParam);
        result = 0;
        return true;
    case WM_COPYDATA: {
        HWND from = reinterpret_cast<HWND>(wParam);
        auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (!monitor || from != reinterpret_cast<HWND>(monitor) || !data)
            return false;
        FCScenario* state = scenario;
        uint32_t index = static_cast<uint32_t>(data->dwData) & 0xFFFFFF;
        if (state && index < static_cast<uint32_t>(state->stringRegisters.count)) {
            // The text as sent, cut at its terminator or its size.
            const char* text = static_cast<const char*>(data->lpData);
            size_t length = text ? strnlen(text, data->cbData) : 0;
            FCString value;
            value.assign(text ? text : "", static_cast<int32_t>(length), FCString::kDefaultBlockSize);
            state->stringRegisters.elements[index] = value;
        }
        result = 1;
        return true;
    }
    default:
        return false;
    }
}

void FCOasys::serveMonitor(FCWindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    HWND top = reinterpret_cast<HWND>(window);
    HWND attached = reinterpret_cast<HWND>(monitor);
    FCScenario* state = scenario;
    if (!state)
        return;
    uint32_t index = static_cast<uint32_t>(wParam);
    switch (message) {
    case kMonitorSendRegisters:
        if (attached)
            sendRegisters(top, attached, 0x1000000, state->registers);
        break;
    case kMonitorSendSystemRegisters:
        if (attached)
            sendRegisters(top, attached, 0x2000000, state->systemRegisters);
        break;
    case kMonitorSendString:
        if (attached && index < static_cast<uint32_t>(state->stringRegisters.count))
            sendText(top, attached, 0x3000000 + index, state->stringRegisters.elements[index]);
        break;
    case kMonitorSetRegister:
        if (index < static_cast<uint32_t>(state->registers.count))
            state->registers.elements[index] = static_cast<int32_t>(lParam);
        break;
    case kMonitorSetSystemRegister:
        if (index < static_cast<uint32_t>(state->systemRegisters.count)) {
            state->setSystemRegister(static_cast<int32_t>(index), static_cast<int32_t>(lParam), false);
            // The save works on copies: while its Retry box is up the run
            // may end and its state go. A save the player cancels is shown
            // here: nothing may be thrown through the top window's procedure.
            const FCString name = state->systemDataName();
            FCReg registers;
            registers.create(state->systemRegisters.count);
            std::copy_n(state->systemRegisters.elements, registers.count, registers.elements);
            state = nullptr;
            try {
                FCScenario::saveSystemData(name, registers);
            } catch (const Diagnostic& failure) {
                failure.show(owner.handle);
            }
        }
        break;
    case kMonitorSendEntry:
        if (attached)
            sendText(top, attached, 0x4000000, state->nextEntry);
        break;
    default:
        break;
    }
}

// --- Window requests and popup menus ---

void FCOasys::registerWindowFactory(int32_t kind, FCWindowFactory factory)
{
    if (kind >= 0 && kind < kFactoryKinds)
        g_factories[kind] = factory;
}

void FCOasys::waitUntilFree(uint32_t pollMilliseconds)
{
    while (busy)
        Sleep(pollMilliseconds);
}

FCVWin* FCOasys::requestWindow(FCWindowRequest& request)
{
    request.created = nullptr;
    waitUntilFree(50);
    requestDone.wait(INFINITE);
    requestDone.reset();
    // Windows made while the game is minimised would come up wrongly sized.
    while (IsIconic(reinterpret_cast<HWND>(topWindow))) {
        if (stop.wait(50) == WAIT_OBJECT_0) {
            requestDone.set();
            throw ExitScenarioException();
        }
    }
    if (!PostThreadMessageW(windowThread.id, kMessageCreateWindow, 0, reinterpret_cast<LPARAM>(&request))) {
        requestDone.set();
        return nullptr;
    }
    requestDone.wait(INFINITE);
    return request.created;
}

void FCOasys::destroyWindow(const char* name)
{
    if (!name || !*name || !windowThread.running())
        return;
    requestDone.wait(INFINITE);
    requestDone.reset();
    if (!PostThreadMessageW(windowThread.id, kMessageDestroyWindow, reinterpret_cast<WPARAM>(name), 0)) {
        requestDone.set();
        return;
    }
    requestDone.wait(INFINITE);
}

void FCOasys::createRequestedWindow(FCWindowRequest* request)
{
    if (!request)
        return;
    request->created = nullptr;
    if (request->kind == 4 && !g_factories[4].load())
        g_factories[4] = makeChildWindow;
    if (request->kind == FCAviView::kKind && !g_factories[FCAviView::kKind].load())
        g_factories[FCAviView::kKind] = makeAviView;
    if (request->kind == UxWmvWindow::kKind && !g_factories[UxWmvWindow::kKind].load())
        g_factories[UxWmvWindow::kKind] = makeMoviePlayer;
    if (request->kind == FCAnimatedControl::kKind && !g_factories[FCAnimatedControl::kKind].load())
        g_factories[FCAnimatedControl::kKind] = makeAnimatedControl;
    if (request->kind == FCLayerViewport::kKind && !g_factories[FCLayerViewport::kKind].load())
        g_factories[FCLayerViewport::kKind] = FCLayerViewport::make;
    FCWindowFactory factory
        = request->kind >= 0 && request->kind < kFactoryKinds ? g_factories[request->kind].load() : nullptr;
    if (!factory)
        return;
    FCVWin* window = nullptr;
    try {
        window = factory(*request, *this);
    } catch (const Diagnostic& failure) {
        failure.show(owner.handle);
    } catch (const std::bad_alloc&) {
        NotEnoughMemoryException("FCOasys - winCreate", kNotEnoughMemoryText).show(owner.handle);
    }
    if (!window)
        return;
    if (request->name)
        window->name = request->name;
    if ((request->flags & FCWindowRequest::kDraggable) && window->handle)
        SetPropW(reinterpret_cast<HWND>(window->handle), kDragProperty, reinterpret_cast<HANDLE>(1));
    {
        FCLock lock(&windowLock);
        windows.add(window, 0);
    }
    request->created = window;
}

int32_t FCOasys::trackPopupMenu(FCPopupMenuRequest& request)
{
    request.command = 0;
    menuDone.wait(INFINITE);
    menuDone.reset();
    if (stop.wait(0) == WAIT_OBJECT_0) {
        menuDone.set();
        throw ExitScenarioException();
    }
    if (!PostThreadMessageW(windowThread.id, kMessagePopupMenu, reinterpret_cast<WPARAM>(&request), 0)) {
        menuDone.set();
        return 0;
    }
    HANDLE events[2] = { menuDone.handle, stop.handle };
    if (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0)
        return request.command;
    // The game is closing: the menu must go before the request it reads
    // leaves this stack. A cancel that comes before the menu is up is lost,
    // so it is sent until the window thread answers.
    while (menuDone.wait(50) == WAIT_TIMEOUT) {
        if (HWND owner = g_menuOwner.load())
            PostMessageW(owner, WM_CANCELMODE, 0, 0);
    }
    throw ExitScenarioException();
}

void FCOasys::showPopupMenu(FCPopupMenuRequest* request)
{
    if (!request || !request->menu)
        return;
    POINT at = { request->x, request->y };
    if (at.x == -1 && at.y == -1)
        GetCursorPos(&at);
    HWND menuWindow = menuOwner();
    // The owner must be in front, or the menu would not close when the player
    // clicks elsewhere.
    SetForegroundWindow(menuWindow);
    request->command = static_cast<int32_t>(TrackPopupMenu(
        request->menu, request->flags | TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, menuWindow, nullptr));
    PostMessageW(menuWindow, WM_NULL, 0, 0);
}
