#include "layer/FCLayerViewport.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "layer/LayerCompositing.h"
#include "layer/LayerEffects.h"
#include "layer/ScreenTransition.h"
#include "layer/TransitionGeometry.h"
#include "layer/WindowTransitionScreen_win32.h"
#include "scenario/FCOasys.h"
#include "scenario/FCWindowRequest.h"
#include "surface/FCVSurface.h"
#include "window/FCTickTimer.h"

using namespace LayerCompositing;

namespace {

HWND hwndOf(FCWindowHandle handle)
{
    return reinterpret_cast<HWND>(handle);
}

// Links are followed this deep at most, so a ring of links ends.
constexpr int32_t kMaxLinkDepth = 16;
// Layer images larger than this are refused rather than allocated.
constexpr int32_t kMaxImageSide = 16384;

int comparePriority(const FCLayerSurface* a, const FCLayerSurface* b)
{
    return a->priority < b->priority ? -1 : a->priority > b->priority ? 1 : 0;
}

Plane planeOf(const FCVSurface24& surface)
{
    return Plane { surface.topRow(), -static_cast<ptrdiff_t>(surface.stride()), surface.width(), surface.height() };
}

Plane planeOf(const FCVSurface& surface)
{
    return Plane { surface.topRow(), -static_cast<ptrdiff_t>(surface.stride()), surface.width(), surface.height() };
}

bool validLevel(int32_t level)
{
    return level >= 0 && level <= kMaxLevel;
}

} // namespace

// --- FCLayerSurface ---

FCLayerMask::FCLayerMask(FCVSurface* maskSurface, int32_t first, int32_t last)
    : surface(maskSurface)
    , firstLayer(first)
    , lastLayer(last)
{
}

FCLayerMask::~FCLayerMask()
{
    delete surface;
}

FCLayerSurface::FCLayerSurface()
    : owner(nullptr)
    , number(-1)
    , level(kMaxLevel)
    , tileWidth(0)
    , tileHeight(0)
    , zoom(100)
    , colourKey(kNoColourKey)
    , shown(0)
    , priority(0)
    , scroll()
    , clickItems()
    , flags(0)
    , alternateImage(nullptr)
    , transform(nullptr)
    , secondSource(nullptr)
    , maskIndex(-1)
{
}

FCLayerSurface::~FCLayerSurface() = default;

void FCLayerSurface::reset()
{
    FCLock hold(&layerLock);
    image.clear();
    links.clear();
    animationAreas.clear();
    owner = nullptr;
    number = -1;
    display = source = imageRect = lastDestination = lastSource = FCRect();
    level = kMaxLevel;
    tileWidth = tileHeight = 0;
    zoom = 100;
    colourKey = kNoColourKey;
    shown = 0;
    priority = 0;
    scroll = FCLayerScroll();
    std::memset(clickItems, 0, sizeof clickItems);
    flags = 0;
    alternateImage = nullptr;
    transform = nullptr;
    secondSource = nullptr;
    maskIndex = -1;
}

// --- FCViewport24 ---

FCViewport24::FCViewport24(FCWindowHandle parentWindow, int32_t x, int32_t y, int32_t width, int32_t height)
    : FCChildWindow(parentWindow, x, y, width, height)
    , backSurface(width, height)
    , paintSuppressed(0)
    , storedShowCommand(1)
{
}

FCViewport24::~FCViewport24() = default;

int32_t FCViewport24::kind() const
{
    return kKind;
}

uint32_t FCViewport24::classStyle()
{
    return CS_BYTEALIGNCLIENT;
}

const char* FCViewport24::className()
{
    return "FCViewport24";
}

const char* FCViewport24::windowTitle()
{
    return "FCViewport24";
}

uint32_t FCViewport24::style()
{
    return WS_CHILD;
}

int32_t FCViewport24::showCommand()
{
    return storedShowCommand;
}

