#include "image/UxMcgReader.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "foundation/FCFile.h"
#include "foundation/FCHeap.h"
#include "foundation/UxStaticRandom.h"
#include "image/FCCompress.h"
#include "image/LzssBounds.h"
#include "image/UxCompressAlgorithm.h"
#include "surface/FCDib.h"
#include "surface/PixelBlend.h"

namespace {

// Pictures whose pixel area would exceed this are not decoded.
constexpr int64_t kMaxPictureBytes = int64_t(1) << 30;

uint32_t read32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

} // namespace

// Where read takes its bytes from: a file from its position, or memory.
struct UxMcgReader::Source {
    virtual ~Source() = default;
    // Bytes left from the current position.
    virtual int64_t remaining() = 0;
    virtual bool take(void* to, size_t count) = 0;
};

namespace {

struct FileSource final : UxMcgReader::Source {
    explicit FileSource(FCFile& f)
        : file(f)
    {
    }
    int64_t remaining() override
    {
        const int64_t here = file.position();
        const int64_t size = file.size();
        return here < 0 || size < here ? 0 : size - here;
    }
    bool take(void* to, size_t count) override
    {
        auto* out = static_cast<uint8_t*>(to);
        while (count > 0) {
            const uint32_t part = static_cast<uint32_t>(std::min<size_t>(count, 0x40000000));
            const uint32_t got = file.read(out, part);
            if (got != part)
                return false;
            out += got;
            count -= got;
        }
        return true;
    }
    FCFile& file;
};

struct MemorySource final : UxMcgReader::Source {
    MemorySource(const uint8_t* d, size_t s)
        : data(d)
        , size(s)
    {
    }
    int64_t remaining() override { return static_cast<int64_t>(size - at); }
    bool take(void* to, size_t count) override
    {
        if (count > size - at)
            return false;
        if (count)
            std::memcpy(to, data + at, count);
        at += count;
        return true;
    }
    const uint8_t* data;
    size_t size;
    size_t at = 0;
};

} // namespace

UxMcgReader::UxMcgReader()
    : m_header {}
    , m_valid(false)
    , m_table(nullptr)
    , m_colour(nullptr)
    , m_mask(nullptr)
    , m_extra(nullptr)
    , m_codec(nullptr)
{
}

UxMcgReader::~UxMcgReader()
{
    reset();
    delete m_codec;
}

void UxMcgReader::reset()
{
    FCHeap::release(m_table);
    FCHeap::release(m_colour);
    FCHeap::release(m_mask);
    FCHeap::release(m_extra);
    m_table = m_colour = m_mask = m_extra = nullptr;
    m_header = {};
    m_valid = false;
}

FCCompress& UxMcgReader::codec()
{
    if (!m_codec)
        m_codec = new FCCompress;
    return *m_codec;
}

uint32_t UxMcgReader::maskKind() const
{
    return (m_header.flags & kFlagMask) ? (m_header.flags & kFlagMaskKind) : 0;
}

uint32_t UxMcgReader::extraKind() const
{
    return m_extra ? (m_header.flags >> kFlagExtraShift) & 3 : 0;
}

bool UxMcgReader::read(FCFile& file, uint32_t callerKey)
{
    reset();
    if (!file.isOpen())
        return false;
    // Peek at the magic and put the position back.
    const int64_t start = file.position();
    uint8_t magic[4] = {};
    const uint32_t got = file.read(magic, 4);
    file.seek(FCFile::kFromStart, start);
    if (got != 4 || read32(magic) != kMagic)
        return false;
    FileSource source(file);
    return readFrom(source, callerKey);
}

bool UxMcgReader::read(const void* data, size_t size, uint32_t callerKey)
{
    reset();
    if (!data || size < 4 || read32(static_cast<const uint8_t*>(data)) != kMagic)
        return false;
    MemorySource source(static_cast<const uint8_t*>(data), size);
    return readFrom(source, callerKey);
}

