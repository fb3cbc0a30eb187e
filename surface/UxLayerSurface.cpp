#include "surface/UxLayerSurface.h"

#include "foundation/FCFile.h"
#include "surface/FCVSurface.h"
#include "surface/FCVSurface24.h"
#include "surface/PixelBlend.h"

UxLayerSurface::UxLayerSurface()
    : surface(nullptr)
    , kind(kEmpty)
{
}

UxLayerSurface::UxLayerSurface(const UxLayerSurface& other)
    : UxLayerSurface()
{
    *this = other;
}

UxLayerSurface::~UxLayerSurface()
{
    clear();
}

UxLayerVSurface8* UxLayerSurface::surface8() const
{
    return kind == kEight ? static_cast<UxLayerVSurface8*>(surface) : nullptr;
}

UxLayerVSurface24* UxLayerSurface::surface24() const
{
    return kind == kTwentyFour ? static_cast<UxLayerVSurface24*>(surface) : nullptr;
}

void UxLayerSurface::clear()
{
    // Deleted through the surface's own destructor slot.
    if (UxLayerVSurface8* s = surface8())
        delete s;
    else if (UxLayerVSurface24* s = surface24())
        delete s;
    surface = nullptr;
    kind = kEmpty;
}

int32_t UxLayerSurface::make(int32_t newKind, int32_t w, int32_t h, FCLayerSurface* newOwner)
{
    if (newKind != kEight && newKind != kTwentyFour) {
        clear();
        return 0;
    }
    if (surface && kind != newKind)
        clear();
    int32_t made = 0;
    if (newKind == kEight) {
        if (UxLayerVSurface8* s = surface8()) {
            made = s->create(w, h, 0);
        } else {
            s = new UxLayerVSurface8(w, h, 0);
            surface = s;
            made = s->bits ? 1 : 0;
        }
    } else {
        if (UxLayerVSurface24* s = surface24()) {
            made = s->create(w, h);
        } else {
            s = new UxLayerVSurface24(w, h);
            surface = s;
            made = s->bits ? 1 : 0;
        }
    }
    kind = newKind;
    setOwner(newOwner);
    return made;
}

UxLayerSurface& UxLayerSurface::operator=(const UxLayerSurface& other)
{
    if (&other == this)
        return *this;
    FCLayerSurface* keptOwner = owner();
    // A copy that could not be made (no memory for the surface or its
    // alpha plane) leaves as much as was made, never a dangling plane.
    if (UxLayerVSurface24* from = other.surface24()) {
        make(kTwentyFour, from->width(), from->height(), keptOwner);
        UxLayerVSurface24* to = surface24();
        if (!to || !to->bits)
            return *this;
        from->copyRect(*to, 0, 0, 0, 0, from->width(), from->height());
        if (from->hasAlpha()) {
            to->createAlpha(0);
            if (to->alpha && to->alpha->bits)
                from->alpha->copy8(*to->alpha, 0, 0, 0, 0, from->width(), from->height(), -2);
        }
        to->alphaFlags = from->alphaFlags;
    } else if (UxLayerVSurface8* from = other.surface8()) {
        make(kEight, from->width(), from->height(), keptOwner);
        UxLayerVSurface8* to = surface8();
        if (!to || !to->bits)
            return *this;
        if (to->info && from->info)
            to->copyPalette(*from);
        from->copy8(*to, 0, 0, 0, 0, from->width(), from->height(), -2);
        if (from->alpha && from->alpha->bits) {
            to->createAlpha(-2, (from->alphaState & FCVSurface::kAlphaValid) != 0, 0);
            if (to->alpha && to->alpha->bits)
                from->alpha->copy8(*to->alpha, 0, 0, 0, 0, from->width(), from->height(), -2);
        }
        to->alphaFlags = from->alphaFlags;
    } else {
        clear();
    }
    return *this;
}

void* UxLayerSurface::getDC()
{
    if (UxLayerVSurface8* s = surface8())
        return s->getDC();
    if (UxLayerVSurface24* s = surface24())
        return s->getDC();
    return nullptr;
}

void UxLayerSurface::releaseDC()
{
    if (UxLayerVSurface8* s = surface8())
        s->releaseDC();
    else if (UxLayerVSurface24* s = surface24())
        s->releaseDC();
}

