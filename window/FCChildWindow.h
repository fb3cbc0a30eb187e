#pragma once

#include <cstdint>

#include "foundation/FCGeometry.h"
#include "foundation/LumivexApi.h"
#include "window/FCWindow.h"

// A child window at a fixed place in its parent's client area.
class LUMIVEX_API FCChildWindow : public FCWindow {
public:
    FCChildWindow(FCWindowHandle parentWindow, int32_t x, int32_t y, int32_t width, int32_t height);
    ~FCChildWindow() override;

    int32_t kind() const override;
    uint32_t classStyle() override;
    const char* className() override;
    const char* windowTitle() override;
    uint32_t style() override;
    int32_t initialX() override;
    int32_t initialY() override;
    int32_t initialWidth() override;
    int32_t initialHeight() override;

    // The place in the parent's client coordinates.
    FCRect childRect;
};
