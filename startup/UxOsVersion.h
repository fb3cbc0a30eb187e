#pragma once

#include <cstdint>

#include "foundation/FCString.h"
#include "foundation/LumivexApi.h"

// The operating system's version: major * 256 + minor (0x600 is Windows
// Vista), the platform identifier (1 the Windows 9x family, 2 Windows NT)
// and the build number.
class LUMIVEX_API UxOsVersion {
public:
    enum Platform : int32_t { kWin32s = 0, kWindows9x = 1, kWindowsNt = 2 };

    UxOsVersion(int32_t major, int32_t minor, int32_t platform, int32_t build = 0);
    virtual ~UxOsVersion();

    // The running system's version (Windows only), read past the
    // compatibility shims, so Windows 10 says 10.0 and not 6.2.
    static UxOsVersion current();

    int32_t version() const { return m_version; }
    int32_t platform() const { return m_platform; }
    int32_t build() const { return m_build; }

    // Whether the version is at least for9x on the 9x platform and at least
    // forNt on the others; -1 makes the test fail on that platform.
    bool isAtLeast(int32_t for9x, int32_t forNt) const;
    // A lower-case name for the player, such as "windows 98" or "windows 10".
    FCString systemName() const;

private:
    int32_t m_version;
    int32_t m_platform;
    int32_t m_build;
};
