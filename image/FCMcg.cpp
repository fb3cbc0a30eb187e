#include "image/FCMcg.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "foundation/FCFile.h"
#include "foundation/FCHeap.h"
#include "image/FCCompress.h"
#include "image/LzssBounds.h"
#include "surface/FCDib.h"

namespace {

constexpr int64_t kMaxPictureBytes = int64_t(1) << 30;

uint32_t read32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Header fields of the plain layout.
enum : int {
    kWidthAt = 28,
    kHeightAt = 32,
    kBitCountAt = 36,
    kDecodedSizeAt = 40,
    kColourCountAt = 44,
    kCompressionAt = 52,
};

} // namespace

FCCg::FCCg()
    : file(nullptr)
    , start(0)
    , end(0)
{
}

FCCg::~FCCg() = default;

int32_t FCCg::attach(FCFile& f, int32_t size)
{
    if (!f.isOpen())
        return 0;
    const int64_t here = f.position();
    const int64_t fileSize = f.size();
    if (here < 0 || fileSize < 0)
        return 0;
    file = &f;
    start = static_cast<int32_t>(std::min<int64_t>(here, INT32_MAX));
    const int64_t last = size < 0 ? fileSize : std::min<int64_t>(here + size, fileSize);
    end = static_cast<int32_t>(std::clamp<int64_t>(last, start, INT32_MAX));
    return 1;
}

FCMcg::FCMcg() = default;
FCMcg::~FCMcg() = default;

int32_t FCMcg::isReadable()
{
    return 1;
}

bool FCMcg::readHeader(uint8_t* header)
{
    if (!file || !file->isOpen() || end - start < kHeaderBytes)
        return false;
    file->seek(FCFile::kFromStart, start);
    const bool got = file->read(header, kHeaderBytes) == uint32_t(kHeaderBytes);
    file->seek(FCFile::kFromStart, start);
    return got && read32(header) == kMagic;
}

int32_t FCMcg::checkSignature()
{
    if (!file || !file->isOpen() || end - start < 4)
        return 0;
    uint8_t magic[4] = {};
    file->seek(FCFile::kFromStart, start);
    const bool got = file->read(magic, 4) == 4;
    file->seek(FCFile::kFromStart, start);
    return got && read32(magic) == kMagic ? 1 : 0;
}

uint8_t* FCMcg::decodeAll()
{
    if (!file || !file->isOpen() || end <= start)
        return nullptr;
    const size_t size = static_cast<size_t>(end - start);
    auto* data = static_cast<uint8_t*>(FCHeap::allocate(size, FCHeap::kThrow | FCHeap::kZero));
    file->seek(FCFile::kFromStart, start);
    file->read(data, static_cast<uint32_t>(size));
    uint8_t* packed = nullptr;
    try {
        packed = decodeMemory(data, static_cast<int32_t>(size));
    } catch (...) {
        FCHeap::release(data);
        throw;
    }
    FCHeap::release(data);
    return packed;
}

uint8_t* FCMcg::decodeMemory(const void* data, int32_t size)
{
    return size < 0 ? nullptr : decode(data, static_cast<size_t>(size));
}

int64_t FCMcg::tableOffset(const uint8_t* header) const
{
    return kHeaderBytes + (read32(header + kCompressionAt) == FCDib::kCompressionBitfields ? 12 : 0);
}

