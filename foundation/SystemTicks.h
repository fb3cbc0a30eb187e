#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

// Milliseconds since the system started, wrapping at 2^32 (GetTickCount on
// Windows); seeds for random sources.
LUMIVEX_API uint32_t systemTickCount();
