#include "layer/LayerCompositing.h"

#include <algorithm>

#include "surface/PixelBlend.h"

namespace LayerCompositing {

bool isEmpty(const FCRect& rect)
{
    return rect.right <= rect.left || rect.bottom <= rect.top;
}

FCRect intersection(const FCRect& a, const FCRect& b)
{
    FCRect result(
        std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom));
    if (isEmpty(result))
        return FCRect();
    return result;
}

FCRect unite(const FCRect& a, const FCRect& b)
{
    if (isEmpty(a))
        return isEmpty(b) ? FCRect() : b;
    if (isEmpty(b))
        return a;
    return FCRect(
        std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom));
}

bool overlaps(const FCRect& a, const FCRect& b)
{
    return !isEmpty(intersection(a, b));
}

bool contains(const FCRect& outer, const FCRect& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right
        && inner.bottom <= outer.bottom;
}

void addDirty(DirtyRects set, const FCRect& rect)
{
    if (set.flags & DirtyRects::kEverything)
        return;
    FCRect merged = isEmpty(set.clip) ? rect : intersection(rect, set.clip);
    if (isEmpty(merged))
        return;
    set.bounds = unite(set.bounds, merged);
    // Merging can make the rectangle overlap one it missed before, so scan
    // again until a whole pass merges nothing.
    bool mergedAny = true;
    while (mergedAny) {
        mergedAny = false;
        auto* node = set.list.head();
        for (int32_t i = 0; i < set.list.count; ++i, node = node->next) {
            if (overlaps(*node->item, merged)) {
                merged = unite(merged, *node->item);
                set.list.removeNode(node, true);
                mergedAny = true;
                break;
            }
        }
    }
    if (!isEmpty(set.clip) && contains(merged, set.clip)) {
        set.list.clear();
        set.list.addTail(new FCRect(set.clip), 1);
        set.flags |= DirtyRects::kEverything;
        return;
    }
    set.list.addTail(new FCRect(merged), 1);
}

void clearDirty(DirtyRects set)
{
    set.list.clear();
    set.bounds = FCRect();
    set.flags = 0;
}

bool coversViewport(const BaseCandidate& layer, int32_t width, int32_t height)
{
    return layer.shown && layer.level == kMaxLevel && layer.colourKey == kNoColourKey && !layer.alphaInUse
        && layer.maskIndex < 0 && contains(layer.display, FCRect(0, 0, width, height));
}

int32_t chooseBaseLayer(const BaseCandidate* ascending, size_t count, int32_t width, int32_t height)
{
    for (size_t i = count; i-- > 0;) {
        if (coversViewport(ascending[i], width, height))
            return ascending[i].number;
    }
    return -1;
}

namespace {

// Wraps a position into 0 <= value < size (size above 0).
int32_t wrapInto(int64_t value, int32_t size)
{
    int64_t wrapped = value % size;
    return static_cast<int32_t>(wrapped < 0 ? wrapped + size : wrapped);
}

// Adds the piece showing image area (sx, sy)-(sx + w, sy + h) at (x, y),
// clipped to `clip` and to the image.
void addPiece(DrawPiece* pieces, int32_t& count, const FCRect& clip, int64_t x, int64_t y, int64_t sx, int64_t sy,
    int64_t w, int64_t h, int32_t imageWidth, int32_t imageHeight)
{
    // Image bounds first, in source space, then the clip in viewport space.
    int64_t left = std::max<int64_t>(0, sx), top = std::max<int64_t>(0, sy);
    int64_t right = std::min<int64_t>(imageWidth, sx + w), bottom = std::min<int64_t>(imageHeight, sy + h);
    if (right <= left || bottom <= top)
        return;
    int64_t tx = x + (left - sx), ty = y + (top - sy);
    int64_t cl = std::max<int64_t>(tx, clip.left), ct = std::max<int64_t>(ty, clip.top);
    int64_t cr = std::min<int64_t>(tx + (right - left), clip.right);
    int64_t cb = std::min<int64_t>(ty + (bottom - top), clip.bottom);
    if (cr <= cl || cb <= ct)
        return;
    DrawPiece& piece = pieces[count++];
    piece.target = FCRect(
        static_cast<int32_t>(cl), static_cast<int32_t>(ct), static_cast<int32_t>(cr), static_cast<int32_t>(cb));
    piece.sourceX = static_cast<int32_t>(left + (cl - tx));
    piece.sourceY = static_cast<int32_t>(top + (ct - ty));
}

} // namespace