void FCViewport24::onPaint(tagPAINTSTRUCT* paint)
{
    if (paintSuppressed || !paint)
        return;
    const RECT& area = paint->rcPaint;
    HDC source = static_cast<HDC>(backSurface.getDC());
    if (source)
        BitBlt(paint->hdc, area.left, area.top, area.right - area.left, area.bottom - area.top, source, area.left,
            area.top, SRCCOPY);
    backSurface.releaseDC();
}

FCLResult FCViewport24::onEraseBkgnd(FCWParam, FCLParam)
{
    // The back surface covers the whole client area.
    return 1;
}

int32_t FCViewport24::createAndShow(int32_t command)
{
    storedShowCommand = command;
    return create();
}

// --- FCRectSet ---

FCRectSet::FCRectSet()
    : flags(0)
{
}

FCRectSet::~FCRectSet() = default;

void FCRectSet::add(const FCRect& rect)
{
    FCLock hold(&lock);
    addDirty(DirtyRects { flags, clip, list, bounds }, rect);
}

void FCRectSet::clear()
{
    FCLock hold(&lock);
    clearDirty(DirtyRects { flags, clip, list, bounds });
}

void FCRectSet::reset(const FCRect& area)
{
    FCLock hold(&lock);
    clearDirty(DirtyRects { flags, clip, list, bounds });
    clip = area;
}

// --- FCLayerViewport ---

namespace {

// The layer seen by a timed layer effect.
class LayerEffectAdapter : public LayerEffectTarget {
public:
    LayerEffectAdapter(FCLayerViewport& viewport, FCLayerSurface& layer)
        : viewport(viewport)
        , layer(layer)
    {
    }
    FCRect area() override { return viewport.layerArea(layer.number); }
    void setTransform(const LayerTransform* transform) override { layer.transform = transform; }
    void updatePresent(const FCRect& rect) override { viewport.update(rect, 1); }
    void restartTimer() override { timer.elapsed(); }
    void waitUntil(uint32_t milliseconds) override { timer.waitUntil(milliseconds); }

private:
    FCLayerViewport& viewport;
    FCLayerSurface& layer;
    FCTickTimer timer;
};

} // namespace

FCLayerViewport::FCLayerViewport(FCWindowHandle parentWindow, int32_t x, int32_t y, int32_t width, int32_t height)
    : FCViewport24(parentWindow, x, y, width, height)
    , table()
    , popup(nullptr)
    , mouseX(kNoPosition)
    , mouseY(kNoPosition)
    , allocation()
    , background(nullptr)
    , backgroundShown(1)
    , displayHold(0)
    , firstEvent(nullptr)
    , secondEvent(nullptr)
    , baseLayer(-1)
    , presentationWindow(nullptr)
    , resizeMethod(0)
    , scaledSurface(nullptr)
    , presenter(nullptr)
    , transitionSpeed(0)
    , masks()
    , waiting(-1)
{
    reset();
}

FCLayerViewport::~FCLayerViewport()
{
    {
        FCLock hold(&lock);
        layerList.clear();
        for (FCLayerSurface& slot : layers)
            slot.reset();
        for (FCLayerMask*& mask : masks) {
            delete mask;
            mask = nullptr;
        }
    }
    if (firstEvent)
        CloseHandle(firstEvent);
    if (secondEvent)
        CloseHandle(secondEvent);
}

int32_t FCLayerViewport::kind() const
{
    return kKind;
}

void FCLayerViewport::reset()
{
    FCLock hold(&lock);
    layerList.clear();
    for (FCLayerSurface& slot : layers) {
        if (slot.attached())
            slot.reset();
    }
    displayHold = 0;
    background = nullptr;
    backgroundShown = 1;
    baseLayer = -1;
    dirty.reset(FCRect(0, 0, backSurface.width(), backSurface.height()));
    allocation.clear();
    mouseX = mouseY = kNoPosition;
}

FCLayerSurface* FCLayerViewport::attachedLayer(int32_t number)
{
    if (number < 0 || number >= kLayers || !allocation.test(number) || !layers[number].attached())
        return nullptr;
    return &layers[number];
}

