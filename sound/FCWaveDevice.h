#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

// The wave output device with its mixer and 64 channels. For now it holds
// only the three values it is constructed with; output arrives with the
// sound work, which appends its members after these.
class LUMIVEX_API FCWaveDevice {
public:
    FCWaveDevice(int32_t value1, int32_t value2, int32_t value3);
    FCWaveDevice(const FCWaveDevice&) = delete;
    FCWaveDevice& operator=(const FCWaveDevice&) = delete;
    virtual ~FCWaveDevice();

    // Stops every channel.
    virtual void stopAll();

    int32_t values[3];
};
