#include <benchmark/benchmark.h>

#include <cstdio>
#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "image/ImageProbe.h"
#include "image/JpegReader.h"
#include "image/PngReader.h"
#include "image/SurfaceLoad.h"
#include "image/UxCompressAlgorithm.h"
#include "image/UxCompressLzssOrg.h"
#include "image/UxDeltaDecoder.h"
#include "surface/FCDib.h"

// DLT frames of a 1280 x 720 animation beside a memcpy of the bytes they
// change, and the host's PNG, JPEG and DLT readers filling a surface beside
// libpng's and libjpeg's own decode loops over the same files. The picture
// is gradients with a little noise; the animated part is a 1280 x 220 band
// (a message window) that changes between frames. Rates are bytes of
// picture a second.

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kBandTop = 480;
constexpr int kBandHeight = 220;

using Bytes = std::vector<uint8_t>;

void put32(Bytes& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// Rows bottom-up of blue, green, red and 0, as a surface holds them; seed
// changes the band.
Bytes makePicture(uint32_t seed)
{
    std::mt19937 random(20261211u);
    std::mt19937 band(seed);
    Bytes pixels(size_t(kWidth) * kHeight * 4, 0);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* p = &pixels[(size_t(kHeight - 1 - y) * kWidth + x) * 4];
            const bool inBand = y >= kBandTop && y < kBandTop + kBandHeight;
            const int noise = int(random() % 7) - 3;
            p[0] = static_cast<uint8_t>(std::clamp(40 + x * 160 / kWidth + noise, 1, 255));
            p[1] = static_cast<uint8_t>(std::clamp(60 + y * 120 / kHeight - noise, 1, 255));
            p[2] = static_cast<uint8_t>(inBand ? 20 + band() % 200 : 180);
        }
    return pixels;
}

Bytes lzss(const Bytes& input)
{
    UxCompressLzssOrg codec;
    Bytes out(input.size() * 2);
    out.resize(static_cast<size_t>(codec.compress(out.data(), static_cast<int32_t>(out.size()), input.data(),
        static_cast<int32_t>(input.size()), UxCompressAlgorithm::kMethodPlain)));
    return out;
}

struct Files {
    Bytes first, second; // the key picture and the next frame
    Bytes keyDlt; // a compressed key frame of the first picture
    Bytes storedDelta, compressedDelta; // the second frame's band over the first
    Bytes png, jpeg;
    Bytes bmp24, bmp32; // bottom-up, as BMP files usually are
};

Bytes bmpOf(const Bytes& picture, int bits)
{
    const uint32_t stride = kWidth * bits / 8, offset = 14 + 40;
    Bytes out = { 'B', 'M' };
    for (uint32_t v : { offset + stride * kHeight, 0u, offset, 40u, uint32_t(kWidth), uint32_t(kHeight),
             uint32_t(bits) << 16 | 1u, 0u, 0u, 0u, 0u, 0u, 0u })
        put32(out, v);
    for (size_t i = 0; i < picture.size(); i += 4)
        out.insert(out.end(), picture.begin() + i, picture.begin() + i + bits / 8);
    return out;
}

// The band of the second picture as top-down rows of 32-bit pixels.
Bytes bandRows(const Bytes& picture, bool bottomUp)
{
    Bytes out;
    for (int r = 0; r < kBandHeight; ++r) {
        const int y = bottomUp ? kBandTop + kBandHeight - 1 - r : kBandTop + r;
        const uint8_t* row = &picture[size_t(kHeight - 1 - y) * kWidth * 4];
        out.insert(out.end(), row, row + size_t(kWidth) * 4);
    }
    return out;
}

Bytes dlt(uint32_t flags, const Bytes& colour, bool rectangle)
{
    Bytes out;
    for (uint32_t v : { 0x0103u, uint32_t(kWidth), uint32_t(kHeight), 2u, 0u, 40u, 0u, UxDeltaDecoder::kMagic })
        put32(out, v);
    put32(out, flags);
    put32(out, static_cast<uint32_t>(colour.size()));
    if (rectangle)
        for (uint32_t v : { 0u, uint32_t(kBandTop), uint32_t(kWidth), uint32_t(kBandHeight) })
            put32(out, v);
    out.insert(out.end(), colour.begin(), colour.end());
    put32(out, UxDeltaDecoder::kEnd);
    put32(out, 0);
    return out;
}

