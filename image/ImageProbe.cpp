#include "image/ImageProbe.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "foundation/FCFile.h"
#include "foundation/FCHeap.h"
#include "image/FCMcg.h"
#include "image/JpegReader.h"
#include "image/UxMcgReader.h"
#include "surface/FCDib.h"

namespace {

// Enough for every probe but the MPEG-1 sequence header search.
constexpr size_t kHeadBytes = 4096;

uint32_t read32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint32_t read32be(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}
uint16_t read16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

bool isDlt(const uint8_t* p, size_t count)
{
    if (count < 32)
        return false;
    const uint32_t version = read32(p), frames = read32(p + 12), flags = read32(p + 16);
    const uint32_t reserved = read32(p + 24), magic = read32(p + 28);
    if (magic == 0x00544C44)
        return true;
    return magic == 0 && version >= 0x0100 && version <= 0x0103 && reserved == 0 && frames != 0 && flags != 0;
}

// Up to `count` bytes from the file's position, which is put back.
std::vector<uint8_t> head(FCFile& file, size_t count)
{
    std::vector<uint8_t> bytes(count);
    const int64_t start = file.position();
    const uint32_t got = file.read(bytes.data(), static_cast<uint32_t>(count));
    file.seek(FCFile::kFromStart, start);
    bytes.resize(got);
    return bytes;
}

// The rest of the file from its position, which is put back.
bool rest(FCFile& file, std::vector<uint8_t>& bytes)
{
    const int64_t start = file.position();
    const int64_t size = file.size();
    if (start < 0 || size < start || size - start > (int64_t(1) << 30))
        return false;
    bytes.resize(static_cast<size_t>(size - start));
    const uint32_t got = file.read(bytes.data(), static_cast<uint32_t>(bytes.size()));
    file.seek(FCFile::kFromStart, start);
    bytes.resize(got);
    return true;
}

} // namespace

int32_t classifyImage(const void* data, size_t count)
{
    const auto* p = static_cast<const uint8_t*>(data);
    if (!p || count < 8)
        return kImageUnrecognised;
    const uint32_t v = read32(p);
    if ((v & 0xFFFF) == 0x4D42)
        return kImageBmp;
    if (v == 0xBA010000 && (p[4] & 0xF0) == 0x20)
        return kImageMpeg1;
    if (v == 0xE0FFD8FF)
        return kImageJpeg;
    if (v == 0x474E5089)
        return kImagePng;
    if (v == UxMcgReader::kMagic)
        return kImageKeyedMcg;
    if (v == FCMcg::kMagic)
        return kImagePlainMcg;
    if (p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF)
        return kImageJpeg;
    if (isDlt(p, count))
        return kImageDlt;
    return kImageUnrecognised;
}

ImageProbe probeImage(FCFile& file, int32_t option)
{
    ImageProbe probe {};
    probe.kind = kImageNotRecognised;
    if (!file.isOpen())
        return probe;
    const std::vector<uint8_t> bytes = head(file, kHeadBytes);
    const uint8_t* p = bytes.data();
    const size_t n = bytes.size();
    probe.kind = classifyImage(p, n);
    switch (probe.kind) {
    case kImagePng:
        if (n < 26)
            break;
        probe.width = static_cast<int32_t>(read32be(p + 16));
        probe.height = static_cast<int32_t>(read32be(p + 20));
        switch (p[25]) {
        case 2:
            probe.bitsPerPixel = 24;
            break;
        case 4:
            probe.bitsPerPixel = 8;
            probe.alphaKind = 2;
            break;
        case 6:
            probe.bitsPerPixel = 24;
            probe.alphaKind = 2;
            break;
        default:
            probe.bitsPerPixel = 8;
        }
        return probe;
    case kImageBmp:
        if (n < 30)
            break;
        if (read32(p + 14) == 12) {
            probe.width = read16(p + 18);
            probe.height = read16(p + 20);
            probe.bitsPerPixel = read16(p + 24);
        } else {
            probe.width = static_cast<int32_t>(read32(p + 18));
            probe.height = std::abs(static_cast<int32_t>(read32(p + 22)));
            probe.bitsPerPixel = read16(p + 28);
        }
        return probe;
    case kImageDlt: {
        probe.width = static_cast<int32_t>(read32(p + 4));
        probe.height = static_cast<int32_t>(read32(p + 8));
        const uint32_t flags = read32(p + 16);
        probe.bitsPerPixel = ((flags >> 8) & 0xFF) == 8 ? 8 : 24;
        if (flags & 0x2)
            probe.alphaKind = (flags & 0x6) == 0x6 ? 2 : 1;
        return probe;
    }
    case kImageMpeg1:
        // The sequence header must lie within bytes 2048 to 4091.
        for (size_t i = 2048; i + 3 <= 4091 && i + 7 <= n; ++i) {
            if (p[i] == 0 && p[i + 1] == 0 && p[i + 2] == 1 && p[i + 3] == 0xB3) {
                probe.width = p[i + 4] << 4 | p[i + 5] >> 4;
                probe.height = (p[i + 5] & 15) << 8 | p[i + 6];
                probe.bitsPerPixel = 24;
                return probe;
            }
        }
        break;
    case kImageKeyedMcg: {
        if (n < sizeof(McgKeyedHeader))
            break;
        const uint32_t flags = read32(p + 4);
        probe.key = read32(p + 8);
        probe.bitsPerPixel = static_cast<int32_t>(read32(p + 12) & 0xFFFF);
        probe.width = static_cast<int32_t>(read32(p + 16));
        probe.height = static_cast<int32_t>(read32(p + 20));
        if (flags & UxMcgReader::kFlagMask)
            probe.alphaKind = (flags & UxMcgReader::kFlagMaskKind) == UxMcgReader::kMask256 ? 2 : 1;
        const uint32_t extra = (flags >> UxMcgReader::kFlagExtraShift) & 3;
        if (extra == 1 || extra == 2) {
            probe.extraKind = static_cast<int32_t>(extra);
            probe.extraSize = UxMcgReader::kExtraTableBytes;
            probe.flags |= ImageProbe::kMustReadExtraTable;
        }
        return probe;
    }
    case kImageJpeg: {
        // libjpeg reads the header, wherever metadata put it.
        std::vector<uint8_t> whole;
        uint32_t w = 0, h = 0;
        int32_t components = 0;
        if (!rest(file, whole) || !JpegReader::readHeader(whole.data(), whole.size(), w, h, components))
            break;
        probe.width = static_cast<int32_t>(w);
        probe.height = static_cast<int32_t>(h);
        probe.bitsPerPixel = 8 * components;
        return probe;
    }
    case kImagePlainMcg: {
        FCDib dib;
        if (!loadDibFile(file, option, dib) || dib.empty())
            break;
        probe.width = dib.width();
        probe.height = std::abs(dib.height());
        probe.bitsPerPixel = dib.bitCount();
        return probe;
    }
    default:
        break;
    }
    probe = {};
    probe.kind = kImageNotRecognised;
    return probe;
}

