#pragma once

#include <algorithm>
#include <cstdint>

#include "foundation/FCGeometry.h"

namespace surface {

// How the last tile of a row or a column is drawn.
enum class TileEdge {
    Cut, // cut to the area
    Whole, // drawn whole, reaching past the area
};

// Lays tiles of w x h from the area's top left over the area and calls
// draw(x, y, tileWidth, tileHeight) for each one that reaches the visible
// box, row by row: tiles wholly before the box are skipped and the walk stops
// past it, so an area of billions of tiles costs only the ones that show.
template <typename Draw>
void forEachVisibleTile(const FCRect& area, int32_t w, int32_t h, const FCRect& visible, TileEdge edge, Draw draw)
{
    const int64_t aw = int64_t(area.right) - area.left, ah = int64_t(area.bottom) - area.top;
    if (w < 1 || h < 1 || aw < 1 || ah < 1)
        return;
    const int64_t cols = (aw + w - 1) / w, rows = (ah + h - 1) / h;
    // Tiles ending at or before the box's left (top) edge.
    const int64_t c0 = std::clamp<int64_t>((int64_t(visible.left) - area.left) / w, 0, cols);
    const int64_t r0 = std::clamp<int64_t>((int64_t(visible.top) - area.top) / h, 0, rows);
    for (int64_t r = r0; r < rows; ++r) {
        const int64_t y = area.top + int64_t(h) * r;
        if (y >= visible.bottom)
            break;
        const int64_t th = edge == TileEdge::Cut ? std::min<int64_t>(h, ah - int64_t(h) * r) : h;
        for (int64_t c = c0; c < cols; ++c) {
            const int64_t x = area.left + int64_t(w) * c;
            if (x >= visible.right)
                break;
            const int64_t tw = edge == TileEdge::Cut ? std::min<int64_t>(w, aw - int64_t(w) * c) : w;
            draw(x, y, tw, th);
        }
    }
}

} // namespace surface
