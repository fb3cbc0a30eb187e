#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <string>

#include "foundation/FCPathName.h"
#include "foundation/TextCodePage.h"
#include "foundation/detail/FileSystem.h"

namespace {

// Declared here so the host needs no uuid library.
const CLSID kClsidShellLink = { 0x00021401, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
const IID kIidShellLinkW = { 0x000214F9, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
const IID kIidPersistFile = { 0x0000010B, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };

// COM for the duration of one call, on whatever thread the caller is:
// initialised here only when the thread had not done it.
class ComScope {
public:
    ComScope()
    {
        HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        // S_FALSE also counts an initialisation that must be undone;
        // RPC_E_CHANGED_MODE means the thread has COM in the other model.
        m_uninitialise = SUCCEEDED(result);
        m_usable = SUCCEEDED(result) || result == RPC_E_CHANGED_MODE;
    }
    ~ComScope()
    {
        if (m_uninitialise)
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool usable() const { return m_usable; }

private:
    bool m_uninitialise;
    bool m_usable;
};

template <typename T> void release(T*& object)
{
    if (object) {
        object->Release();
        object = nullptr;
    }
}

} // namespace

namespace fcsystem {

std::string resolve(const char* path)
{
    return FCPathName(path).text();
}

bool shortcutTarget(const char* path, std::string& target)
{
    ComScope com;
    if (!com.usable())
        return false;
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    bool found = false;
    if (SUCCEEDED(CoCreateInstance(
            kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER, kIidShellLinkW, reinterpret_cast<void**>(&link)))
        && SUCCEEDED(link->QueryInterface(kIidPersistFile, reinterpret_cast<void**>(&file)))
        && SUCCEEDED(file->Load(toWide(path).c_str(), STGM_READ))) {
        // The item list first: it keeps the target's name in UTF-16, where the
        // plain path of some link writers went through the ANSI code page.
        wchar_t buffer[MAX_PATH] = {};
        PIDLIST_ABSOLUTE items = nullptr;
        if (SUCCEEDED(link->GetIDList(&items)) && items) {
            if (!SHGetPathFromIDListW(items, buffer))
                buffer[0] = L'\0';
            CoTaskMemFree(items);
        }
        if (!buffer[0] && link->GetPath(buffer, MAX_PATH, nullptr, 0) != S_OK)
            buffer[0] = L'\0';
        if (buffer[0]) {
            target = fromWide(buffer);
            found = !target.empty();
        }
    }
    release(file);
    release(link);
    return found;
}

uint32_t openFile(
    const char* path, uint32_t disposition, uint32_t access, uint32_t share, uint32_t attributes, void** handle)
{
    HANDLE file = CreateFileW(toWide(path).c_str(), access, share, nullptr, disposition, attributes, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error ? error : ERROR_INVALID_FUNCTION;
    }
    *handle = file;
    return 0;
}

void closeFile(void* handle)
{
    CloseHandle(handle);
}

uint32_t readFile(void* handle, void* buffer, uint32_t count, uint32_t* done)
{
    DWORD read = 0;
    if (!ReadFile(handle, buffer, count, &read, nullptr)) {
        DWORD error = GetLastError();
        // End of file is no error.
        if (error == ERROR_HANDLE_EOF) {
            *done = 0;
            return 0;
        }
        return error ? error : ERROR_INVALID_FUNCTION;
    }
    *done = read;
    return 0;
}

uint32_t writeFile(void* handle, const void* buffer, uint32_t count, uint32_t* done)
{
    DWORD written = 0;
    if (!WriteFile(handle, buffer, count, &written, nullptr)) {
        DWORD error = GetLastError();
        return error ? error : ERROR_INVALID_FUNCTION;
    }
    *done = written;
    return 0;
}

int64_t seekFile(void* handle, uint32_t method, int64_t distance)
{
    LARGE_INTEGER move;
    move.QuadPart = distance;
    LARGE_INTEGER position;
    if (!SetFilePointerEx(handle, move, &position, method))
        return -1;
    return position.QuadPart;
}

int64_t fileSize(void* handle)
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle, &size))
        return -1;
    return size.QuadPart;
}

bool truncateFile(void* handle)
{
    return SetEndOfFile(handle) != FALSE;
}

bool flushFile(void* handle)
{
    return FlushFileBuffers(handle) != FALSE;
}

bool fileTime(void* handle, uint32_t which, bool keepUtc, uint64_t& time, uint16_t fields[8])
{
    FILETIME times[3];
    if (which > 2 || !GetFileTime(handle, &times[1], &times[2], &times[0]))
        return false;
    FILETIME chosen = times[which];
    if (!keepUtc) {
        FILETIME local;
        if (!FileTimeToLocalFileTime(&chosen, &local))
            return false;
        chosen = local;
    }
    SYSTEMTIME system;
    if (!FileTimeToSystemTime(&chosen, &system))
        return false;
    static_assert(sizeof(SYSTEMTIME) == 8 * sizeof(uint16_t));
    memcpy(fields, &system, sizeof system);
    time = (static_cast<uint64_t>(chosen.dwHighDateTime) << 32) | chosen.dwLowDateTime;
    return true;
}

bool attributes(const char* path, uint32_t& out)
{
    DWORD found = GetFileAttributesW(toWide(path).c_str());
    if (found == INVALID_FILE_ATTRIBUTES)
        return false;
    out = found;
    return true;
}

bool makeFolder(const char* path)
{
    std::wstring wide = toWide(path);
    if (CreateDirectoryW(wide.c_str(), nullptr))
        return true;
    // Made meanwhile by someone else is as good.
    DWORD found = GetFileAttributesW(wide.c_str());
    return found != INVALID_FILE_ATTRIBUTES && (found & FILE_ATTRIBUTE_DIRECTORY);
}

bool removeFile(const char* path)
{
    return DeleteFileW(toWide(path).c_str()) != FALSE;
}

uint32_t replaceFile(const char* source, const char* target)
{
    if (MoveFileExW(toWide(source).c_str(), toWide(target).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    DWORD error = GetLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
}

} // namespace fcsystem