bool UxMcgReader::readFrom(Source& source, uint32_t callerKey)
{
    uint8_t raw[sizeof(McgKeyedHeader)];
    if (!source.take(raw, sizeof raw))
        return false;
    uint32_t words[9];
    for (int i = 0; i < 9; ++i)
        words[i] = read32(raw + 4 * i);
    m_header = { words[0], words[1], words[2], words[3], static_cast<int32_t>(words[4]), static_cast<int32_t>(words[5]),
        words[6], words[7], words[8] };
    m_header.flags &= ~uint32_t(kFlagCallerKey);

    // Every block must be in the file: a stated size is never allocated
    // before the bytes are known to be there.
    const bool hasMask = m_header.flags & kFlagMask;
    const uint32_t extra = (m_header.flags >> kFlagExtraShift) & 3;
    const bool hasExtra = extra == 1 || extra == 2;
    const int64_t needed = int64_t(m_header.colourCount) * 4 + m_header.colourSize
        + (hasMask ? int64_t(m_header.maskSize) : 0) + (hasExtra ? kExtraTableBytes : 0);
    if (m_header.colourCount > 256 || needed > source.remaining()) {
        reset();
        return false;
    }
    m_table = static_cast<uint8_t*>(FCHeap::allocate(4 * m_header.colourCount + 1, FCHeap::kNoThrow));
    m_colour = static_cast<uint8_t*>(FCHeap::allocate(m_header.colourSize + size_t(1), FCHeap::kNoThrow));
    if (hasMask)
        m_mask = static_cast<uint8_t*>(FCHeap::allocate(m_header.maskSize + size_t(1), FCHeap::kNoThrow));
    if (hasExtra)
        m_extra = static_cast<uint8_t*>(FCHeap::allocate(kExtraTableBytes, FCHeap::kNoThrow));
    if (!m_table || !m_colour || (hasMask && !m_mask) || (hasExtra && !m_extra)
        || !source.take(m_table, 4 * size_t(m_header.colourCount)) || !source.take(m_colour, m_header.colourSize)
        || (hasMask && !source.take(m_mask, m_header.maskSize))
        || (hasExtra && !source.take(m_extra, kExtraTableBytes))) {
        reset();
        return false;
    }
    if (m_header.key == kKeyFromCaller) {
        m_header.flags |= kFlagCallerKey;
        m_header.key = callerKey;
    }
    m_valid = true;
    return true;
}

bool UxMcgReader::decodable() const
{
    if (!m_valid || m_header.width < 1 || m_header.height < 1)
        return false;
    // Each factor is below 2^32 (the stride below 2^46), so no product
    // overflows before it is compared.
    const int64_t rowBytes = std::max(colourStride(), int64_t(m_header.width) * 4);
    if (rowBytes > kMaxPictureBytes || rowBytes * m_header.height > kMaxPictureBytes)
        return false;
    // The stored data must be able to fill the picture (raw data is bounded
    // like a classic stream, which keeps a short file decoding with zeros).
    if (colourStride() * m_header.height
        > lzss::mostDecodedBytes(encoding() == kEncodingLzss3, int64_t(m_header.colourSize)))
        return false;
    return !m_mask || maskStride() * m_header.height <= lzss::mostDecodedBytes(false, int64_t(m_header.maskSize));
}

int64_t UxMcgReader::colourStride() const
{
    return (int64_t((m_header.bitsPerPixel & 0xFFFF) / 8) * m_header.width + 3) & ~int64_t(3);
}

int64_t UxMcgReader::maskStride() const
{
    return (int64_t(m_header.width) + 3) & ~int64_t(3);
}

void UxMcgReader::unscramble(uint8_t* data, uint32_t size, uint32_t key)
{
    UxStaticRandom random(key);
    const int32_t bound = static_cast<int32_t>(std::min<uint32_t>(size, INT32_MAX));
    for (int i = 0; i < kScrambleSwaps; ++i) {
        const int32_t a = random.next(bound);
        const int32_t b = random.next(bound);
        if (size)
            std::swap(data[a], data[b]);
    }
}

void UxMcgReader::scramble(uint8_t* data, uint32_t size, uint32_t key)
{
    UxStaticRandom random(key);
    const int32_t bound = static_cast<int32_t>(std::min<uint32_t>(size, INT32_MAX));
    int32_t pairs[kScrambleSwaps][2];
    for (auto& pair : pairs) {
        pair[0] = random.next(bound);
        pair[1] = random.next(bound);
    }
    if (!size)
        return;
    for (int i = kScrambleSwaps - 1; i >= 0; --i)
        std::swap(data[pairs[i][0]], data[pairs[i][1]]);
}