FCLayerSurface* FCLayerViewport::layer(int32_t number)
{
    FCLock hold(&lock);
    return attachedLayer(number);
}

FCLayerSurface* FCLayerViewport::createLayer(int32_t number, int32_t tileWidth, int32_t tileHeight, int32_t imageX,
    int32_t imageY, int32_t imageWidth, int32_t imageHeight, int32_t displayX, int32_t displayY, int32_t displayWidth,
    int32_t displayHeight, int32_t sourceX, int32_t sourceY, int32_t colourKey, int32_t opacity, int32_t priority,
    uint32_t flags)
{
    FCLock hold(&lock);
    if (number < 0 || number >= kLayers)
        return nullptr;
    FCLayerSurface& slot = layers[number];
    const FCRect previousDisplay = slot.attached() ? slot.display : FCRect();
    deleteLayerLocked(number, 0);
    if (imageWidth < 1 || imageHeight < 1 || imageWidth > kMaxImageSide || imageHeight > kMaxImageSide)
        return nullptr;
    const Placement placed = placeNewLayer(NewLayer { number, tileWidth, tileHeight, displayX, displayY, displayWidth,
                                               displayHeight, sourceX, sourceY, priority, flags },
        backSurface.width(), backSurface.height(), previousDisplay);
    const int32_t kind = (flags & kCreateTwentyFour) ? UxLayerSurface::kTwentyFour : UxLayerSurface::kEight;
    if (!slot.image.make(kind, imageWidth, imageHeight, &slot)) {
        slot.reset();
        return nullptr;
    }
    slot.tileWidth = tileWidth;
    slot.tileHeight = tileHeight;
    slot.colourKey = colourKey == kKeyFromTopLeft ? static_cast<int32_t>(slot.image.pixel(0, 0)) : colourKey;
    slot.level = std::clamp<int32_t>(opacity, 0, kMaxLevel);
    slot.imageRect = FCRect(imageX, imageY, imageX + imageWidth, imageY + imageHeight);
    slot.number = number;
    slot.priority = placed.priority;
    slot.display = placed.display;
    slot.source = placed.source;
    slot.owner = this;
    layerList.insertSorted(&slot, 0, comparePriority);
    allocation.set(number);
    slot.maskIndex = -1;
    if (!(flags & kCreateNoMask)) {
        for (int32_t i = 0; i < kMaskSlots; ++i) {
            if (masks[i] && number >= masks[i]->firstLayer && number <= masks[i]->lastLayer) {
                slot.maskIndex = i;
                break;
            }
        }
    }
    return &slot;
}

void FCLayerViewport::deleteLayer(int32_t number, int32_t present)
{
    FCLock hold(&lock);
    deleteLayerLocked(number, present);
}

void FCLayerViewport::deleteLayerLocked(int32_t number, int32_t present)
{
    FCLayerSurface* slot = attachedLayer(number);
    if (!slot)
        return;
    const FCRect area = areaLocked(*slot, 0);
    const bool wasShown = slot->shown != 0;
    auto* node = layerList.findItem(slot);
    if (layerList.isValidNode(node))
        layerList.removeNode(node, true);
    slot->reset();
    if (wasShown)
        updateLocked(area, present);
    allocation.reset(number);
}

void FCLayerViewport::showLayer(int32_t number, int32_t effect, int32_t opacity)
{
    FCLock hold(&lock);
    if (number == -1) {
        backgroundShown = 1;
        return;
    }
    FCLayerSurface* slot = attachedLayer(number);
    if (!slot)
        return;
    if (!slot->shown && opacity >= 0 && validLevel(opacity))
        setOpacityLocked(*slot, opacity, 0);
    slot->shown = 1;
    if (effect != kNoEffect)
        presentLayer(number, effect);
}

