#include "window/FCCaret.h"

#include <windows.h>

FCCaret::FCCaret()
    : owner(nullptr)
    , width(0)
    , height(0)
    , savedBlinkTime(0)
{
}

FCCaret::~FCCaret()
{
    destroy();
}

int32_t FCCaret::create(FCWindowHandle ownerWindow, int32_t caretWidth, int32_t caretHeight, HBITMAP__* bitmap)
{
    destroy();
    if (!CreateCaret(reinterpret_cast<HWND>(ownerWindow), bitmap, caretWidth, caretHeight))
        return 0;
    owner = ownerWindow;
    width = caretWidth;
    height = caretHeight;
    savedBlinkTime = GetCaretBlinkTime();
    return 1;
}

int32_t FCCaret::destroy()
{
    if (!owner)
        return 0;
    owner = nullptr;
    if (!DestroyCaret())
        return 0;
    SetCaretBlinkTime(savedBlinkTime);
    return 1;
}

int32_t FCCaret::setPosition(int32_t x, int32_t y)
{
    if (!owner)
        return 0;
    position.x = x;
    position.y = y;
    return SetCaretPos(x, y) ? 1 : 0;
}
