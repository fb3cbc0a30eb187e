#include <cstddef>
#include <cstdint>

#include "tests/sound/SoundFuzz.h"

// MP3 files: any input ends cleanly, within bounds.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzDecoder(FCWaveDecoder::kMp3, data, size, "fuzz.mp3");
    return 0;
}
