#include <benchmark/benchmark.h>

#include <pixman.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "surface/CpuFeatures.h"
#include "surface/PixelBlend.h"

// The alpha blend and the constant blend against pixman's OVER (a8r8g8b8 onto
// x8r8g8b8) on the same pictures. Each case cycles through 64 pictures so
// that neither the caches nor the branch predictor can learn one. A pixel of
// pixman's a8r8g8b8 source is laid out as ours (blue, green, red, alpha), so
// both sides read the same source memory; ours reads the alpha from a
// separate plane holding the same values.

namespace {

constexpr int kPictures = 64;

enum PlaneKind { kSpriteLike, kInBetween, kRandom };

struct Size {
    int w, h;
};
constexpr Size kSizes[] = { { 1280, 720 }, { 64, 64 } };

// Soft-edged discs on a transparent ground until half the picture is covered:
// about half 0, a third 255 and the rest in between.
void drawSprites(std::vector<uint8_t>& alpha, int w, int h, std::mt19937& rng)
{
    const int minSide = std::min(w, h);
    size_t covered = 0;
    while (covered * 2 < alpha.size()) {
        const double r = minSide * (0.04 + 0.12 * (rng() % 1000) / 1000.0);
        const double edge = 0.25 * r;
        const double cx = rng() % w, cy = rng() % h;
        const int x0 = std::max(0, static_cast<int>(cx - r - edge)),
                  x1 = std::min(w - 1, static_cast<int>(cx + r + edge));
        const int y0 = std::max(0, static_cast<int>(cy - r - edge)),
                  y1 = std::min(h - 1, static_cast<int>(cy + r + edge));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const double dist = std::hypot(x - cx, y - cy);
                int a = dist <= r ? 255 : dist >= r + edge ? 0 : static_cast<int>(255 * (r + edge - dist) / edge);
                uint8_t& cell = alpha[static_cast<size_t>(y) * w + x];
                if (cell == 0 && a > 0)
                    ++covered;
                cell = static_cast<uint8_t>(std::max<int>(cell, a));
            }
    }
}

struct PictureSet {
    int w = 0, h = 0;
    std::vector<std::vector<uint32_t>> sources; // a8r8g8b8, alpha in the top byte
    std::vector<std::vector<uint8_t>> alphas;
    std::vector<uint32_t> dst, pixmanDst;
    std::vector<pixman_image_t*> pixmanSources;
    pixman_image_t* pixmanTarget = nullptr;

    PictureSet(Size size, PlaneKind kind)
        : w(size.w)
        , h(size.h)
    {
        std::mt19937 rng(1234 + kind);
        const size_t n = static_cast<size_t>(w) * h;
        for (int p = 0; p < kPictures; ++p) {
            std::vector<uint8_t> alpha(n, 0);
            if (kind == kSpriteLike)
                drawSprites(alpha, w, h, rng);
            for (auto& a : alpha)
                a = kind == kInBetween ? static_cast<uint8_t>(1 + rng() % 254)
                    : kind == kRandom  ? static_cast<uint8_t>(rng())
                                       : a;
            std::vector<uint32_t> source(n);
            for (size_t i = 0; i < n; ++i)
                source[i] = (static_cast<uint32_t>(alpha[i]) << 24) | (rng() & 0xFFFFFF);
            alphas.push_back(std::move(alpha));
            sources.push_back(std::move(source));
        }
        dst.assign(n, 0x00406080);
        pixmanDst = dst;
        for (auto& source : sources)
            pixmanSources.push_back(pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, source.data(), w * 4));
        pixmanTarget = pixman_image_create_bits(PIXMAN_x8r8g8b8, w, h, pixmanDst.data(), w * 4);
    }
    ~PictureSet()
    {
        for (auto* image : pixmanSources)
            pixman_image_unref(image);
        pixman_image_unref(pixmanTarget);
    }
};

// Pictures are made once per size and plane kind and kept for the run.
PictureSet& pictures(int sizeIndex, int kind)
{
    static std::map<int, std::unique_ptr<PictureSet>> sets;
    auto& set = sets[sizeIndex * 8 + kind];
    if (!set)
        set = std::make_unique<PictureSet>(kSizes[sizeIndex], static_cast<PlaneKind>(kind));
    return *set;
}

