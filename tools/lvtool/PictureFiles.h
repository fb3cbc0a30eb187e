#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A picture as a 24-bit surface holds it: rows bottom-up of blue, green,
// red and a fourth byte, and an alpha plane (`width` bytes a row, bottom-up)
// when the surface has one in use.
struct ToolPicture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> alpha;
    bool hasAlpha() const { return !alpha.empty(); }
};

// How an input came to be a picture.
enum class PictureSource {
    Image, // decoded
    LockedMcg, // a keyed MCG without a key: the surface's placeholder
};

// Reads PAM, PNG, BMP or either MCG layout the way the 24-bit surface loads
// it (key and ignoreMask as its option and flag 0x100). False with a reason.
bool readPicture(
    const char* path, uint32_t key, bool ignoreMask, ToolPicture& picture, PictureSource& source, std::string& reason);

// PAM: P7, DEPTH 4, MAXVAL 255, TUPLTYPE RGB_ALPHA, rows top-down, bytes R,
// G, B, A (255 without alpha).
bool writePam(const char* path, const ToolPicture& picture);
// PNG: RGB, or RGBA with alpha.
bool writePng(const char* path, const ToolPicture& picture);
// BMP: 24 bits, or 32 bits (blue, green, red, alpha) with alpha.
bool writeBmp(const char* path, const ToolPicture& picture);
