#include <windows.h>

#include "startup/UxOsVersion.h"

UxOsVersion UxOsVersion::current()
{
    // GetVersionEx reports what the executable's manifest claims to
    // support; the kernel's own call reports the real version.
    OSVERSIONINFOW info {};
    info.dwOSVersionInfoSize = sizeof info;
    using RtlGetVersionCall = LONG(WINAPI*)(OSVERSIONINFOW*);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto rtlGetVersion = ntdll
        ? reinterpret_cast<RtlGetVersionCall>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
        : nullptr;
    if (!rtlGetVersion || rtlGetVersion(&info) != 0) {
        info = {};
        info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        GetVersionExW(&info);
#pragma GCC diagnostic pop
    }
    return UxOsVersion(static_cast<int32_t>(info.dwMajorVersion), static_cast<int32_t>(info.dwMinorVersion),
        static_cast<int32_t>(info.dwPlatformId), static_cast<int32_t>(info.dwBuildNumber & 0xFFFF));
}
