#include <cstring>

#include "foundation/FCStringPlatform.h"

// Without the system's locale mapping only the case flags mean something.
bool mapTextPlatform(const char* text, uint32_t flags, std::string& result)
{
    constexpr uint32_t kLowerCase = 0x100;
    constexpr uint32_t kUpperCase = 0x200;
    if (!(flags & (kLowerCase | kUpperCase)))
        return false;
    result = text;
    mapAsciiCase(result.data(), (flags & kUpperCase) != 0);
    return true;
}
