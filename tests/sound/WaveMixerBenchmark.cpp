#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "sound/UxFFT.h"
#include "sound/WaveMixer.h"

// What the sound thread does for one output buffer (2048 frames, 46.4 ms of
// sound): add a block of each active channel, then write the buffer. The
// channels play at a gain below unity (the multiplying path) except the
// first, which stays at unity.
namespace {

struct Channels {
    explicit Channels(int count)
    {
        std::mt19937 random(9);
        samples.assign(size_t(count), std::vector<int16_t>(wavemixer::kSamples));
        for (auto& block : samples) {
            for (int16_t& s : block)
                s = int16_t(random());
            blocks.push_back({ block.data(), 0, 0, SoundBlock::kBytes, SoundBlock::kBytes });
        }
    }
    std::vector<std::vector<int16_t>> samples;
    std::vector<SoundBlock> blocks;
};

void BM_MixBlock(benchmark::State& state)
{
    Channels channels(int(state.range(0)));
    std::vector<int32_t> accumulator(wavemixer::kSamples);
    std::vector<int16_t> out(wavemixer::kSamples);
    for (auto _ : state) {
        std::fill(accumulator.begin(), accumulator.end(), 0);
        int32_t contributors = 0;
        for (size_t c = 0; c < channels.blocks.size(); ++c) {
            int32_t gain = c == 0 ? 256 : 200;
            contributors += wavemixer::addBlock(accumulator.data(), channels.blocks[c], gain, gain) ? 1 : 0;
        }
        wavemixer::writeOutput(accumulator.data(), out.data(), contributors, false);
        benchmark::DoNotOptimize(out.data());
    }
    // Percent of the block's 46.44 ms of real time spent mixing it.
    state.counters["percent_of_realtime"] = benchmark::Counter(
        double(state.iterations()) * 0.000464399, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The per-block effects of the decode-ahead: the echo with four taps, and
// the low pass through the transform.
void BM_EchoBlock(benchmark::State& state)
{
    Channels channels(11);
    const SoundBlock* history[10];
    for (int i = 0; i < 10; ++i)
        history[i] = &channels.blocks[size_t(i + 1)];
    for (auto _ : state) {
        wavemixer::applyEcho(channels.blocks[0], history, 10, 3000, 128, 3);
        benchmark::DoNotOptimize(channels.samples[0].data());
    }
}

void BM_LowPassBlock(benchmark::State& state)
{
    Channels channels(1);
    UxFFT fft;
    fft.setSize(SoundBlock::kFrames);
    for (auto _ : state) {
        fft.lowPass(channels.blocks[0]);
        benchmark::DoNotOptimize(channels.samples[0].data());
    }
}

} // namespace

BENCHMARK(BM_MixBlock)->Arg(1)->Arg(8)->Arg(64)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EchoBlock)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LowPassBlock)->Unit(benchmark::kMicrosecond);
