#include "tools/lvtool/PictureFiles.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <sstream>

#include "foundation/FCFile.h"
#include "image/ImageProbe.h"
#include "image/SurfaceLoad.h"
#include "surface/FCDib.h"
#include "tools/lvtool/PamFile.h"
#include "tools/lvtool/ToolSupport.h"

namespace {

void fromSurface(const SurfaceLoad::Picture& loaded, ToolPicture& picture)
{
    picture.width = loaded.width();
    picture.height = loaded.height();
    const size_t count = size_t(loaded.width()) * size_t(loaded.height());
    picture.pixels.assign(loaded.bits(), loaded.bits() + count * 4);
    picture.alpha.clear();
    if (!loaded.hasAlpha())
        return;
    picture.alpha.resize(count);
    for (int32_t y = 0; y < loaded.height(); ++y)
        std::memcpy(&picture.alpha[size_t(y) * size_t(loaded.width())],
            loaded.alphaBits() + size_t(y) * size_t(loaded.alphaStride()), size_t(loaded.width()));
}

} // namespace

bool readPicture(
    const char* path, uint32_t key, bool ignoreMask, ToolPicture& picture, PictureSource& source, std::string& reason)
{
    source = PictureSource::Image;
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes)) {
        reason = "cannot read the file";
        return false;
    }
    if (bytes.size() >= 3 && bytes[0] == 'P' && bytes[1] == '7' && bytes[2] == '\n')
        return readPamBytes(bytes.data(), bytes.size(), picture, reason);
    const int32_t kind = classifyImage(bytes.data(), bytes.size());
    // Every image goes the surface's way, so lvtool shows what a surface holds.
    FCFile file;
    if (file.open(path, FCFile::kOpenExisting, FCFile::kRead, FCFile::kShareRead, 0x80, true) != 0) {
        reason = "cannot open the file";
        return false;
    }
    SurfaceLoad::Picture loaded;
    const int32_t taken = SurfaceLoad::loadStream(
        file, ignoreMask ? uint32_t(SurfaceLoad::kIgnoreMask) : 0u, static_cast<int32_t>(key), loaded);
    // A picture without its depth in the information word is a placeholder:
    // the red one of a DIB nothing could read, or a keyed MCG without a key.
    // PNG, JPEG and DLT leave the depth 0 and are never placeholders.
    const bool placeholder
        = (loaded.imageInfo() & 0xFF) == 0 && kind != kImagePng && kind != kImageJpeg && kind != kImageDlt;
    if (!taken || (placeholder && kind != kImageKeyedMcg)) {
        reason = kind == kImageUnrecognised ? "not an image lvtool can read (PAM, PNG, BMP or MCG)"
            : kind == kImageMpeg1           ? "a kind of image lvtool does not decode yet"
                                            : "the image cannot be decoded";
        return false;
    }
    if (placeholder)
        source = PictureSource::LockedMcg;
    fromSurface(loaded, picture);
    return true;
}

bool writePam(const char* path, const ToolPicture& picture)
{
    std::string header = "P7\nWIDTH " + std::to_string(picture.width) + "\nHEIGHT " + std::to_string(picture.height)
        + "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    std::vector<uint8_t> out(header.begin(), header.end());
    out.reserve(out.size() + picture.pixels.size());
    for (int32_t y = picture.height - 1; y >= 0; --y) {
        for (int32_t x = 0; x < picture.width; ++x) {
            const size_t i = size_t(y) * size_t(picture.width) + size_t(x);
            const uint8_t* p = &picture.pixels[i * 4];
            out.insert(out.end(), { p[2], p[1], p[0], picture.hasAlpha() ? picture.alpha[i] : uint8_t(255) });
        }
    }
    return writeWholeFile(path, out.data(), out.size());
}

bool writePng(const char* path, const ToolPicture& picture)
{
    std::vector<uint8_t> rows;
    const int channels = picture.hasAlpha() ? 4 : 3;
    rows.reserve(size_t(picture.width) * size_t(picture.height) * size_t(channels));
    for (int32_t y = picture.height - 1; y >= 0; --y) {
        for (int32_t x = 0; x < picture.width; ++x) {
            const size_t i = size_t(y) * size_t(picture.width) + size_t(x);
            const uint8_t* p = &picture.pixels[i * 4];
            rows.insert(rows.end(), { p[2], p[1], p[0] });
            if (channels == 4)
                rows.push_back(picture.alpha[i]);
        }
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    std::FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    const bool written = png_image_write_to_stdio(&image, file, 0, rows.data(), 0, nullptr);
    return std::fclose(file) == 0 && written;
}

bool writeBmp(const char* path, const ToolPicture& picture)
{
    const int bytes = picture.hasAlpha() ? 4 : 3;
    const uint32_t stride = (uint32_t(picture.width) * bytes + 3) & ~3u;
    const uint32_t pixelBytes = stride * uint32_t(picture.height);
    std::vector<uint8_t> out(54 + size_t(pixelBytes), 0);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&out[at], &v, 4); };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, 54 + pixelBytes);
    put32(10, 54);
    FCDibHeader h {};
    h.size = 40;
    h.width = picture.width;
    h.height = picture.height;
    h.planes = 1;
    h.bitCount = static_cast<uint16_t>(bytes * 8);
    h.sizeImage = pixelBytes;
    std::memcpy(&out[14], &h, sizeof h);
    for (int32_t y = 0; y < picture.height; ++y) {
        uint8_t* row = &out[54 + size_t(y) * stride];
        for (int32_t x = 0; x < picture.width; ++x) {
            const size_t i = size_t(y) * size_t(picture.width) + size_t(x);
            std::memcpy(row + x * bytes, &picture.pixels[i * 4], 3);
            if (bytes == 4)
                row[x * 4 + 3] = picture.alpha[i];
        }
    }
    return writeWholeFile(path, out.data(), out.size());
}
