#include "window/FCWindow.h"

#include <windows.h>

#include <algorithm>

#include <mmsystem.h>

#include <string>
#include <vector>

#include "foundation/Diagnostic.h"
#include "foundation/TextCodePage.h"
#include "window/detail/TextMessages_win32.h"
#include "window/detail/WideResourceName.h"

namespace {

HWND hwndOf(FCWindowHandle window)
{
    return reinterpret_cast<HWND>(window);
}

// The window a message is being dispatched to on this thread. Default
// handling needs it while the object's handle is not yet set (the messages
// of creation) or already cleared (after WM_DESTROY).
thread_local HWND t_dispatchWindow = nullptr;

// A character message whose wide character the dispatcher turned into the
// game's code page: default handling must see the character the system
// sent, once, and only for the last translated value.
struct CharacterTranslation {
    UINT message = 0;
    WPARAM systemValue = 0;
    WPARAM lastValue = 0;
};
thread_local CharacterTranslation t_translation;

class TranslationScope {
public:
    TranslationScope(UINT message, WPARAM systemValue, WPARAM lastValue)
        : m_outer(t_translation)
    {
        t_translation = { message, systemValue, lastValue };
    }
    ~TranslationScope() { t_translation = m_outer; }

private:
    CharacterTranslation m_outer;
};

// Nothing may be thrown through the system's window procedure: a failure in
// a handler is shown and the message counts as handled.
FCLResult dispatchSafely(FCWindow* window, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND outer = t_dispatchWindow;
    CharacterTranslation outerTranslation = t_translation;
    t_dispatchWindow = hwnd;
    t_translation = {};
    FCLResult result = 0;
    try {
        result = window->windowProc(message, wParam, lParam);
    } catch (...) {
        showFailure(reinterpret_cast<FCWindowHandle>(hwnd), std::current_exception(), "FCWindow - windowProc");
    }
    t_dispatchWindow = outer;
    t_translation = outerTranslation;
    return result;
}

LRESULT CALLBACK frameworkWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (auto* window = reinterpret_cast<FCWindow*>(GetWindowLongPtrW(hwnd, 0)))
        return dispatchSafely(window, hwnd, message, wParam, lParam);
    if (message == WM_CREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        if (auto* window = static_cast<FCWindow*>(create->lpCreateParams)) {
            SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(window));
            return dispatchSafely(window, hwnd, WM_CREATE, reinterpret_cast<WPARAM>(hwnd), lParam);
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A character of the game's code page as the bytes an ANSI window of that
// code page would have been sent.
std::string gameCodePageBytes(WPARAM character)
{
    wchar_t wide[2] = { static_cast<wchar_t>(character), 0 };
    return fromWide(wide);
}

} // namespace

FCWindow::FCWindow(FCWindowHandle parentWindow)
    : parent(parentWindow)
    , reserved(0)
{
}

FCWindow::~FCWindow()
{
    // By now this object is a plain FCWindow again, so the base onClose lets
    // the window close and the base onDestroy runs.
    if (isLive())
        SendMessageW(hwndOf(handle), WM_CLOSE, 0, 0);
}

int32_t FCWindow::kind() const
{
    return 2;
}

FCLResult FCWindow::callDefault(uint32_t message, FCWParam wParam, FCLParam lParam)
{
    HWND hwnd = handle ? hwndOf(handle) : t_dispatchWindow;
    if (t_translation.message && message == t_translation.message) {
        // The text the system sent, exactly, when the handler passes on
        // the converted text it was given.
        if (message == WM_SETTEXT) {
            if (static_cast<WPARAM>(lParam) == t_translation.lastValue)
                return DefWindowProcW(hwnd, message, wParam, static_cast<LPARAM>(t_translation.systemValue));
        } else {
            if (wParam != t_translation.lastValue)
                return 0;
            wParam = t_translation.systemValue;
        }
    }
    if (textmessages::carriesText(message))
        return textmessages::callFromCodePage(hwnd, message, wParam, lParam, DefWindowProcW);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// --- Registration and creation ---

int32_t FCWindow::createWindow(const char* windowClassName)
{
    WideResourceName wideClass(windowClassName);
    std::wstring title = toWide(windowTitle());
    HWND created = CreateWindowExW(exStyle(), wideClass.get(), title.c_str(), style(), initialX(), initialY(),
        initialWidth(), initialHeight(), hwndOf(parentHandle()), menuHandle(), GetModuleHandleW(nullptr), this);
    handle = reinterpret_cast<FCWindowHandle>(created);
    return created ? 1 : 0;
}

int32_t FCWindow::createWithClass(const char* windowClassName)
{
    if (isLive())
        return 0;
    return createWindow(windowClassName);
}

int32_t FCWindow::finishCreation(bool showFirst)
{
    if (!isLive())
        return 0;
    if (showFirst && showOnCreate())
        ShowWindow(hwndOf(handle), showCommand());
    update();
    onCreated();
    if (!classCursor())
        SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));
    return 1;
}