void FCLayerViewport::hideLayer(int32_t number, int32_t present)
{
    FCLock hold(&lock);
    FCLayerSurface* slot = attachedLayer(number);
    if (!slot || !slot->shown)
        return;
    slot->shown = 0;
    updateLocked(areaLocked(*slot, 0), present);
}

void FCLayerViewport::setOpacity(int32_t number, int32_t level)
{
    FCLock hold(&lock);
    FCLayerSurface* slot = attachedLayer(number);
    if (slot && validLevel(level))
        setOpacityLocked(*slot, level, 0);
}

void FCLayerViewport::setOpacityLocked(FCLayerSurface& slot, int32_t level, int32_t depth)
{
    slot.level = (slot.flags & FCLayerSurface::kFlagForceTransparent) ? 0 : level;
    if (depth >= kMaxLinkDepth)
        return;
    auto* node = slot.links.head();
    for (int32_t i = 0, count = slot.links.count; i < count; ++i) {
        auto* next = node->next;
        FCLayerSurface* linked = attachedLayer(node->item->number);
        if (!linked)
            slot.links.removeNode(node, true);
        else if (node->item->mask & FCLayerLink::kSameOpacity)
            setOpacityLocked(*linked, level, depth + 1);
        node = next;
    }
}

void FCLayerViewport::fadeLayer(int32_t number, int32_t from, int32_t to, int32_t step, uint32_t interval)
{
    FCLock hold(&lock);
    FCLayerSurface* slot = attachedLayer(number);
    if (!slot || !validLevel(from) || !validLevel(to) || step < 1)
        return;
    if (displayHold < 0) {
        setOpacityLocked(*slot, to, 0);
        updateLocked(areaLocked(*slot, 0), 1);
        return;
    }
    FCTickTimer timer;
    timer.elapsed();
    for (int32_t level : fadeLevels(from, to, step)) {
        setOpacityLocked(*slot, level, 0);
        updateLocked(areaLocked(*slot, 0), 1);
        if (level != to)
            timer.waitUntil(interval);
    }
}

void FCLayerViewport::fadeIn(int32_t number, int32_t step, uint32_t interval)
{
    FCLock hold(&lock);
    if (FCLayerSurface* slot = attachedLayer(number))
        fadeLayer(number, slot->level, kMaxLevel, step, interval);
}

void FCLayerViewport::update(const FCRect& rect, int32_t present)
{
    FCLock hold(&lock);
    updateLocked(rect, present);
}

void FCLayerViewport::updateLocked(const FCRect& rect, int32_t present)
{
    dirty.add(rect);
    compose(present);
}

void FCLayerViewport::updateLayer(int32_t number, int32_t present)
{
    FCLock hold(&lock);
    if (number == -1) {
        updateLocked(FCRect(0, 0, backSurface.width(), backSurface.height()), present);
        return;
    }
    if (FCLayerSurface* slot = attachedLayer(number))
        updateLocked(areaLocked(*slot, 0), present);
}

FCRect FCLayerViewport::layerArea(int32_t number)
{
    FCLock hold(&lock);
    FCLayerSurface* slot = attachedLayer(number);
    return slot ? areaLocked(*slot, 0) : FCRect();
}

FCRect FCLayerViewport::areaLocked(const FCLayerSurface& slot, int32_t depth)
{
    FCRect area = slot.transform ? transformedExtent(slot.display, *slot.transform) : slot.display;
    if (depth >= kMaxLinkDepth)
        return area;
    auto* node = slot.links.head();
    for (int32_t i = 0; i < slot.links.count; ++i, node = node->next) {
        FCLayerSurface* linked = attachedLayer(node->item->number);
        if (linked && (node->item->mask & FCLayerLink::kDrawTogether))
            area = unite(area, areaLocked(*linked, depth + 1));
    }
    return area;
}

