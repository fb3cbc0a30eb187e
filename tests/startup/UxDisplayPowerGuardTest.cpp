#include "startup/UxDisplayPowerGuard.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

struct Setting {
    const char* name;
    UINT query, set;
    bool UxDisplayPowerGuard::*off;
};

const Setting kSettings[] = {
    { "screen saver", SPI_GETSCREENSAVEACTIVE, SPI_SETSCREENSAVEACTIVE, &UxDisplayPowerGuard::screenSaverOff },
    { "low power", SPI_GETLOWPOWERACTIVE, SPI_SETLOWPOWERACTIVE, &UxDisplayPowerGuard::lowPowerOff },
    { "power off", SPI_GETPOWEROFFACTIVE, SPI_SETPOWEROFFACTIVE, &UxDisplayPowerGuard::powerOffOff },
};

// The setting's state; false with *known false when the system keeps none.
bool active(const Setting& setting, bool* known)
{
    BOOL on = FALSE;
    *known = SystemParametersInfoW(setting.query, 0, &on, 0) != FALSE;
    return on != FALSE;
}

void put(const Setting& setting, bool on)
{
    SystemParametersInfoW(setting.set, on ? TRUE : FALSE, nullptr, 0);
}

} // namespace

// While the game runs what was on is off; afterwards each setting is as the
// player had it: one that was off is never switched on.
TEST(DisplayPowerGuard, SwitchesOffOnlyWhatWasOnAndPutsBackOnlyThat)
{
    for (const Setting& setting : kSettings) {
        bool known = false;
        const bool original = active(setting, &known);
        if (!known)
            continue; // not kept by this system
        for (bool playerHad : { true, false }) {
            SCOPED_TRACE(std::string(setting.name) + (playerHad ? " on" : " off"));
            put(setting, playerHad);
            if (active(setting, &known) != playerHad)
                continue; // the system refuses this state
            {
                UxDisplayPowerGuard guard;
                guard.switchOff();
                EXPECT_EQ(guard.*setting.off, playerHad);
                EXPECT_FALSE(active(setting, &known));
                guard.switchOff(); // a second call changes nothing
                EXPECT_EQ(guard.*setting.off, playerHad);
            } // the destructor puts back
            EXPECT_EQ(active(setting, &known), playerHad);
        }
        put(setting, original);
    }
}
