#include "window/FCVWin.h"

#include <windows.h>

#include "window/detail/TextMessages_win32.h"

namespace {

HWND hwndOf(FCWindowHandle window)
{
    return reinterpret_cast<HWND>(window);
}

} // namespace

FCVWin::FCVWin()
    : handle(nullptr)
{
}

FCVWin::FCVWin(FCWindowHandle window)
    : handle(window)
{
}

FCVWin::~FCVWin() = default;

int32_t FCVWin::kind() const
{
    return 1;
}

bool FCVWin::isLive() const
{
    return handle && IsWindow(hwndOf(handle));
}

int32_t FCVWin::resize(int32_t width, int32_t height, int32_t repaint)
{
    RECT frame;
    if (!isLive() || !GetWindowRect(hwndOf(handle), &frame))
        return 0;
    // A child's window rectangle is in screen coordinates; MoveWindow wants
    // the parent's client coordinates.
    POINT topLeft = { frame.left, frame.top };
    if (HWND parentWindow = GetParent(hwndOf(handle));
        parentWindow && (GetWindowLongW(hwndOf(handle), GWL_STYLE) & WS_CHILD))
        ScreenToClient(parentWindow, &topLeft);
    return MoveWindow(hwndOf(handle), topLeft.x, topLeft.y, width, height, repaint) ? 1 : 0;
}

int32_t FCVWin::redraw(int32_t x, int32_t y, int32_t width, int32_t height, int32_t erase)
{
    RECT rect = { x, y, x + width, y + height };
    return redraw(&rect, erase);
}

int32_t FCVWin::redraw(const tagRECT* rect, int32_t erase)
{
    if (!invalidate(rect, erase))
        return 0;
    return update();
}

int32_t FCVWin::update()
{
    if (!isLive())
        return 0;
    return UpdateWindow(hwndOf(handle)) ? 1 : 0;
}

int32_t FCVWin::invalidate(int32_t x, int32_t y, int32_t width, int32_t height, int32_t erase)
{
    RECT rect = { x, y, x + width, y + height };
    return invalidate(&rect, erase);
}

int32_t FCVWin::invalidate(const tagRECT* rect, int32_t erase)
{
    if (!isLive())
        return 0;
    return InvalidateRect(hwndOf(handle), rect, erase ? TRUE : FALSE) ? 1 : 0;
}

int32_t FCVWin::show(int32_t command)
{
    if (!isLive())
        return 0;
    ShowWindow(hwndOf(handle), command);
    return 1;
}

int32_t FCVWin::hide()
{
    return show(SW_HIDE);
}

int32_t FCVWin::enable()
{
    if (!isLive())
        return 0;
    if (!IsWindowEnabled(hwndOf(handle)))
        EnableWindow(hwndOf(handle), TRUE);
    return 1;
}

int32_t FCVWin::disable()
{
    if (!isLive())
        return 0;
    if (IsWindowEnabled(hwndOf(handle)))
        EnableWindow(hwndOf(handle), FALSE);
    return 1;
}

int32_t FCVWin::clientRect(tagRECT* rect) const
{
    if (!rect || !isLive())
        return 0;
    return GetClientRect(hwndOf(handle), rect) ? 1 : 0;
}

bool FCVWin::sameListItem(const FCVWin& searched) const
{
    if (searched.name.isEmpty())
        return handle == searched.handle;
    return name.sharesWith(searched.name) || name == searched.name;
}

FCLResult FCVWin::sendMessage(uint32_t message, FCWParam wParam, FCLParam lParam)
{
    if (!isLive())
        return 0;
    // Text comes and goes in the game's code page, as the module has it.
    return textmessages::callFromCodePage(hwndOf(handle), message, wParam, lParam, SendMessageW);
}

int32_t FCVWin::postMessage(uint32_t message, FCWParam wParam, FCLParam lParam)
{
    if (!isLive())
        return 0;
    return PostMessageW(hwndOf(handle), message, wParam, lParam) ? 1 : 0;
}

int32_t FCVWin::postToParent(uint32_t message, FCWParam wParam, FCLParam lParam)
{
    if (!isLive())
        return 0;
    HWND parentWindow = GetParent(hwndOf(handle));
    if (!parentWindow)
        return 0;
    return PostMessageW(parentWindow, message, wParam, lParam) ? 1 : 0;
}
