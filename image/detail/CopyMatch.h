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

// The same where the output has at least length + 16 bytes of room: the
// moves may run up to 15 bytes past the match, writing bytes that the
// following codes write again.
inline void copyMatchWide(uint8_t* dst, int32_t distance, int32_t length)
{
    const uint8_t* src = dst - distance;
    if (distance >= 8) {
        // Short matches, the most frequent, take one move.
        if (length <= 8) {
            std::memcpy(dst, src, 8);
            return;
        }
        const int32_t step = distance >= 16 ? 16 : 8;
        do {
            std::memcpy(dst, src, 8);
            if (step == 16)
                std::memcpy(dst + 8, src + 8, 8);
            dst += step;
            src += step;
            length -= step;
        } while (length > 0);
        return;
    }
    if (distance == 1 || distance == 2 || distance == 4) {
        // A pixel or a byte repeated: the run is a pattern of eight bytes,
        // built once in a register and stored, never loaded back.
        uint64_t pattern;
        if (distance == 4) {
            uint32_t v;
            std::memcpy(&v, src, 4);
            pattern = v * 0x0000000100000001ull;
        } else if (distance == 2) {
            uint16_t v;
            std::memcpy(&v, src, 2);
            pattern = v * 0x0001000100010001ull;
        } else {
            pattern = src[0] * 0x0101010101010101ull;
        }
        do {
            std::memcpy(dst, &pattern, 8);
            dst += 8;
            length -= 8;
        } while (length > 0);
        return;
    }
    if (length <= 8) {
        // Byte after byte, so that each reads one already written; always
        // eight of them, which costs less than a loop that stops early.
        for (int32_t i = 0; i < 8; ++i)
            dst[i] = src[i];
        return;
    }
    copyMatch(dst, distance, length);
}

} // namespace lzss
