#pragma once

#include <cstdint>

#include "foundation/FCString.h"
#include "foundation/LumivexApi.h"

// What start-up records of the machine: the monitors with their display
// mode and adapter, and the CD-ROM drives. The screen window chooses its
// monitor and full-screen mode from it; the CD player its drive.
class LUMIVEX_API UxMachineRecord {
public:
    enum : int32_t { kMaxMonitors = 16 };

    struct Monitor {
        FCString deviceName; // "\\.\DISPLAY1"
        FCString adapterName; // the display adapter's description
        int32_t width = 0;
        int32_t height = 0;
        int32_t depth = 0;
        int32_t frequency = 0;
        bool primary = false;
    };

    static UxMachineRecord& global();

    // Looks the monitors up (one monitor from the screen metrics when the
    // system lists none) and the drives.
    void record();

    int32_t monitorCount = 0;
    Monitor monitors[kMaxMonitors];
    // Bit n: drive letter 'A' + n is a CD-ROM drive.
    uint32_t cdDrives = 0;
    // The first CD-ROM drive's letter, or 0.
    char firstCdDrive = 0;
};
