#include "startup/UxMachineRecord.h"

#include <windows.h>

#include "foundation/TextCodePage.h"

namespace {

BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM context)
{
    auto* record = reinterpret_cast<UxMachineRecord*>(context);
    if (record->monitorCount >= UxMachineRecord::kMaxMonitors)
        return FALSE;
    MONITORINFOEXW information = {};
    information.cbSize = sizeof(information);
    if (!GetMonitorInfoW(monitor, &information))
        return TRUE;
    UxMachineRecord::Monitor& entry = record->monitors[record->monitorCount++];
    entry.deviceName = fromWide(information.szDevice).c_str();
    entry.primary = (information.dwFlags & MONITORINFOF_PRIMARY) != 0;
    entry.width = information.rcMonitor.right - information.rcMonitor.left;
    entry.height = information.rcMonitor.bottom - information.rcMonitor.top;
    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    if (EnumDisplaySettingsW(information.szDevice, ENUM_CURRENT_SETTINGS, &mode)) {
        entry.width = static_cast<int32_t>(mode.dmPelsWidth);
        entry.height = static_cast<int32_t>(mode.dmPelsHeight);
        entry.depth = static_cast<int32_t>(mode.dmBitsPerPel);
        entry.frequency = static_cast<int32_t>(mode.dmDisplayFrequency);
    }
    DISPLAY_DEVICEW adapter = {};
    adapter.cb = sizeof(adapter);
    for (DWORD index = 0; EnumDisplayDevicesW(nullptr, index, &adapter, 0); ++index) {
        if (lstrcmpiW(adapter.DeviceName, information.szDevice) == 0) {
            entry.adapterName = fromWide(adapter.DeviceString).c_str();
            break;
        }
        adapter.cb = sizeof(adapter);
    }
    return TRUE;
}

} // namespace

UxMachineRecord& UxMachineRecord::global()
{
    static UxMachineRecord record;
    return record;
}

void UxMachineRecord::record()
{
    monitorCount = 0;
    EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(this));
    if (monitorCount == 0) {
        Monitor& only = monitors[monitorCount++];
        only.deviceName = "\\\\.\\DISPLAY1";
        only.primary = true;
        only.width = GetSystemMetrics(SM_CXSCREEN);
        only.height = GetSystemMetrics(SM_CYSCREEN);
        HDC screen = GetDC(nullptr);
        only.depth = GetDeviceCaps(screen, BITSPIXEL);
        only.frequency = GetDeviceCaps(screen, VREFRESH);
        ReleaseDC(nullptr, screen);
    }
    cdDrives = 0;
    firstCdDrive = 0;
    DWORD drives = GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter) {
        if (!(drives & (1u << letter)))
            continue;
        wchar_t root[] = { static_cast<wchar_t>(L'A' + letter), L':', L'\\', 0 };
        if (GetDriveTypeW(root) == DRIVE_CDROM) {
            cdDrives |= 1u << letter;
            if (!firstCdDrive)
                firstCdDrive = static_cast<char>('A' + letter);
        }
    }
}
