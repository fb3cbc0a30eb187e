#pragma once

#include <windows.h>

#include <string>

#include "foundation/TextCodePage.h"

namespace fcsystem {

// Whether the game's code page holds every character of the text.
inline bool fitsTextCodePage(const wchar_t* text)
{
    BOOL lost = FALSE;
    return WideCharToMultiByte(textCodePage(), WC_NO_BEST_FIT_CHARS, text, -1, nullptr, 0, nullptr, &lost) > 0 && !lost;
}

// A path the system gives (the current folder, a special folder, the
// executable's) in the game's code page. One that the code page cannot hold
// (a user name in another script under a Japanese game, "Clément" under an
// English one) would name nothing once converted: its short form, plain
// ASCII, serves instead. Without short names on the volume the converted
// text is all there is.
inline std::string systemPathText(const std::wstring& wide)
{
    if (fitsTextCodePage(wide.c_str()))
        return fromWide(wide.c_str());
    const DWORD needed = GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (needed) {
        std::wstring shortForm(needed, L'\0');
        const DWORD length = GetShortPathNameW(wide.c_str(), shortForm.data(), needed);
        if (length && length < needed) {
            shortForm.resize(length);
            if (fitsTextCodePage(shortForm.c_str()))
                return fromWide(shortForm.c_str());
        }
    }
    return fromWide(wide.c_str());
}

} // namespace fcsystem
