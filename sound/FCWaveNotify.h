#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

// What a wave channel tells an interested object about its blocks and its
// end. Scenario modules and the layer viewport derive from it, so the five
// slots keep their order.
class LUMIVEX_API FCWaveNotify {
public:
    virtual ~FCWaveNotify() = default;
    virtual void onBlockSilent(int32_t) { }
    virtual void onBlockMixed(int32_t) { }
    virtual void onStopped(bool) { }
    virtual void onFinished(int32_t) { }
};
