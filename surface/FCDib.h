#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/LumivexApi.h"

// The Windows bitmap information header, laid out as BITMAPINFOHEADER.
struct FCDibHeader {
    uint32_t size;
    int32_t width;
    int32_t height;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t sizeImage;
    int32_t xPelsPerMeter;
    int32_t yPelsPerMeter;
    uint32_t clrUsed;
    uint32_t clrImportant;
};
static_assert(sizeof(FCDibHeader) == 40);

// The packed device-independent bitmap that image readers produce and
// surfaces consume: a header block (the 40-byte header, then with compression
// 3 the three masks, then the colour table) and a separate block of bits.
// Scenario modules read the members directly, so their order is fixed.
class LUMIVEX_API FCDib {
public:
    enum : uint32_t { kCompressionRgb = 0, kCompressionBitfields = 3 };
    // Pictures above this many bytes of bits are refused as out of memory.
    static constexpr uint64_t kMaxBitsBytes = uint64_t(1) << 30;

    FCDib();
    FCDib(const FCDib&) = delete;
    FCDib& operator=(const FCDib&) = delete;
    virtual ~FCDib();

    // A zero-filled bitmap with a grey table for 8 bits or fewer. Throws
    // NotEnoughMemoryException ("FCDib - create") when the bits cannot be had,
    // leaving the DIB empty; false (and empty) for a width below 1, a height
    // of 0 or a bit count outside 1..32.
    bool create(int32_t width, int32_t height, int32_t bitCount);
    // Copies a packed DIB (header, table, bits in one block of `size` bytes).
    // A 12-byte core header becomes a 40-byte one. A picture whose bits come
    // out as 0 bytes is reported to the player ("(A)"); any header that lies
    // about the block is refused. False leaves the DIB empty.
    bool copyPacked(const void* packed, size_t size);
    // The same from a header block and separate bits (image plug-ins); the
    // report says "(B)".
    bool copySeparate(const void* header, size_t headerSize, const void* bits, size_t bitsSize);
    // Frees both blocks and nulls the three pointers.
    void destroy();

    bool empty() const { return !header || !bits; }
    int32_t width() const { return header ? header->width : 0; }
    int32_t height() const { return header ? header->height : 0; }
    int32_t bitCount() const { return header ? header->bitCount : 0; }
    // ((bit count / 8) x width + 3) rounded down to a multiple of 4.
    int32_t stride() const;
    // Byte of pixel (x, y), y counted from the top; null outside the picture.
    uint8_t* pixel(int32_t x, int32_t y) const;
    // Entries in the colour table block (at least 2^bit count up to 8 bits).
    uint32_t tableEntries() const { return m_tableEntries; }
    uint32_t bitsBytes() const { return m_bitsBytes; }

    FCDibHeader* header;
    uint8_t* colors;
    uint8_t* bits;
    // Per colour index: whether the index may be drawn (the MCG reader fills
    // them from the fourth byte of each colour entry).
    int32_t indexFlags[256];

private:
    bool copyFrom(
        const uint8_t* block, size_t blockSize, const uint8_t* separateBits, size_t separateSize, bool separate);
    void resetIndexFlags();

    uint32_t m_tableEntries;
    uint32_t m_bitsBytes;
};