void FCLayerViewport::presentLayer(int32_t number, int32_t effect)
{
    FCLock hold(&lock);
    FCLayerSurface* slot = attachedLayer(number);
    if (!slot)
        return;
    const bool slide = effect >= 30 && effect <= 37;
    if (effect == 9) {
        fadeIn(number, 2, 100);
    } else if (slide && slot->colourKey == kNoColourKey) {
        slideIn(*slot, effect);
    } else if (slide || (effect >= 26 && effect <= 29) || (effect >= 60 && effect <= 63)) {
        LayerEffectAdapter target(*this, *slot);
        const bool turning = effect >= 60;
        runLayerEffect(target, effect, transitionSpeed, turning ? 10 : 0, 0, turning ? 50 : 0);
        slot->transform = nullptr;
    } else {
        transition(areaLocked(*slot, 0), effect);
    }
}

void FCLayerViewport::slideIn(FCLayerSurface& slot, int32_t effect)
{
    const FCRect display = slot.display, source = slot.source;
    FCTickTimer timer;
    for (int32_t step = 1; step <= 8; ++step) {
        timer.elapsed();
        const FCRect before = slot.display;
        FCRect shownDisplay, shownSource;
        slideInStep(effect, display, source, step, shownDisplay, shownSource);
        slot.display = shownDisplay;
        slot.source = shownSource;
        updateLocked(unite(before, shownDisplay), 1);
        timer.waitUntil(10);
    }
    slot.display = display;
    slot.source = source;
}

void FCLayerViewport::transition(const FCRect& rect, int32_t effect)
{
    FCLock hold(&lock);
    // Only the viewport can change on the screen; a huge rectangle would
    // otherwise give a reveal billions of cells.
    const FCRect area = intersection(rect, FCRect(0, 0, backSurface.width(), backSurface.height()));
    if (isEmpty(area))
        return;
    updateLocked(area, 0);
    if (displayHold < 0 || !isLive())
        return;
    WindowTransitionScreen screen(hwndOf(handle));
    runScreenTransition(screen, area, effect, random);
}

void FCLayerViewport::moveLayer(int32_t number, int32_t x, int32_t y, int32_t present)
{
    FCLock hold(&lock);
    FCLayerSurface* slot = attachedLayer(number);
    if (!slot)
        return;
    const FCRect before = areaLocked(*slot, 0);
    slot->display = FCRect(x, y, x + slot->display.width(), y + slot->display.height());
    if (!slot->shown)
        return;
    dirty.add(before);
    updateLocked(areaLocked(*slot, 0), present);
}

void FCLayerViewport::linkLayer(int32_t number, int32_t linked, uint32_t mask)
{
    FCLock hold(&lock);
    FCLayerSurface* slot = attachedLayer(number);
    if (!slot || linked < 0 || linked >= kLayers || linked == number)
        return;
    auto* node = slot->links.head();
    for (int32_t i = 0; i < slot->links.count; ++i, node = node->next) {
        if (node->item->number == linked) {
            if (mask)
                node->item->mask = mask;
            else
                slot->links.removeNode(node, true);
            return;
        }
    }
    if (mask)
        slot->links.addTail(new FCLayerLink(linked, mask), 1);
}

void FCLayerViewport::setMask(int32_t slot, FCVSurface* mask, int32_t firstLayer, int32_t lastLayer)
{
    FCLock hold(&lock);
    if (slot < 0 || slot >= kMaskSlots) {
        delete mask;
        return;
    }
    delete masks[slot];
    masks[slot] = mask ? new FCLayerMask(mask, firstLayer, lastLayer) : nullptr;
}

void FCLayerViewport::setBackground(FCVSurface24* surface, int32_t sourceX, int32_t sourceY)
{
    FCLock hold(&lock);
    background = surface;
    backgroundOffset = FCRect(sourceX, sourceY, sourceX, sourceY);
}

void FCLayerViewport::holdDisplay()
{
    FCLock hold(&lock);
    --displayHold;
}

void FCLayerViewport::releaseDisplay(int32_t present)
{
    FCLock hold(&lock);
    if (displayHold < 0 && ++displayHold == 0)
        compose(present);
}

