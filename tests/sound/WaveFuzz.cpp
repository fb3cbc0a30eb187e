#include <cstddef>
#include <cstdint>

#include "tests/sound/SoundFuzz.h"

// RIFF/WAVE PCM and IMA ADPCM files, through both decoders: any input ends cleanly, within bounds.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzDecoder(FCWaveDecoder::kPcm, data, size, "fuzz.wav");
    fuzzDecoder(FCWaveDecoder::kAdpcm, data, size, "fuzz.wav");
    return 0;
}