bool packedToDib(const uint8_t* packed, size_t size, FCDib& dib)
{
    dib.destroy();
    if (!packed || size < 40 || read32(packed) != 40)
        return false;
    FCDibHeader h;
    std::memcpy(&h, packed, sizeof h);
    const size_t masks = h.compression == FCDib::kCompressionBitfields ? 12 : 0;
    const size_t table = 4 * size_t(h.clrUsed);
    if (h.clrUsed > 256 || 40 + masks + table > size)
        return false;
    // A table whose count the header leaves open holds 2^bit count entries
    // to the DIB; pad it so that the rows are not taken for colours.
    std::vector<uint8_t> block(packed, packed + 40 + masks + table);
    if (h.clrUsed == 0 && h.bitCount <= 8)
        block.resize(40 + masks + 4 * (size_t(1) << h.bitCount), 0);
    const size_t at = 40 + masks + table;
    return dib.copySeparate(block.data(), block.size(), packed + at, size - at);
}

bool bmpToDib(const uint8_t* data, size_t size, FCDib& dib)
{
    dib.destroy();
    if (!data || size < 14 + 12 || data[0] != 'B' || data[1] != 'M')
        return false;
    const uint32_t pixelOffset = read32(data + 10);
    const uint32_t infoSize = read32(data + 14);
    // The rows start at the pixel offset when it lies past the header and
    // table; otherwise they follow the table directly.
    const size_t at = pixelOffset;
    if (at > size || at < 14 + size_t(infoSize))
        return dib.copyPacked(data + 14, size - 14);
    return dib.copySeparate(data + 14, at - 14, data + at, size - at);
}

bool loadDibFile(FCFile& file, int32_t option, FCDib& dib)
{
    dib.destroy();
    if (!file.isOpen())
        return false;
    const int64_t start = file.position();
    const std::vector<uint8_t> first = head(file, 32);
    bool loaded = false;
    switch (classifyImage(first.data(), first.size())) {
    case kImagePlainMcg: {
        FCMcg mcg;
        mcg.attach(file, -1);
        mcg.readIndexAlpha(dib.indexFlags);
        uint8_t* packed = mcg.decodeAll();
        if (packed) {
            try {
                loaded = packedToDib(packed, FCMcg::packedSize(packed), dib);
            } catch (...) {
                FCHeap::release(packed);
                throw;
            }
            FCHeap::release(packed);
        }
        break;
    }
    case kImageKeyedMcg: {
        UxMcgReader reader;
        if (reader.read(file, static_cast<uint32_t>(option)))
            loaded = reader.decodeColour(dib, static_cast<uint32_t>(option));
        break;
    }
    case kImageBmp: {
        std::vector<uint8_t> bytes;
        if (rest(file, bytes))
            loaded = bmpToDib(bytes.data(), bytes.size(), dib);
        break;
    }
    default:
        // PNG, JPEG and the plug-ins have readers of their own; DLT and
        // MPEG-1 give no DIB.
        break;
    }
    file.seek(FCFile::kFromStart, start);
    return loaded;
}
