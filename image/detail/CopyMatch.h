#pragma once

#include <cstdint>
#include <cstring>

namespace lzss {

// Copies `length` bytes from `distance` bytes back, byte for byte as an
// overlapping LZ copy repeats them, but in whole 16- or 8-byte moves. The
// source must lie in the output (distance at most the bytes written) and
// nothing is written past dst + length: the last move of a run ends exactly
// there, overlapping the one before it.
inline void copyMatch(uint8_t* dst, int32_t distance, int32_t length)
{
    const uint8_t* src = dst - distance;
    if (distance < 8) {
        if (length < 16) {
            for (int32_t i = 0; i < length; ++i)
                dst[i] = src[i];
            return;
        }
        // The run repeats every `distance` bytes, so it also repeats every
        // `wide` bytes, the first multiple of distance that is at least 8.
        // Its first wide - distance bytes come one by one; after them every
        // byte is `wide` bytes after one already written.
        const int32_t wide = distance == 1 ? 8 : (8 + distance - 1) / distance * distance;
        const int32_t head = wide - distance;
        for (int32_t i = 0; i < head; ++i)
            dst[i] = src[i];
        dst += head;
        length -= head;
        src = dst - wide;
        distance = wide;
    }
    if (distance >= 16 && length >= 16) {
        uint8_t* end = dst + length;
        while (end - dst > 16) {
            std::memcpy(dst, src, 16);
            dst += 16;
            src += 16;
        }
        std::memcpy(end - 16, end - 16 - distance, 16);
        return;
    }
    if (length >= 8) {
        uint8_t* end = dst + length;
        while (end - dst > 8) {
            std::memcpy(dst, src, 8);
            dst += 8;
            src += 8;
        }
        std::memcpy(end - 8, end - 8 - distance, 8);
        return;
    }
    for (int32_t i = 0; i < length; ++i)
        dst[i] = src[i];
}

} // namespace lzss
