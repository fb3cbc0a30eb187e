#include <windows.h>

#include <shlobj.h>

#include <string>

#include "foundation/TextCodePage.h"
#include "foundation/detail/FileSystem.h"
#include "foundation/detail/SystemPathText_win32.h"

namespace {

// A folder from a wide system answer, in the game's code page (its short
// form when the code page cannot hold it), ending with a backslash when
// asked (checked on the wide text, where no trail byte can pass for one).
std::string folderText(std::wstring wide, bool withSeparator)
{
    if (withSeparator && (wide.empty() || wide.back() != L'\\'))
        wide += L'\\';
    return fcsystem::systemPathText(wide);
}

// Calls a GetXxxDirectoryW-style query that returns the needed size when
// the buffer is too small.
template <typename Query> bool queryFolder(Query query, std::wstring& out)
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (int tries = 0; tries < 4; ++tries) {
        UINT length = query(buffer.data(), static_cast<UINT>(buffer.size()));
        if (length == 0)
            return false;
        if (length < buffer.size()) {
            buffer.resize(length);
            out = buffer;
            return true;
        }
        buffer.assign(length + 1, L'\0');
    }
    return false;
}

bool executablePath(std::wstring& out)
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return false;
        if (length < buffer.size()) {
            buffer.resize(length);
            out = buffer;
            return true;
        }
        if (buffer.size() >= 32768)
            return false;
        buffer.assign(buffer.size() * 2, L'\0');
    }
}

} // namespace

namespace fcsystem {

uint32_t currentDirectory(std::string& out)
{
    std::wstring folder;
    bool ok = queryFolder([](wchar_t* buffer, UINT size) { return GetCurrentDirectoryW(size, buffer); }, folder);
    if (!ok) {
        DWORD error = GetLastError();
        return error ? error : ERROR_INVALID_FUNCTION;
    }
    out = folderText(folder, true);
    return 0;
}

bool specialFolder(int32_t code, std::string& out)
{
    std::wstring folder;
    switch (code) {
    case 0x7777:
    case 0x7778:
        if (!executablePath(folder))
            return false;
        if (code == 0x7778) {
            size_t separator = folder.find_last_of(L'\\');
            folder.resize(separator == std::wstring::npos ? 0 : separator);
        }
        break;
    case 0x777A:
        if (!queryFolder(GetWindowsDirectoryW, folder))
            return false;
        break;
    case 0x777B:
        if (!queryFolder(GetSystemDirectoryW, folder))
            return false;
        break;
    case 0x777C:
        if (!queryFolder([](wchar_t* buffer, UINT size) { return GetTempPathW(size, buffer); }, folder))
            return false;
        break;
    default: {
        wchar_t buffer[MAX_PATH] = {};
        if (FAILED(SHGetFolderPathW(nullptr, code, nullptr, SHGFP_TYPE_CURRENT, buffer)))
            return false;
        folder = buffer;
        break;
    }
    }
    out = folderText(folder, false);
    return true;
}

char firstCdromDrive()
{
    DWORD drives = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(drives & (1u << i)))
            continue;
        wchar_t root[] = { static_cast<wchar_t>(L'A' + i), L':', L'\\', L'\0' };
        if (GetDriveTypeW(root) == DRIVE_CDROM)
            return static_cast<char>('A' + i);
    }
    return 0;
}

} // namespace fcsystem
