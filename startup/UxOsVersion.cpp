#include "startup/UxOsVersion.h"

UxOsVersion::UxOsVersion(int32_t major, int32_t minor, int32_t platform, int32_t build)
    : m_version(((major & 0xFFFFFF) << 8) + (minor & 0xFF))
    , m_platform(platform)
    , m_build(build)
{
}

UxOsVersion::~UxOsVersion() = default;

bool UxOsVersion::isAtLeast(int32_t for9x, int32_t forNt) const
{
    int32_t wanted = m_platform == kWindows9x ? for9x : forNt;
    return wanted != -1 && m_version >= wanted;
}

FCString UxOsVersion::systemName() const
{
    int32_t major = m_version >> 8;
    int32_t minor = m_version & 0xFF;
    if (m_platform == kWindows9x) {
        if (m_version >= 0x45A)
            return "windows me";
        if (m_version >= 0x40A)
            return "windows 98";
        return "windows 95";
    }
    if (m_platform == kWindowsNt) {
        switch (m_version) {
        case 0x500:
            return "windows 2000";
        case 0x501:
        case 0x502:
            return "windows xp";
        case 0x600:
            return "windows vista";
        case 0x601:
            return "windows 7";
        case 0x602:
            return "windows 8";
        case 0x603:
            return "windows 8.1";
        case 0xA00:
            return m_build >= 22000 ? "windows 11" : "windows 10";
        default:
            break;
        }
        if (major <= 4) {
            FCString name("windows nt ");
            name.appendNumber(major);
            name.append(".");
            name.appendNumber(minor);
            return name;
        }
    }
    FCString name("windows ");
    name.appendNumber(major);
    name.append(".");
    name.appendNumber(minor);
    return name;
}
