#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/LumivexApi.h"

class FCDib;
class FCFile;

// Loading an image into a 24-bit surface, without the surface: the Windows
// surface and the native tools both drive these through a Target, so they
// hold the same pixels after a load.
namespace SurfaceLoad {

// loadStream's flags.
enum : uint32_t { kIgnoreMask = 0x100 };
// The image information word (its low byte is the bits per pixel taken).
enum : uint32_t { kInfoCallerKey = 0x1000, kInfoMask17 = 0x10000, kInfoMask256 = 0x20000 };

// What a loader needs of a surface. Pixels are width x height x 4 bytes
// (blue, green, red, fourth byte), rows bottom-up without gaps; the alpha
// plane has one byte a pixel, rows bottom-up `alphaStride` bytes apart.
class LUMIVEX_API Target {
public:
    // A zeroed picture of this size without an alpha plane; false when it
    // cannot be had.
    virtual bool create(int32_t width, int32_t height) = 0;
    virtual uint8_t* pixels() = 0;
    // A plane of the picture's size, zero-filled; null when it cannot be had.
    virtual uint8_t* createAlpha(ptrdiff_t& alphaStride) = 0;
    // The surface's loadDib: an empty DIB gives the red 32 x 32 picture.
    virtual int32_t loadDib(const FCDib& dib) = 0;
    virtual void setImageInfo(uint32_t info) = 0;

protected:
    ~Target() = default;
};

// A surface's planes in memory, for the tools and the tests.
class LUMIVEX_API Picture final : public Target {
public:
    bool create(int32_t width, int32_t height) override;
    uint8_t* pixels() override { return m_pixels.data(); }
    uint8_t* createAlpha(ptrdiff_t& alphaStride) override;
    int32_t loadDib(const FCDib& dib) override;
    void setImageInfo(uint32_t info) override { m_info = info; }

    int32_t width() const { return m_width; }
    int32_t height() const { return m_height; }
    bool hasAlpha() const { return !m_alpha.empty(); }
    uint32_t imageInfo() const { return m_info; }
    // Bottom-up rows as the surface keeps them.
    const uint8_t* bits() const { return m_pixels.data(); }
    const uint8_t* alphaBits() const { return m_alpha.data(); }
    ptrdiff_t alphaStride() const { return (ptrdiff_t(m_width) + 3) & ~ptrdiff_t(3); }
    // Pixel (x, y) from the top: its four bytes, and its alpha (255 without a plane).
    const uint8_t* pixelAt(int32_t x, int32_t y) const;
    uint8_t alphaAt(int32_t x, int32_t y) const;

private:
    int32_t m_width = 0;
    int32_t m_height = 0;
    uint32_t m_info = 0;
    std::vector<uint8_t> m_pixels;
    std::vector<uint8_t> m_alpha;
};

// Whether a surface takes the DIB (one plane of 8, 24 or 32 bits, every row
// inside its bits, a table for 8 bits) and, when it does, its pixels as the
// surface holds them: 8-bit indices through the table (indices past it
// black), 24-bit with the fourth byte 0, 32-bit rows whole.
LUMIVEX_API bool dibAccepted(const FCDib& dib);
LUMIVEX_API void dibToPixels32(const FCDib& dib, uint8_t* pixels);

// The image at the file's position, any kind the readers know, into the
// target; 1 when the target took a picture, 0 when it is left as it was.
// option is the caller's key for keyed MCG images.
LUMIVEX_API int32_t loadStream(FCFile& file, uint32_t flags, int32_t option, Target& target);

} // namespace SurfaceLoad