uint8_t* FCMcg::decode(const void* data, size_t size, size_t* packedBytes)
{
    const auto* p = static_cast<const uint8_t*>(data);
    if (!p || size < size_t(kHeaderBytes) || read32(p) != kMagic)
        return nullptr;
    const int32_t width = static_cast<int32_t>(read32(p + kWidthAt));
    const int32_t height = static_cast<int32_t>(read32(p + kHeightAt));
    const uint16_t bitCount = static_cast<uint16_t>(read32(p + kBitCountAt));
    const uint32_t decodedSize = read32(p + kDecodedSizeAt);
    const uint32_t n = read32(p + kColourCountAt);
    const uint32_t compression = read32(p + kCompressionAt);
    const int64_t m = compression == FCDib::kCompressionBitfields ? 12 : 0;

    // Only headers that describe a picture are decoded; the stride and the
    // row flip are worked out in full width.
    if (width < 1 || height < 1 || n > 256
        || !(bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32))
        return nullptr;
    const int64_t stride = (int64_t(bitCount) * width + 31) / 32 * 4;
    const int64_t rowsBytes = stride * height;
    if (rowsBytes > kMaxPictureBytes)
        return nullptr;
    const int64_t streamAt = kHeaderBytes + m + 4 * int64_t(n);
    if (streamAt > int64_t(size))
        return nullptr;
    // Nor more rows than the stream could fill.
    if (rowsBytes > lzss::mostDecodedBytes(false, int64_t(size) - streamAt))
        return nullptr;

    // Room for every row the header implies, even when the stated decoded
    // size is smaller, so that the DIB never promises more than it holds;
    // a larger stated size is decoded no further than the rows.
    const int64_t pixelBytes = rowsBytes;
    const size_t total = static_cast<size_t>(40 + m + 4 * int64_t(n) + pixelBytes);
    auto* packed = static_cast<uint8_t*>(FCHeap::allocate(total, FCHeap::kThrow | FCHeap::kZero));
    uint8_t* pixels = packed + 40 + m + 4 * n;
    FCCompress codec;
    const int32_t produced
        = codec.decompressMcg(pixels, static_cast<int32_t>(std::min<int64_t>(decodedSize, rowsBytes)), p + streamAt,
            static_cast<int32_t>(std::min<size_t>(size - static_cast<size_t>(streamAt), INT32_MAX)));
    // What a short stream leaves is zero, as the block was.
    std::memset(pixels + produced, 0, static_cast<size_t>(pixelBytes - produced));

    FCDibHeader h {};
    h.size = 40;
    h.width = width;
    h.height = height;
    h.planes = 1;
    h.bitCount = bitCount;
    h.compression = compression;
    h.clrUsed = n;
    std::memcpy(packed, &h, sizeof h);
    if (m)
        std::memcpy(packed + 40, p + kHeaderBytes, 12);
    // The table follows the masks in the file as in the DIB.
    uint8_t* table = packed + 40 + m;
    std::memcpy(table, p + kHeaderBytes + m, 4 * size_t(n));
    for (uint32_t i = 0; i < n; ++i)
        table[4 * i + 3] = 0;

    // Stored top-down; the DIB is bottom-up.
    std::vector<uint8_t> row(static_cast<size_t>(stride));
    for (int64_t i = 0; i < height / 2; ++i) {
        uint8_t* a = pixels + stride * i;
        uint8_t* b = pixels + stride * (height - 1 - i);
        std::memcpy(row.data(), a, row.size());
        std::memcpy(a, b, row.size());
        std::memcpy(b, row.data(), row.size());
    }
    if (packedBytes)
        *packedBytes = total;
    return packed;
}

size_t FCMcg::packedSize(const uint8_t* packed)
{
    if (!packed)
        return 0;
    FCDibHeader h;
    std::memcpy(&h, packed, sizeof h);
    const int64_t m = h.compression == FCDib::kCompressionBitfields ? 12 : 0;
    const int64_t stride = (int64_t(h.bitCount) * h.width + 31) / 32 * 4;
    return static_cast<size_t>(40 + m + 4 * int64_t(h.clrUsed) + stride * h.height);
}

int32_t FCMcg::readIndexAlpha(int32_t* table)
{
    uint8_t header[kHeaderBytes];
    if (!table || !readHeader(header))
        return 0;
    std::fill_n(table, 256, 0);
    const uint32_t n = std::min<uint32_t>(read32(header + kColourCountAt), 256);
    uint8_t entries[256 * 4] = {};
    file->seek(FCFile::kFromStart, start + tableOffset(header));
    const uint32_t got = file->read(entries, 4 * n) / 4;
    file->seek(FCFile::kFromStart, start);
    for (uint32_t i = 0; i < got; ++i)
        table[i] = entries[4 * i + 3];
    return 1;
}

int32_t FCMcg::colourCount()
{
    uint8_t header[kHeaderBytes];
    if (!readHeader(header))
        return 0;
    return static_cast<int32_t>(read32(header + kColourCountAt));
}

int32_t FCMcg::readPalette(void* destination)
{
    uint8_t header[kHeaderBytes];
    if (!destination || !readHeader(header))
        return 0;
    const uint32_t n = std::min<uint32_t>(read32(header + kColourCountAt), 256);
    file->seek(FCFile::kFromStart, start + tableOffset(header));
    const uint32_t got = file->read(destination, 4 * n);
    file->seek(FCFile::kFromStart, start);
    return static_cast<int32_t>(got / 4);
}

int32_t FCMcg::writePalette(const void* entries, int32_t count)
{
    uint8_t header[kHeaderBytes];
    if (!entries || count < 1 || !readHeader(header))
        return 0;
    // Never past the stored table: the pixel stream follows it.
    const uint32_t n = std::min<uint32_t>({ read32(header + kColourCountAt), 256u, uint32_t(count) });
    file->seek(FCFile::kFromStart, start + tableOffset(header));
    const uint32_t put = file->write(entries, 4 * n);
    file->seek(FCFile::kFromStart, start);
    return static_cast<int32_t>(put / 4);
}
