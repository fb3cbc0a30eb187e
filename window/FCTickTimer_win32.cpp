#include "window/FCTickTimer.h"

#include <windows.h>

#include <mmsystem.h>

FCTickTimer::FCTickTimer()
    : start(timeGetTime())
    , last(start)
{
}

FCTickTimer::~FCTickTimer() = default;

uint32_t FCTickTimer::elapsed()
{
    uint32_t now = timeGetTime();
    // A difference above half the range can only be a clock that went back.
    uint32_t difference = now - last;
    if (difference > 0x80000000u)
        difference = 0;
    start = now;
    last = now;
    return difference;
}

void FCTickTimer::waitUntil(uint32_t interval)
{
    uint32_t passed = elapsed();
    if (passed < interval)
        Sleep(interval - passed);
    last = timeGetTime();
}

uint32_t FCTickTimer::waitOn(uint32_t interval, void* waitHandle)
{
    if (!waitHandle) {
        waitUntil(interval);
        return WAIT_TIMEOUT;
    }
    uint32_t passed = elapsed();
    DWORD result = WaitForSingleObject(waitHandle, passed < interval ? interval - passed : 0);
    last = timeGetTime();
    return result;
}