int32_t FCWindow::registerAndCreate(bool extended)
{
    if (isLive())
        return 0;
    WideResourceName menuName(classMenuName());
    WideResourceName wideClass(className());
    WNDCLASSEXW record = {};
    record.cbSize = sizeof(record);
    record.style = classStyle();
    record.lpfnWndProc = frameworkWindowProcedure;
    record.cbClsExtra = classExtraBytes();
    // The first extra bytes hold the object pointer, whatever a class asks for.
    record.cbWndExtra = std::max<int>(windowExtraBytes(), sizeof(FCWindow*));
    record.hInstance = GetModuleHandleW(nullptr);
    record.hIcon = classIcon();
    record.hCursor = classCursor();
    record.hbrBackground = classBrush();
    record.lpszMenuName = menuName.get();
    record.lpszClassName = wideClass.get();
    ATOM registered;
    if (extended) {
        record.hIconSm = classSmallIcon();
        registered = RegisterClassExW(&record);
    } else {
        WNDCLASSW plain = { record.style, record.lpfnWndProc, record.cbClsExtra, record.cbWndExtra, record.hInstance,
            record.hIcon, record.hCursor, record.hbrBackground, record.lpszMenuName, record.lpszClassName };
        registered = RegisterClassW(&plain);
    }
    if (!registered)
        createWithClass(className());
    else
        createWindow(className());
    return finishCreation(!extended);
}

int32_t FCWindow::create()
{
    return registerAndCreate(false);
}

int32_t FCWindow::createEx()
{
    return registerAndCreate(true);
}

void FCWindow::adoptCursor(FCCursor* other)
{
    if (other)
        cursor.adopt(*other);
}

void FCWindow::selectCursor(const char* nameOrNumber)
{
    if (WideResourceName::isNumber(nameOrNumber)) {
        cursorName = "";
        cursor.load(nameOrNumber);
        return;
    }
    if (!cursorName.isEmpty() && cursorName == nameOrNumber)
        return;
    cursor.load(nameOrNumber);
    cursorName = nameOrNumber;
}

// --- Dispatch ---

