#pragma once

#include <cstdint>

#include "foundation/FCGeometry.h"
#include "foundation/LumivexApi.h"
#include "window/WindowTypes.h"

// The text caret of one window. The system's blink time is saved when the
// caret is made and put back when it goes, so a changed blink rate does not
// outlive the caret.
class LUMIVEX_API FCCaret {
public:
    FCCaret();
    FCCaret(const FCCaret&) = delete;
    FCCaret& operator=(const FCCaret&) = delete;
    virtual ~FCCaret();

    // Replaces any caret this object owns; 1 when the caret exists.
    int32_t create(FCWindowHandle ownerWindow, int32_t caretWidth, int32_t caretHeight, HBITMAP__* bitmap);
    int32_t destroy();
    // Moves the caret; nothing while no caret exists.
    int32_t setPosition(int32_t x, int32_t y);

    FCWindowHandle owner;
    int32_t width;
    int32_t height;
    uint32_t savedBlinkTime;
    FCPoint position;
};
