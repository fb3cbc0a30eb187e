#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/LumivexApi.h"

// The pixel work of the 8-bit surface, without the surface: one byte per
// pixel, a colour table of 256 entries of four bytes (blue, green, red,
// fourth byte). Like the other kernels they take a pointer to the first byte
// of the TOP row of an already clipped rectangle and a signed stride (negative
// for bottom-up storage), and touch nothing outside w x h of each plane.
namespace Surface8 {

// Key modes of the 8-bit copies.
enum : int32_t {
    kKeyNone = -2, // every pixel is copied
    kKeyTopLeft = -1, // the index of the source's top-left pixel is transparent
};

// The transparent index for a key mode, or -1 when there is none: -1 takes
// topLeftIndex, 0..255 is itself, anything else copies every pixel.
LUMIVEX_API int32_t resolveKey(int32_t keyMode, uint8_t topLeftIndex);

// Copies indices; source pixels equal to the key leave the destination alone.
LUMIVEX_API void copy8(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int32_t w, int32_t h,
    int32_t keyMode, uint8_t topLeftIndex);

// Replaces each index by its 4-byte colour-table entry in a 4-byte-per-pixel
// destination (the fourth byte of the entry included); key pixels are skipped.
LUMIVEX_API void draw8To24(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int32_t w,
    int32_t h, const uint8_t* colorTable, int32_t keyMode, uint8_t topLeftIndex);

// The largest picture createAlphaLevels accepts: its working grid is one byte
// per cell, so this bounds it to about 256 MiB.
constexpr int64_t kMaxAlphaGridCells = int64_t(1) << 28;

// Derives a 17-level alpha (0..16) from a colour key over a whole picture of
// w x h (src and alpha both start at the top row): pixels of the key keep the
// plane's value; others get 16 inside, 12 next to an edge, 8 on an edge with
// one key neighbour, 4 with two or more. keyMode -1 takes the top-left index;
// any other key outside 0..255 leaves the plane as it is. False when the
// working grid cannot be made (absurd size or no memory); the plane is then
// unchanged.
LUMIVEX_API bool createAlphaLevels(uint8_t* alpha, ptrdiff_t alphaStride, const uint8_t* src, ptrdiff_t srcStride,
    int32_t w, int32_t h, int32_t keyMode);

// Which part of a colour table a setColors call copies.
struct ColorSpan {
    int32_t destination = 0;
    int32_t source = 0;
    int32_t count = 0;
};
// setColors(destination, source, count): false when either index is outside
// 0..255; a count below 1 is 1, and the count is cut so that the larger index
// plus count is at most 256.
LUMIVEX_API bool setColorsSpan(int32_t destination, int32_t source, int32_t count, ColorSpan& span);
// setColorRange(start, count): start clamped to 0..255, count cut to
// 256 - start (a negative count copies nothing); source and destination equal.
LUMIVEX_API ColorSpan setColorRangeSpan(int32_t start, int32_t count);
// Copies the span's entries (4 bytes each) from entries to table.
LUMIVEX_API void copyColors(uint8_t* table, const uint8_t* entries, const ColorSpan& span);

// Entry by entry, blue, green and red become from + ((to - from) * step) / steps
// (division truncating toward zero, the result's low byte stored) and the
// fourth byte 0. Nothing happens when steps < 1.
LUMIVEX_API void fadePalette(uint8_t* table, const uint8_t* from, const uint8_t* to, int32_t step, int32_t steps);

// The grey ramp (entry i = i, i, i, 0) and the ramp with the 20 static colours
// of the system palette laid over entries 0..9 and 246..255.
LUMIVEX_API void greyTable(uint8_t* table, int32_t entries = 256);
LUMIVEX_API void staticColorTable(uint8_t* table);

// The surfaces' random source: state = state x 0x5D588B65 + 1; a range of
// 0xFFFFFFFF returns the state; otherwise (state >> s) mod range, s being how
// often 0x7FFFFFFF must be halved to be no longer above range. Range 0 gives 0.
LUMIVEX_API uint32_t nextRandom(uint32_t& state, uint32_t range);

// The scramble of saveShuffledBmp: with key & 0xFFFF as the random state,
// each row from the top down is rotated left by nextRandom(rowBytes) bytes;
// a key above 0xFFFF leaves the rows. top is the first byte of the top row.
LUMIVEX_API void shuffleRows(uint8_t* top, ptrdiff_t stride, int32_t rowBytes, int32_t rows, uint32_t key);

// Row stride of an 8-bit picture: width rounded up to a multiple of 4.
LUMIVEX_API int64_t stride8(int32_t width);

// The 8-bit BMP file: "BM", size = pixel bytes + 1078, two zero reserved words,
// pixel offset 1078, then the 1064-byte information block as it is, then the
// pixel rows as stored.
constexpr uint32_t kInfoBlockBytes = 40 + 256 * 4;
constexpr uint32_t kBmpPixelOffset = 14 + kInfoBlockBytes;
LUMIVEX_API void bmp8FileHeader(uint8_t* out14, uint32_t pixelBytes);
LUMIVEX_API std::vector<uint8_t> bmp8File(const uint8_t* infoBlock, const uint8_t* bits, uint32_t pixelBytes);

} // namespace Surface8