uint8_t* bytes(std::vector<uint32_t>& v)
{
    return reinterpret_cast<uint8_t*>(v.data());
}

void setLabel(benchmark::State& state, const PictureSet& set, const char* what)
{
    static const char* kinds[] = { "sprite-like", "in-between", "random" };
    state.SetLabel(
        std::string(what) + " " + std::to_string(set.w) + "x" + std::to_string(set.h) + " " + kinds[state.range(1)]);
    state.SetItemsProcessed(state.iterations() * set.w * set.h);
}

const char* levelName(CpuFeatures::SimdLevel level)
{
    switch (level) {
    case CpuFeatures::SimdLevel::Avx2:
        return "avx2";
    case CpuFeatures::SimdLevel::Sse2:
        return "sse2";
    default:
        return "scalar";
    }
}

// Args: size index, plane kind, SIMD level.
void BM_BlendAlpha(benchmark::State& state)
{
    const auto level = static_cast<CpuFeatures::SimdLevel>(state.range(2));
    if (!CpuFeatures::supports(level)) {
        state.SkipWithError("level not supported here");
        return;
    }
    CpuFeatures::selectSimdLevel(level);
    PictureSet& set = pictures(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const ptrdiff_t stride = set.w * 4;
    int p = 0;
    for (auto _ : state) {
        PixelBlend::blendAlpha(
            bytes(set.dst), stride, bytes(set.sources[p]), stride, set.alphas[p].data(), set.w, set.w, set.h, 255);
        benchmark::ClobberMemory();
        p = (p + 1) % kPictures;
    }
    CpuFeatures::resetSimdLevel();
    setLabel(state, set, levelName(level));
}

void BM_PixmanOver(benchmark::State& state)
{
    PictureSet& set = pictures(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    int p = 0;
    for (auto _ : state) {
        pixman_image_composite32(
            PIXMAN_OP_OVER, set.pixmanSources[p], nullptr, set.pixmanTarget, 0, 0, 0, 0, 0, 0, set.w, set.h);
        benchmark::ClobberMemory();
        p = (p + 1) % kPictures;
    }
    setLabel(state, set, "pixman");
}

// Args: size index, plane kind (only the source colours are read), SIMD level.
// The level cycles through 1..15 with the pictures.
void BM_BlendConstant(benchmark::State& state)
{
    const auto level = static_cast<CpuFeatures::SimdLevel>(state.range(2));
    if (!CpuFeatures::supports(level)) {
        state.SkipWithError("level not supported here");
        return;
    }
    CpuFeatures::selectSimdLevel(level);
    PictureSet& set = pictures(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const ptrdiff_t stride = set.w * 4;
    int p = 0;
    for (auto _ : state) {
        PixelBlend::blendConstant(bytes(set.dst), stride, bytes(set.sources[p]), stride, set.w, set.h, 1 + p % 15);
        benchmark::ClobberMemory();
        p = (p + 1) % kPictures;
    }
    CpuFeatures::resetSimdLevel();
    setLabel(state, set, levelName(level));
}

void alphaArgs(benchmark::internal::Benchmark* b, bool withLevels)
{
    for (int size = 0; size < 2; ++size)
        for (int kind = 0; kind < 3; ++kind) {
            if (!withLevels) {
                b->Args({ size, kind, 0 });
                continue;
            }
            for (int level = 0; level < 3; ++level)
                b->Args({ size, kind, level });
        }
}

} // namespace

BENCHMARK(BM_PixmanOver)->Apply([](benchmark::internal::Benchmark* b) { alphaArgs(b, false); });
BENCHMARK(BM_BlendAlpha)->Apply([](benchmark::internal::Benchmark* b) { alphaArgs(b, true); });
BENCHMARK(BM_BlendConstant)
    ->Args({ 0, 0, 0 })
    ->Args({ 0, 0, 1 })
    ->Args({ 0, 0, 2 })
    ->Args({ 1, 0, 0 })
    ->Args({ 1, 0, 1 })
    ->Args({ 1, 0, 2 });
