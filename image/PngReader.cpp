#include "image/PngReader.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <new>
#include <vector>

namespace PngReader {

namespace {

// A picture may not claim more pixels than its compressed data could
// plausibly inflate to: zlib's best ratio is about 1032:1, so a stated
// size beyond that from a tiny file is a bomb, refused before allocating.
constexpr uint64_t kInflateRatio = 1032;
constexpr uint64_t kMaxPixels = uint64_t(1) << 28;

struct MemorySource {
    const uint8_t* data;
    size_t size;
    size_t position;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t count)
{
    auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
    if (count > source->size - source->position)
        png_error(png, "read past the end");
    std::memcpy(out, source->data + source->position, count);
    source->position += count;
}

void quietWarning(png_structp, png_const_charp)
{
}

void errorExit(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

struct Reader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~Reader() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

// The work that may longjmp lives here, with no objects needing unwinding
// beyond what the caller owns.
bool decodeRows(Reader& reader, MemorySource& source, bool withAlpha, std::vector<uint8_t>& rows,
    std::vector<png_bytep>& pointers, uint32_t& width, uint32_t& height, bool& hasAlpha)
{
    png_structp png = reader.png;
    png_infop info = reader.info;
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_read_fn(png, &source, readFromMemory);
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_set_chunk_malloc_max(png, 8u << 20);
    png_read_info(png, info);
    width = png_get_image_width(png, info);
    height = png_get_image_height(png, info);
    const int colourType = png_get_color_type(png, info);
    const uint64_t pixels = uint64_t(width) * height;
    if (width < 1 || height < 1 || pixels > kMaxPixels || pixels / 8 > uint64_t(source.size) * kInflateRatio)
        return false;
    hasAlpha = withAlpha && ((colourType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS));
    png_set_strip_16(png);
    png_set_packing(png);
    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_expand_gray_1_2_4_to_8(png);
        png_set_gray_to_rgb(png);
    }
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(width) * 4)
        return false;
    rows.resize(size_t(pixels) * 4);
    pointers.resize(height);
    for (uint32_t y = 0; y < height; ++y)
        pointers[y] = rows.data() + size_t(y) * width * 4;
    png_read_image(png, pointers.data());
    png_read_end(png, nullptr);
    return true;
}

} // namespace

int32_t decode(const uint8_t* data, size_t size, bool withAlpha, SurfaceLoad::Target& target)
{
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0)
        return 0;
    Reader reader;
    reader.png = png_create_read_struct("1.6.3", nullptr, errorExit, quietWarning);
    if (!reader.png)
        return 0;
    reader.info = png_create_info_struct(reader.png);
    if (!reader.info)
        return 0;
    MemorySource source { data, size, 0 };
    std::vector<uint8_t> rows;
    std::vector<png_bytep> pointers;
    uint32_t width = 0, height = 0;
    bool hasAlpha = false;
    try {
        if (!decodeRows(reader, source, withAlpha, rows, pointers, width, height, hasAlpha))
            return 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (!target.create(int32_t(width), int32_t(height)))
        return 0;
    uint8_t* pixels = target.pixels();
    ptrdiff_t stride = 0;
    uint8_t* alpha = hasAlpha ? target.createAlpha(stride) : nullptr;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* from = rows.data() + size_t(y) * width * 4;
        const size_t bottomUp = height - 1 - y;
        uint8_t* to = pixels + bottomUp * width * 4;
        for (uint32_t x = 0; x < width; ++x) {
            to[4 * x] = from[4 * x];
            to[4 * x + 1] = from[4 * x + 1];
            to[4 * x + 2] = from[4 * x + 2];
            to[4 * x + 3] = 0;
            if (alpha)
                alpha[ptrdiff_t(bottomUp) * stride + x] = from[4 * x + 3];
        }
    }
    target.setImageInfo(0);
    return 1;
}

} // namespace PngReader
