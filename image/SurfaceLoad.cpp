#include "image/SurfaceLoad.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "foundation/FCFile.h"
#include "image/ImageProbe.h"
#include "image/JpegReader.h"
#include "image/PngReader.h"
#include "image/UxDeltaDecoder.h"
#include "image/UxMcgReader.h"
#include "surface/FCDib.h"

namespace SurfaceLoad {

namespace {

// The surface refuses sections larger than this.
constexpr int64_t kMaxPixelBytes = int64_t(1) << 30;

int32_t loadKeyedMcg(FCFile& file, uint32_t flags, uint32_t key, Target& target)
{
    UxMcgReader reader;
    if (!reader.read(file, key))
        return 0;
    const McgKeyedHeader& header = reader.header();
    uint32_t info = header.flags & UxMcgReader::kFlagCallerKey ? uint32_t(kInfoCallerKey) : 0u;
    // No key anywhere: the picture stays locked and the placeholder shows.
    if (header.key == 0) {
        int32_t w = header.width, h = header.height;
        UxMcgReader::placeholderSize(w, h);
        if (!target.create(w, h))
            return 0;
        UxMcgReader::fillPlaceholder(target.pixels(), w, h);
        target.setImageInfo(info);
        return 1;
    }
    const uint32_t bitCount = header.bitsPerPixel & 0xFFFF;
    if (!reader.decodable() || !(bitCount == 8 || bitCount == 24 || bitCount == 32))
        return 0;
    if (!target.create(header.width, header.height))
        return 0;
    reader.decodeColourTo32(target.pixels(), key);
    info |= bitCount & 0xFF;
    const uint32_t mask = reader.maskKind();
    if (mask && !(flags & kIgnoreMask)) {
        ptrdiff_t stride = 0;
        if (uint8_t* alpha = target.createAlpha(stride)) {
            reader.decodeMaskToAlpha(alpha, stride);
            if (mask == UxMcgReader::kMask17)
                info |= kInfoMask17;
            else if (mask == UxMcgReader::kMask256)
                info |= kInfoMask256;
        }
    }
    target.setImageInfo(info);
    return 1;
}

// The rest of the file from the current position, for the readers that
// decode from memory; empty when it cannot be had. The position is kept.
std::vector<uint8_t> readRest(FCFile& file)
{
    std::vector<uint8_t> data;
    const int64_t start = file.position();
    const int64_t size = file.size();
    if (start < 0 || size <= start || size - start > kMaxPixelBytes)
        return data;
    try {
        data.resize(size_t(size - start));
    } catch (const std::bad_alloc&) {
        return data;
    }
    data.resize(file.read(data.data(), static_cast<uint32_t>(data.size())));
    file.seek(FCFile::kFromStart, start);
    return data;
}

int32_t loadPng(FCFile& file, uint32_t flags, Target& target)
{
    const std::vector<uint8_t> data = readRest(file);
    return PngReader::decode(data.data(), data.size(), !(flags & kIgnoreMask), target);
}

// The animation's first picture in a surface of its size, without an alpha
// plane: the surface gets none from a DLT.
int32_t loadDlt(FCFile& file, Target& target)
{
    UxDeltaDecoder decoder;
    // The version check only warns: a newer file is decoded all the same.
    const int64_t start = file.position();
    decoder.load(file, 0, 0, 0, nullptr);
    file.seek(FCFile::kFromStart, start);
    if (!decoder.sizeJustified())
        return 0;
    const DltHeader& header = decoder.header();
    if (!target.create(static_cast<int32_t>(header.width), static_cast<int32_t>(header.height)))
        return 0;
    DeltaCanvas canvas;
    canvas.pixels = target.pixels();
    canvas.width = static_cast<int32_t>(header.width);
    canvas.height = static_cast<int32_t>(header.height);
    canvas.stride = ptrdiff_t(canvas.width) * 4;
    decoder.decodeFirstPicture(canvas);
    target.setImageInfo(0);
    return 1;
}

} // namespace

bool Picture::create(int32_t width, int32_t height)
{
    if (width < 1 || height < 1 || int64_t(width) * height * 4 > kMaxPixelBytes)
        return false;
    m_width = width;
    m_height = height;
    m_pixels.assign(size_t(width) * size_t(height) * 4, 0);
    m_alpha.clear();
    m_info = 0;
    return true;
}

uint8_t* Picture::createAlpha(ptrdiff_t& stride)
{
    stride = alphaStride();
    m_alpha.assign(size_t(stride) * size_t(m_height), 0);
    return m_alpha.data();
}

int32_t Picture::loadDib(const FCDib& dib)
{
    if (dib.empty()) {
        if (!create(32, 32))
            return 0;
        for (size_t i = 0; i < m_pixels.size(); i += 4)
            m_pixels[i + 2] = 0xFF;
        return 1;
    }
    if (!dibAccepted(dib) || !create(dib.width(), static_cast<int32_t>(std::llabs(int64_t(dib.height())))))
        return 0;
    dibToPixels32(dib, m_pixels.data());
    return 1;
}

const uint8_t* Picture::pixelAt(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return nullptr;
    return m_pixels.data() + (size_t(m_height - 1 - y) * size_t(m_width) + size_t(x)) * 4;
}

uint8_t Picture::alphaAt(int32_t x, int32_t y) const
{
    if (m_alpha.empty() || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 255;
    return m_alpha[size_t(m_height - 1 - y) * size_t(alphaStride()) + size_t(x)];
}

bool dibAccepted(const FCDib& dib)
{
    if (dib.empty())
        return false;
    const int32_t bpp = dib.header->bitCount * dib.header->planes;
    if ((bpp != 8 && bpp != 24 && bpp != 32) || dib.header->planes != 1)
        return false;
    const int32_t w = dib.width();
    const int64_t h = std::llabs(int64_t(dib.height()));
    if (w < 1 || h < 1 || int64_t(w) * h * 4 > kMaxPixelBytes || (bpp == 8 && !dib.colors))
        return false;
    // Every row must be inside the DIB's bits.
    return dib.pixel(0, 0) && dib.pixel(w - 1, static_cast<int32_t>(h - 1)) && dib.pixel(w - 1, 0);
}

void dibToPixels32(const FCDib& dib, uint8_t* pixels)
{
    const int32_t bpp = dib.header->bitCount;
    const int32_t w = dib.width();
    const int32_t h = static_cast<int32_t>(std::llabs(int64_t(dib.height())));
    const uint32_t entries = std::min<uint32_t>(dib.tableEntries(), 256);
    // A negative height stores the rows top-down: display row y is then
    // the one pixel() counts as row h - 1 - y.
    const bool topDown = dib.height() < 0;
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* from = dib.pixel(0, topDown ? h - 1 - y : y);
        uint8_t* to = pixels + (size_t(h - 1 - y) * size_t(w)) * 4;
        if (bpp == 32) {
            std::memcpy(to, from, static_cast<size_t>(w) * 4);
            continue;
        }
        if (bpp == 24) {
            for (int32_t x = 0; x < w; ++x, to += 4, from += 3) {
                to[0] = from[0];
                to[1] = from[1];
                to[2] = from[2];
                to[3] = 0;
            }
            continue;
        }
        for (int32_t x = 0; x < w; ++x, to += 4) {
            if (from[x] < entries) {
                const uint8_t* entry = dib.colors + 4 * from[x];
                to[0] = entry[0];
                to[1] = entry[1];
                to[2] = entry[2];
            } else {
                to[0] = to[1] = to[2] = 0;
            }
            to[3] = 0;
        }
    }
}

int32_t loadStream(FCFile& file, uint32_t flags, int32_t option, Target& target)
{
    if (!file.isOpen())
        return 0;
    uint8_t first[32] = {};
    const int64_t start = file.position();
    const uint32_t got = file.read(first, sizeof first);
    file.seek(FCFile::kFromStart, start);
    switch (classifyImage(first, got)) {
    case kImageKeyedMcg:
        return loadKeyedMcg(file, flags, static_cast<uint32_t>(option), target);
    case kImagePng:
        return loadPng(file, flags, target);
    case kImageJpeg: {
        const std::vector<uint8_t> data = readRest(file);
        return JpegReader::decode(data.data(), data.size(), target);
    }
    case kImageDlt:
        return loadDlt(file, target);
    case kImageMpeg1:
        return 0;
    default: {
        FCDib dib;
        loadDibFile(file, option, dib);
        const int32_t taken = target.loadDib(dib);
        if (taken)
            target.setImageInfo(dib.empty() ? 0 : static_cast<uint32_t>(dib.bitCount() & 0xFF));
        return taken;
    }
    }
}

} // namespace SurfaceLoad
