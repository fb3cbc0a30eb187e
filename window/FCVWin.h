#pragma once

#include <cstdint>

#include "foundation/FCString.h"
#include "foundation/LumivexApi.h"
#include "window/WindowTypes.h"

class FCRect;

// The root of every window object: one object bound to at most one window
// handle. The object exists before its window and may outlive it; every
// operation that touches the handle first checks that the window is alive
// and otherwise does nothing and returns 0. Scenario modules call these
// slots and read these members, so both orders are fixed.
class LUMIVEX_API FCVWin {
public:
    FCVWin();
    explicit FCVWin(FCWindowHandle window);
    FCVWin(const FCVWin&) = delete;
    FCVWin& operator=(const FCVWin&) = delete;

    virtual ~FCVWin();
    // The kind number that names the window's class at run time.
    virtual int32_t kind() const;
    // Moves the window to the new size, keeping its left and top.
    virtual int32_t resize(int32_t width, int32_t height, int32_t repaint);
    virtual int32_t redraw(int32_t x, int32_t y, int32_t width, int32_t height, int32_t erase);
    // Invalidates the rectangle (null: the whole client area), then updates.
    virtual int32_t redraw(const tagRECT* rect, int32_t erase);
    virtual int32_t update();
    virtual int32_t invalidate(int32_t x, int32_t y, int32_t width, int32_t height, int32_t erase);
    virtual int32_t invalidate(const tagRECT* rect, int32_t erase);

    // Whether the handle names a live window.
    bool isLive() const;
    int32_t show(int32_t command);
    int32_t hide();
    int32_t enable();
    int32_t disable();
    // The client rectangle (left and top 0); 0 when the window is not live.
    int32_t clientRect(tagRECT* rect) const;
    // Window lists find a window by its name, or by its handle when the
    // searched one has no name.
    bool sameListItem(const FCVWin& searched) const;

    FCLResult sendMessage(uint32_t message, FCWParam wParam, FCLParam lParam);
    int32_t postMessage(uint32_t message, FCWParam wParam, FCLParam lParam);
    int32_t postToParent(uint32_t message, FCWParam wParam, FCLParam lParam);

    FCWindowHandle handle;
    // The window's identity in window lists.
    FCString name;
};
