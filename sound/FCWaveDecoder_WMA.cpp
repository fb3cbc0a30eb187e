#include "sound/FCWaveDecoder_WMA.h"

FCWaveDecoder_WMA::~FCWaveDecoder_WMA() = default;

bool FCWaveDecoder_WMA::open(const char*, int32_t)
{
    return false;
}

void FCWaveDecoder_WMA::rewind()
{
}

bool FCWaveDecoder_WMA::decode(SoundBlock*)
{
    return false;
}