FCLResult FCWindow::windowProc(uint32_t message, FCWParam wParam, FCLParam lParam)
{
    if (message >= 0x0400 && message <= 0x7FFF)
        return onUserMessage(message, wParam, lParam);
    if (message >= 0x8000 && message <= 0xBFFF)
        return onAppMessage(message, wParam, lParam);
    switch (message) {
    case WM_PAINT: {
        HWND hwnd = handle ? hwndOf(handle) : t_dispatchWindow;
        if (!GetUpdateRect(hwnd, nullptr, FALSE))
            return callDefault(message, wParam, lParam);
        onBeginPaint();
        PAINTSTRUCT paint;
        BeginPaint(hwnd, &paint);
        onPaint(&paint);
        EndPaint(hwnd, &paint);
        onEndPaint();
        return 0;
    }
    case WM_CLOSE:
        if (onClose())
            return callDefault(message, wParam, lParam);
        return 0;
    case WM_DESTROY: {
        FCLResult result = onDestroy(wParam, lParam);
        handle = nullptr;
        parent.handle = nullptr;
        return result;
    }
    case WM_CREATE:
        return onCreate(reinterpret_cast<FCWindowHandle>(wParam), reinterpret_cast<tagCREATESTRUCTW*>(lParam));
    case WM_TIMER:
        return onTimer(wParam, lParam);
    case WM_QUERYENDSESSION:
        return onQueryEndSession(wParam, lParam);
    case WM_ENDSESSION:
        return onEndSession(wParam, lParam);
    case WM_COMMAND:
        return onCommand(wParam, lParam);
    case WM_NOTIFY:
        return onNotify(wParam, lParam);
    case WM_PARENTNOTIFY:
        return onParentNotify(wParam, lParam);
    case WM_SYSCOMMAND:
        return onSysCommand(wParam, lParam);
    case WM_DISPLAYCHANGE:
        return onDisplayChange(wParam, lParam);
    case WM_LBUTTONDBLCLK:
        return onLButtonDblClk(wParam, lParam);
    case WM_LBUTTONDOWN:
        return onLButtonDown(wParam, lParam);
    case WM_LBUTTONUP:
        return onLButtonUp(wParam, lParam);
    case WM_RBUTTONDBLCLK:
        return onRButtonDblClk(wParam, lParam);
    case WM_RBUTTONDOWN:
        return onRButtonDown(wParam, lParam);
    case WM_RBUTTONUP:
        return onRButtonUp(wParam, lParam);
    case WM_MBUTTONDOWN:
        return onMButtonDown(wParam, lParam);
    case WM_MBUTTONUP:
        return onMButtonUp(wParam, lParam);
    case WM_MOUSEMOVE:
        return onMouseMove(wParam, lParam);
    case WM_DROPFILES:
        return onDropFiles(wParam, lParam);
    case WM_SETCURSOR:
        return onSetCursor(wParam, lParam);
    case WM_CHAR: {
        if (wParam < 0x80)
            return onChar(wParam, lParam);
        std::string bytes = gameCodePageBytes(wParam);
        if (bytes.empty())
            return 0;
        TranslationScope scope(WM_CHAR, wParam, static_cast<unsigned char>(bytes.back()));
        FCLResult result = 0;
        for (unsigned char byte : bytes)
            result = onChar(byte, lParam);
        return result;
    }
    case WM_KEYDOWN:
        return onKeyDown(wParam, lParam);
    case WM_KEYUP:
        return onKeyUp(wParam, lParam);
    case WM_SYSCHAR:
        return onSysChar(wParam, lParam);
    case WM_SYSKEYDOWN:
        return onSysKeyDown(wParam, lParam);
    case WM_SYSKEYUP:
        return onSysKeyUp(wParam, lParam);
    case WM_QUERYOPEN:
        return onQueryOpen(wParam, lParam);
    case WM_SIZE:
        return onSize(wParam, lParam);
    case WM_SIZING:
        return onSizing(wParam, lParam);
    case WM_GETMINMAXINFO:
        return onGetMinMaxInfo(wParam, lParam);
    case WM_MOVE:
        return onMove(wParam, lParam);
    case WM_MOVING:
        return onMoving(wParam, lParam);
    case WM_WINDOWPOSCHANGED:
        return onWindowPosChanged(wParam, lParam);
    case WM_WINDOWPOSCHANGING:
        return onWindowPosChanging(wParam, lParam);
    case WM_ENTERSIZEMOVE:
        return onEnterSizeMove(wParam, lParam);
    case WM_EXITSIZEMOVE:
        return onExitSizeMove(wParam, lParam);
    case WM_INITMENUPOPUP:
        return onInitMenuPopup(wParam, lParam);
    case WM_CONTEXTMENU:
        return onContextMenu(wParam, lParam);
    case WM_ACTIVATEAPP:
        return onActivateApp(wParam, lParam);
    case WM_ACTIVATE:
        return onActivate(wParam, lParam);
    case WM_SETFOCUS:
        return onSetFocus(wParam, lParam);
    case WM_KILLFOCUS:
        return onKillFocus(wParam, lParam);
    case WM_HSCROLL:
        return onHScroll(wParam, lParam);
    case WM_VSCROLL:
        return onVScroll(wParam, lParam);
    case WM_PALETTECHANGED:
        return onPaletteChanged(wParam, lParam);
    case WM_QUERYNEWPALETTE:
        return onQueryNewPalette(wParam, lParam);
    case WM_SYSCOLORCHANGE:
        return onSysColorChange(wParam, lParam);
    case WM_NCACTIVATE:
        return onNcActivate(wParam, lParam);
    case WM_NCHITTEST:
        return onNcHitTest(wParam, lParam);
    case WM_IME_CHAR: {
        if (wParam < 0x80)
            return onImeChar(wParam, lParam);
        FCWParam value = 0;
        for (unsigned char byte : gameCodePageBytes(wParam))
            value = (value << 8) | byte;
        TranslationScope scope(WM_IME_CHAR, wParam, value);
        return onImeChar(value, lParam);
    }
    // Handlers see text in the game's code page, as an ANSI window would.
    case WM_SETTEXT: {
        if (!lParam)
            return defaultProc(message, wParam, lParam);
        const std::string text = fromWide(reinterpret_cast<const wchar_t*>(lParam));
        TranslationScope scope(WM_SETTEXT, static_cast<WPARAM>(lParam), reinterpret_cast<WPARAM>(text.c_str()));
        return defaultProc(message, wParam, reinterpret_cast<LPARAM>(text.c_str()));
    }
    case WM_GETTEXT: {
        auto* out = reinterpret_cast<wchar_t*>(lParam);
        if (!out || wParam == 0)
            return defaultProc(message, wParam, lParam);
        // Room for every character as two bytes.
        std::vector<char> text(2 * static_cast<size_t>(wParam) + 1, '\0');
        FCLResult bytes = defaultProc(message, text.size() - 1, reinterpret_cast<LPARAM>(text.data()));
        text[std::clamp<size_t>(static_cast<size_t>(std::max<FCLResult>(bytes, 0)), 0, text.size() - 1)] = '\0';
        const std::wstring wide = toWide(text.data());
        const size_t copied = std::min(wide.size(), static_cast<size_t>(wParam) - 1);
        std::copy_n(wide.c_str(), copied, out);
        out[copied] = L'\0';
        return static_cast<FCLResult>(copied);
    }
    case WM_COPYDATA:
        return onCopyData(wParam, lParam);
    case MM_MCINOTIFY:
        return onMciNotify(wParam, lParam);
    case WM_ERASEBKGND:
        return onEraseBkgnd(wParam, lParam);
    case WM_DEVICECHANGE:
        return onDeviceChange(wParam, lParam);
    default:
        return defaultProc(message, wParam, lParam);
    }
}

