#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"
#include "sound/SoundBlock.h"

// The integer kernels of the wave device: adding channel blocks into the
// mix accumulator, turning the accumulator into an output buffer, the
// volume curve, fade steps and the echo. No allocation, no floating point.
namespace wavemixer {

constexpr int32_t kFrames = SoundBlock::kFrames;
constexpr int32_t kSamples = 2 * kFrames; // one output buffer, interleaved
constexpr int32_t kUnity = 256;
// Blocks of decoded history kept for the echo, newest first.
constexpr int32_t kHistoryBlocks = 10;

// The gain for a requested volume (clamped to 0..256): an S-shaped curve.
LUMIVEX_API int32_t volumeCurve(int32_t volume);

// Adds a block (at most one output buffer of it) into the accumulator with
// gains 0..256. False when nothing was added: a silent block or zero gains.
LUMIVEX_API bool addBlock(int32_t* accumulator, const SoundBlock& block, int32_t gainL, int32_t gainR);

// Writes the accumulator as 16-bit samples. Silence when muted or nothing
// contributed; one channel is stored as is (its gains keep it in range);
// two or more are clamped to -32768..32767.
LUMIVEX_API void writeOutput(const int32_t* accumulator, int16_t* out, int32_t contributors, bool mute);

// The gain after `step` of `steps` fade steps (the last step lands on `to`).
LUMIVEX_API int32_t fadeGain(int32_t from, int32_t to, int32_t step, int32_t steps);

// The largest number of further echo taps that still read within the history
// for that delay (in frames); -1 when even the first tap reaches past it.
LUMIVEX_API int32_t echoRepeatsWithinHistory(int32_t delay);

// Adds the echo of the history into a freshly decoded block. history[0] is
// that block's own copy, history[k] the block decoded k blocks before; null
// or silent history blocks add nothing. Taps that would read past the
// history are left out; only the block's used frames are written.
LUMIVEX_API void applyEcho(SoundBlock& block, const SoundBlock* const* history, int32_t historyCount, int32_t delay,
    int32_t level, int32_t repeats);

} // namespace wavemixer
