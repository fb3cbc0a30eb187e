#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

// Clips a copy of a w x h rectangle from (sx, sy) of a source to (dx, dy) of a
// destination, both given by their (absolute) sizes. Every value is changed in
// place; false when nothing is left. The order of the steps is what earlier
// releases did, so a negative point moves its partner by the same amount.
// Values that would overflow are clipped as if computed without limit.
LUMIVEX_API bool clipRects(int32_t srcWidth, int32_t srcHeight, int32_t dstWidth, int32_t dstHeight, int32_t& dx,
    int32_t& dy, int32_t& sx, int32_t& sy, int32_t& w, int32_t& h);