// --- Class and window questions ---

uint32_t FCWindow::classStyle()
{
    return CS_VREDRAW | CS_HREDRAW;
}

int32_t FCWindow::classExtraBytes()
{
    return 0;
}

int32_t FCWindow::windowExtraBytes()
{
    // Room for the object pointer (4 bytes in 32 bits).
    return sizeof(FCWindow*);
}

HICON__* FCWindow::classIcon()
{
    return LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
}

HICON__* FCWindow::classCursor()
{
    return nullptr;
}

HBRUSH__* FCWindow::classBrush()
{
    return reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_WINDOW + 1));
}

const char* FCWindow::classMenuName()
{
    return nullptr;
}

const char* FCWindow::className()
{
    return "FCWindow";
}

HICON__* FCWindow::classSmallIcon()
{
    return nullptr;
}

uint32_t FCWindow::exStyle()
{
    return 0;
}

const char* FCWindow::windowTitle()
{
    return className();
}

uint32_t FCWindow::style()
{
    return WS_OVERLAPPEDWINDOW;
}

int32_t FCWindow::initialX()
{
    return static_cast<int32_t>(CW_USEDEFAULT);
}

int32_t FCWindow::initialY()
{
    return static_cast<int32_t>(CW_USEDEFAULT);
}

int32_t FCWindow::initialWidth()
{
    return static_cast<int32_t>(CW_USEDEFAULT);
}

