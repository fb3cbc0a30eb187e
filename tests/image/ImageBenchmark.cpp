#include <benchmark/benchmark.h>

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "image/McgWriter.h"
#include "image/UxCompressAlgorithm.h"
#include "image/UxCompressLzssOrg.h"
#include "image/UxMcgReader.h"

// The LZSS decoders beside zlib's inflate of the same bytes, and a keyed MCG
// decoded the way the surface load does it beside libpng decoding the same
// picture from PNG. Pictures are 1280 x 720 at 32 bits, made from a fixed
// seed: "mixed" (gradients, flat panels and text-like detail), "flat" (large
// areas of one colour), "grainy" (gradients with a little noise) and "noisy"
// (gradients under heavy noise). Rates are bytes of output a second.

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;

enum Variant { kMixed, kFlat, kGrainy, kNoisy };
const char* const kVariantNames[] = { "mixed", "flat", "grainy", "noisy" };

uint8_t clampByte(int v)
{
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

// Rows bottom-up of blue, green, red and a fourth byte 0, as a surface holds them.
std::vector<uint8_t> makePicture(Variant variant)
{
    std::mt19937 random(20260101u + variant);
    std::vector<uint8_t> pixels(size_t(kWidth) * kHeight * 4, 0);
    auto at = [&](int x, int y) { return &pixels[(size_t(kHeight - 1 - y) * kWidth + x) * 4]; };
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* p = at(x, y);
            int b = 40 + x * 160 / kWidth, g = 60 + y * 120 / kHeight, r = 200 - (x + y) * 120 / (kWidth + kHeight);
            if (variant == kFlat) {
                // Cel-like areas: a sky, a ground and a few panels.
                const int band = y < 300 ? 0 : y < 560 ? 1 : 2;
                const int panel = (x / 320 + band) % 3;
                b = 30 + 80 * panel;
                g = 90 + 50 * band;
                r = 200 - 60 * panel;
            } else if (variant == kGrainy || variant == kNoisy) {
                const int amplitude = variant == kGrainy ? 3 : 40;
                b += int(random() % (2 * amplitude + 1)) - amplitude;
                g += int(random() % (2 * amplitude + 1)) - amplitude;
                r += int(random() % (2 * amplitude + 1)) - amplitude;
            }
            p[0] = clampByte(b);
            p[1] = clampByte(g);
            p[2] = clampByte(r);
        }
    }
    if (variant == kMixed) {
        // A flat message panel over the lower third with text-like glyphs:
        // cells of 16 x 24 whose strokes come from a seeded pattern.
        for (int y = 480; y < 700; ++y)
            for (int x = 40; x < 1240; ++x) {
                uint8_t* p = at(x, y);
                p[0] = 40;
                p[1] = 24;
                p[2] = 20;
            }
        for (int row = 0; row < 7; ++row) {
            for (int column = 0; column < 70; ++column) {
                const uint32_t glyph = random();
                if (glyph % 9 == 0)
                    continue; // a space
                for (int gy = 0; gy < 20; ++gy)
                    for (int gx = 0; gx < 14; ++gx) {
                        const int bit = (gx / 3) + 5 * (gy / 4);
                        if (!((glyph >> (bit % 32)) & 1) || (gx % 3 == 2))
                            continue;
                        uint8_t* p = at(60 + column * 16 + gx, 500 + row * 26 + gy);
                        p[0] = p[1] = p[2] = 250;
                    }
            }
        }
    }
    return pixels;
}

struct Streams {
    std::vector<uint8_t> picture;
    std::vector<uint8_t> lzss0;
    std::vector<uint8_t> lzss3;
    std::vector<uint8_t> deflated;
    std::vector<uint8_t> mcg0;
    std::vector<uint8_t> mcg3;
    std::vector<uint8_t> png;
};

const Streams& streams(Variant variant)
{
    static std::unique_ptr<Streams> cache[4];
    if (cache[variant])
        return *cache[variant];
    auto s = std::make_unique<Streams>();
    s->picture = makePicture(variant);
    const int32_t size = static_cast<int32_t>(s->picture.size());
    auto codec = std::make_unique<UxCompressLzssOrg>();
    for (int32_t method : { UxCompressAlgorithm::kMethodPlain, UxCompressAlgorithm::kMethodLzss2 }) {
        std::vector<uint8_t>& out = method == UxCompressAlgorithm::kMethodPlain ? s->lzss0 : s->lzss3;
        out.resize(s->picture.size() * 2);
        out.resize(static_cast<size_t>(
            codec->compress(out.data(), static_cast<int32_t>(out.size()), s->picture.data(), size, method)));
    }
    uLongf deflatedSize = compressBound(s->picture.size());
    s->deflated.resize(deflatedSize);
    compress2(s->deflated.data(), &deflatedSize, s->picture.data(), s->picture.size(), Z_DEFAULT_COMPRESSION);
    s->deflated.resize(deflatedSize);

    McgWriter::KeyedOptions options;
    options.bitsPerPixel = 32;
    options.key = 0x5EED;
    options.embedKey = true;
    options.encoding = McgWriter::Encoding::Lzss0;
    s->mcg0 = McgWriter::writeKeyed(s->picture.data(), nullptr, kWidth, kHeight, options);
    options.encoding = McgWriter::Encoding::Lzss3;
    s->mcg3 = McgWriter::writeKeyed(s->picture.data(), nullptr, kWidth, kHeight, options);

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = kWidth;
    image.height = kHeight;
    image.format = PNG_FORMAT_BGR;
    std::vector<uint8_t> bgr;
    for (int y = kHeight - 1; y >= 0; --y)
        for (int x = 0; x < kWidth; ++x)
            bgr.insert(
                bgr.end(), &s->picture[(size_t(y) * kWidth + x) * 4], &s->picture[(size_t(y) * kWidth + x) * 4] + 3);
    png_alloc_size_t pngSize = 0;
    png_image_write_get_memory_size(image, pngSize, 0, bgr.data(), 0, nullptr);
    s->png.resize(pngSize);
    png_image_write_to_memory(&image, s->png.data(), &pngSize, 0, bgr.data(), 0, nullptr);
    s->png.resize(pngSize);

    cache[variant] = std::move(s);
    return *cache[variant];
}

