#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/LumivexApi.h"

class FCCompress;
class FCDib;
class FCFile;

// The header of the keyed MCG layout as stored (little-endian words).
struct McgKeyedHeader {
    uint32_t magic;
    uint32_t flags;
    uint32_t key;
    uint32_t bitsPerPixel;
    int32_t width;
    int32_t height;
    uint32_t colourSize;
    uint32_t maskSize;
    uint32_t colourCount;
};
static_assert(sizeof(McgKeyedHeader) == 36);

// The reader of the keyed MCG layout ("GYU" 0x1A): colour data stored raw or
// as LZSS (method 0 or 3), scrambled under a 32-bit key, an optional mask of
// 17 or 256 levels that becomes a surface's alpha plane, and an optional
// 1024-byte extra table. Reusable: every read starts from reset.
//
// The stored sizes are checked against what the file holds, and every
// decoder is bounded by the picture its header describes, so a hostile file
// decodes to garbage at worst.
class LUMIVEX_API UxMcgReader {
public:
    enum : uint32_t { kMagic = 0x1A555947 };
    // The header's key: not scrambled, or supplied by the caller.
    enum : uint32_t { kNotScrambled = 0xFFFFFFFFu, kKeyFromCaller = 0 };
    enum : uint32_t {
        kFlagMask = 0x1, // a mask follows the colour data
        kFlagMaskKind = 0x3, // with kFlagMask: 1 = 17 levels, 3 = 256 levels
        kFlagExtraShift = 6, // bits 6-7: 1 or 2 = an extra table follows
        kFlagCallerKey = 0x1000, // set by read when the key came from the caller
        kFlagBitfields = 0x8000, // the DIB's compression becomes 3
    };
    enum : uint32_t { kMask17 = 1, kMask256 = 3 };
    // Colour encodings (flags bits 16-31).
    enum : uint32_t {
        kEncodingRaw = 0x0100,
        kEncodingLzss0 = 0x0200,
        kEncodingLzss0b = 0x0400,
        kEncodingLzss3 = 0x0800
    };
    static constexpr int32_t kExtraTableBytes = 1024;
    static constexpr int32_t kScrambleSwaps = 10;
    // The surface's placeholder when a dimension is unusable.
    static constexpr int32_t kPlaceholderWidth = 320;
    static constexpr int32_t kPlaceholderHeight = 240;

    UxMcgReader();
    UxMcgReader(const UxMcgReader&) = delete;
    UxMcgReader& operator=(const UxMcgReader&) = delete;
    virtual ~UxMcgReader();

    void reset();
    // Reads the image at the file's position (which is left after it). A file
    // without the magic leaves the reader empty and the position unchanged.
    bool read(FCFile& file, uint32_t callerKey);
    // The same from memory.
    bool read(const void* data, size_t size, uint32_t callerKey);
    bool valid() const { return m_valid; }

    const McgKeyedHeader& header() const { return m_header; }
    const uint8_t* colourTable() const { return m_table; }
    // 0 without a mask, else 1 (17 levels) or 3 (256 levels) or 2.
    uint32_t maskKind() const;
    uint32_t encoding() const { return m_header.flags >> 16; }
    // 1 or 2 when an extra table was read, else 0.
    uint32_t extraKind() const;
    // The caller's key when not 0, else the header's (after read, the header
    // holds the caller's key when the file left it to the caller).
    uint32_t effectiveKey(uint32_t callerKey) const { return callerKey ? callerKey : m_header.key; }
    // Width and height are at least 1 and the picture has a bounded size.
    bool decodable() const;
    // ((bits per pixel / 8) x width + 3) rounded down to 4; (width + 3) the same.
    int64_t colourStride() const;
    int64_t maskStride() const;

    // The colour picture as a packed DIB's parts: the header and table into
    // dib (compression 3 with flags bit 15), the pixels decoded. False (and
    // dib empty) when nothing was read or the picture cannot be held.
    bool decodeColour(FCDib& dib, uint32_t callerKey);
    // The mask as an 8-bit DIB with a grey ramp; false without a mask.
    bool decodeMask(FCDib& dib);

    // What a 24-bit surface holds after taking the colour picture: w x h
    // pixels of blue, green, red and a fourth byte, rows bottom-up without
    // gaps (8-bit pictures through their table, 24-bit with the fourth byte
    // 0, 32-bit rows as decoded). False for other depths (a surface keeps its
    // old picture) or when nothing was read.
    bool decodeColourTo32(uint8_t* pixels, uint32_t callerKey);
    // The mask as an alpha plane (rows bottom-up, `stride` bytes apart, at
    // least width): 256-level values as decoded, 17-level values expanded to
    // 16 x v, 255 for 16 and 0 above. False without a mask.
    bool decodeMaskToAlpha(uint8_t* alpha, ptrdiff_t stride);

    // Copies min(length, 1024 - offset) bytes of the extra table; 0 without
    // a table or for an offset outside it.
    int32_t extraTable(void* destination, int32_t length, int32_t offset) const;
    // Reads the keyed image at the file's position and copies a range of
    // its extra table; 0 when the file is not open.
    static int32_t readExtraTable(FCFile& file, uint32_t callerKey, void* destination, int32_t length, int32_t offset);

    // The key's ten swaps over a buffer of `size` bytes: forward undoes the
    // scramble, backward applies it (the same pairs, last first).
    static void unscramble(uint8_t* data, uint32_t size, uint32_t key);
    static void scramble(uint8_t* data, uint32_t size, uint32_t key);

    // The picture a surface shows for an image it cannot unlock: black, with
    // every third row from the top (0, 3, 6, ...) green.
    static void placeholderSize(int32_t& width, int32_t& height);
    static void fillPlaceholder(uint8_t* pixels, int32_t width, int32_t height);

    // Where read takes its bytes from (a file from its position, or memory).
    struct Source;

private:
    bool readFrom(Source& source, uint32_t callerKey);
    // Decodes the colour data into a zeroed buffer of `capacity` bytes.
    void decodeColourData(uint8_t* pixels, size_t capacity, uint32_t callerKey);
    void decodeMaskData(uint8_t* pixels, size_t capacity);
    FCCompress& codec();

    McgKeyedHeader m_header;
    bool m_valid;
    uint8_t* m_table;
    uint8_t* m_colour;
    uint8_t* m_mask;
    uint8_t* m_extra;
    FCCompress* m_codec;
};
