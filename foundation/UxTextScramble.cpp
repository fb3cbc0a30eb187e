#include "foundation/UxTextScramble.h"

#include <cstring>

#include "foundation/UxStaticRandom.h"

namespace {

void makeKeys(uint8_t (&keys)[256], uint32_t seed)
{
    UxStaticRandom random(seed);
    for (uint8_t& key : keys)
        key = static_cast<uint8_t>(random.next(8));
}

inline uint8_t rotateLeft(uint8_t byte, unsigned count)
{
    return static_cast<uint8_t>((byte << count) | (byte >> ((8 - count) & 7)));
}

} // namespace

size_t scrambleRegionStart(const char* text, size_t length, int32_t plainLines)
{
    size_t offset = 0;
    for (int32_t line = 0; line < plainLines; ++line) {
        const void* end = offset < length ? std::memchr(text + offset, '\n', length - offset) : nullptr;
        if (!end)
            return SIZE_MAX;
        offset = static_cast<size_t>(static_cast<const char*>(end) - text) + 1;
    }
    return offset;
}

void scrambleBytes(char* region, size_t length, uint32_t seed)
{
    uint8_t keys[256];
    makeKeys(keys, seed);
    auto* bytes = reinterpret_cast<uint8_t*>(region);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = rotateLeft(bytes[i], keys[i & 255]);
}

void unscrambleBytes(char* region, size_t length, uint32_t seed)
{
    uint8_t keys[256];
    makeKeys(keys, seed);
    auto* bytes = reinterpret_cast<uint8_t*>(region);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = rotateLeft(bytes[i], (8 - keys[i & 255]) & 7);
}
