#include "image/McgWriter.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "image/FCMcg.h"
#include "image/UxCompressAlgorithm.h"
#include "image/UxCompressLzssOrg.h"
#include "image/UxMcgReader.h"

namespace McgWriter {

namespace {

void put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void set32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Room for any stream of either format: a flag bit per literal, the
// method-3 header and end code, and the byte the codec wants to spare.
std::vector<uint8_t> compressed(UxCompressLzssOrg& codec, const std::vector<uint8_t>& input, int32_t method, bool mcg)
{
    std::vector<uint8_t> out(input.size() + input.size() / 4 + 64);
    const int32_t capacity = static_cast<int32_t>(out.size());
    const int32_t inputSize = static_cast<int32_t>(input.size());
    const int32_t size = mcg ? codec.compressMcg(out.data(), capacity, input.data(), inputSize)
                             : codec.compress(out.data(), capacity, input.data(), inputSize, method);
    out.resize(static_cast<size_t>(size));
    return out;
}

} // namespace

uint8_t alphaTo17(uint8_t alpha)
{
    return static_cast<uint8_t>(alpha >= 248 ? 16 : (alpha + 8) / 16);
}

std::vector<uint8_t> writeKeyed(
    const uint8_t* pixels, const uint8_t* alpha, int32_t width, int32_t height, const KeyedOptions& options)
{
    const int32_t bpp = options.bitsPerPixel == 32 ? 32 : 24;
    if (!pixels || width < 1 || height < 1 || int64_t(width) * height > (int64_t(1) << 26))
        return {};
    const size_t w = static_cast<size_t>(width), h = static_cast<size_t>(height);
    const size_t stride = (size_t(bpp / 8) * w + 3) & ~size_t(3);
    std::vector<uint8_t> rows(stride * h, 0);
    for (size_t y = 0; y < h; ++y) {
        const uint8_t* from = pixels + y * w * 4;
        uint8_t* to = rows.data() + y * stride;
        if (bpp == 32) {
            std::memcpy(to, from, w * 4);
        } else {
            for (size_t x = 0; x < w; ++x)
                std::memcpy(to + 3 * x, from + 4 * x, 3);
        }
    }

    auto codec = std::make_unique<UxCompressLzssOrg>();
    std::vector<uint8_t> colour;
    uint32_t encoding = UxMcgReader::kEncodingRaw;
    switch (options.encoding) {
    case Encoding::Raw:
        colour = std::move(rows);
        break;
    case Encoding::Lzss0:
        colour = compressed(*codec, rows, UxCompressAlgorithm::kMethodPlain, false);
        encoding = UxMcgReader::kEncodingLzss0;
        break;
    case Encoding::Lzss3:
        colour = compressed(*codec, rows, UxCompressAlgorithm::kMethodLzss2, false);
        encoding = UxMcgReader::kEncodingLzss3;
        break;
    }
    if (colour.empty())
        return {};
    const bool keyed = options.key != 0 && options.key != UxMcgReader::kNotScrambled;
    // Only compressed colour data is scrambled; a raw picture is merely locked.
    if (keyed && options.encoding != Encoding::Raw)
        UxMcgReader::scramble(colour.data(), static_cast<uint32_t>(colour.size()), options.key);

    std::vector<uint8_t> mask;
    uint32_t flags = encoding << 16;
    if (options.maskLevels == 17 || options.maskLevels == 256) {
        const size_t maskStride = (w + 3) & ~size_t(3);
        std::vector<uint8_t> plane(maskStride * h, 0);
        for (size_t y = 0; y < h; ++y) {
            for (size_t x = 0; x < w; ++x) {
                const uint8_t a = alpha ? alpha[y * w + x] : 255;
                plane[y * maskStride + x] = options.maskLevels == 17 ? alphaTo17(a) : a;
            }
        }
        mask = compressed(*codec, plane, UxCompressAlgorithm::kMethodPlain, false);
        if (mask.empty())
            return {};
        flags |= options.maskLevels == 17 ? UxMcgReader::kMask17 : UxMcgReader::kMask256;
    }
    const bool extra = (options.extraKind == 1 || options.extraKind == 2) && options.extraTable;
    if (extra)
        flags |= options.extraKind << UxMcgReader::kFlagExtraShift;

    std::vector<uint8_t> out;
    put32(out, UxMcgReader::kMagic);
    put32(out, flags);
    put32(out, keyed ? (options.embedKey ? options.key : UxMcgReader::kKeyFromCaller) : UxMcgReader::kNotScrambled);
    put32(out, static_cast<uint32_t>(bpp));
    put32(out, static_cast<uint32_t>(width));
    put32(out, static_cast<uint32_t>(height));
    put32(out, static_cast<uint32_t>(colour.size()));
    put32(out, static_cast<uint32_t>(mask.size()));
    put32(out, 0); // no colour table
    out.insert(out.end(), colour.begin(), colour.end());
    out.insert(out.end(), mask.begin(), mask.end());
    if (extra)
        out.insert(out.end(), options.extraTable, options.extraTable + UxMcgReader::kExtraTableBytes);
    return out;
}

std::vector<uint8_t> writePlain(const uint8_t* pixels, int32_t width, int32_t height)
{
    if (!pixels || width < 1 || height < 1 || int64_t(width) * height > (int64_t(1) << 26))
        return {};
    const size_t w = static_cast<size_t>(width), h = static_cast<size_t>(height);
    const size_t stride = (3 * w + 3) & ~size_t(3);
    // The plain layout stores its rows top-down.
    std::vector<uint8_t> rows(stride * h, 0);
    for (size_t y = 0; y < h; ++y) {
        const uint8_t* from = pixels + (h - 1 - y) * w * 4;
        uint8_t* to = rows.data() + y * stride;
        for (size_t x = 0; x < w; ++x)
            std::memcpy(to + 3 * x, from + 4 * x, 3);
    }
    auto codec = std::make_unique<UxCompressLzssOrg>();
    const std::vector<uint8_t> stream = compressed(*codec, rows, 0, true);
    if (stream.empty())
        return {};
    std::vector<uint8_t> out(FCMcg::kHeaderBytes, 0);
    set32(out.data(), FCMcg::kMagic);
    set32(out.data() + 28, static_cast<uint32_t>(width));
    set32(out.data() + 32, static_cast<uint32_t>(height));
    set32(out.data() + 36, 24);
    set32(out.data() + 40, static_cast<uint32_t>(rows.size()));
    out.insert(out.end(), stream.begin(), stream.end());
    return out;
}

} // namespace McgWriter
