#include <windows.h>

#include "foundation/FCStringPlatform.h"
#include "foundation/TextCodePage.h"

// Through the wide call, so the game's code page decides what the bytes
// mean whatever the system's ANSI code page is.
bool mapTextPlatform(const char* text, uint32_t flags, std::string& result)
{
    // A sort key is bytes, not text.
    if (flags & LCMAP_SORTKEY)
        return false;
    std::wstring wide = toWide(text);
    if (wide.empty()) {
        result.clear();
        return true;
    }
    int length = LCMapStringW(LOCALE_SYSTEM_DEFAULT, flags, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0);
    if (length <= 0)
        return false;
    std::wstring mapped(static_cast<size_t>(length), L'\0');
    if (LCMapStringW(LOCALE_SYSTEM_DEFAULT, flags, wide.c_str(), static_cast<int>(wide.size()), mapped.data(), length)
        <= 0)
        return false;
    result = fromWide(mapped.c_str());
    return true;
}
