#pragma once

#include <cstdint>

#include "window/FCWindow.h"

// The system's animation control ("SysAnimate32") playing a silent AVI
// clip from the host's resources, such as the print areas' click-wait
// animation.
class LUMIVEX_API FCAnimatedControl : public FCWindow {
public:
    static constexpr int32_t kKind = 7;

    explicit FCAnimatedControl(FCWindowHandle parentWindow = nullptr);
    ~FCAnimatedControl() override;

    int32_t kind() const override;
    const char* windowTitle() override;
    uint32_t style() override;
    int32_t initialX() override;
    int32_t initialY() override;
    int32_t initialWidth() override;
    int32_t initialHeight() override;
    int32_t showCommand() override;
    // Slot 98: makes the control with these style bits added to the stored
    // style; whether the window exists.
    virtual int32_t createControl(uint32_t extraStyle);

    // Opens an AVI resource of the host (a name, or a number below 0x10000),
    // closing any clip open before; whether it opened.
    bool open(const char* resource);
    // Plays frames first to last, repeatCount times (-1: for ever); the
    // first play after opening shows the window.
    void play(int32_t repeatCount, int32_t firstFrame, int32_t lastFrame);
    void stop();
    void close();

    uint32_t controlStyle;
    int32_t opened;
    int32_t firstPlay;
};