int32_t layerPieces(const FCRect& clip, const FCRect& display, const FCRect& source, int32_t imageWidth,
    int32_t imageHeight, int32_t tileWidth, int32_t tileHeight, uint32_t wrapFlags, DrawPiece pieces[4])
{
    int32_t count = 0;
    FCRect area = intersection(clip, display);
    if (isEmpty(area) || imageWidth < 1 || imageHeight < 1)
        return 0;
    const int64_t w = static_cast<int64_t>(display.right) - display.left;
    const int64_t h = static_cast<int64_t>(display.bottom) - display.top;
    const bool wrapX = (wrapFlags & kWrapHorizontal) && tileWidth > 0;
    const bool wrapY = (wrapFlags & kWrapVertical) && tileHeight > 0;
    if (!wrapX && !wrapY) {
        addPiece(
            pieces, count, area, display.left, display.top, source.left, source.top, w, h, imageWidth, imageHeight);
        return count;
    }
    // Beyond the wrap point the image starts again from 0; a display wider
    // than a tile shows only the first repeat (the tile is the layer's size).
    const int64_t sx = wrapX ? wrapInto(source.left, tileWidth) : source.left;
    const int64_t sy = wrapY ? wrapInto(source.top, tileHeight) : source.top;
    const int64_t firstW = wrapX ? std::min<int64_t>(w, tileWidth - sx) : w;
    const int64_t firstH = wrapY ? std::min<int64_t>(h, tileHeight - sy) : h;
    const int64_t restW = std::min<int64_t>(w - firstW, wrapX ? tileWidth : 0);
    const int64_t restH = std::min<int64_t>(h - firstH, wrapY ? tileHeight : 0);
    addPiece(pieces, count, area, display.left, display.top, sx, sy, firstW, firstH, imageWidth, imageHeight);
    if (restW > 0)
        addPiece(
            pieces, count, area, display.left + firstW, display.top, 0, sy, restW, firstH, imageWidth, imageHeight);
    if (restH > 0)
        addPiece(
            pieces, count, area, display.left, display.top + firstH, sx, 0, firstW, restH, imageWidth, imageHeight);
    if (restW > 0 && restH > 0)
        addPiece(pieces, count, area, display.left + firstW, display.top + firstH, 0, 0, restW, restH, imageWidth,
            imageHeight);
    return count;
}

Placement placeNewLayer(
    const NewLayer& layer, int32_t viewportWidth, int32_t viewportHeight, const FCRect& previousDisplay)
{
    int32_t x = layer.displayX, y = layer.displayY;
    if (layer.flags & kCreateCentreX)
        x = static_cast<int32_t>((static_cast<int64_t>(viewportWidth) - layer.tileWidth) / 2);
    if (layer.flags & kCreateCentreY)
        y = static_cast<int32_t>((static_cast<int64_t>(viewportHeight) - layer.tileHeight) / 2);
    int32_t width = layer.displayWidth >= 1 ? layer.displayWidth : previousDisplay.width();
    int32_t height = layer.displayHeight >= 1 ? layer.displayHeight : previousDisplay.height();
    Placement placement;
    placement.display = FCRect(x, y, x + width, y + height);
    placement.source = FCRect(layer.sourceX, layer.sourceY, layer.sourceX + width, layer.sourceY + height);
    placement.priority = layer.priority < 0 ? layer.number : layer.priority;
    return placement;
}

