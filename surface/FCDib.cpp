#include "surface/FCDib.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "foundation/Diagnostic.h"
#include "foundation/FCHeap.h"
#include "foundation/FCString.h"
#include "foundation/UxMessageBox.h"
#include "surface/Surface8Kernels.h"

namespace {

uint32_t read32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t read16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// ((width x bit count + 31) / 32) x 4 x |height|, in 64 bits, saturated so
// that a lying header only ever looks too big.
int64_t dwordRowsBytes(int64_t width, int64_t bitCount, int64_t height)
{
    int64_t row = (width * bitCount + 31) / 32 * 4;
    int64_t total = 0;
    if (__builtin_mul_overflow(row, std::llabs(height), &total))
        return row < 0 ? INT64_MIN : INT64_MAX;
    return total;
}

} // namespace

FCDib::FCDib()
    : header(nullptr)
    , colors(nullptr)
    , bits(nullptr)
    , m_tableEntries(0)
    , m_bitsBytes(0)
{
    resetIndexFlags();
}

FCDib::~FCDib()
{
    destroy();
}

void FCDib::resetIndexFlags()
{
    for (int i = 0; i < 256; ++i)
        indexFlags[i] = (i >= 10 && i <= 245) ? 1 : 0;
}

void FCDib::destroy()
{
    FCHeap::release(header);
    FCHeap::release(bits);
    header = nullptr;
    colors = nullptr;
    bits = nullptr;
    m_tableEntries = 0;
    m_bitsBytes = 0;
}

int32_t FCDib::stride() const
{
    if (!header)
        return 0;
    // Made DIBs keep their bits below kMaxBitsBytes, so the stride fits.
    int64_t s = ((int64_t(header->bitCount) / 8 * header->width + 3) & ~int64_t(3));
    return static_cast<int32_t>(s);
}

uint8_t* FCDib::pixel(int32_t x, int32_t y) const
{
    if (empty())
        return nullptr;
    int64_t h = std::llabs(int64_t(header->height));
    int64_t bytesPerPixel = header->bitCount / 8;
    if (x < 0 || y < 0 || x >= header->width || y >= h || bytesPerPixel < 1)
        return nullptr;
    int64_t offset = (h - 1 - y) * stride() + x * bytesPerPixel;
    if (offset < 0 || offset + bytesPerPixel > m_bitsBytes)
        return nullptr;
    return bits + offset;
}

bool FCDib::create(int32_t width, int32_t height, int32_t bitCount)
{
    destroy();
    if (width < 1 || height == 0 || height == std::numeric_limits<int32_t>::min() || bitCount < 1 || bitCount > 32)
        return false;
    uint32_t entries = bitCount <= 8 ? (1u << bitCount) : 0;
    header = static_cast<FCDibHeader*>(FCHeap::allocate(40 + 4 * entries, FCHeap::kThrow | FCHeap::kZero));
    header->size = 40;
    header->width = width;
    header->height = height;
    header->planes = 1;
    header->bitCount = static_cast<uint16_t>(bitCount);
    if (entries) {
        colors = reinterpret_cast<uint8_t*>(header) + 40;
        m_tableEntries = entries;
        Surface8::greyTable(colors, static_cast<int32_t>(entries));
    }
    int64_t size = dwordRowsBytes(width, bitCount, height);
    if (uint64_t(size) <= kMaxBitsBytes)
        bits = static_cast<uint8_t*>(FCHeap::allocate(static_cast<size_t>(size), FCHeap::kNoThrow | FCHeap::kZero));
    if (!bits) {
        destroy();
        throw NotEnoughMemoryException("FCDib - create", kNotEnoughMemoryText);
    }
    m_bitsBytes = static_cast<uint32_t>(size);
    return true;
}

bool FCDib::copyPacked(const void* packed, size_t size)
{
    return copyFrom(static_cast<const uint8_t*>(packed), size, nullptr, 0, false);
}

bool FCDib::copySeparate(const void* headerBlock, size_t headerSize, const void* separateBits, size_t bitsSize)
{
    return copyFrom(static_cast<const uint8_t*>(headerBlock), headerSize, static_cast<const uint8_t*>(separateBits),
        bitsSize, true);
}

