#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

// Tests, creation and removal of paths. Paths are resolved as path names
// (foundation/FCPathName.h); attributes are the Windows FILE_ATTRIBUTE_*
// bits (natively: 0x10 for a folder, 0x80 for a file, 0x01 when read-only).
namespace FCPath {

inline constexpr uint32_t kReadOnly = 0x01;
inline constexpr uint32_t kHidden = 0x02;
inline constexpr uint32_t kSystem = 0x04;
inline constexpr uint32_t kFolder = 0x10;
inline constexpr uint32_t kArchive = 0x20;
inline constexpr uint32_t kNormal = 0x80;

// Whether the path has attributes, which are returned when asked for.
LUMIVEX_API bool exists(const char* path, uint32_t* attributes = nullptr);
// Whether the path exists and has any of the mask's bits.
LUMIVEX_API bool hasAttributes(const char* path, uint32_t mask);
// True when the folder exists already; otherwise creates each missing folder
// from the root down and returns whether the last one was created.
LUMIVEX_API bool createFolders(const char* path);
// Removes a file.
LUMIVEX_API bool deleteFile(const char* path);
// Puts source in target's place in one step, replacing target when it
// exists: a reader sees either the old file or the new one, never a mix.
LUMIVEX_API bool replaceFile(const char* source, const char* target);

} // namespace FCPath
