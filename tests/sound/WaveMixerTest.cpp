#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "sound/UxFFT.h"
#include "sound/WaveMixer.h"

using namespace wavemixer;

namespace {

// A queue block over its own samples.
struct Block {
    std::vector<int16_t> samples = std::vector<int16_t>(kSamples, 0);
    SoundBlock block { samples.data(), 0, 0, SoundBlock::kBytes, SoundBlock::kBytes };
};

std::vector<int16_t> mix(std::initializer_list<Block*> blocks, int32_t gainL, int32_t gainR, bool mute = false)
{
    std::vector<int32_t> accumulator(kSamples, 0);
    int32_t contributors = 0;
    for (Block* b : blocks) {
        addBlock(accumulator.data(), b->block, gainL, gainR);
        ++contributors;
    }
    std::vector<int16_t> out(kSamples, 1);
    writeOutput(accumulator.data(), out.data(), contributors, mute);
    return out;
}

} // namespace

TEST(WaveMixer, VolumeCurveIsClampedAndSShaped)
{
    struct Case {
        int32_t volume, gain;
    } cases[] = { { -5, 0 }, { 0, 0 }, { 4, 1 }, { 64, 39 }, { 128, 130 }, { 255, 256 }, { 256, 256 }, { 999, 256 } };
    for (const Case& c : cases)
        EXPECT_EQ(volumeCurve(c.volume), c.gain) << "volume " << c.volume;
    for (int32_t v = 1; v <= 256; ++v)
        EXPECT_LE(volumeCurve(v - 1), volumeCurve(v)) << v;
}

TEST(WaveMixer, OneChannelAtUnityIsStoredUnclampedAndTwoAreClamped)
{
    Block a, b;
    const int16_t edge[] = { 32767, -32768, -1, 12345 };
    for (int32_t i = 0; i < kSamples; ++i)
        a.samples[size_t(i)] = edge[i % 4];
    std::vector<int16_t> one = mix({ &a }, 256, 256);
    EXPECT_EQ(one, a.samples);

    for (int16_t& s : b.samples)
        s = 0;
    b.samples[0] = 1; // 32767 + 1 and -32768 + -1 leave the range
    b.samples[1] = -1;
    std::vector<int16_t> two = mix({ &a, &b }, 256, 256);
    EXPECT_EQ(two[0], 32767);
    EXPECT_EQ(two[1], -32768);
    EXPECT_EQ(two[3], 12345);
}

TEST(WaveMixer, GainsShiftRoundingDownAndSilenceAddsNothing)
{
    Block a;
    a.samples[0] = -3;
    a.samples[1] = 1000;
    std::vector<int16_t> out = mix({ &a }, 128, 64);
    EXPECT_EQ(out[0], -2); // (-3 * 128) >> 8 rounds towards minus infinity
    EXPECT_EQ(out[1], 250);

    std::vector<int32_t> accumulator(kSamples, 0);
    EXPECT_FALSE(addBlock(accumulator.data(), a.block, 0, 0));
    a.block.flags = SoundBlock::kSilent;
    EXPECT_FALSE(addBlock(accumulator.data(), a.block, 256, 256));
    EXPECT_EQ(accumulator, std::vector<int32_t>(kSamples, 0));
}

TEST(WaveMixer, MuteAndNoContributorWriteSilence)
{
    Block a;
    a.samples[7] = 99;
    EXPECT_EQ(mix({ &a }, 256, 256, true), std::vector<int16_t>(kSamples, 0));
    EXPECT_EQ(mix({}, 256, 256), std::vector<int16_t>(kSamples, 0));
}

TEST(WaveMixer, FadeStepsTruncateTowardsZeroAndEndOnTheTarget)
{
    // 1000 ms: 11 steps of 100 ms from 256 down to 0.
    const int32_t down[] = { 233, 210, 187, 163, 140, 117, 94, 70, 47, 24, 0 };
    for (int32_t step = 1; step <= 11; ++step)
        EXPECT_EQ(fadeGain(256, 0, step, 11), down[step - 1]) << step;
    EXPECT_EQ(fadeGain(0, 130, 1, 11), 11);
    EXPECT_EQ(fadeGain(200, 7, 1, 1), 7); // 0 ms: one step to the target
}

