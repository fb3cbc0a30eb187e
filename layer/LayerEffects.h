#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/FCGeometry.h"
#include "foundation/LumivexApi.h"

// The timed layer effects 26..29 and 60..63: a layer drawn through a
// transformation for the effect's duration.

// How a layer is drawn while an effect runs. The effect sets it into the
// layer's transformation pointer and clears the pointer when it ends.
struct LayerTransform {
    int32_t effect; // 26..29, 60..63
    double angleDegrees; // rotation about the centre of the display rectangle
    int32_t scalePercent; // 100 = natural size
    int32_t level; // 0..16, the opacity the frame is drawn with
    int32_t revealPercent; // 0..100 for the reveal-style effects, 100 otherwise
};

// The rectangle of the viewport a transformed layer can touch: it covers
// every pixel drawTransformed writes.
LUMIVEX_API FCRect transformedExtent(const FCRect& display, const LayerTransform& transform);

// Draws the layer's 24-bit image (four bytes a pixel, blue, green, red and a
// fourth; alpha one byte a pixel, or null) transformed into the destination,
// touching only `clip`, which lies inside the destination. With the identity
// transform the image's source rectangle lands on the display rectangle.
LUMIVEX_API void drawTransformed(uint8_t* dst, ptrdiff_t dstStride, const FCRect& clip, const uint8_t* src,
    ptrdiff_t srcStride, int32_t srcWidth, int32_t srcHeight, const uint8_t* alpha, ptrdiff_t alphaStride,
    const FCRect& display, const FCRect& source, const LayerTransform& transform);

// What running an effect needs from the viewport and the layer.
class LUMIVEX_API LayerEffectTarget {
public:
    virtual ~LayerEffectTarget() = default;
    // The layer's full area.
    virtual FCRect area() = 0;
    // Null: plain drawing again.
    virtual void setTransform(const LayerTransform* transform) = 0;
    // Composes the rectangle and presents it.
    virtual void updatePresent(const FCRect& rect) = 0;
    virtual void restartTimer() = 0;
    virtual void waitUntil(uint32_t milliseconds) = 0;
};

// Runs effect 26..29 or 60..63 at the viewport's transition speed; the
// three parameters are those the layer's presentation passes (10, 0 and 50
// for 60..63). Ends with the plain layer fully shown.
LUMIVEX_API void runLayerEffect(LayerEffectTarget& target, int32_t effect, int32_t speed, int32_t parameter1,
    int32_t parameter2, int32_t parameter3);
