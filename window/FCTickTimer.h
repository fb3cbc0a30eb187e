#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

// Millisecond pacing on the multimedia timer clock. A paced loop calls
// waitUntil once a step, so each step lasts at least the interval, counted
// from the end of the previous wait.
class LUMIVEX_API FCTickTimer {
public:
    FCTickTimer();
    virtual ~FCTickTimer();

    // Milliseconds since the last stored tick (0 if the clock went back);
    // stores now.
    uint32_t elapsed();
    // Sleeps what is left of the interval since the last stored tick.
    void waitUntil(uint32_t interval);
    // Waits on the handle for what is left of the interval (0 when that is
    // past) and returns the wait's result; without a handle, waitUntil and
    // 258 (timed out).
    uint32_t waitOn(uint32_t interval, void* waitHandle);

    uint32_t start;
    uint32_t last;
};
