#include "sound/WaveMixer.h"

namespace wavemixer {

namespace {

// Slow at both ends, 130 at the midpoint.
const uint16_t kVolumeCurve[257] = { 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 6, 6, 6, 7, 7, 8,
    9, 9, 10, 10, 11, 11, 12, 13, 13, 14, 15, 16, 16, 17, 18, 19, 20, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31,
    32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 43, 44, 45, 46, 47, 49, 50, 51, 52, 54, 55, 56, 57, 59, 60, 61, 63, 64, 65,
    67, 68, 70, 71, 72, 74, 75, 77, 78, 80, 81, 82, 84, 85, 87, 88, 90, 91, 93, 94, 96, 97, 99, 100, 102, 104, 105, 107,
    108, 110, 111, 113, 114, 116, 118, 119, 121, 122, 124, 125, 127, 129, 130, 132, 133, 135, 136, 138, 139, 141, 143,
    144, 146, 147, 149, 150, 152, 153, 155, 157, 158, 160, 161, 163, 164, 166, 167, 169, 170, 172, 173, 175, 176, 177,
    179, 180, 182, 183, 185, 186, 187, 189, 190, 192, 193, 194, 196, 197, 198, 200, 201, 202, 203, 205, 206, 207, 208,
    210, 211, 212, 213, 214, 216, 217, 218, 219, 220, 221, 222, 223, 224, 225, 226, 227, 228, 229, 230, 231, 232, 233,
    234, 235, 236, 237, 237, 238, 239, 240, 241, 241, 242, 243, 244, 244, 245, 246, 246, 247, 247, 248, 248, 249, 250,
    250, 251, 251, 251, 252, 252, 253, 253, 253, 254, 254, 254, 255, 255, 255, 255, 256, 256, 256, 256, 256, 256, 256,
    256, 256, 256, 256, 256 };

int32_t clamp16(int32_t value)
{
    return value < -32768 ? -32768 : value > 32767 ? 32767 : value;
}

int32_t samplesOf(const SoundBlock& block)
{
    int32_t bytes = block.used < block.capacity ? block.used : block.capacity;
    if (bytes < 0)
        return 0;
    int32_t samples = (bytes / 4) * 2;
    return samples < kSamples ? samples : kSamples;
}

} // namespace

int32_t volumeCurve(int32_t volume)
{
    return kVolumeCurve[volume < 0 ? 0 : volume > 256 ? 256 : volume];
}

bool addBlock(int32_t* accumulator, const SoundBlock& block, int32_t gainL, int32_t gainR)
{
    if ((block.flags & SoundBlock::kSilent) || gainL + gainR == 0 || !block.data)
        return false;
    const int16_t* in = block.data;
    const int32_t samples = samplesOf(block);
    int32_t i = 0;
    if (gainL + gainR == 2 * kUnity) {
        for (; i + 8 <= samples; i += 8) {
            accumulator[i] += in[i];
            accumulator[i + 1] += in[i + 1];
            accumulator[i + 2] += in[i + 2];
            accumulator[i + 3] += in[i + 3];
            accumulator[i + 4] += in[i + 4];
            accumulator[i + 5] += in[i + 5];
            accumulator[i + 6] += in[i + 6];
            accumulator[i + 7] += in[i + 7];
        }
        for (; i < samples; ++i)
            accumulator[i] += in[i];
        return true;
    }
    // Arithmetic shifts: the product rounds towards minus infinity.
    for (; i + 8 <= samples; i += 8) {
        accumulator[i] += (in[i] * gainL) >> 8;
        accumulator[i + 1] += (in[i + 1] * gainR) >> 8;
        accumulator[i + 2] += (in[i + 2] * gainL) >> 8;
        accumulator[i + 3] += (in[i + 3] * gainR) >> 8;
        accumulator[i + 4] += (in[i + 4] * gainL) >> 8;
        accumulator[i + 5] += (in[i + 5] * gainR) >> 8;
        accumulator[i + 6] += (in[i + 6] * gainL) >> 8;
        accumulator[i + 7] += (in[i + 7] * gainR) >> 8;
    }
    for (; i + 2 <= samples; i += 2) {
        accumulator[i] += (in[i] * gainL) >> 8;
        accumulator[i + 1] += (in[i + 1] * gainR) >> 8;
    }
    return true;
}

void writeOutput(const int32_t* accumulator, int16_t* out, int32_t contributors, bool mute)
{
    if (mute || contributors <= 0) {
        for (int32_t i = 0; i < kSamples; ++i)
            out[i] = 0;
    } else if (contributors == 1) {
        for (int32_t i = 0; i < kSamples; ++i)
            out[i] = static_cast<int16_t>(static_cast<uint16_t>(accumulator[i]));
    } else {
        for (int32_t i = 0; i < kSamples; ++i)
            out[i] = static_cast<int16_t>(clamp16(accumulator[i]));
    }
}

int32_t fadeGain(int32_t from, int32_t to, int32_t step, int32_t steps)
{
    if (steps <= 0 || step >= steps)
        return to;
    return (to - from) * step / steps + from;
}

int32_t echoRepeatsWithinHistory(int32_t delay)
{
    if (delay < 1)
        return kHistoryBlocks; // the zero-delay tap reads nothing
    // Tap i reads history block (delay + 2048 i - 1) / 2048 + 1.
    int32_t last = kHistoryBlocks - 1;
    int32_t first = (delay - 1) / kFrames + 1;
    return first > last ? -1 : last - first;
}

void applyEcho(SoundBlock& block, const SoundBlock* const* history, int32_t historyCount, int32_t delay, int32_t level,
    int32_t repeats)
{
    if (!block.data || delay < 0 || repeats < 0)
        return;
    const int32_t frames = samplesOf(block) / 2;
    int16_t* out = block.data;
    for (int32_t i = 0; i <= repeats && level > 0; ++i, level /= 2) {
        int64_t tapDelay = int64_t(delay) + int64_t(kFrames) * i;
        if (tapDelay < 1)
            continue;
        int64_t k = (tapDelay - 1) / kFrames + 1;
        if (k >= historyCount)
            break; // this and every later tap lie beyond the history
        int32_t r = static_cast<int32_t>(tapDelay % kFrames);
        if (r == 0)
            r = kFrames;
        // Frames 0..r-1 of the new block hear the end of block k; the rest
        // hear the start of block k-1.
        auto add = [&](const SoundBlock* source, int32_t sourceFrame, int32_t toFrame, int32_t count) {
            if (!source || !source->data || (source->flags & SoundBlock::kSilent))
                return;
            int32_t sourceFrames = samplesOf(*source) / 2;
            for (int32_t f = 0; f < count; ++f) {
                int32_t s = sourceFrame + f, t = toFrame + f;
                if (s < 0 || s >= sourceFrames || t >= frames)
                    continue;
                for (int side = 0; side < 2; ++side) {
                    int64_t v = out[2 * t + side] + ((int64_t(source->data[2 * s + side]) * level) >> 8);
                    out[2 * t + side] = static_cast<int16_t>(v < -32768 ? -32768 : v > 32767 ? 32767 : v);
                }
            }
        };
        add(history[k], kFrames - r, 0, r);
        if (r < kFrames)
            add(history[k - 1], 0, r, kFrames - r);
    }
}

} // namespace wavemixer
