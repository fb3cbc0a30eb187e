#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/LumivexApi.h"

class FCDib;
class FCFile;

// Kind codes of the image recogniser.
enum ImageKind : int32_t {
    kImageUnrecognised = 0,
    kImagePlainMcg = 1,
    kImageKeyedMcg = 3,
    kImagePng = 4,
    kImageJpeg = 5,
    kImageBmp = 6,
    kImageNotRecognised = 240, // probeImage: nothing could read it
    kImageDlt = 241,
    kImageMpeg1 = 242,
};

// What probeImage learns without decoding (except where it must).
struct ImageProbe {
    enum : uint32_t {
        kMustReadExtraTable = 1u << 24, // a keyed MCG's extra table is there to be read
        kMustDecode = 1u << 25, // the size is only known after decoding
    };
    int32_t kind;
    int32_t width;
    int32_t height;
    int32_t bitsPerPixel;
    uint32_t key; // keyed MCG: the header's key
    int32_t alphaKind; // 0 none, 1 mask or 17-level alpha, 2 full alpha
    int32_t extraKind; // keyed MCG: 1 or 2 when it has an extra table
    int32_t extraSize;
    uint32_t flags;
};

// The kind of an image from its first bytes (at least 8 are needed; DLT is
// only recognised from 32).
LUMIVEX_API int32_t classifyImage(const void* bytes, size_t count);

// Kind, size, depth and alpha of the image at the file's position, which is
// put back. option is the key for keyed MCG images.
LUMIVEX_API ImageProbe probeImage(FCFile& file, int32_t option);

// The image at the file's position as a DIB (BMP, both MCG layouts; other
// kinds leave it empty). The position is put back. option is the caller's
// key for keyed MCG images, whose mask is not used here.
LUMIVEX_API bool loadDibFile(FCFile& file, int32_t option, FCDib& dib);

// A packed DIB (header, masks, table and rows in one block of `size` bytes)
// into an FCDib, with room for every index of an 8-bit picture whose header
// leaves its colour count open.
LUMIVEX_API bool packedToDib(const uint8_t* packed, size_t size, FCDib& dib);

// A BMP file in memory ("BM", the 14-byte file header, an information
// header of 12 or 40 bytes or more, its table, the rows at the pixel offset).
LUMIVEX_API bool bmpToDib(const uint8_t* data, size_t size, FCDib& dib);
