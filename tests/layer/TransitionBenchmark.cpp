#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "layer/LayerEffects.h"
#include "layer/ScreenTransition.h"
#include "scenario/FCRandom.h"
#include "surface/PixelBlend.h"

// What a transition itself costs, with a screen that shows nothing: the
// geometry, the shuffles and the calls, on a 1280 x 720 area. And a turned
// frame of a layer effect against the plain blend of the same pixels.

namespace {
class NullScreen : public TransitionScreen {
public:
    void redraw(const FCRect& part) override { benchmark::DoNotOptimize(part.left); }
    void restartTimer() override { }
    void waitUntil(uint32_t) override { }
    void sleep(uint32_t) override { }
    bool rightButtonAbort() override { return false; }
    void showWhole(const FCRect&) override { }
};

void screenTransition(benchmark::State& state)
{
    const int32_t effect = int32_t(state.range(0));
    NullScreen screen;
    FCRandom random;
    for (auto _ : state)
        runScreenTransition(screen, FCRect(0, 0, 1280, 720), effect, random);
}
BENCHMARK(screenTransition)->DenseRange(10, 23)->DenseRange(38, 52)->Unit(benchmark::kMicrosecond);

struct Frame {
    static constexpr int kWidth = 1280, kHeight = 720;
    std::vector<uint8_t> dst, src, alpha;
    Frame()
        : dst(size_t(kWidth) * kHeight * 4)
        , src(dst.size())
        , alpha(size_t(kWidth) * kHeight)
    {
        std::mt19937 generator(7);
        for (uint8_t& b : src)
            b = uint8_t(generator());
        for (uint8_t& a : alpha)
            a = uint8_t(generator());
    }
};

// Range: the angle in degrees (0 is the identity, a plain copy at the level).
void transformedFrame(benchmark::State& state)
{
    Frame frame;
    const FCRect whole(0, 0, Frame::kWidth, Frame::kHeight);
    const LayerTransform transform { 61, double(state.range(0)), state.range(0) ? 90 : 100, 12, 100 };
    for (auto _ : state)
        drawTransformed(frame.dst.data(), Frame::kWidth * 4, whole, frame.src.data(), Frame::kWidth * 4, Frame::kWidth,
            Frame::kHeight, frame.alpha.data(), Frame::kWidth, whole, whole, transform);
    state.SetItemsProcessed(state.iterations() * Frame::kWidth * Frame::kHeight);
}
BENCHMARK(transformedFrame)->Arg(0)->Arg(30)->Unit(benchmark::kMillisecond);

void plainBlendFrame(benchmark::State& state)
{
    Frame frame;
    for (auto _ : state)
        PixelBlend::blendMask(frame.dst.data(), Frame::kWidth * 4, frame.src.data(), Frame::kWidth * 4,
            frame.alpha.data(), Frame::kWidth, nullptr, 0, Frame::kWidth, Frame::kHeight, 12);
    state.SetItemsProcessed(state.iterations() * Frame::kWidth * Frame::kHeight);
}
BENCHMARK(plainBlendFrame)->Unit(benchmark::kMillisecond);
} // namespace