void UxMcgReader::decodeColourData(uint8_t* pixels, size_t capacity, uint32_t callerKey)
{
    const uint32_t key = effectiveKey(callerKey);
    const uint32_t size = m_header.colourSize;
    const int32_t cap = static_cast<int32_t>(std::min<size_t>(capacity, INT32_MAX));
    const int32_t inputSize = static_cast<int32_t>(std::min<uint32_t>(size, INT32_MAX));
    int32_t produced = 0;
    switch (encoding()) {
    case kEncodingRaw:
        produced = static_cast<int32_t>(std::min<size_t>(capacity, size));
        std::memcpy(pixels, m_colour, static_cast<size_t>(produced));
        break;
    case kEncodingLzss0:
    case kEncodingLzss0b:
    case kEncodingLzss3: {
        const int32_t method
            = encoding() == kEncodingLzss3 ? UxCompressAlgorithm::kMethodLzss2 : UxCompressAlgorithm::kMethodPlain;
        // The stored bytes come back afterwards, so the image decodes again.
        const bool scrambled = key != kNotScrambled;
        if (scrambled)
            unscramble(m_colour, size, key);
        produced = codec().decompress(pixels, cap, m_colour, inputSize, method);
        if (scrambled)
            scramble(m_colour, size, key);
        break;
    }
    default:
        break;
    }
    // A short stream leaves the rest of the picture zero.
    if (static_cast<size_t>(produced) < capacity)
        std::memset(pixels + produced, 0, capacity - static_cast<size_t>(produced));
}

void UxMcgReader::decodeMaskData(uint8_t* pixels, size_t capacity)
{
    const int32_t cap = static_cast<int32_t>(std::min<size_t>(capacity, INT32_MAX));
    const int32_t produced = codec().decompress(pixels, cap, m_mask,
        static_cast<int32_t>(std::min<uint32_t>(m_header.maskSize, INT32_MAX)), UxCompressAlgorithm::kMethodPlain);
    if (static_cast<size_t>(produced) < capacity)
        std::memset(pixels + produced, 0, capacity - static_cast<size_t>(produced));
}

bool UxMcgReader::decodeColour(FCDib& dib, uint32_t callerKey)
{
    dib.destroy();
    const uint32_t bitCount = m_header.bitsPerPixel & 0xFFFF;
    if (!decodable() || !(bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32))
        return false;
    const size_t pixelBytes = static_cast<size_t>(colourStride() * m_header.height);
    // The header and the table as the packed DIB has them; an 8-bit picture
    // gets room for every index, the entries past the stored ones black.
    const uint32_t n = m_header.colourCount;
    const bool bitfields = m_header.flags & kFlagBitfields;
    const uint32_t entries = bitCount <= 8 ? std::max<uint32_t>(n, 256) : n;
    std::vector<uint8_t> block(40 + 4 * size_t(entries), 0);
    FCDibHeader h {};
    h.size = 40;
    h.width = m_header.width;
    h.height = m_header.height;
    h.planes = 1;
    h.bitCount = static_cast<uint16_t>(bitCount);
    h.compression = bitfields ? FCDib::kCompressionBitfields : FCDib::kCompressionRgb;
    h.sizeImage = m_header.colourSize ? static_cast<uint32_t>(pixelBytes) : 0;
    // The DIB counts bit-field masks apart from its colours.
    h.clrUsed = bitfields && n >= 3 ? n - 3 : n;
    std::memcpy(block.data(), &h, sizeof h);
    std::memcpy(block.data() + 40, m_table, 4 * size_t(n));

    auto* pixels = static_cast<uint8_t*>(FCHeap::allocate(pixelBytes, FCHeap::kThrow));
    decodeColourData(pixels, pixelBytes, callerKey);
    bool made = false;
    try {
        made = dib.copySeparate(block.data(), block.size(), pixels, pixelBytes);
    } catch (...) {
        FCHeap::release(pixels);
        throw;
    }
    FCHeap::release(pixels);
    return made;
}

bool UxMcgReader::decodeMask(FCDib& dib)
{
    dib.destroy();
    if (!decodable() || !m_mask)
        return false;
    if (!dib.create(m_header.width, m_header.height, 8))
        return false;
    dib.header->sizeImage = m_header.colourSize ? static_cast<uint32_t>(maskStride() * m_header.height) : 0;
    dib.header->clrUsed = 256;
    decodeMaskData(dib.bits, dib.bitsBytes());
    return true;
}

