#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

// A window object: every window of the host is one of these. Slot 1 gives
// the kind number that identifies the window's class at run time. The window
// framework derives the full window classes from it.
class LUMIVEX_API FCVWin {
public:
    FCVWin() = default;
    explicit FCVWin(FCWindowHandle window)
        : handle(window)
    {
    }
    FCVWin(const FCVWin&) = delete;
    FCVWin& operator=(const FCVWin&) = delete;
    virtual ~FCVWin();
    virtual int32_t kind() const;

    FCWindowHandle handle = nullptr;
};
