#include "startup/IniKeyReader.h"

IniKeyReader::~IniKeyReader() = default;

int32_t IniKeyReader::readInt(const char* key, int32_t fallback, const char* section)
{
    FCString value = readString(key, kMissingMarker, section);
    if (value == kMissingMarker)
        return fallback;
    return value.toInt();
}