TEST(WaveMixer, EchoAddsDelayedHistoryAcrossTheBlockEdge)
{
    Block current, previous;
    current.samples[0] = 1000; // frame 0, left
    previous.samples[2 * 1950 + 1] = -800; // frame 1950, right
    Block copy = current;
    const SoundBlock* history[10] = { &copy.block, &previous.block };
    applyEcho(current.block, history, 10, 100, 128, 1);
    EXPECT_EQ(current.samples[2 * 100], 500); // first tap, 100 frames later
    EXPECT_EQ(current.samples[2 * 2 + 1], -400); // from the previous block
    EXPECT_EQ(current.samples[0], 1000);
    // The second tap (level 64) lands 2048 + 100 frames after its source:
    // only the previous block's frame 1950 would reach past this block.
    EXPECT_EQ(current.samples[2 * 101], 0);
}

TEST(WaveMixer, EchoNeverReadsPastTheHistory)
{
    Block current, old;
    old.samples[0] = 4000;
    const SoundBlock* history[10] = { &old.block, &old.block, &old.block, &old.block, &old.block, &old.block,
        &old.block, &old.block, &old.block, &old.block };
    Block before = current;
    applyEcho(current.block, history, 10, 2048 * 9 + 1, 256, 50);
    EXPECT_EQ(current.samples, before.samples);
    EXPECT_EQ(echoRepeatsWithinHistory(100), 8);
    EXPECT_EQ(echoRepeatsWithinHistory(2048 * 9 + 1), -1);

    // A short block (a skip's remainder) is written only where it holds data.
    std::vector<int16_t> shortSamples(400, 0);
    SoundBlock shortBlock { shortSamples.data(), 0, 0, 800, 800 };
    applyEcho(shortBlock, history, 10, 1, 256, 3);
    EXPECT_EQ(shortSamples[0], 0);
}

TEST(UxFFTTest, LowPassKeepsLowBinsAndRemovesHighOnes)
{
    UxFFT fft;
    ASSERT_TRUE(fft.setSize(2048));
    EXPECT_FALSE(fft.setSize(1000));
    ASSERT_TRUE(fft.setSize(2048));
    const double pi = std::acos(-1.0);
    Block low, mixed;
    for (int32_t f = 0; f < kFrames; ++f) {
        double l = 9000 * std::sin(2 * pi * 100 * f / kFrames);
        double h = 9000 * std::cos(2 * pi * 700 * f / kFrames);
        low.samples[size_t(2 * f)] = static_cast<int16_t>(l);
        mixed.samples[size_t(2 * f)] = static_cast<int16_t>(l + h);
        mixed.samples[size_t(2 * f + 1)] = static_cast<int16_t>(h);
    }
    Block expected = low;
    fft.lowPass(low.block);
    fft.lowPass(mixed.block);
    for (int32_t f = 0; f < kFrames; ++f) {
        ASSERT_NEAR(low.samples[size_t(2 * f)], expected.samples[size_t(2 * f)], 1) << f;
        ASSERT_NEAR(mixed.samples[size_t(2 * f)], expected.samples[size_t(2 * f)], 2) << f;
        ASSERT_NEAR(mixed.samples[size_t(2 * f + 1)], 0, 1) << f;
    }
}

TEST(UxFFTTest, PackedSpectrumHoldsDcNyquistAndBins)
{
    UxFFT fft;
    ASSERT_TRUE(fft.setSize(8));
    double values[8] = { 1, 2, 3, 4, 5, 6, 7, 8 };
    fft.forward(values);
    EXPECT_NEAR(values[0], 36, 1e-9); // DC
    EXPECT_NEAR(values[1], -4, 1e-9); // half the sample rate
    EXPECT_NEAR(values[4], -4, 1e-9); // bin 2
    EXPECT_NEAR(values[5], 4, 1e-9);
    fft.inverse(values);
    for (int i = 0; i < 8; ++i)
        EXPECT_NEAR(values[i] * 2 / 8, i + 1, 1e-9);
}
