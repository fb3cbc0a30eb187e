#include <cstddef>
#include <cstdint>

#include "tests/sound/SoundFuzz.h"

// Ogg Vorbis files: any input ends cleanly, within bounds.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzDecoder(FCWaveDecoder::kVorbis, data, size, "fuzz.ogg");
    return 0;
}
