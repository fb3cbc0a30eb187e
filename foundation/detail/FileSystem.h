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
bool flushFile(void* handle);
// which: 0 last write, 1 creation, 2 last access. fields: the SYSTEMTIME layout.
bool fileTime(void* handle, uint32_t which, bool keepUtc, uint64_t& time, uint16_t fields[8]);

bool attributes(const char* path, uint32_t& out);
bool makeFolder(const char* path);
bool removeFile(const char* path);
// Renames source over target in one step (replacing target), written through;
// 0 or the system's error code.
uint32_t replaceFile(const char* source, const char* target);

} // namespace fcsystem

// File mappings (FCFileMapping): the handle is the system's mapping object
// (natively the descriptor). Offsets passed to mapView are multiples of
// allocationGranularity().
namespace fcsystem {

uint32_t allocationGranularity();
// Opens the file and maps it whole; readWrite opens it for reading and
// writing (creating it) and copyOnWrite keeps writes private. False for an
// empty file or any failure; the file itself is never left open.
bool openMapping(const char* path, bool readWrite, bool copyOnWrite, void** mapping, uint64_t& size);
void* mapView(void* mapping, uint32_t access, uint64_t offset, uint32_t size);
void unmapView(void* view, uint32_t size);
void closeMapping(void* mapping);

} // namespace fcsystem

// Folder searches (FCFileEnumeration, Windows only): record is the system's
// find record, kFindRecordSize bytes.
namespace fcsystem {

inline constexpr unsigned kFindRecordSize = 592;
// The search handle, or null when nothing matches; the first entry in record.
void* findFirst(const char* pattern, void* record);
bool findNext(void* search, void* record);
void findClose(void* search);
// The entry's name in the game's code page and whether it is a folder.
std::string foundName(const void* record, bool& folder);

} // namespace fcsystem