bool FCDib::copyFrom(
    const uint8_t* block, size_t blockSize, const uint8_t* separateBits, size_t separateSize, bool separate)
{
    destroy();
    if (!block || blockSize < 4)
        return false;

    // Read what the header says, all of it in 64 bits so lies cannot overflow.
    const uint32_t headerSize = read32(block);
    FCDibHeader h {};
    bool core = headerSize == 12;
    if (core) {
        if (blockSize < 12)
            return false;
        h.width = read16(block + 4);
        h.height = read16(block + 6);
        h.planes = read16(block + 8);
        h.bitCount = read16(block + 10);
    } else {
        if (headerSize < 40 || headerSize > blockSize)
            return false;
        std::memcpy(&h, block, 40);
    }
    h.size = 40;

    const bool masks = !core && h.compression == kCompressionBitfields;
    int64_t colourCount = 0;
    if (!core && headerSize >= 36 && h.clrUsed != 0)
        colourCount = h.clrUsed;
    else if (h.bitCount <= 8)
        colourCount = int64_t(1) << h.bitCount;
    // Room for every index the pixels can hold, so a short table is never
    // read past its end; the entries beyond the stated count are black.
    int64_t entries = colourCount;
    if (h.bitCount <= 8)
        entries = std::max<int64_t>(entries, int64_t(1) << h.bitCount);

    const int64_t width = h.width, height = h.height;
    const int64_t stride = (int64_t(h.bitCount) / 8 * width + 3) & ~int64_t(3);
    // Top-down pictures (negative height) have as many rows as bottom-up ones.
    const int64_t rows = std::llabs(height);
    int64_t rowsBytes = 0;
    if (__builtin_mul_overflow(stride, rows, &rowsBytes))
        return false;
    if (h.sizeImage != 0 && h.compression == kCompressionRgb && int64_t(h.sizeImage) != rowsBytes)
        h.sizeImage = static_cast<uint32_t>(rowsBytes);
    int64_t bitSize = h.sizeImage ? int64_t(h.sizeImage) : dwordRowsBytes(width, h.bitCount, height);

    if (bitSize == 0) {
        FCString text(separate ? "\x46\x43\x44\x69\x62\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82"
                                 "\xDC\x82\xB5\x82\xBD\x28\x42\x29" // FCDibの作成に失敗しました(B)
                               : "\x46\x43\x44\x69\x62\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82"
                                 "\xDC\x82\xB5\x82\xBD\x28\x41\x29"); // FCDibの作成に失敗しました(A)
        FCString numbers;
        numbers.format("\ncolor depth:%d\nwidth:%d\nheight:%d", int(h.bitCount), int(h.width), int(h.height));
        text.append(numbers);
        UxMessageBox::show(nullptr, text.text(), "FCString class",
            UxMessageBox::kOk | UxMessageBox::kTaskModal | UxMessageBox::kSetForeground);
        return false;
    }

    // What a consumer will assume about the picture must hold before anything
    // is copied.
    const uint16_t bc = h.bitCount;
    if (width < 1 || height == 0 || height == std::numeric_limits<int32_t>::min())
        return false;
    if (!(bc == 1 || bc == 2 || bc == 4 || bc == 8 || bc == 16 || bc == 24 || bc == 32))
        return false;
    if (colourCount > 256 || bitSize < 0 || uint64_t(bitSize) > kMaxBitsBytes)
        return false;
    // Whatever the compression, the picture's rows must be something a
    // consumer can address (this keeps the stride in 32 bits).
    if (uint64_t(dwordRowsBytes(width, bc, height)) > kMaxBitsBytes)
        return false;
    // Uncompressed rows must all be there.
    if ((h.compression == kCompressionRgb || masks) && bitSize < dwordRowsBytes(width, bc, height))
        return false;

    const int64_t tableOffset = core ? 12 : (masks && headerSize == 40 ? 52 : headerSize);
    const int64_t tableBytes = core ? 3 * colourCount : 4 * colourCount;
    const int64_t bitsOffset = tableOffset + tableBytes;
    if (masks && headerSize < 40 + 12 && headerSize != 40)
        return false;
    if (bitsOffset > int64_t(blockSize))
        return false;
    const uint8_t* source = separate ? separateBits : block + bitsOffset;
    const int64_t sourceSize = separate ? int64_t(separateSize) : int64_t(blockSize) - bitsOffset;
    if (!source || bitSize > sourceSize)
        return false;

    const int64_t maskBytes = masks ? 12 : 0;
    const size_t blockBytes = static_cast<size_t>(40 + maskBytes + 4 * entries);
    header = static_cast<FCDibHeader*>(FCHeap::allocate(blockBytes, FCHeap::kThrow | FCHeap::kZero));
    *header = h;
    uint8_t* out = reinterpret_cast<uint8_t*>(header);
    if (masks)
        std::memcpy(out + 40, block + 40, 12);
    if (entries > 0) {
        colors = out + 40 + maskBytes;
        m_tableEntries = static_cast<uint32_t>(entries);
        const uint8_t* table = block + tableOffset;
        for (int64_t i = 0; i < colourCount; ++i) {
            if (core) {
                std::memcpy(colors + 4 * i, table + 3 * i, 3);
                colors[4 * i + 3] = 0;
            } else {
                std::memcpy(colors + 4 * i, table + 4 * i, 4);
            }
        }
    }
    bits = static_cast<uint8_t*>(FCHeap::allocate(static_cast<size_t>(bitSize), FCHeap::kNoThrow));
    if (!bits) {
        destroy();
        throw NotEnoughMemoryException("FCDib - create", kNotEnoughMemoryText);
    }
    std::memcpy(bits, source, static_cast<size_t>(bitSize));
    m_bitsBytes = static_cast<uint32_t>(bitSize);
    return true;
}
