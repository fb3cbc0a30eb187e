#include <windows.h>

#include "foundation/SystemTicks.h"

uint32_t systemTickCount()
{
    return GetTickCount();
}
