#pragma once

#include "foundation/LumivexApi.h"

// Keeps the screen saver and display power saving off while the game runs.
// Only what was on is switched off, and only that is switched back on. The
// changes are not written to the user's profile, so a process that dies
// leaves the player's settings as they were.
class LUMIVEX_API UxDisplayPowerGuard {
public:
    UxDisplayPowerGuard() = default;
    UxDisplayPowerGuard(const UxDisplayPowerGuard&) = delete;
    UxDisplayPowerGuard& operator=(const UxDisplayPowerGuard&) = delete;
    ~UxDisplayPowerGuard() { restore(); }

    void switchOff();
    void restore();

    bool screenSaverOff = false;
    bool lowPowerOff = false;
    bool powerOffOff = false;
};
