#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/TextCodePage.h"

// The messages that carry text, between the game's side (text of the game's
// code page, lengths in bytes, as an ANSI window of that code page has them)
// and the host's windows and the system's controls, which are wide. Without
// the conversion a module's WM_GETTEXT into a char buffer would get twice the
// bytes it asked for.
namespace textmessages {

using WideCall = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);

inline bool carriesText(UINT message)
{
    return message == WM_SETTEXT || message == WM_GETTEXT || message == WM_GETTEXTLENGTH;
}

// The window's text, asked for through the wide call, in the game's code page.
inline std::string codePageText(HWND window, WideCall call)
{
    const LRESULT length = call(window, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0)
        return std::string();
    std::vector<wchar_t> wide(static_cast<size_t>(length) + 1, L'\0');
    call(window, WM_GETTEXT, wide.size(), reinterpret_cast<LPARAM>(wide.data()));
    return fromWide(wide.data());
}

// How many of text's bytes fit in room bytes without cutting a double-byte
// character.
inline size_t fittingBytes(const std::string& text, size_t room)
{
    size_t at = 0;
    while (at < text.size()) {
        const size_t next = at + (isLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1);
        if (next > room)
            break;
        at = next;
    }
    return at;
}

// A text message with code-page arguments through the wide call: WM_SETTEXT
// sends its text converted; WM_GETTEXT fills the caller's buffer of wParam
// bytes (always terminated, never ending inside a character) and answers the
// bytes copied; WM_GETTEXTLENGTH answers the length in bytes.
inline LRESULT callFromCodePage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, WideCall call)
{
    switch (message) {
    case WM_SETTEXT: {
        if (!lParam)
            return call(window, message, wParam, 0);
        const std::wstring wide = toWide(reinterpret_cast<const char*>(lParam));
        return call(window, message, wParam, reinterpret_cast<LPARAM>(wide.c_str()));
    }
    case WM_GETTEXT: {
        char* out = reinterpret_cast<char*>(lParam);
        if (!out || wParam == 0)
            return 0;
        const std::string text = codePageText(window, call);
        const size_t bytes = fittingBytes(text, wParam - 1);
        std::memcpy(out, text.data(), bytes);
        out[bytes] = '\0';
        return static_cast<LRESULT>(bytes);
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(codePageText(window, call).size());
    default:
        return call(window, message, wParam, lParam);
    }
}

} // namespace textmessages
