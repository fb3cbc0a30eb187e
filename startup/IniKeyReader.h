#pragma once

#include <cstdint>

#include "foundation/FCString.h"
#include "foundation/LumivexApi.h"

// Whatever answers ini keys: FCIniFile on Windows, a table in the tests.
class LUMIVEX_API IniKeyReader {
public:
    IniKeyReader() = default;
    IniKeyReader(const IniKeyReader&) = delete;
    IniKeyReader& operator=(const IniKeyReader&) = delete;
    virtual ~IniKeyReader();

    // The value of key in section (null: the reader's default section), or
    // fallback when the key is missing.
    virtual FCString readString(const char* key, const char* fallback, const char* section) = 0;
    // Asks for the string with the marker "_dummy_" as its fallback: the
    // marker coming back means a missing key and gives fallback; anything
    // else is FCString's integer parse (decimal, "0x" hexadecimal, "0b"
    // binary), so a present but empty key reads as 0.
    int32_t readInt(const char* key, int32_t fallback, const char* section);

    static constexpr const char* kMissingMarker = "_dummy_";
};