const Files& files()
{
    static std::unique_ptr<Files> cache;
    if (cache)
        return *cache;
    auto f = std::make_unique<Files>();
    f->first = makePicture(1);
    f->second = makePicture(2);
    f->keyDlt = dlt((UxDeltaDecoder::kTypeCompressedKey << 8) | UxDeltaDecoder::kNoRectangle, lzss(f->first), false);
    f->storedDelta = dlt(0, bandRows(f->second, false), true);
    f->compressedDelta = dlt(
        (UxDeltaDecoder::kTypeCompressedDelta << 8) | UxDeltaDecoder::kBottomUp, lzss(bandRows(f->second, true)), true);

    // RGB rows top-down for both encoders.
    Bytes rgb;
    for (int y = kHeight - 1; y >= 0; --y)
        for (int x = 0; x < kWidth; ++x) {
            const uint8_t* p = &f->first[(size_t(y) * kWidth + x) * 4];
            rgb.insert(rgb.end(), { p[2], p[1], p[0] });
        }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = kWidth;
    image.height = kHeight;
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t pngSize = 0;
    png_image_write_get_memory_size(image, pngSize, 0, rgb.data(), 0, nullptr);
    f->png.resize(pngSize);
    png_image_write_to_memory(&image, f->png.data(), &pngSize, 0, rgb.data(), 0, nullptr);
    f->png.resize(pngSize);

    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = kWidth;
    cinfo.image_height = kHeight;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = &rgb[size_t(cinfo.next_scanline) * kWidth * 3];
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    f->jpeg.assign(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);

    f->bmp24 = bmpOf(f->first, 24);
    f->bmp32 = bmpOf(f->first, 32);

    cache = std::move(f);
    return *cache;
}

DeltaCanvas canvasOver(uint8_t* pixels)
{
    DeltaCanvas canvas;
    canvas.pixels = pixels;
    canvas.width = kWidth;
    canvas.height = kHeight;
    canvas.stride = kWidth * 4;
    return canvas;
}

// One delta frame drawn over the key picture (the decoder loaded once, as
// a playing animation is; the step rewound each time).
void deltaFrame(benchmark::State& state, bool compressed)
{
    const Files& f = files();
    const Bytes& file = compressed ? f.compressedDelta : f.storedDelta;
    Bytes surface = f.first;
    UxDeltaDecoder decoder;
    decoder.loadMemory(file.data(), file.size(), 0, 0, nullptr);
    const DeltaCanvas canvas = canvasOver(surface.data());
    for (auto _ : state) {
        decoder.rewind();
        benchmark::DoNotOptimize(decoder.step(canvas));
    }
    if (surface != f.second)
        state.SkipWithError("the frame differs");
    state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kBandHeight * 4);
    state.counters["ratio"] = double(file.size()) / double(kWidth * kBandHeight * 4);
}

// The floor: copying the changed rows into place.
void memcpyBand(benchmark::State& state)
{
    const Files& f = files();
    Bytes surface = f.first;
    const size_t at = size_t(kHeight - kBandTop - kBandHeight) * kWidth * 4, bytes = size_t(kBandHeight) * kWidth * 4;
    for (auto _ : state) {
        std::memcpy(surface.data() + at, f.second.data() + at, bytes);
        benchmark::ClobberMemory();
    }
    if (surface != f.second)
        state.SkipWithError("the frame differs");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

enum Kind { kPng, kJpeg, kDlt };

// The host's readers as the surface load runs them: from the file's bytes
// to the surface's rows.
void hostReader(benchmark::State& state, Kind kind)
{
    const Files& f = files();
    const Bytes& file = kind == kPng ? f.png : kind == kJpeg ? f.jpeg : f.keyDlt;
    SurfaceLoad::Picture picture;
    for (auto _ : state) {
        int32_t taken = 1;
        if (kind == kPng) {
            taken = PngReader::decode(file.data(), file.size(), true, picture);
        } else if (kind == kJpeg) {
            taken = JpegReader::decode(file.data(), file.size(), picture);
        } else {
            UxDeltaDecoder decoder;
            decoder.loadMemory(file.data(), file.size(), 0, 0, nullptr);
            picture.create(kWidth, kHeight);
            decoder.decodeFirstPicture(canvasOver(picture.pixels()));
        }
        benchmark::DoNotOptimize(taken);
    }
    if (kind != kJpeg && !std::equal(f.first.begin(), f.first.end(), picture.bits()))
        state.SkipWithError("the picture differs");
    state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight * 4);
    state.counters["ratio"] = double(file.size()) / double(kWidth * kHeight * 4);
}

