#pragma once

#include <cstdint>

#include "foundation/FCGeometry.h"
#include "foundation/LumivexApi.h"

// Values that move over time along an easing curve (layer/Easing.h):
// overlays' positions, sizes and opacity levels.
class LUMIVEX_API UxCalcData {
public:
    UxCalcData() = default;
    virtual ~UxCalcData();
    // Sets the current value for `elapsed` milliseconds since the start; a
    // curve below 0 means the stored one.
    virtual void calc(uint32_t elapsed, int32_t curve) = 0;

    uint32_t duration = 0; // milliseconds
    int32_t curve = 0;

protected:
    int32_t curveFor(int32_t requested) const { return requested < 0 ? curve : requested; }
};

class LUMIVEX_API UxIntData : public UxCalcData {
public:
    // Holds v for good: start and end v, no duration, linear.
    void setConstant(int32_t v);
    void calc(uint32_t elapsed, int32_t curve) override;

    int32_t current = 0;
    int32_t start = 0;
    int32_t end = 0;
};

// A moving picture: where it is shown and which part of it, each moving
// from a start to an end rectangle.
class LUMIVEX_API UxAreaData : public UxCalcData {
public:
    // The source part (sourceX, sourceY, width, height) shown at
    // (destinationX, destinationY) at destinationWidth x destinationHeight;
    // a destination size below 1 takes the source's. Start, current and end
    // are the same; the recorded rectangles are empty; duration, curve and
    // state 0.
    void setUp(int32_t x, int32_t y, int32_t sourceX, int32_t sourceY, int32_t width, int32_t height,
        int32_t destinationX, int32_t destinationY, int32_t destinationWidth, int32_t destinationHeight);
    // Each area moves only while neither its start nor its end rectangle is
    // empty. The source's current rectangle before the change is kept in
    // previousSource, so both positions can be redrawn.
    void calc(uint32_t elapsed, int32_t curve) override;

    FCRect destination;
    FCRect destinationStart;
    FCRect destinationEnd;
    FCRect source;
    FCRect sourceStart;
    FCRect sourceEnd;
    FCRect lastDrawnDestination;
    FCRect lastDrawnSource;
    FCRect previousSource;
    int32_t anchorX = 0;
    int32_t anchorY = 0;
    uint32_t state = 0;
};
