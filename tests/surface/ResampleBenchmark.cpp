#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "surface/CpuFeatures.h"
#include "surface/Resample.h"

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
