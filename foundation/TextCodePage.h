#pragma once

#include <string>

#include "foundation/LumivexApi.h"

// The code page of the game's text: 932 (Shift-JIS) unless start-up reads
// the language "EN", which makes it 1252. Every conversion of host text goes
// through it, never through the system's ANSI code page, so a Japanese game
// shows and opens its names correctly on any system.
LUMIVEX_API unsigned textCodePage();
LUMIVEX_API void setTextCodePage(unsigned codePage);

// Whether a byte begins a double-byte character in the game's code page
// (Shift-JIS lead bytes 0x81-0x9F and 0xE0-0xFC under 932; none under 1252).
// A trail byte may be 0x5C, the backslash, so every scan of text that looks
// for single bytes must step over double-byte characters with this.
LUMIVEX_API bool isLeadByte(unsigned char byte);

// Text of the game's code page to wide text (UTF-16 on Windows, for the
// wide-character calls; the C library's wchar_t natively) and back; and
// either way to and from UTF-8. Characters the target cannot hold become
// the target's default character.
LUMIVEX_API std::wstring toWide(const char* text);
LUMIVEX_API std::string fromWide(const wchar_t* text);
LUMIVEX_API std::string toUtf8(const char* text);
LUMIVEX_API std::string fromUtf8(const char* text);
