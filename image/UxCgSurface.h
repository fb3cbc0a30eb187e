#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/LumivexApi.h"

// A pixel buffer that a decoder writes into: its size, its palette and a
// format word that says how pixels are laid out. Rows are bottom-up: pixel
// (x, y) lies at (height - 1 - y) x stride + x x bytes per pixel.
class LUMIVEX_API UxCgSurface {
public:
    enum : uint32_t {
        kBgr = 0x2, // colour bytes in blue, green, red order
        kOneByte = 0x4, // one byte a pixel (palette or grey); otherwise three
        kAlphaZero = 0x2000, // one more byte a pixel, added as 0 where the image has no alpha
        kAlphaOpaque = 0x4000, // the same, added as 255
        kPadded = 0x8000, // rows padded to a multiple of 4 bytes
        kOwnsBits = 0x10000, // the descriptor frees the buffer
    };

    struct Palette {
        int32_t count;
        uint8_t entries[256 * 4]; // blue, green, red, fourth byte
    };

    UxCgSurface();
    UxCgSurface(const UxCgSurface&) = delete;
    UxCgSurface& operator=(const UxCgSurface&) = delete;
    virtual ~UxCgSurface();

    // Describes a caller's buffer (kOwnsBits is dropped). A one-byte format
    // without a palette gets the 256-entry grey ramp.
    void set(void* buffer, int32_t width, int32_t height, uint32_t format);
    // A zeroed buffer of its own; false (and empty) when it cannot be had.
    bool allocate(int32_t width, int32_t height, uint32_t format);
    void release();

    int32_t bytesPerPixel() const;
    int64_t stride() const;
    int64_t byteSize() const { return stride() * (height > 0 ? height : 0); }
    // Pixel (x, y) from the top; null outside.
    uint8_t* pixelAt(int32_t x, int32_t y) const;

    void* bits;
    int32_t width;
    int32_t height;
    Palette palette;
    uint32_t format;
};