int32_t FCWindow::initialHeight()
{
    return static_cast<int32_t>(CW_USEDEFAULT);
}

FCWindowHandle FCWindow::parentHandle()
{
    return parent.handle;
}

HMENU__* FCWindow::menuHandle()
{
    return loadMenuByName(nullptr);
}

HMENU__* FCWindow::loadMenuByName(const char* menuName)
{
    if (!menuName || (!WideResourceName::isNumber(menuName) && !*menuName))
        return nullptr;
    WideResourceName wide(menuName);
    return LoadMenuW(GetModuleHandleW(nullptr), wide.get());
}

int32_t FCWindow::showCommand()
{
    return SW_SHOWNORMAL;
}

int32_t FCWindow::showOnCreate()
{
    return 1;
}

void FCWindow::onCreated()
{
}

// --- Message handlers ---

int32_t FCWindow::onClose()
{
    return 1;
}

FCLResult FCWindow::defaultProc(uint32_t message, FCWParam wParam, FCLParam lParam)
{
    return callDefault(message, wParam, lParam);
}

void FCWindow::onBeginPaint()
{
}

void FCWindow::onPaint(tagPAINTSTRUCT*)
{
}

void FCWindow::onEndPaint()
{
}

FCLResult FCWindow::onUserMessage(uint32_t message, FCWParam wParam, FCLParam lParam)
{
    return callDefault(message, wParam, lParam);
}

FCLResult FCWindow::onAppMessage(uint32_t message, FCWParam wParam, FCLParam lParam)
{
    return callDefault(message, wParam, lParam);
}

FCLResult FCWindow::onCreate(FCWindowHandle, tagCREATESTRUCTW*)
{
    return 0;
}

FCLResult FCWindow::onSetCursor(FCWParam wParam, FCLParam lParam)
{
    if (cursor.handle && LOWORD(lParam) == HTCLIENT) {
        SetCursor(cursor.handle);
        return 0;
    }
    return callDefault(WM_SETCURSOR, wParam, lParam);
}

FCLResult FCWindow::onMciNotify(FCWParam, FCLParam)
{
    return 0;
}

// The handlers whose default is the system's default handling of their own
// message.
#define LUMIVEX_DEFAULT_HANDLER(slot, message)                                                                         \
    FCLResult FCWindow::slot(FCWParam wParam, FCLParam lParam)                                                         \
    {                                                                                                                  \
        return callDefault(message, wParam, lParam);                                                                   \
    }