int32_t FCLayerViewport::findBaseLayer()
{
    const int32_t width = backSurface.width(), height = backSurface.height();
    auto* node = layerList.tail;
    for (int32_t i = 0; i < layerList.count; ++i, node = node->previous) {
        const FCLayerSurface& slot = *node->item;
        // A layer turning or shrinking through an effect covers nothing for sure.
        if (slot.transform)
            continue;
        const bool alphaInUse = slot.alternateImage ? slot.alternateImage->hasAlpha() : slot.image.hasAlpha();
        const BaseCandidate candidate { slot.number, slot.shown != 0, slot.level, slot.colourKey, alphaInUse,
            slot.maskIndex, slot.display };
        if (coversViewport(candidate, width, height))
            return slot.number;
    }
    return -1;
}

void FCLayerViewport::compose(int32_t present)
{
    FCLock hold(&lock);
    FCLock holdDirty(&dirty.lock);
    if (displayHold < 0 || dirty.empty())
        return;
    baseLayer = findBaseLayer();
    // Layers linked for drawing are drawn with the layer that links them.
    FCBit<kLayers> drawnByLink {};
    drawnByLink.clear();
    {
        auto* node = layerList.head();
        for (int32_t i = 0; i < layerList.count; ++i, node = node->next) {
            auto* link = node->item->links.head();
            for (int32_t k = 0; k < node->item->links.count; ++k, link = link->next) {
                if ((link->item->mask & FCLayerLink::kDrawTogether) && attachedLayer(link->item->number))
                    drawnByLink.set(link->item->number);
            }
        }
    }
    const FCRect bounds(0, 0, backSurface.width(), backSurface.height());
    auto* rectNode = dirty.list.head();
    for (int32_t r = 0; r < dirty.list.count; ++r, rectNode = rectNode->next) {
        const FCRect area = intersection(*rectNode->item, bounds);
        if (isEmpty(area))
            continue;
        if (baseLayer == -1) {
            // Without a background (or where it ends) the picture is black,
            // never what a deleted layer left behind.
            const bool backgroundCovers = background && backgroundShown
                && contains(FCRect(0, 0, background->width(), background->height()),
                    FCRect(area.left + backgroundOffset.left, area.top + backgroundOffset.top,
                        area.right + backgroundOffset.left, area.bottom + backgroundOffset.top));
            if (!backgroundCovers)
                backSurface.fill(0, &area);
            if (background && backgroundShown)
                background->blend(backSurface, area.left, area.top, area.left + backgroundOffset.left,
                    area.top + backgroundOffset.top, area.width(), area.height());
        }
        auto* node = layerList.head();
        for (int32_t i = 0; i < layerList.count; ++i, node = node->next) {
            FCLayerSurface& slot = *node->item;
            if (slot.number < baseLayer || drawnByLink.test(slot.number))
                continue;
            drawLayer(slot, area, 0);
        }
    }
    if (present) {
        rectNode = dirty.list.head();
        for (int32_t r = 0; r < dirty.list.count; ++r, rectNode = rectNode->next)
            redrawNow(*rectNode->item);
    }
    clearDirty(DirtyRects { dirty.flags, dirty.clip, dirty.list, dirty.bounds });
}

