#include "sound/FCWaveDevice.h"

FCWaveDevice::FCWaveDevice(int32_t value1, int32_t value2, int32_t value3)
    : values { value1, value2, value3 }
{
}

FCWaveDevice::~FCWaveDevice() = default;

void FCWaveDevice::stopAll()
{
}