// libpng's simplified reader straight into 4-byte rows, bottom-up.
void libpngLoop(benchmark::State& state)
{
    const Files& f = files();
    Bytes surface(size_t(kWidth) * kHeight * 4);
    for (auto _ : state) {
        png_image image;
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
        png_image_begin_read_from_memory(&image, f.png.data(), f.png.size());
        image.format = PNG_FORMAT_BGRA;
        benchmark::DoNotOptimize(png_image_finish_read(&image, nullptr, surface.data(), -kWidth * 4, nullptr));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight * 4);
}

// libjpeg's own loop: read_scanlines into RGB rows.
void libjpegLoop(benchmark::State& state)
{
    const Files& f = files();
    Bytes rows(size_t(kWidth) * kHeight * 3);
    for (auto _ : state) {
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr error;
        cinfo.err = jpeg_std_error(&error);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, f.jpeg.data(), static_cast<unsigned long>(f.jpeg.size()));
        jpeg_read_header(&cinfo, TRUE);
        jpeg_start_decompress(&cinfo);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = &rows[size_t(cinfo.output_scanline) * kWidth * 3];
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight * 4);
}

// The host's BMP road into a surface: the file's bytes into a DIB, the DIB
// into the surface's rows.
void bmpIntoSurface(benchmark::State& state, int bits)
{
    const Files& f = files();
    const Bytes& file = bits == 24 ? f.bmp24 : f.bmp32;
    SurfaceLoad::Picture picture;
    for (auto _ : state) {
        FCDib dib;
        bmpToDib(file.data(), file.size(), dib);
        benchmark::DoNotOptimize(picture.loadDib(dib));
    }
    if (!std::equal(f.first.begin(), f.first.end(), picture.bits()))
        state.SkipWithError("the picture differs");
    state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight * 4);
}

// The yardstick: the file's bytes read into a buffer, then every row copied
// into the surface as it stands.
void bmpReadAndRowCopy(benchmark::State& state, int bits)
{
    const Files& f = files();
    const Bytes& file = bits == 24 ? f.bmp24 : f.bmp32;
    Bytes buffer(file.size()), surface(size_t(kWidth) * kHeight * 4);
    const size_t stride = size_t(kWidth) * size_t(bits) / 8;
    for (auto _ : state) {
        std::memcpy(buffer.data(), file.data(), file.size());
        for (int y = 0; y < kHeight; ++y)
            std::memcpy(&surface[size_t(y) * kWidth * 4], &buffer[54 + size_t(y) * stride], stride);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight * 4);
}

const bool registered = [] {
    benchmark::RegisterBenchmark("SurfaceRead/bmp24/host", bmpIntoSurface, 24);
    benchmark::RegisterBenchmark("SurfaceRead/bmp24/read-and-row-copy", bmpReadAndRowCopy, 24);
    benchmark::RegisterBenchmark("SurfaceRead/bmp32/host", bmpIntoSurface, 32);
    benchmark::RegisterBenchmark("SurfaceRead/bmp32/read-and-row-copy", bmpReadAndRowCopy, 32);
    benchmark::RegisterBenchmark("DeltaFrame/band/stored-delta", deltaFrame, false);
    benchmark::RegisterBenchmark("DeltaFrame/band/compressed-delta", deltaFrame, true);
    benchmark::RegisterBenchmark("DeltaFrame/band/memcpy", memcpyBand);
    benchmark::RegisterBenchmark("SurfaceRead/png/host", hostReader, kPng);
    benchmark::RegisterBenchmark("SurfaceRead/png/libpng", libpngLoop);
    benchmark::RegisterBenchmark("SurfaceRead/jpeg/host", hostReader, kJpeg);
    benchmark::RegisterBenchmark("SurfaceRead/jpeg/libjpeg", libjpegLoop);
    benchmark::RegisterBenchmark("SurfaceRead/dlt-key/host", hostReader, kDlt);
    return true;
}();

} // namespace
