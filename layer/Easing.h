#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

// The easing curves behind every timed move, resize and fade: how much of a
// change `delta` has happened `elapsed` milliseconds into `duration`.
// Curve 1 accelerates (squares), 2 decelerates (square root), 3 is
// logarithmic, anything else linear. The result has the sign of delta, lies
// between 0 and delta, and is exactly delta once elapsed reaches duration
// (compared unsigned).
LUMIVEX_API int32_t ease(int32_t curve, int32_t delta, uint32_t elapsed, uint32_t duration);
