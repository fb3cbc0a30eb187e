#pragma once

#include <windows.h>

#include "layer/ScreenTransition.h"
#include "window/FCTickTimer.h"

// A transition shown in a real window: parts are repainted at once from the
// window's own paint handler, steps are paced on the multimedia clock, and
// the right mouse button stops the effect.
class LUMIVEX_API WindowTransitionScreen : public TransitionScreen {
public:
    explicit WindowTransitionScreen(HWND window);

    void redraw(const FCRect& part) override;
    void restartTimer() override;
    void waitUntil(uint32_t milliseconds) override;
    void sleep(uint32_t milliseconds) override;
    bool rightButtonAbort() override;
    void showWhole(const FCRect& area) override;

private:
    HWND window;
    FCTickTimer timer;
};
