#pragma once

#include <cstdint>
#include <vector>

#include "foundation/FCGeometry.h"
#include "foundation/LumivexApi.h"

// The geometry of the stepped transitions: which parts of the new picture a
// wipe shows at each step, and how a sliding layer's rectangles move.

// Wipes 10..23: the normalised parts redrawn at step 1..7, held to the area;
// step 8 gives the whole area. Other effects give no parts.
LUMIVEX_API void wipeParts(int32_t effect, const FCRect& area, int32_t step, std::vector<FCRect>& parts);

// Slide-ins 30..37 at step 1..8: the display and source rectangles the layer
// shows at that step (step 8 gives back display and source unchanged).
LUMIVEX_API void slideInStep(int32_t effect, const FCRect& display, const FCRect& source, int32_t step,
    FCRect& shownDisplay, FCRect& shownSource);
