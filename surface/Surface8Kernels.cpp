#include "surface/Surface8Kernels.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace Surface8 {

int32_t resolveKey(int32_t keyMode, uint8_t topLeftIndex)
{
    if (keyMode == kKeyTopLeft)
        return topLeftIndex;
    if (keyMode >= 0 && keyMode <= 255)
        return keyMode;
    return -1;
}

void copy8(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int32_t w, int32_t h,
    int32_t keyMode, uint8_t topLeftIndex)
{
    if (w < 1 || h < 1)
        return;
    int32_t key = resolveKey(keyMode, topLeftIndex);
    for (int32_t y = 0; y < h; ++y, dst += dstStride, src += srcStride) {
        if (key < 0) {
            std::memcpy(dst, src, static_cast<size_t>(w));
            continue;
        }
        for (int32_t x = 0; x < w; ++x)
            if (src[x] != key)
                dst[x] = src[x];
    }
}

void draw8To24(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int32_t w, int32_t h,
    const uint8_t* colorTable, int32_t keyMode, uint8_t topLeftIndex)
{
    if (w < 1 || h < 1)
        return;
    int32_t key = resolveKey(keyMode, topLeftIndex);
    for (int32_t y = 0; y < h; ++y, dst += dstStride, src += srcStride) {
        for (int32_t x = 0; x < w; ++x) {
            uint8_t index = src[x];
            if (index == key)
                continue;
            std::memcpy(dst + 4 * static_cast<ptrdiff_t>(x), colorTable + 4 * index, 4);
        }
    }
}

bool createAlphaLevels(uint8_t* alpha, ptrdiff_t alphaStride, const uint8_t* src, ptrdiff_t srcStride, int32_t w,
    int32_t h, int32_t keyMode)
{
    if (w < 1 || h < 1)
        return true;
    if (keyMode != kKeyTopLeft && (keyMode < 0 || keyMode > 255))
        return true;
    int32_t key = resolveKey(keyMode, src[0]);

    const int64_t gw = int64_t(w) + 2, gh = int64_t(h) + 2;
    if (gw * gh > kMaxAlphaGridCells)
        return false;
    uint8_t* grid = new (std::nothrow) uint8_t[static_cast<size_t>(gw * gh)];
    if (!grid)
        return false;

    // The border never holds the key, so pixels at the picture's edge are not
    // edges by themselves.
    std::memset(grid, 16, static_cast<size_t>(gw * gh));
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* row = src + y * srcStride;
        uint8_t* cell = grid + (y + 1) * gw + 1;
        for (int32_t x = 0; x < w; ++x)
            cell[x] = row[x] == key ? 0 : 16;
    }
    // Edge cells: the 16s touching a key cell. Marking them never creates a 0,
    // so the pass can work in place.
    for (int32_t y = 1; y <= h; ++y) {
        uint8_t* cell = grid + y * gw;
        for (int32_t x = 1; x <= w; ++x) {
            if (cell[x] == 16 && (cell[x - 1] == 0 || cell[x + 1] == 0 || cell[x - gw] == 0 || cell[x + gw] == 0))
                cell[x] = 8;
        }
    }
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* cell = grid + (y + 1) * gw + 1;
        uint8_t* out = alpha + y * alphaStride;
        for (int32_t x = 0; x < w; ++x) {
            if (cell[x] == 0)
                continue;
            const uint8_t n[4] = { cell[x - 1], cell[x + 1], cell[x - gw], cell[x + gw] };
            int zeros = (n[0] == 0) + (n[1] == 0) + (n[2] == 0) + (n[3] == 0);
            if (zeros >= 2)
                out[x] = 4;
            else if (zeros == 1)
                out[x] = 8;
            else if (n[0] == 8 || n[1] == 8 || n[2] == 8 || n[3] == 8)
                out[x] = 12;
            else
                out[x] = 16;
        }
    }
    delete[] grid;
    return true;
}

bool setColorsSpan(int32_t destination, int32_t source, int32_t count, ColorSpan& span)
{
    if (destination < 0 || destination > 255 || source < 0 || source > 255)
        return false;
    count = std::max(count, 1);
    count = std::min(count, 256 - std::max(destination, source));
    span = { destination, source, count };
    return true;
}

ColorSpan setColorRangeSpan(int32_t start, int32_t count)
{
    start = std::clamp(start, 0, 255);
    count = std::clamp(count, 0, 256 - start);
    return { start, start, count };
}

