#pragma once

#include <cstdint>
#include <string>

// The platform side of FCString::mapString: the text mapped with the
// system's locale mapping flags (LCMAP_*) into result; false when the flags
// give no text, which leaves the string as it is.
bool mapTextPlatform(const char* text, uint32_t flags, std::string& result);

// ASCII letters to upper or lower case in place; double-byte characters of
// the game's code page are stepped over whole, so a trail byte that looks
// like a letter keeps its value.
void mapAsciiCase(char* text, bool upper);
