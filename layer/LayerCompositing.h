#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/FCGeometry.h"
#include "foundation/FCXList.h"
#include "foundation/LumivexApi.h"

// The arithmetic of the layer viewport that needs no window: the dirty-set
// merge, the choice of the base layer, where each piece of a layer lands,
// and where a new layer goes. The viewport calls these under its locks.
namespace LayerCompositing {

enum : int32_t { kLayerCount = 224, kNoColourKey = -2, kKeyFromTopLeft = -1, kMaxLevel = 16 };

// Rectangles are half-open: right and bottom are outside. Anything with
// right <= left or bottom <= top is empty.
LUMIVEX_API bool isEmpty(const FCRect& rect);
LUMIVEX_API FCRect intersection(const FCRect& a, const FCRect& b);
// The smallest rectangle holding both; an empty one does not count.
LUMIVEX_API FCRect unite(const FCRect& a, const FCRect& b);
// A non-empty intersection; touching edges do not overlap.
LUMIVEX_API bool overlaps(const FCRect& a, const FCRect& b);
LUMIVEX_API bool contains(const FCRect& outer, const FCRect& inner);

// The dirty set's state without its lock (the Windows side holds the lock).
struct DirtyRects {
    enum : uint32_t { kEverything = 0x1 };
    uint32_t& flags;
    const FCRect& clip;
    FCXList<FCRect>& list;
    FCRect& bounds;
};
// Adds a rectangle: clipped, merged with every listed rectangle it overlaps
// until none does, and once it covers the clip rectangle the list becomes
// that one rectangle with everything dirty.
LUMIVEX_API void addDirty(DirtyRects set, const FCRect& rect);
LUMIVEX_API void clearDirty(DirtyRects set);

// What the base-layer search asks of one layer.
struct BaseCandidate {
    int32_t number;
    bool shown;
    int32_t level;
    int32_t colourKey;
    bool alphaInUse;
    int32_t maskIndex;
    FCRect display;
};
// Whether the layer hides everything under it over the whole viewport.
LUMIVEX_API bool coversViewport(const BaseCandidate& layer, int32_t width, int32_t height);
// The first layer from the top (the array is in ascending priority) that
// covers the viewport; its number, or -1.
LUMIVEX_API int32_t chooseBaseLayer(const BaseCandidate* ascending, size_t count, int32_t width, int32_t height);

// One blit of a layer: the viewport rectangle written and the image pixel
// that lands on its top left.
struct DrawPiece {
    FCRect target;
    int32_t sourceX;
    int32_t sourceY;
};
enum : uint32_t { kWrapHorizontal = 0x1, kWrapVertical = 0x2 };
// The pieces of a layer drawn into `clip`: the display rectangle shows the
// image from the source rectangle's top left, clipped to the image. With
// wrap bits the source position is first brought into the tile and the
// image repeats across the wrap point in that direction: up to four pieces,
// the part right of and below the wrap point first. Returns the count.
LUMIVEX_API int32_t layerPieces(const FCRect& clip, const FCRect& display, const FCRect& source, int32_t imageWidth,
    int32_t imageHeight, int32_t tileWidth, int32_t tileHeight, uint32_t wrapFlags, DrawPiece pieces[4]);

// Where createLayer puts a new layer.
struct NewLayer {
    int32_t number;
    int32_t tileWidth, tileHeight;
    int32_t displayX, displayY, displayWidth, displayHeight;
    int32_t sourceX, sourceY;
    int32_t priority;
    uint32_t flags;
};
enum : uint32_t {
    kCreatePassToImage = 0x01,
    kCreateNoMask = 0x02,
    kCreateCentreX = 0x20,
    kCreateCentreY = 0x40,
    kCreateTwentyFour = 0x80,
};
struct Placement {
    FCRect display;
    FCRect source;
    int32_t priority;
};
// Centring by the tile size, a negative priority replaced by the number,
// and a display width or height below 1 keeping the previous one.
LUMIVEX_API Placement placeNewLayer(
    const NewLayer& layer, int32_t viewportWidth, int32_t viewportHeight, const FCRect& previousDisplay);

// The levels a fade sets, in order: from `from` towards `to` by `step`,
// always ending on `to`. Empty for levels outside 0..16 or a step below 1.
LUMIVEX_API std::vector<int32_t> fadeLevels(int32_t from, int32_t to, int32_t step);

// Blends a 24-bit rectangle at a level, leaving pixels whose colour is the
// key (0x00BBGGRR) untouched; alpha (null: none) weighs the others. Rows run
// top-down with the given strides.
LUMIVEX_API void blendKeyed(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride,
    const uint8_t* alpha, ptrdiff_t alphaStride, int32_t w, int32_t h, int32_t level, uint32_t key);

// A picture as the drawing reads or writes it: the top row's first byte and
// the step to the row below (negative for bottom-up surfaces).
struct Plane {
    uint8_t* top;
    ptrdiff_t stride;
    int32_t width;
    int32_t height;
    uint8_t* at(int32_t x, int32_t y, int32_t bytes) const { return top + y * stride + x * bytes; }
};
// How one layer is drawn: its image (alpha and mask planes may have a null
// top), where it shows, and how.
struct LayerDraw {
    Plane image;
    Plane alpha;
    Plane mask; // read at the destination's coordinates
    FCRect display;
    FCRect source;
    int32_t tileWidth, tileHeight;
    uint32_t wrapFlags;
    int32_t level;
    int32_t colourKey;
};
// Draws the layer into the destination inside `clip` (clipped to the
// destination too): keyed pixels skipped, the rest through the blend
// kernels at the level, with the mask when there is one.
LUMIVEX_API void drawLayer(const Plane& destination, const FCRect& clip, const LayerDraw& layer);

} // namespace LayerCompositing
