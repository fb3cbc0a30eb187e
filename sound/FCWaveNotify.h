#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

// What a wave channel tells an interested object: once per output block
// whether it added sound, and its end. Scenario modules and the layer
// viewport derive from it, so the five slots keep their order.
class LUMIVEX_API FCWaveNotify {
public:
    FCWaveNotify() = default;
    FCWaveNotify(const FCWaveNotify&) = delete;
    FCWaveNotify& operator=(const FCWaveNotify&) = delete;
    virtual ~FCWaveNotify();

    // A block of the channel was mixed but added nothing.
    virtual void onBlockSilent(int32_t value);
    // A block of the channel added sound to the output.
    virtual void onBlockMixed(int32_t value);
    // The channel was stopped: by a caller, or by running out of sound.
    virtual void onStopped(bool byRequest);
    // The channel whose second target this is was stopped.
    virtual void onFinished(int32_t value);
};