void lzssDecode(benchmark::State& state, Variant variant, int32_t method)
{
    const Streams& s = streams(variant);
    const std::vector<uint8_t>& stream = method == UxCompressAlgorithm::kMethodPlain ? s.lzss0 : s.lzss3;
    auto codec = std::make_unique<UxCompressLzssOrg>();
    std::vector<uint8_t> out(s.picture.size());
    for (auto _ : state) {
        const int32_t n = codec->decompress(
            out.data(), static_cast<int32_t>(out.size()), stream.data(), static_cast<int32_t>(stream.size()), method);
        benchmark::DoNotOptimize(n);
    }
    if (out != s.picture)
        state.SkipWithError("decoded picture differs");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(out.size()));
    state.counters["ratio"] = double(stream.size()) / double(out.size());
}

void inflateDecode(benchmark::State& state, Variant variant)
{
    const Streams& s = streams(variant);
    std::vector<uint8_t> out(s.picture.size());
    for (auto _ : state) {
        uLongf size = out.size();
        benchmark::DoNotOptimize(uncompress(out.data(), &size, s.deflated.data(), s.deflated.size()));
    }
    if (out != s.picture)
        state.SkipWithError("inflated picture differs");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(out.size()));
    state.counters["ratio"] = double(s.deflated.size()) / double(out.size());
}

// What the surface's load does after opening the file: read the keyed
// image (32 bits, LZSS method 0 or 3, scrambled), unscramble and decode its
// colour straight into the surface's rows.
void mcgIntoSurface(benchmark::State& state, Variant variant, int method)
{
    const Streams& s = streams(variant);
    const std::vector<uint8_t>& mcg = method == 0 ? s.mcg0 : s.mcg3;
    std::vector<uint8_t> surface(s.picture.size());
    for (auto _ : state) {
        UxMcgReader reader;
        reader.read(mcg.data(), mcg.size(), 0);
        benchmark::DoNotOptimize(reader.decodeColourTo32(surface.data(), 0));
    }
    if (surface != s.picture)
        state.SkipWithError("decoded picture differs");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(surface.size()));
    state.counters["ratio"] = double(mcg.size()) / double(surface.size());
}

// libpng into the same 4-byte rows, bottom-up. Like the MCG reader (and the
// host's PNG reader), it first takes the file's bytes into a buffer of its
// own.
void pngIntoSurface(benchmark::State& state, Variant variant)
{
    const Streams& s = streams(variant);
    std::vector<uint8_t> surface(s.picture.size());
    for (auto _ : state) {
        std::unique_ptr<uint8_t[]> file(new uint8_t[s.png.size()]);
        std::memcpy(file.get(), s.png.data(), s.png.size());
        png_image image;
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
        png_image_begin_read_from_memory(&image, file.get(), s.png.size());
        image.format = PNG_FORMAT_BGRA;
        png_color background = { 0, 0, 0 };
        benchmark::DoNotOptimize(png_image_finish_read(&image, &background, surface.data(), -kWidth * 4, nullptr));
    }
    for (size_t i = 3; i < surface.size(); i += 4)
        surface[i] = 0;
    if (surface != s.picture)
        state.SkipWithError("PNG picture differs");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(surface.size()));
    state.counters["ratio"] = double(s.png.size()) / double(surface.size());
}

const bool registered = [] {
    for (int v = 0; v < 4; ++v) {
        const Variant variant = static_cast<Variant>(v);
        const std::string name = kVariantNames[v];
        benchmark::RegisterBenchmark(
            ("ImageDecode/" + name + "/lzss0").c_str(), lzssDecode, variant, UxCompressAlgorithm::kMethodPlain);
        benchmark::RegisterBenchmark(
            ("ImageDecode/" + name + "/lzss3").c_str(), lzssDecode, variant, UxCompressAlgorithm::kMethodLzss2);
        benchmark::RegisterBenchmark(("ImageDecode/" + name + "/inflate").c_str(), inflateDecode, variant);
        benchmark::RegisterBenchmark(("ImageDecode/" + name + "/mcg0-surface").c_str(), mcgIntoSurface, variant, 0);
        benchmark::RegisterBenchmark(("ImageDecode/" + name + "/mcg3-surface").c_str(), mcgIntoSurface, variant, 3);
        benchmark::RegisterBenchmark(("ImageDecode/" + name + "/png-surface").c_str(), pngIntoSurface, variant);
    }
    return true;
}();

} // namespace
