#include <cstddef>
#include <cstdint>

#include "tests/sound/SoundFuzz.h"

// Files of the engine's own packet format: any input ends cleanly, within bounds.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzDecoder(FCWaveDecoder::kV, data, size, "fuzz.bin");
    return 0;
}
