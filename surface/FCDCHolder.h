#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

// A device context and what was selected out of it, so that closing puts
// everything back. Kind 1: a window's DC (GetDC/ReleaseDC); kind 2: a memory
// DC (CreateCompatibleDC/DeleteDC); kind 4: a DC someone else owns. Closing
// flushes GDI first. Win32 only; the handles are kept as plain pointers so
// portable headers can hold one.
class LUMIVEX_API FCDCHolder {
public:
    enum Kind : int32_t { kNone = 0, kWindow = 1, kMemory = 2, kBorrowed = 4 };

    FCDCHolder();
    FCDCHolder(const FCDCHolder&) = delete;
    FCDCHolder& operator=(const FCDCHolder&) = delete;
    virtual ~FCDCHolder();

    // Each closes what the holder had first; true when a DC is held.
    bool openWindow(FCWindowHandle window);
    bool openMemory();
    bool borrow(void* dc);
    void close();
    // Selects a bitmap, remembering the first one it displaced.
    void selectBitmap(void* bitmap);

    int32_t kind;
    FCWindowHandle window;
    void* dc;
    void* oldBitmap;
    void* oldPalette;
    void* oldFont;
    void* oldPen;
    void* oldBrush;
    int32_t backgroundMode;
    uint32_t textColor;
};
