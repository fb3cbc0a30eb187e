#pragma once

#include <cstdint>

#include "foundation/FCGeometry.h"
#include "foundation/LumivexApi.h"

class FCRandom;

// What a screen transition needs from the window that shows the already
// composed new picture. Tests put a recorder here; the viewport a window.
class LUMIVEX_API TransitionScreen {
public:
    virtual ~TransitionScreen() = default;
    // Shows that part of the new picture now (no erase).
    virtual void redraw(const FCRect& part) = 0;
    // A step begins.
    virtual void restartTimer() = 0;
    // Returns once that many milliseconds have passed since the step began.
    virtual void waitUntil(uint32_t milliseconds) = 0;
    virtual void sleep(uint32_t milliseconds) = 0;
    // True: the player stopped the effect (right button down or pressed).
    virtual bool rightButtonAbort() = 0;
    // Invalidates and updates the area.
    virtual void showWhole(const FCRect& area) = 0;
};

// The on-screen part of a transition for an area already composed (the
// caller handles the empty area, the composition and the display hold):
// wipes 10..23, reveals 38..49, lines 50..52, then showWhole(area) unless
// the effect is 255. Any other effect only shows the whole area.
LUMIVEX_API void runScreenTransition(TransitionScreen& screen, const FCRect& area, int32_t effect, FCRandom& random);