void FCLayerViewport::drawLayer(FCLayerSurface& slot, const FCRect& clip, int32_t depth)
{
    if (!slot.shown)
        return;
    FCVSurface* mask = slot.maskIndex >= 0 && slot.maskIndex < kMaskSlots && masks[slot.maskIndex]
        ? masks[slot.maskIndex]->surface
        : nullptr;
    FCVSurface24* image = slot.alternateImage ? slot.alternateImage : slot.image.surface24();
    if (slot.level > 0 || mask) {
        if (image && image->bits && slot.transform) {
            const FCRect area = intersection(clip, transformedExtent(slot.display, *slot.transform));
            if (!isEmpty(area)) {
                const bool withAlpha = image->hasAlpha();
                drawTransformed(backSurface.topRow(), -static_cast<ptrdiff_t>(backSurface.stride()), area,
                    image->topRow(), -static_cast<ptrdiff_t>(image->stride()), image->width(), image->height(),
                    withAlpha ? image->alpha->topRow() : nullptr,
                    withAlpha ? -static_cast<ptrdiff_t>(image->alpha->stride()) : 0, slot.display, slot.source,
                    *slot.transform);
            }
        } else if (image && image->bits) {
            GdiFlush();
            const bool withAlpha = image->hasAlpha();
            LayerDraw draw {};
            draw.image = planeOf(*image);
            if (withAlpha)
                draw.alpha = planeOf(*image->alpha);
            if (mask && mask->bits)
                draw.mask = planeOf(*mask);
            draw.display = slot.display;
            draw.source = slot.source;
            draw.tileWidth = slot.tileWidth;
            draw.tileHeight = slot.tileHeight;
            draw.wrapFlags = slot.scroll.flags & (kWrapHorizontal | kWrapVertical);
            draw.level = slot.level;
            draw.colourKey = slot.colourKey;
            LayerCompositing::drawLayer(planeOf(backSurface), clip, draw);
        } else if (slot.image.kind == UxLayerSurface::kEight) {
            DrawPiece pieces[4];
            const int32_t count = layerPieces(clip, slot.display, slot.source, slot.image.width(), slot.image.height(),
                slot.tileWidth, slot.tileHeight, slot.scroll.flags & (kWrapHorizontal | kWrapVertical), pieces);
            for (int32_t i = 0; i < count; ++i)
                slot.image.blendTo(backSurface, pieces[i].target.left, pieces[i].target.top, pieces[i].sourceX,
                    pieces[i].sourceY, pieces[i].target.width(), pieces[i].target.height(), slot.level);
        }
        slot.lastDestination = slot.display;
        slot.lastSource = slot.source;
    }
    if (depth >= kMaxLinkDepth)
        return;
    auto* node = slot.links.head();
    for (int32_t i = 0; i < slot.links.count; ++i, node = node->next) {
        FCLayerSurface* linked = attachedLayer(node->item->number);
        if (linked && (node->item->mask & FCLayerLink::kDrawTogether))
            drawLayer(*linked, clip, depth + 1);
    }
}

