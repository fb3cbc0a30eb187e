#include <windows.h>

#include "foundation/TextCodePage.h"
#include "foundation/detail/FileSystem.h"

namespace fcsystem {

uint32_t allocationGranularity()
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwAllocationGranularity ? info.dwAllocationGranularity : 65536;
}

bool openMapping(const char* path, bool readWrite, bool copyOnWrite, void** mapping, uint64_t& size)
{
    HANDLE file = readWrite ? CreateFileW(toWide(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)
                            : CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER length;
    HANDLE object = nullptr;
    if (GetFileSizeEx(file, &length) && length.QuadPart > 0) {
        DWORD protection = copyOnWrite ? PAGE_WRITECOPY : readWrite ? PAGE_READWRITE : PAGE_READONLY;
        object = CreateFileMappingW(file, nullptr, protection, 0, 0, nullptr);
    }
    // The mapping keeps the file.
    CloseHandle(file);
    if (!object)
        return false;
    *mapping = object;
    size = static_cast<uint64_t>(length.QuadPart);
    return true;
}

void* mapView(void* mapping, uint32_t access, uint64_t offset, uint32_t size)
{
    return MapViewOfFile(
        static_cast<HANDLE>(mapping), access, static_cast<DWORD>(offset >> 32), static_cast<DWORD>(offset), size);
}

void unmapView(void* view, uint32_t)
{
    UnmapViewOfFile(view);
}

void closeMapping(void* mapping)
{
    CloseHandle(static_cast<HANDLE>(mapping));
}

} // namespace fcsystem
