#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "surface/CpuFeatures.h"
#include "surface/Resample.h"

#ifdef LUMIVEX_HAVE_PILLOW
#include "surface/pillow-stubs/PillowResample.h"
#endif

namespace {

// 64 different pictures without 64 full frames of memory: each picture is a
// window on one random buffer, starting a few thousand pixels after the last,
// so every frame sees other contents. Rows run bottom-up as in a surface.
constexpr int kPictures = 64;
constexpr size_t kPictureShift = 4099 * 4;

void resampleFrames(benchmark::State& state, CpuFeatures::SimdLevel level)
{
    const int sw = static_cast<int>(state.range(0));
    const int sh = static_cast<int>(state.range(1));
    const int dw = static_cast<int>(state.range(2));
    const int dh = static_cast<int>(state.range(3));
    if (!CpuFeatures::supports(level)) {
        state.SkipWithError("this processor lacks the level");
        return;
    }
    CpuFeatures::selectSimdLevel(level);

    const size_t frameBytes = static_cast<size_t>(sw) * sh * 4;
    std::vector<uint8_t> pool(frameBytes + kPictureShift * kPictures);
    std::mt19937 rng(1);
    for (auto& b : pool)
        b = static_cast<uint8_t>(rng());
    std::vector<uint8_t> destination(static_cast<size_t>(dw) * dh * 4);
    const ptrdiff_t srcStride = -static_cast<ptrdiff_t>(sw) * 4;
    const ptrdiff_t dstStride = -static_cast<ptrdiff_t>(dw) * 4;
    uint8_t* dstTop = destination.data() + destination.size() - static_cast<size_t>(dw) * 4;

    int picture = 0;
    for (auto _ : state) {
        const uint8_t* srcTop = pool.data() + kPictureShift * picture + frameBytes - static_cast<size_t>(sw) * 4;
        if (Resample::resample(dstTop, dstStride, dw, dh, srcTop, srcStride, sw, sh) != Resample::Outcome::Done) {
            state.SkipWithError("resample failed");
            break;
        }
        benchmark::ClobberMemory();
        picture = (picture + 1) % kPictures;
    }
    CpuFeatures::resetSimdLevel();
    state.counters["out_Mpx/s"] = benchmark::Counter(
        static_cast<double>(dw) * dh * static_cast<double>(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

void BM_Resample(benchmark::State& state)
{
    resampleFrames(state, CpuFeatures::SimdLevel::Sse2);
}
void BM_ResampleScalar(benchmark::State& state)
{
    resampleFrames(state, CpuFeatures::SimdLevel::Scalar);
}

} // namespace

// The three scales the goal is measured on (Pillow's LANCZOS is the anchor).
BENCHMARK(BM_Resample)
    ->Args({ 640, 480, 1280, 960 })
    ->Args({ 1280, 720, 1920, 1080 })
    ->Args({ 1920, 1080, 640, 360 })
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleScalar)
    ->Args({ 640, 480, 1280, 960 })
    ->Args({ 1280, 720, 1920, 1080 })
    ->Args({ 1920, 1080, 640, 360 })
    ->Unit(benchmark::kMillisecond);

#ifdef LUMIVEX_HAVE_PILLOW
namespace {

// Pillow's LANCZOS resize on the same 64 pictures: each picture is an RGBA
// image whose row pointers point into the same pool, so both sides read the
// same bytes and neither pays for a copy. Every band is filtered alike, so
// the byte order does not matter. Like Pillow's own resize, each frame
// allocates its result; freeing it is part of the frame.
void BM_ResamplePillow(benchmark::State& state)
{
    const int sw = static_cast<int>(state.range(0));
    const int sh = static_cast<int>(state.range(1));
    const int dw = static_cast<int>(state.range(2));
    const int dh = static_cast<int>(state.range(3));

    const size_t frameBytes = static_cast<size_t>(sw) * sh * 4;
    std::vector<uint8_t> pool(frameBytes + kPictureShift * kPictures);
    std::mt19937 rng(1);
    for (auto& b : pool)
        b = static_cast<uint8_t>(rng());
    const ptrdiff_t srcStride = -static_cast<ptrdiff_t>(sw) * 4;

    std::vector<PillowImage> pictures;
    for (int p = 0; p < kPictures; ++p) {
        uint8_t* srcTop = pool.data() + kPictureShift * p + frameBytes - static_cast<size_t>(sw) * 4;
        if (PillowImage image = pillowWrapRows(sw, sh, srcTop, srcStride))
            pictures.push_back(image);
    }

    int picture = 0;
    if (pictures.size() != static_cast<size_t>(kPictures))
        state.SkipWithError("out of memory");
    else {
        for (auto _ : state) {
            PillowImage out = pillowResizeLanczos(pictures[picture], dw, dh);
            if (!out) {
                state.SkipWithError("Pillow's resize failed");
                break;
            }
            benchmark::DoNotOptimize(*pillowRow(out, 0));
            pillowDelete(out);
            picture = (picture + 1) % kPictures;
        }
    }
    for (PillowImage image : pictures)
        pillowDelete(image);
    state.counters["out_Mpx/s"] = benchmark::Counter(
        static_cast<double>(dw) * dh * static_cast<double>(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_ResamplePillow)
    ->Args({ 640, 480, 1280, 960 })
    ->Args({ 1280, 720, 1920, 1080 })
    ->Args({ 1920, 1080, 640, 360 })
    ->Unit(benchmark::kMillisecond);
#endif
