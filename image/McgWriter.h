#pragma once

#include <cstdint>
#include <vector>

#include "foundation/LumivexApi.h"

// Writers of both MCG layouts, for the tools and the tests: the inverse of
// the readers. Pictures come as a 24-bit surface holds them: width x height
// pixels of blue, green, red and a fourth byte, rows bottom-up without gaps;
// an alpha plane (optional) of one byte a pixel, rows bottom-up `width`
// bytes apart.
namespace McgWriter {

enum class Encoding { Raw, Lzss0, Lzss3 };

struct KeyedOptions {
    Encoding encoding = Encoding::Lzss3;
    // 24 or 32.
    int32_t bitsPerPixel = 24;
    // 0 without a mask, else 17 or 256 levels (taken from the alpha plane,
    // or opaque without one).
    int32_t maskLevels = 0;
    // The colour data are scrambled under a non-zero key; the header then
    // leaves the key to the caller unless embedKey is set.
    uint32_t key = 0;
    bool embedKey = false;
    // Flags bits 6-7 (1 or 2) with its 1024 bytes, or 0.
    uint32_t extraKind = 0;
    const uint8_t* extraTable = nullptr;
};

// The 17-level value for an alpha byte: the nearest of 16 x v (v below 16)
// and 255 (v = 16).
LUMIVEX_API uint8_t alphaTo17(uint8_t alpha);

// Empty when the picture cannot be written (no pixels, or the compressor
// fails).
LUMIVEX_API std::vector<uint8_t> writeKeyed(
    const uint8_t* pixels, const uint8_t* alpha, int32_t width, int32_t height, const KeyedOptions& options);
// The plain layout holds 24-bit colour without alpha.
LUMIVEX_API std::vector<uint8_t> writePlain(const uint8_t* pixels, int32_t width, int32_t height);

} // namespace McgWriter
