#pragma once

#include <windows.h>

#include <cstdint>

#include "foundation/FCGeometry.h"
#include "surface/FCDCHolder.h"

namespace surface {

// The part of a device context that drawing can change: its clip box, or
// everything when it has none.
inline FCRect visibleBox(const FCDCHolder& holder)
{
    RECT clip;
    if (GetClipBox(static_cast<HDC>(holder.dc), &clip) != ERROR)
        return FCRect(clip.left, clip.top, clip.right, clip.bottom);
    return FCRect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
}

} // namespace surface