bool UxMcgReader::decodeColourTo32(uint8_t* pixels, uint32_t callerKey)
{
    const uint32_t bitCount = m_header.bitsPerPixel & 0xFFFF;
    if (!decodable() || !(bitCount == 8 || bitCount == 24 || bitCount == 32))
        return false;
    const int32_t w = m_header.width, h = m_header.height;
    const size_t surfaceBytes = size_t(w) * 4 * size_t(h);
    // A 32-bit picture's rows are the surface's rows: decode in place.
    if (bitCount == 32) {
        decodeColourData(pixels, surfaceBytes, callerKey);
        return true;
    }
    const size_t stride = static_cast<size_t>(colourStride());
    auto* rows = static_cast<uint8_t*>(FCHeap::allocate(stride * size_t(h), FCHeap::kThrow));
    decodeColourData(rows, stride * size_t(h), callerKey);
    const uint32_t n = m_header.colourCount;
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* from = rows + stride * size_t(y);
        uint8_t* to = pixels + size_t(w) * 4 * size_t(y);
        if (bitCount == 24) {
            for (int32_t x = 0; x < w; ++x, from += 3, to += 4) {
                to[0] = from[0];
                to[1] = from[1];
                to[2] = from[2];
                to[3] = 0;
            }
        } else {
            for (int32_t x = 0; x < w; ++x, to += 4) {
                const uint32_t index = from[x];
                if (index < n) {
                    to[0] = m_table[4 * index];
                    to[1] = m_table[4 * index + 1];
                    to[2] = m_table[4 * index + 2];
                } else {
                    to[0] = to[1] = to[2] = 0;
                }
                to[3] = 0;
            }
        }
    }
    FCHeap::release(rows);
    return true;
}

bool UxMcgReader::decodeMaskToAlpha(uint8_t* alpha, ptrdiff_t stride)
{
    if (!decodable() || !m_mask || stride < m_header.width)
        return false;
    const int32_t w = m_header.width, h = m_header.height;
    const size_t maskBytes = static_cast<size_t>(maskStride() * h);
    uint8_t* rows = alpha;
    if (stride != maskStride())
        rows = static_cast<uint8_t*>(FCHeap::allocate(maskBytes, FCHeap::kThrow));
    decodeMaskData(rows, maskBytes);
    const bool levels17 = maskKind() == kMask17;
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* from = rows + maskStride() * y;
        uint8_t* to = alpha + stride * y;
        if (levels17) {
            for (int32_t x = 0; x < w; ++x)
                to[x] = PixelBlend::kLevelOpacityTable[from[x]];
        } else if (to != from) {
            std::memcpy(to, from, static_cast<size_t>(w));
        }
    }
    if (rows != alpha)
        FCHeap::release(rows);
    return true;
}

int32_t UxMcgReader::extraTable(void* destination, int32_t length, int32_t offset) const
{
    if (!m_extra || !destination || length < 1 || offset < 0 || offset >= kExtraTableBytes)
        return 0;
    const int32_t count = std::min(length, kExtraTableBytes - offset);
    std::memcpy(destination, m_extra + offset, static_cast<size_t>(count));
    return count;
}

int32_t UxMcgReader::readExtraTable(FCFile& file, uint32_t callerKey, void* destination, int32_t length, int32_t offset)
{
    if (!file.isOpen())
        return 0;
    UxMcgReader reader;
    reader.read(file, callerKey);
    return reader.extraTable(destination, length, offset);
}

void UxMcgReader::placeholderSize(int32_t& width, int32_t& height)
{
    if (width < 1 || height < 1 || int64_t(width) * height * 4 > kMaxPictureBytes) {
        width = kPlaceholderWidth;
        height = kPlaceholderHeight;
    }
}

void UxMcgReader::fillPlaceholder(uint8_t* pixels, int32_t width, int32_t height)
{
    const size_t rowBytes = size_t(width) * 4;
    for (int32_t y = 0; y < height; ++y) {
        // Rows are stored bottom-up; the green ones count from the top.
        uint8_t* row = pixels + rowBytes * size_t(height - 1 - y);
        if (y % 3 == 0) {
            for (int32_t x = 0; x < width; ++x) {
                row[4 * x] = 0x00;
                row[4 * x + 1] = 0xFF;
                row[4 * x + 2] = 0x00;
                row[4 * x + 3] = 0;
            }
        } else {
            std::memset(row, 0, rowBytes);
        }
    }
}
