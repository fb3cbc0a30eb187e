#pragma once

#include <cstdint>
#include <string>

// The system side of paths and files, one implementation per platform
// (the _win32.cpp and _native.cpp files of FCPathName and FCFile). Paths are text of the game's
// code page; the Windows side converts them for the wide-character calls.
// Errors are Windows error codes; natively the obvious errno values are
// mapped to them (ENOENT 2, ENOTDIR 3, EACCES 5) and others passed through.
namespace fcsystem {

// The separator the system's own paths use.
#if defined(_WIN32)
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

// Folder queries of path names. Folders end with the separator.
uint32_t currentDirectory(std::string& out);
// 0x7777 executable, 0x7778 its folder, 0x777A Windows, 0x777B system,
// 0x777C temporary folder, else a shell folder code; false when unknown.
bool specialFolder(int32_t code, std::string& out);
// The letter of the first CD-ROM drive, or 0 when there is none.
char firstCdromDrive();

// The path a file operation uses for the given text.
std::string resolve(const char* path);
// The target of a shortcut file; false when it cannot be resolved.
bool shortcutTarget(const char* path, std::string& target);

uint32_t openFile(
    const char* path, uint32_t disposition, uint32_t access, uint32_t share, uint32_t attributes, void** handle);
void closeFile(void* handle);
uint32_t readFile(void* handle, void* buffer, uint32_t count, uint32_t* done);
uint32_t writeFile(void* handle, const void* buffer, uint32_t count, uint32_t* done);
int64_t seekFile(void* handle, uint32_t method, int64_t distance);
int64_t fileSize(void* handle);
bool truncateFile(void* handle);
// which: 0 last write, 1 creation, 2 last access. fields: the SYSTEMTIME layout.
bool fileTime(void* handle, uint32_t which, bool keepUtc, uint64_t& time, uint16_t fields[8]);

bool attributes(const char* path, uint32_t& out);
bool makeFolder(const char* path);
bool removeFile(const char* path);

} // namespace fcsystem
