#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "layer/LayerCompositing.h"
#include "surface/PixelBlend.h"

// What composing costs beyond the blend kernels: the same pixels blended
// through the layer drawing (pieces, clipping, dirty rectangles, base-layer
// search) and through the kernels called directly.

using namespace LayerCompositing;

namespace {

constexpr int32_t kWidth = 1280, kHeight = 720;

struct Picture {
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> alpha;
    int32_t width, height;

    Picture(int32_t w, int32_t h, uint32_t seed, bool withAlpha)
        : pixels(size_t(w) * h * 4)
        , alpha(withAlpha ? size_t(w) * h : 0)
        , width(w)
        , height(h)
    {
        std::mt19937 random(seed);
        for (uint8_t& byte : pixels)
            byte = static_cast<uint8_t>(random());
        // Half transparent, a third opaque, the rest in between, in runs.
        for (size_t i = 0; i < alpha.size(); i += 16) {
            const uint32_t r = random() % 6;
            const uint8_t a = r < 3 ? 0 : r < 5 ? 255 : static_cast<uint8_t>(random());
            for (size_t k = i; k < std::min(alpha.size(), i + 16); ++k)
                alpha[k] = a;
        }
    }
    Plane plane() { return Plane { pixels.data(), width * 4, width, height }; }
    Plane alphaPlane() { return alpha.empty() ? Plane {} : Plane { alpha.data(), width, width, height }; }
};

LayerDraw drawOf(Picture& picture, const FCRect& display)
{
    LayerDraw draw {};
    draw.image = picture.plane();
    draw.alpha = picture.alphaPlane();
    draw.display = display;
    draw.source = FCRect(0, 0, display.width(), display.height());
    draw.level = 16;
    draw.colourKey = kNoColourKey;
    return draw;
}

// One dirty rectangle through the viewport's steps: merged into the set,
// base layer chosen, the background copied unless a base hides it, every
// layer from the base drawn.
void composeThroughLayers(Picture& back, Picture& background, std::vector<Picture>& layers,
    const std::vector<BaseCandidate>& facts, const FCRect& rect)
{
    uint32_t flags = 0;
    const FCRect clip(0, 0, kWidth, kHeight);
    FCXList<FCRect> list;
    FCRect bounds;
    const DirtyRects dirty { flags, clip, list, bounds };
    addDirty(dirty, rect);
    const int32_t base = chooseBaseLayer(facts.data(), facts.size(), kWidth, kHeight);
    auto* node = list.head();
    for (int32_t r = 0; r < list.count; ++r, node = node->next) {
        const FCRect& area = *node->item;
        if (base < 0)
            PixelBlend::copyRows(back.plane().at(area.left, area.top, 4), back.width * 4,
                background.plane().at(area.left, area.top, 4), background.width * 4, area.width(), area.height(), 4);
        for (size_t i = 0; i < layers.size(); ++i) {
            if (facts[i].number >= base)
                drawLayer(back.plane(), area, drawOf(layers[i], facts[i].display));
        }
    }
    clearDirty(dirty);
}

std::vector<BaseCandidate> factsOf(size_t count, const FCRect& display, bool alpha)
{
    std::vector<BaseCandidate> facts;
    for (size_t i = 0; i < count; ++i)
        facts.push_back(BaseCandidate { int32_t(i), true, 16, kNoColourKey, alpha, -1, display });
    return facts;
}

void BM_Compose_EightAlphaLayers_1280x720(benchmark::State& state)
{
    Picture back(kWidth, kHeight, 1, false), background(kWidth, kHeight, 2, false);
    std::vector<Picture> layers;
    for (uint32_t i = 0; i < 8; ++i)
        layers.emplace_back(kWidth, kHeight, 10 + i, true);
    const auto facts = factsOf(8, FCRect(0, 0, kWidth, kHeight), true);
    for (auto _ : state) {
        composeThroughLayers(back, background, layers, facts, FCRect(0, 0, kWidth, kHeight));
        benchmark::DoNotOptimize(back.pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_Compose_EightAlphaLayers_1280x720)->Unit(benchmark::kMillisecond);

void BM_Compose_EightAlphaLayers_KernelsAlone_1280x720(benchmark::State& state)
{
    Picture back(kWidth, kHeight, 1, false), background(kWidth, kHeight, 2, false);
    std::vector<Picture> layers;
    for (uint32_t i = 0; i < 8; ++i)
        layers.emplace_back(kWidth, kHeight, 10 + i, true);
    for (auto _ : state) {
        PixelBlend::copyRows(back.pixels.data(), kWidth * 4, background.pixels.data(), kWidth * 4, kWidth, kHeight, 4);
        for (Picture& layer : layers)
            PixelBlend::blendAlpha(back.pixels.data(), kWidth * 4, layer.pixels.data(), kWidth * 4, layer.alpha.data(),
                kWidth, kWidth, kHeight, 255);
        benchmark::DoNotOptimize(back.pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_Compose_EightAlphaLayers_KernelsAlone_1280x720)->Unit(benchmark::kMillisecond);

// A 64 x 64 update of one layer among 64 attached 64 x 64 layers laid out
// over the picture.
void BM_Update64x64_Among64Layers(benchmark::State& state)
{
    Picture back(kWidth, kHeight, 1, false), background(kWidth, kHeight, 2, false);
    std::vector<Picture> layers;
    std::vector<BaseCandidate> facts;
    for (int32_t i = 0; i < 64; ++i) {
        layers.emplace_back(64, 64, 100 + i, true);
        const int32_t x = (i % 16) * 80, y = (i / 16) * 160;
        facts.push_back(BaseCandidate { i, true, 16, kNoColourKey, true, -1, FCRect(x, y, x + 64, y + 64) });
    }
    const FCRect changed = facts[37].display;
    for (auto _ : state) {
        composeThroughLayers(back, background, layers, facts, changed);
        benchmark::DoNotOptimize(back.pixels.data());
    }
}
BENCHMARK(BM_Update64x64_Among64Layers)->Unit(benchmark::kMicrosecond);

// A full-screen opaque layer over 32 others: the base-layer search skips
// them and the background, leaving one opaque draw.
void BM_BaseLayerSkip_OpaqueOver32Layers(benchmark::State& state)
{
    Picture back(kWidth, kHeight, 1, false), background(kWidth, kHeight, 2, false);
    std::vector<Picture> layers;
    for (uint32_t i = 0; i < 33; ++i)
        layers.emplace_back(kWidth, kHeight, 200 + i, i < 32);
    auto facts = factsOf(33, FCRect(0, 0, kWidth, kHeight), true);
    facts[32].alphaInUse = false;
    for (auto _ : state) {
        composeThroughLayers(back, background, layers, facts, FCRect(0, 0, kWidth, kHeight));
        benchmark::DoNotOptimize(back.pixels.data());
    }
}
BENCHMARK(BM_BaseLayerSkip_OpaqueOver32Layers)->Unit(benchmark::kMillisecond);

void BM_BaseLayerSkip_OneCopy(benchmark::State& state)
{
    Picture back(kWidth, kHeight, 1, false), top(kWidth, kHeight, 3, false);
    for (auto _ : state) {
        PixelBlend::copyRows(back.pixels.data(), kWidth * 4, top.pixels.data(), kWidth * 4, kWidth, kHeight, 4);
        benchmark::DoNotOptimize(back.pixels.data());
    }
}
BENCHMARK(BM_BaseLayerSkip_OneCopy)->Unit(benchmark::kMillisecond);

} // namespace