int32_t UxLayerSurface::width() const
{
    if (UxLayerVSurface8* s = surface8())
        return s->width();
    if (UxLayerVSurface24* s = surface24())
        return s->width();
    return 0;
}

int32_t UxLayerSurface::height() const
{
    if (UxLayerVSurface8* s = surface8())
        return s->height();
    if (UxLayerVSurface24* s = surface24())
        return s->height();
    return 0;
}

void UxLayerSurface::createAlpha(uint32_t initial)
{
    if (UxLayerVSurface8* s = surface8())
        s->createAlpha(-2, true, initial);
    else if (UxLayerVSurface24* s = surface24())
        s->createAlpha(initial);
}

FCVSurface* UxLayerSurface::alphaPlane() const
{
    if (UxLayerVSurface8* s = surface8())
        return s->alpha;
    if (UxLayerVSurface24* s = surface24())
        return s->alpha;
    return nullptr;
}

bool UxLayerSurface::hasAlpha() const
{
    if (UxLayerVSurface8* s = surface8())
        return s->alphaInUse();
    if (UxLayerVSurface24* s = surface24())
        return s->hasAlpha();
    return false;
}

uint32_t UxLayerSurface::pixel(int32_t x, int32_t y) const
{
    if (UxLayerVSurface8* s = surface8()) {
        const uint8_t* p = s->pixel(x, y);
        return p ? *p : 0;
    }
    if (UxLayerVSurface24* s = surface24())
        return s->pixel(x, y);
    return 0;
}

int32_t UxLayerSurface::copyTo(
    FCVSurface24& destination, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t keyMode)
{
    if (UxLayerVSurface24* s = surface24())
        return s->blend(destination, dx, dy, sx, sy, w, h);
    if (UxLayerVSurface8* s = surface8())
        return s->draw8To24(destination.bits, destination.width(), destination.height(), dx, dy, sx, sy, w, h, keyMode);
    return 0;
}

int32_t UxLayerSurface::copyTo(
    FCVSurface& destination, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t keyMode)
{
    if (UxLayerVSurface8* s = surface8())
        return s->copy8(destination, dx, dy, sx, sy, w, h, keyMode);
    if (UxLayerVSurface24* s = surface24())
        return s->gdiCopyTo(destination, dx, dy, sx, sy, w, h);
    return 0;
}

int32_t UxLayerSurface::blendTo(
    FCVSurface24& destination, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t level)
{
    if (UxLayerVSurface24* s = surface24())
        return s->blendLevel(destination, dx, dy, sx, sy, w, h, level);
    return copyTo(destination, dx, dy, sx, sy, w, h);
}

void UxLayerSurface::setOwner(FCLayerSurface* newOwner)
{
    if (UxLayerVSurface8* s = surface8())
        s->owner = newOwner;
    else if (UxLayerVSurface24* s = surface24())
        s->owner = newOwner;
}

FCLayerSurface* UxLayerSurface::owner() const
{
    if (UxLayerVSurface8* s = surface8())
        return s->owner;
    if (UxLayerVSurface24* s = surface24())
        return s->owner;
    return nullptr;
}

int32_t UxLayerSurface::save(FCFile& file)
{
    if (UxLayerVSurface8* s = surface8())
        return s->save(file);
    if (UxLayerVSurface24* s = surface24())
        return s->save(file);
    return 0;
}

int32_t UxLayerSurface::restore(FCFile& file)
{
    // Each kind's restore rewinds on a record of the other kind.
    FCLayerSurface* keptOwner = owner();
    if (!surface24()) {
        UxLayerVSurface24* s = new UxLayerVSurface24;
        if (s->restore(file)) {
            clear();
            surface = s;
            kind = kTwentyFour;
            setOwner(keptOwner);
            return 1;
        }
        delete s;
    } else if (surface24()->restore(file)) {
        return 1;
    }
    if (!surface8()) {
        UxLayerVSurface8* s = new UxLayerVSurface8;
        if (s->restore(file)) {
            clear();
            surface = s;
            kind = kEight;
            setOwner(keptOwner);
            return 1;
        }
        delete s;
        return 0;
    }
    return surface8()->restore(file);
}
