#include "surface/FCDCHolder.h"

#include <windows.h>

FCDCHolder::FCDCHolder()
    : kind(kNone)
    , window(nullptr)
    , dc(nullptr)
    , oldBitmap(nullptr)
    , oldPalette(nullptr)
    , oldFont(nullptr)
    , oldPen(nullptr)
    , oldBrush(nullptr)
    , backgroundMode(0)
    , textColor(0)
{
}

FCDCHolder::~FCDCHolder()
{
    close();
}

bool FCDCHolder::openWindow(FCWindowHandle target)
{
    close();
    dc = GetDC(target);
    if (!dc)
        return false;
    kind = kWindow;
    window = target;
    return true;
}

bool FCDCHolder::openMemory()
{
    close();
    dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return false;
    kind = kMemory;
    return true;
}

bool FCDCHolder::borrow(void* handle)
{
    close();
    dc = handle;
    kind = handle ? kBorrowed : kNone;
    return dc != nullptr;
}

void FCDCHolder::selectBitmap(void* bitmap)
{
    if (!dc)
        return;
    HGDIOBJ old = SelectObject(static_cast<HDC>(dc), static_cast<HGDIOBJ>(bitmap));
    if (!oldBitmap)
        oldBitmap = old;
}

void FCDCHolder::close()
{
    if (!dc) {
        kind = kNone;
        return;
    }
    GdiFlush();
    HDC handle = static_cast<HDC>(dc);
    // Put back what was displaced, so a borrowed DC leaves as it came.
    if (oldBitmap)
        SelectObject(handle, static_cast<HGDIOBJ>(oldBitmap));
    if (oldPalette)
        SelectPalette(handle, static_cast<HPALETTE>(oldPalette), FALSE);
    if (oldFont)
        SelectObject(handle, static_cast<HGDIOBJ>(oldFont));
    if (oldPen)
        SelectObject(handle, static_cast<HGDIOBJ>(oldPen));
    if (oldBrush)
        SelectObject(handle, static_cast<HGDIOBJ>(oldBrush));
    if (kind == kWindow)
        ReleaseDC(window, handle);
    else if (kind == kMemory)
        DeleteDC(handle);
    kind = kNone;
    window = nullptr;
    dc = nullptr;
    oldBitmap = oldPalette = oldFont = oldPen = oldBrush = nullptr;
}
