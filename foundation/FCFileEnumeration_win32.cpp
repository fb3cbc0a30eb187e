#include <windows.h>

#include <cstddef>

#include "foundation/FCFileEnumeration.h"
#include "foundation/TextCodePage.h"
#include "foundation/detail/FileSystem.h"
#include "foundation/detail/SystemPathText_win32.h"

// The class keeps the find record as bytes so its header needs no <windows.h>.
static_assert(sizeof(WIN32_FIND_DATAW) == fcsystem::kFindRecordSize);
static_assert(alignof(WIN32_FIND_DATAW) <= 4);

namespace fcsystem {

void* findFirst(const char* pattern, void* record)
{
    HANDLE search = FindFirstFileW(toWide(pattern).c_str(), static_cast<WIN32_FIND_DATAW*>(record));
    return search == INVALID_HANDLE_VALUE ? nullptr : search;
}

bool findNext(void* search, void* record)
{
    return FindNextFileW(search, static_cast<WIN32_FIND_DATAW*>(record)) != FALSE;
}

void findClose(void* search)
{
    FindClose(search);
}

std::string foundName(const void* record, bool& folder)
{
    const auto* data = static_cast<const WIN32_FIND_DATAW*>(record);
    folder = (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // A name the game's code page cannot hold opens under its short form.
    if (!fitsTextCodePage(data->cFileName) && data->cAlternateFileName[0])
        return fromWide(data->cAlternateFileName);
    return fromWide(data->cFileName);
}

} // namespace fcsystem