void copyColors(uint8_t* table, const uint8_t* entries, const ColorSpan& span)
{
    if (span.count > 0)
        std::memmove(table + 4 * span.destination, entries + 4 * span.source, 4 * static_cast<size_t>(span.count));
}

void fadePalette(uint8_t* table, const uint8_t* from, const uint8_t* to, int32_t step, int32_t steps)
{
    if (steps < 1)
        return;
    for (int i = 0; i < 256 * 4; i += 4) {
        for (int c = 0; c < 3; ++c) {
            int64_t f = from[i + c], t = to[i + c];
            // C++ division truncates toward zero, as the fade always did.
            table[i + c] = static_cast<uint8_t>(f + ((t - f) * step) / steps);
        }
        table[i + 3] = 0;
    }
}

void greyTable(uint8_t* table, int32_t entries)
{
    for (int32_t i = 0; i < entries; ++i) {
        table[4 * i + 0] = table[4 * i + 1] = table[4 * i + 2] = static_cast<uint8_t>(i);
        table[4 * i + 3] = 0;
    }
}

void staticColorTable(uint8_t* table)
{
    // Red, green, blue of the system palette's 20 static colours.
    static const uint8_t kLow[10][3] = { { 0, 0, 0 }, { 128, 0, 0 }, { 0, 128, 0 }, { 128, 128, 0 }, { 0, 0, 128 },
        { 128, 0, 128 }, { 0, 128, 128 }, { 192, 192, 192 }, { 192, 220, 192 }, { 166, 202, 240 } };
    static const uint8_t kHigh[10][3] = { { 255, 251, 240 }, { 160, 160, 164 }, { 128, 128, 128 }, { 255, 0, 0 },
        { 0, 255, 0 }, { 255, 255, 0 }, { 0, 0, 255 }, { 255, 0, 255 }, { 0, 255, 255 }, { 255, 255, 255 } };
    greyTable(table);
    for (int i = 0; i < 10; ++i) {
        uint8_t* low = table + 4 * i;
        uint8_t* high = table + 4 * (246 + i);
        low[0] = kLow[i][2], low[1] = kLow[i][1], low[2] = kLow[i][0];
        high[0] = kHigh[i][2], high[1] = kHigh[i][1], high[2] = kHigh[i][0];
    }
}

uint32_t nextRandom(uint32_t& state, uint32_t range)
{
    state = state * 0x5D588B65u + 1u;
    if (range == 0xFFFFFFFFu)
        return state;
    if (range == 0)
        return 0;
    uint32_t limit = 0x7FFFFFFFu;
    int shift = 0;
    while (limit > range) {
        limit >>= 1;
        ++shift;
    }
    return (state >> shift) % range;
}

void shuffleRows(uint8_t* top, ptrdiff_t stride, int32_t rowBytes, int32_t rows, uint32_t key)
{
    if (key > 0xFFFFu || rowBytes < 1)
        return;
    uint32_t state = key & 0xFFFFu;
    for (int32_t y = 0; y < rows; ++y) {
        uint8_t* row = top + y * stride;
        uint32_t r = nextRandom(state, static_cast<uint32_t>(rowBytes));
        std::rotate(row, row + r, row + rowBytes);
    }
}

int64_t stride8(int32_t width)
{
    return (static_cast<int64_t>(width) + 3) & ~int64_t(3);
}

namespace {
void put16(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t* p, uint32_t v)
{
    put16(p, v);
    put16(p + 2, v >> 16);
}
} // namespace

void bmp8FileHeader(uint8_t* out14, uint32_t pixelBytes)
{
    out14[0] = 'B';
    out14[1] = 'M';
    put32(out14 + 2, pixelBytes + kBmpPixelOffset);
    put16(out14 + 6, 0);
    put16(out14 + 8, 0);
    put32(out14 + 10, kBmpPixelOffset);
}

std::vector<uint8_t> bmp8File(const uint8_t* infoBlock, const uint8_t* bits, uint32_t pixelBytes)
{
    std::vector<uint8_t> file(kBmpPixelOffset + static_cast<size_t>(pixelBytes));
    bmp8FileHeader(file.data(), pixelBytes);
    std::memcpy(file.data() + 14, infoBlock, kInfoBlockBytes);
    if (pixelBytes)
        std::memcpy(file.data() + kBmpPixelOffset, bits, pixelBytes);
    return file;
}

} // namespace Surface8
