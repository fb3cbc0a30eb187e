#include <cstddef>
#include <cstdint>
#include <vector>

#include "sound/SoundKernels.h"

// One IMA ADPCM block of any length: the first byte picks the channels and
// the frame limit; the output is sized exactly for what the block may give.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    int32_t channels = (data[0] & 1) + 1;
    int32_t maxFrames = (data[0] >> 1) * 64 + 1;
    uint32_t bytes = uint32_t(size - 1);
    int32_t frames = soundkernels::imaFramesInBlock(bytes, channels);
    std::vector<int16_t> out(size_t(frames < maxFrames ? frames : maxFrames) * size_t(channels));
    // A copy of exactly the block's bytes, so a read past it is caught.
    std::vector<uint8_t> block(data + 1, data + size);
    soundkernels::decodeImaWaveBlock(block.data(), bytes, channels, maxFrames, out.data());
    return 0;
}
