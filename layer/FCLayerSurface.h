#pragma once

#include <cstdint>

#include "foundation/FCGeometry.h"
#include "foundation/FCString.h"
#include "foundation/FCSync.h"
#include "foundation/FCXList.h"
#include "foundation/LumivexApi.h"
#include "surface/FCPalette.h"
#include "surface/UxLayerSurface.h"

class FCLayerViewport;
class FCVSurface24;
struct LayerTransform;

// An animation area hanging on a layer; its frames and thread come with the
// animation sequences.
class LUMIVEX_API FCAnimationArea {
public:
    virtual ~FCAnimationArea() = default;
};

// One overlay of a layer; built with the overlay layers.
class LUMIVEX_API FCOverlaySurface {
public:
    virtual ~FCOverlaySurface() = default;
};

// The overlays drawn under and over a layer's image. Empty until overlays
// are built; present now so that the layer's members keep their places.
class LUMIVEX_API FCOverlayLayers {
public:
    virtual ~FCOverlayLayers() = default;
    FCCriticalSection lock; // with its waiter count
    FCXList<FCOverlaySurface> overlays;
    FCXSortableList<FCOverlaySurface> under;
    FCXSortableList<FCOverlaySurface> over;
};

// A layer drawn and measured together with another one.
class LUMIVEX_API FCLayerLink {
public:
    FCLayerLink(int32_t layerNumber, uint32_t linkMask)
        : number(layerNumber)
        , mask(linkMask)
    {
    }
    virtual ~FCLayerLink() = default;
    // Bit 0: drawn right after the linking layer and part of its area;
    // bit 1: takes the linking layer's opacity.
    enum : uint32_t { kDrawTogether = 0x1, kSameOpacity = 0x2 };
    int32_t number;
    uint32_t mask;
};

// Wrap-around scrolling: bits 0 and 1 of flags wrap horizontally and
// vertically at the tile size.
struct FCLayerScroll {
    int32_t position[4];
    int32_t velocity[4];
    uint32_t flags;
};

// A mask slot of the viewport: the 8-bit surface read at the viewport's
// coordinates and the layers it applies to (inclusive).
class LUMIVEX_API FCLayerMask {
public:
    FCLayerMask(FCVSurface* maskSurface, int32_t first, int32_t last);
    virtual ~FCLayerMask();
    FCVSurface* surface; // owned
    int32_t firstLayer;
    int32_t lastLayer;
};

// One slot of the layer viewport's layer table. Scenario modules read and
// write these members, so their order is fixed.
class LUMIVEX_API FCLayerSurface {
public:
    enum : uint32_t { kFlagForceTransparent = 1u << 22, kFlagDrawHidden = 1u << 18 };

    FCLayerSurface();
    FCLayerSurface(const FCLayerSurface&) = delete;
    FCLayerSurface& operator=(const FCLayerSurface&) = delete;
    virtual ~FCLayerSurface();

    bool attached() const { return owner != nullptr; }
    // Frees the image and returns the slot to its free state.
    void reset();

    FCLayerViewport* owner;
    int32_t number;
    FCRect display;
    int32_t level;
    FCRect source;
    int32_t tileWidth;
    int32_t tileHeight;
    scobjPalette palette;
    int32_t zoom;
    UxLayerSurface image;
    FCRect imageRect;
    int32_t colourKey;
    int32_t shown;
    int32_t priority;
    FCLayerScroll scroll;
    FCXList<FCAnimationArea> animationAreas;
    FCCriticalSection layerLock; // with its waiter count
    void* clickItems[256];
    uint32_t flags;
    FCString name;
    FCString comment;
    FCXList<FCLayerLink> links;
    FCVSurface24* alternateImage;
    const LayerTransform* transform;
    FCRect lastDestination;
    FCRect lastSource;
    FCVSurface24* secondSource;
    int32_t maskIndex;
    FCOverlayLayers overlays;
};
