#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

class FCFile;
class FCLayerSurface;
class FCVSurface;
class FCVSurface24;
class UxLayerVSurface8;
class UxLayerVSurface24;

// What a layer keeps: an owned 8-bit or 24-bit layer surface, or nothing, and
// the operations of either by what it holds. Win32 only.
class LUMIVEX_API UxLayerSurface {
public:
    enum Kind : int32_t { kEmpty = 0, kEight = 1, kTwentyFour = 2 };

    UxLayerSurface();
    // A copy of the other's surface, of the same kind.
    UxLayerSurface(const UxLayerSurface& other);
    UxLayerSurface& operator=(const UxLayerSurface& other);
    virtual ~UxLayerSurface();

    // A surface of the kind at the size (the held one re-created when it is
    // of that kind), then the kind and the owner set. An 8-bit one is filled
    // with 0. 1 when the surface holds pixels.
    int32_t make(int32_t kind, int32_t width, int32_t height, FCLayerSurface* owner);
    // Deletes the surface.
    void clear();

    UxLayerVSurface8* surface8() const;
    UxLayerVSurface24* surface24() const;

    void* getDC();
    void releaseDC();
    int32_t width() const;
    int32_t height() const;
    // 8-bit: an empty plane with the initial value, kept valid.
    void createAlpha(uint32_t initial);
    FCVSurface* alphaPlane() const;
    bool hasAlpha() const;
    // 24-bit: the colour 0x00BBGGRR; 8-bit: the index. 0 outside or empty.
    uint32_t pixel(int32_t x, int32_t y) const;

    // Copies into a 24-bit destination: a blend through the alpha of a
    // 24-bit surface, the table draw of an 8-bit one (keyMode as for 8-bit
    // copies, -2 for all pixels).
    int32_t copyTo(FCVSurface24& destination, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h,
        int32_t keyMode = -2);
    // Into an 8-bit destination: the keyed copy of an 8-bit surface, GDI
    // for a 24-bit one.
    int32_t copyTo(FCVSurface& destination, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h,
        int32_t keyMode = -2);
    // A 24-bit surface at a level (0..16) through its alpha; an 8-bit one as
    // copyTo.
    int32_t blendTo(
        FCVSurface24& destination, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t level);

    void setOwner(FCLayerSurface* owner);
    FCLayerSurface* owner() const;

    // The held surface's save and restore slots; restore makes a surface of
    // the kind the record names.
    int32_t save(FCFile& file);
    int32_t restore(FCFile& file);

    void* surface;
    int32_t kind;
};
