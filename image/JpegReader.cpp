#include "image/JpegReader.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace JpegReader {

namespace {

// A bomb states a huge size in a tiny file: no baseline or progressive
// scan codes a pixel in fewer than about 1/64 bit on average, so pixels
// beyond this many per byte of file are refused before allocating; a scan
// count cap keeps progressive files with endless scans bounded in time.
constexpr uint64_t kPixelsPerByte = 1024;
constexpr uint64_t kMaxPixels = uint64_t(1) << 28;
constexpr int kMaxScans = 1000;

struct ErrorExit {
    jpeg_error_mgr manager;
    jmp_buf jump;
};

void onError(j_common_ptr info)
{
    longjmp(reinterpret_cast<ErrorExit*>(info->err)->jump, 1);
}

void onMessage(j_common_ptr, int)
{
}

void onProgress(j_common_ptr info)
{
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans)
        onError(info);
}

// Everything that may longjmp, with only plain data and the caller's
// objects alive across it.
bool decodeRows(jpeg_decompress_struct& decompress, const uint8_t* data, size_t size, std::vector<uint8_t>& rows,
    uint32_t& width, uint32_t& height)
{
    ErrorExit* error = reinterpret_cast<ErrorExit*>(decompress.err);
    if (setjmp(error->jump))
        return false;
    jpeg_mem_src(&decompress, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&decompress, TRUE) != JPEG_HEADER_OK)
        return false;
    const uint64_t pixels = uint64_t(decompress.image_width) * decompress.image_height;
    if (pixels == 0 || pixels > kMaxPixels || pixels > uint64_t(size) * kPixelsPerByte)
        return false;
    decompress.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&decompress);
    width = decompress.output_width;
    height = decompress.output_height;
    if (decompress.output_components != 4 || uint64_t(width) * height > kMaxPixels)
        return false;
    rows.resize(size_t(width) * height * 4);
    while (decompress.output_scanline < height) {
        JSAMPROW row = rows.data() + size_t(decompress.output_scanline) * width * 4;
        if (jpeg_read_scanlines(&decompress, &row, 1) != 1)
            return false;
    }
    jpeg_finish_decompress(&decompress);
    return true;
}

bool headerOnly(jpeg_decompress_struct& decompress, const uint8_t* data, size_t size)
{
    ErrorExit* error = reinterpret_cast<ErrorExit*>(decompress.err);
    if (setjmp(error->jump))
        return false;
    jpeg_mem_src(&decompress, data, static_cast<unsigned long>(size));
    return jpeg_read_header(&decompress, TRUE) == JPEG_HEADER_OK;
}

// A decompression object whose errors jump back to the caller's setjmp and
// whose warnings go nowhere.
void createQuiet(jpeg_decompress_struct& decompress, ErrorExit& error)
{
    decompress.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = onError;
    error.manager.emit_message = onMessage;
    jpeg_create_decompress(&decompress);
}

} // namespace

bool readHeader(const uint8_t* data, size_t size, uint32_t& width, uint32_t& height, int32_t& components)
{
    if (size < 4)
        return false;
    jpeg_decompress_struct decompress {};
    ErrorExit error {};
    createQuiet(decompress, error);
    bool read = false;
    try {
        read = headerOnly(decompress, data, size);
    } catch (...) {
        read = false;
    }
    if (read) {
        width = decompress.image_width;
        height = decompress.image_height;
        components = decompress.num_components;
    }
    jpeg_destroy_decompress(&decompress);
    return read;
}

int32_t decode(const uint8_t* data, size_t size, SurfaceLoad::Target& target)
{
    if (size < 4)
        return 0;
    jpeg_decompress_struct decompress {};
    ErrorExit error {};
    createQuiet(decompress, error);
    jpeg_progress_mgr progress {};
    progress.progress_monitor = onProgress;
    decompress.progress = &progress;
    std::vector<uint8_t> rows;
    uint32_t width = 0, height = 0;
    bool decoded = false;
    try {
        decoded = decodeRows(decompress, data, size, rows, width, height);
    } catch (...) {
        decoded = false;
    }
    jpeg_destroy_decompress(&decompress);
    if (!decoded || !target.create(int32_t(width), int32_t(height)))
        return 0;
    uint8_t* pixels = target.pixels();
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* from = rows.data() + size_t(y) * width * 4;
        uint8_t* to = pixels + size_t(height - 1 - y) * width * 4;
        for (uint32_t x = 0; x < width; ++x) {
            to[4 * x] = from[4 * x];
            to[4 * x + 1] = from[4 * x + 1];
            to[4 * x + 2] = from[4 * x + 2];
            to[4 * x + 3] = 0;
        }
    }
    target.setImageInfo(0);
    return 1;
}

} // namespace JpegReader