LUMIVEX_DEFAULT_HANDLER(onDestroy, WM_DESTROY)
LUMIVEX_DEFAULT_HANDLER(onTimer, WM_TIMER)
LUMIVEX_DEFAULT_HANDLER(onQueryEndSession, WM_QUERYENDSESSION)
LUMIVEX_DEFAULT_HANDLER(onEndSession, WM_ENDSESSION)
LUMIVEX_DEFAULT_HANDLER(onCommand, WM_COMMAND)
LUMIVEX_DEFAULT_HANDLER(onNotify, WM_NOTIFY)
LUMIVEX_DEFAULT_HANDLER(onParentNotify, WM_PARENTNOTIFY)
LUMIVEX_DEFAULT_HANDLER(onSysCommand, WM_SYSCOMMAND)
LUMIVEX_DEFAULT_HANDLER(onDisplayChange, WM_DISPLAYCHANGE)
LUMIVEX_DEFAULT_HANDLER(onLButtonDblClk, WM_LBUTTONDBLCLK)
LUMIVEX_DEFAULT_HANDLER(onLButtonDown, WM_LBUTTONDOWN)
LUMIVEX_DEFAULT_HANDLER(onLButtonUp, WM_LBUTTONUP)
LUMIVEX_DEFAULT_HANDLER(onRButtonDblClk, WM_RBUTTONDBLCLK)
LUMIVEX_DEFAULT_HANDLER(onRButtonDown, WM_RBUTTONDOWN)
LUMIVEX_DEFAULT_HANDLER(onRButtonUp, WM_RBUTTONUP)
LUMIVEX_DEFAULT_HANDLER(onMButtonDown, WM_MBUTTONDOWN)
LUMIVEX_DEFAULT_HANDLER(onMButtonUp, WM_MBUTTONUP)
LUMIVEX_DEFAULT_HANDLER(onMouseMove, WM_MOUSEMOVE)
LUMIVEX_DEFAULT_HANDLER(onDropFiles, WM_DROPFILES)
LUMIVEX_DEFAULT_HANDLER(onChar, WM_CHAR)
LUMIVEX_DEFAULT_HANDLER(onKeyDown, WM_KEYDOWN)
LUMIVEX_DEFAULT_HANDLER(onKeyUp, WM_KEYUP)
LUMIVEX_DEFAULT_HANDLER(onSysChar, WM_SYSCHAR)
LUMIVEX_DEFAULT_HANDLER(onSysKeyDown, WM_SYSKEYDOWN)
LUMIVEX_DEFAULT_HANDLER(onSysKeyUp, WM_SYSKEYUP)
LUMIVEX_DEFAULT_HANDLER(onQueryOpen, WM_QUERYOPEN)
LUMIVEX_DEFAULT_HANDLER(onSize, WM_SIZE)
LUMIVEX_DEFAULT_HANDLER(onSizing, WM_SIZING)
LUMIVEX_DEFAULT_HANDLER(onGetMinMaxInfo, WM_GETMINMAXINFO)
LUMIVEX_DEFAULT_HANDLER(onMove, WM_MOVE)
LUMIVEX_DEFAULT_HANDLER(onMoving, WM_MOVING)
LUMIVEX_DEFAULT_HANDLER(onWindowPosChanged, WM_WINDOWPOSCHANGED)
LUMIVEX_DEFAULT_HANDLER(onWindowPosChanging, WM_WINDOWPOSCHANGING)
LUMIVEX_DEFAULT_HANDLER(onEnterSizeMove, WM_ENTERSIZEMOVE)
LUMIVEX_DEFAULT_HANDLER(onExitSizeMove, WM_EXITSIZEMOVE)
LUMIVEX_DEFAULT_HANDLER(onInitMenuPopup, WM_INITMENUPOPUP)
LUMIVEX_DEFAULT_HANDLER(onContextMenu, WM_CONTEXTMENU)
LUMIVEX_DEFAULT_HANDLER(onActivateApp, WM_ACTIVATEAPP)
LUMIVEX_DEFAULT_HANDLER(onActivate, WM_ACTIVATE)
LUMIVEX_DEFAULT_HANDLER(onSetFocus, WM_SETFOCUS)
LUMIVEX_DEFAULT_HANDLER(onKillFocus, WM_KILLFOCUS)
LUMIVEX_DEFAULT_HANDLER(onHScroll, WM_HSCROLL)
LUMIVEX_DEFAULT_HANDLER(onVScroll, WM_VSCROLL)
LUMIVEX_DEFAULT_HANDLER(onPaletteChanged, WM_PALETTECHANGED)
LUMIVEX_DEFAULT_HANDLER(onQueryNewPalette, WM_QUERYNEWPALETTE)
LUMIVEX_DEFAULT_HANDLER(onSysColorChange, WM_SYSCOLORCHANGE)
LUMIVEX_DEFAULT_HANDLER(onNcActivate, WM_NCACTIVATE)
LUMIVEX_DEFAULT_HANDLER(onNcHitTest, WM_NCHITTEST)
LUMIVEX_DEFAULT_HANDLER(onImeChar, WM_IME_CHAR)
LUMIVEX_DEFAULT_HANDLER(onCopyData, WM_COPYDATA)
LUMIVEX_DEFAULT_HANDLER(onEraseBkgnd, WM_ERASEBKGND)
LUMIVEX_DEFAULT_HANDLER(onDeviceChange, WM_DEVICECHANGE)

#undef LUMIVEX_DEFAULT_HANDLER
