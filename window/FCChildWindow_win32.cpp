#include "window/FCChildWindow.h"

#include <windows.h>

FCChildWindow::FCChildWindow(FCWindowHandle parentWindow, int32_t x, int32_t y, int32_t width, int32_t height)
    : FCWindow(parentWindow)
    , childRect(x, y, x + width, y + height)
{
}

FCChildWindow::~FCChildWindow() = default;

int32_t FCChildWindow::kind() const
{
    return 4;
}

uint32_t FCChildWindow::classStyle()
{
    return CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
}

const char* FCChildWindow::className()
{
    return "FCChildWindow";
}

const char* FCChildWindow::windowTitle()
{
    return "FCChildWindow";
}

uint32_t FCChildWindow::style()
{
    return WS_CHILD;
}

int32_t FCChildWindow::initialX()
{
    return childRect.left;
}

int32_t FCChildWindow::initialY()
{
    return childRect.top;
}

int32_t FCChildWindow::initialWidth()
{
    return childRect.right - childRect.left;
}

int32_t FCChildWindow::initialHeight()
{
    return childRect.bottom - childRect.top;
}
