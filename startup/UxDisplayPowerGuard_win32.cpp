#include "startup/UxDisplayPowerGuard.h"

#include <windows.h>

namespace {

// Switches one setting off when it is on; whether it did.
bool switchOffIfActive(UINT query, UINT set)
{
    BOOL active = FALSE;
    if (!SystemParametersInfoW(query, 0, &active, 0) || !active)
        return false;
    return SystemParametersInfoW(set, FALSE, nullptr, 0) != FALSE;
}

} // namespace

void UxDisplayPowerGuard::switchOff()
{
    if (!screenSaverOff)
        screenSaverOff = switchOffIfActive(SPI_GETSCREENSAVEACTIVE, SPI_SETSCREENSAVEACTIVE);
    if (!lowPowerOff)
        lowPowerOff = switchOffIfActive(SPI_GETLOWPOWERACTIVE, SPI_SETLOWPOWERACTIVE);
    if (!powerOffOff)
        powerOffOff = switchOffIfActive(SPI_GETPOWEROFFACTIVE, SPI_SETPOWEROFFACTIVE);
}

void UxDisplayPowerGuard::restore()
{
    if (screenSaverOff)
        SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0);
    if (lowPowerOff)
        SystemParametersInfoW(SPI_SETLOWPOWERACTIVE, TRUE, nullptr, 0);
    if (powerOffOff)
        SystemParametersInfoW(SPI_SETPOWEROFFACTIVE, TRUE, nullptr, 0);
    screenSaverOff = lowPowerOff = powerOffOff = false;
}