std::vector<int32_t> fadeLevels(int32_t from, int32_t to, int32_t step)
{
    std::vector<int32_t> levels;
    if (from < 0 || from > kMaxLevel || to < 0 || to > kMaxLevel || step < 1)
        return levels;
    const int32_t direction = from < to ? 1 : -1;
    for (int32_t level = from; level != to && (level - to) * direction < 0; level += direction * step)
        levels.push_back(level);
    levels.push_back(to);
    return levels;
}

void blendKeyed(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, const uint8_t* alpha,
    ptrdiff_t alphaStride, int32_t w, int32_t h, int32_t level, uint32_t key)
{
    const uint8_t keyBlue = static_cast<uint8_t>(key >> 16), keyGreen = static_cast<uint8_t>(key >> 8),
                  keyRed = static_cast<uint8_t>(key);
    const int opacity = PixelBlend::levelOpacity(level);
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* s = src + y * srcStride;
        uint8_t* d = dst + y * dstStride;
        const uint8_t* a = alpha ? alpha + y * alphaStride : nullptr;
        // Runs of drawn pixels go through the blend kernels whole.
        int32_t x = 0;
        while (x < w) {
            while (x < w && s[x * 4] == keyBlue && s[x * 4 + 1] == keyGreen && s[x * 4 + 2] == keyRed)
                ++x;
            int32_t start = x;
            while (x < w && !(s[x * 4] == keyBlue && s[x * 4 + 1] == keyGreen && s[x * 4 + 2] == keyRed))
                ++x;
            if (x == start)
                continue;
            if (a)
                PixelBlend::blendAlpha(
                    d + start * 4, dstStride, s + start * 4, srcStride, a + start, alphaStride, x - start, 1, opacity);
            else
                PixelBlend::blendConstant(d + start * 4, dstStride, s + start * 4, srcStride, x - start, 1, level);
        }
    }
}

void drawLayer(const Plane& destination, const FCRect& clip, const LayerDraw& layer)
{
    if (!destination.top || !layer.image.top)
        return;
    const FCRect area = intersection(clip, FCRect(0, 0, destination.width, destination.height));
    DrawPiece pieces[4];
    const int32_t count = layerPieces(area, layer.display, layer.source, layer.image.width, layer.image.height,
        layer.tileWidth, layer.tileHeight, layer.wrapFlags, pieces);
    for (int32_t i = 0; i < count; ++i) {
        FCRect target = pieces[i].target;
        if (layer.mask.top) {
            // The mask may be smaller than the picture: nothing shows beyond it.
            target = intersection(target, FCRect(0, 0, layer.mask.width, layer.mask.height));
            if (isEmpty(target))
                continue;
        }
        const int32_t x = target.left, y = target.top, w = target.width(), h = target.height();
        const int32_t sx = pieces[i].sourceX + (x - pieces[i].target.left);
        const int32_t sy = pieces[i].sourceY + (y - pieces[i].target.top);
        uint8_t* dst = destination.at(x, y, 4);
        const uint8_t* src = layer.image.at(sx, sy, 4);
        const uint8_t* alpha = layer.alpha.top ? layer.alpha.at(sx, sy, 1) : nullptr;
        if (layer.mask.top) {
            PixelBlend::blendMask(dst, destination.stride, src, layer.image.stride, alpha, layer.alpha.stride,
                layer.mask.at(x, y, 1), layer.mask.stride, w, h, layer.level);
        } else if (layer.colourKey != kNoColourKey) {
            blendKeyed(dst, destination.stride, src, layer.image.stride, alpha, layer.alpha.stride, w, h, layer.level,
                static_cast<uint32_t>(layer.colourKey));
        } else {
            PixelBlend::blendMask(dst, destination.stride, src, layer.image.stride, alpha, layer.alpha.stride, nullptr,
                0, w, h, layer.level);
        }
    }
}

} // namespace LayerCompositing
