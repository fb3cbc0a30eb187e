#include <chrono>

#include "foundation/SystemTicks.h"

uint32_t systemTickCount()
{
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}
