#include "layer/WindowTransitionScreen_win32.h"

namespace {
RECT toRect(const FCRect& rect)
{
    return RECT { rect.left, rect.top, rect.right, rect.bottom };
}
} // namespace

WindowTransitionScreen::WindowTransitionScreen(HWND window)
    : window(window)
{
}

void WindowTransitionScreen::redraw(const FCRect& part)
{
    RECT rect = toRect(part);
    RedrawWindow(window, &rect, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void WindowTransitionScreen::restartTimer()
{
    timer.elapsed();
}

void WindowTransitionScreen::waitUntil(uint32_t milliseconds)
{
    timer.waitUntil(milliseconds);
}

void WindowTransitionScreen::sleep(uint32_t milliseconds)
{
    Sleep(milliseconds);
}

bool WindowTransitionScreen::rightButtonAbort()
{
    // Bit 15: down now; bit 0: pressed since the last call.
    return (GetAsyncKeyState(VK_RBUTTON) & 0x8001) != 0;
}

void WindowTransitionScreen::showWhole(const FCRect& area)
{
    RECT rect = toRect(area);
    InvalidateRect(window, &rect, FALSE);
    UpdateWindow(window);
}