void FCLayerViewport::redrawNow(const FCRect& rect)
{
    if (!isLive())
        return;
    RECT area { rect.left, rect.top, rect.right, rect.bottom };
    RedrawWindow(hwndOf(handle), &area, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

// --- Window side ---

void FCLayerViewport::onPaint(tagPAINTSTRUCT* paint)
{
    // Never the viewport lock: the scenario thread holds it while it waits
    // for this paint.
    FCViewport24::onPaint(paint);
}

FCLResult FCLayerViewport::onUserMessage(uint32_t message, FCWParam wParam, FCLParam lParam)
{
    HWND self = hwndOf(handle);
    HWND shower = presentationWindow && presentationWindow->isLive() ? hwndOf(presentationWindow->handle) : self;
    switch (message) {
    case 0x04C8:
        if (GetCapture() != shower)
            SetCapture(shower);
        return 0;
    case 0x04C9:
        if (GetCapture() == self || GetCapture() == shower)
            ReleaseCapture();
        return 0;
    case 0x04CA:
    case 0x04CB:
        // The input queue comes with the mouse input; nothing is queued yet.
        return 0;
    case 0x04CD:
        if (wParam)
            *reinterpret_cast<HWND*>(wParam) = GetActiveWindow();
        return 0;
    case 0x04CE:
        return reinterpret_cast<FCLResult>(popup);
    case 0x04D1:
        if (wParam == 1)
            ShowCursor(lParam != 0);
        return 0;
    default:
        return FCViewport24::onUserMessage(message, wParam, lParam);
    }
}

namespace {

// Takes the text of a private clipboard format, or puts one there.
bool clipboardText(HWND owner, const char* formatName, FCString* read, const FCString* write)
{
    UINT format = RegisterClipboardFormatA(formatName);
    if (!format || !OpenClipboard(owner))
        return false;
    bool done = false;
    if (read) {
        HANDLE data = GetClipboardData(format);
        if (const char* text = data ? static_cast<const char*>(GlobalLock(data)) : nullptr) {
            SIZE_T size = GlobalSize(data);
            read->assign(text, static_cast<int32_t>(strnlen(text, size)), FCString::kDefaultBlockSize);
            GlobalUnlock(data);
            done = true;
        }
    } else if (write) {
        const size_t length = static_cast<size_t>(write->length());
        HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, length + 1);
        if (char* text = data ? static_cast<char*>(GlobalLock(data)) : nullptr) {
            std::memcpy(text, write->text(), length);
            text[length] = 0;
            GlobalUnlock(data);
            EmptyClipboard();
            done = SetClipboardData(format, data) != nullptr;
        }
        if (!done && data)
            GlobalFree(data);
    }
    CloseClipboard();
    return done;
}

} // namespace

FCLResult FCLayerViewport::onAppMessage(uint32_t message, FCWParam wParam, FCLParam lParam)
{
    switch (message) {
    case 0x8001:
        return reinterpret_cast<FCLResult>(&backSurface);
    case 0x8012:
    case 0x8017:
        // The layout editor's text for this window.
        return clipboardText(hwndOf(handle), "CgPaletteLocalText", &text, nullptr) ? 1 : 0;
    case 0x8018:
        return clipboardText(hwndOf(handle), "CorvaneSendResident", nullptr, &text) ? 1 : 0;
    default:
        return FCViewport24::onAppMessage(message, wParam, lParam);
    }
}

FCLResult FCLayerViewport::onLButtonDown(FCWParam wParam, FCLParam lParam)
{
    return FCViewport24::onLButtonDown(wParam, lParam);
}

FCLResult FCLayerViewport::onLButtonUp(FCWParam wParam, FCLParam lParam)
{
    return FCViewport24::onLButtonUp(wParam, lParam);
}

FCLResult FCLayerViewport::onRButtonDown(FCWParam wParam, FCLParam lParam)
{
    return FCViewport24::onRButtonDown(wParam, lParam);
}

FCLResult FCLayerViewport::onMouseMove(FCWParam wParam, FCLParam lParam)
{
    mouseX = static_cast<int16_t>(lParam & 0xFFFF);
    mouseY = static_cast<int16_t>((lParam >> 16) & 0xFFFF);
    return FCViewport24::onMouseMove(wParam, lParam);
}

FCLResult FCLayerViewport::onDropFiles(FCWParam wParam, FCLParam lParam)
{
    return FCViewport24::onDropFiles(wParam, lParam);
}

int32_t FCLayerViewport::createAndShow(int32_t command)
{
    return FCViewport24::createAndShow(command);
}

void FCLayerViewport::onFinished(int32_t value)
{
    if (waiting != -1 && (waiting & 0xFFFF) == (value & 0xFFFF)) {
        waiting |= 0x10000;
        return;
    }
    if (isLive())
        postMessage(WM_LBUTTONDOWN, static_cast<FCWParam>(-1), value & 0xFFFF);
}

FCVWin* FCLayerViewport::make(const FCWindowRequest& request, FCOasys& manager)
{
    const int32_t width = request.right - request.left, height = request.bottom - request.top;
    if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide)
        return nullptr;
    FCWindowHandle parentWindow = request.parent ? request.parent->handle : manager.owner.handle;
    auto* viewport = new FCLayerViewport(parentWindow, request.left, request.top, width, height);
    if (!viewport->backSurface.bits
        || !viewport->createAndShow(request.values[0] ? static_cast<int32_t>(request.values[0]) : SW_SHOW)) {
        delete viewport;
        return nullptr;
    }
    return viewport;
}
