#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/FCGeometry.h"
#include "foundation/FCSync.h"
#include "foundation/LumivexApi.h"
#include "surface/FCDCHolder.h"
#include "surface/FCDib.h"

class FCFile;
class FCPathName;
class FCVSurface;
class FCVWin;
class FCLayerSurface;

// The true-colour surface: a DIB section of 4 bytes a pixel (blue, green,
// red, a fourth byte without meaning), rows bottom-up with stride width x 4,
// and an optional 8-bit alpha plane of the same size. A colour value is
// 0x00BBGGRR. Scenario modules call its slots and read its members, so both
// orders and widths are fixed. Win32 only.
class LUMIVEX_API FCVSurface24 {
public:
    // Alpha flags word: the plane is switched off (set by scenario code).
    enum : uint32_t { kAlphaOff = 0x1 };
    // Planes of stretchTo and stretchTo8.
    enum : uint32_t { kPlaneColour = 0x1, kPlaneAlpha = 0x2 };
    // Image information word, beside the low byte (bits per pixel taken).
    enum : uint32_t { kInfoCallerKey = 0x1000, kInfoMask17 = 0x10000, kInfoMask256 = 0x20000 };
    enum class Initial { Empty, DefaultImage };

    // Scratch arrays of the effects: grown only (in steps of 1024, 512 and
    // 2048 words), freed by a request of 0. The pair block holds two arrays of
    // pairCapacity words each, the second right after the first.
    struct Scratch {
        uint32_t* pair;
        uint32_t pairCapacity;
        uint32_t* second;
        uint32_t secondCapacity;
        uint32_t* third;
        uint32_t thirdCapacity;
    };

    explicit FCVSurface24(Initial initial = Initial::Empty);
    FCVSurface24(int32_t width, int32_t height);
    // The pixels and, when in use, the alpha plane.
    FCVSurface24(const FCVSurface24& other);
    // The 8-bit surface converted through its colour table, with its alpha
    // plane when it has one in use.
    explicit FCVSurface24(FCVSurface& other);
    FCVSurface24& operator=(const FCVSurface24&) = delete;

    // 0: destroy, close the DC holder.
    virtual ~FCVSurface24();
    // 1: the DIB's pixels (8, 24 or 32 bits); an empty DIB gives a red
    // 32 x 32 surface. 1 when the surface was replaced.
    virtual int32_t loadDib(const FCDib& dib, uint32_t flags);
    // 2: slot 5 with the path's text.
    virtual int32_t load(const FCPathName& path, uint32_t flags, int32_t option);
    // 3: destroy, then a new section (zeroed).
    virtual int32_t create(int32_t width, int32_t height);
    // 4: an image of any supported format from the file's position.
    virtual int32_t loadStream(FCFile& file, uint32_t flags, int32_t option);
    // 5: opens the file and calls slot 4.
    virtual int32_t load(const char* path, uint32_t flags, int32_t option);
    // 6: a rectangle into another 24-bit surface, scaled by nearest neighbour
    // (20.12 steps) when the sizes differ; clipped to both surfaces.
    virtual int32_t stretchTo(FCVSurface24& destination, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx,
        int32_t sy, int32_t sw, int32_t sh, uint32_t planes);
    // 7: the same into an 8-bit surface through GDI.
    virtual int32_t stretchTo8(FCVSurface& destination, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx,
        int32_t sy, int32_t sw, int32_t sh, uint32_t planes);
    // 8: slot 6 from the whole surface, both planes.
    virtual int32_t stretchAllTo(FCVSurface24& destination, int32_t dx, int32_t dy, int32_t dw, int32_t dh);
    // 9 to 11: StretchBlt (HALFTONE) into an 8-bit surface; a negative size
    // means the destination's (dw, dh) or this surface's (sw, sh).
    virtual int32_t gdiStretchTo(FCVSurface& destination, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx,
        int32_t sy, int32_t sw, int32_t sh);
    virtual int32_t gdiCopyTo(
        FCVSurface& destination, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h);
    virtual int32_t gdiStretchAllTo(FCVSurface& destination, int32_t dx, int32_t dy, int32_t dw, int32_t dh);
    // 12 to 15: painting into a device context.
    virtual int32_t paintRect(FCDCHolder& holder, const FCRect& rect);
    virtual int32_t paint(FCDCHolder& holder);
    virtual int32_t paintAt(FCDCHolder& holder, int32_t x, int32_t y, int32_t w, int32_t h, int32_t sx, int32_t sy);
    virtual int32_t paintWindow(const FCVWin* window);
    // 16: the window's pixels (client area when client is non-zero).
    virtual int32_t capture(FCWindowHandle window, int32_t client);
    // 17: an 8-bit or 24/32-bit DIB copied to 0, 0, clipped.
    virtual int32_t copyDib(const FCDib& dib);
    // 18: tiles this surface over an area of the destination (null: all).
    virtual int32_t tileTo(FCVSurface24& destination, const FCRect* area);
    // 19: whole copies over the area, the last ones not cut.
    virtual int32_t tilePaint(FCDCHolder& holder, const FCRect& area);
    // 20, 21: the "FCVSurface24" record, the 40-byte header, the pixels.
    virtual int32_t save(FCFile& file);
    virtual int32_t restore(FCFile& file);
    // 22 to 24: 24-bit BMP files.
    virtual int32_t saveShuffledBmp(const FCPathName& path, uint32_t key);
    virtual int32_t saveBmp(const FCPathName& path);
    virtual int32_t writeBmp(FCFile& file);

    // Lends the memory DC with the section selected; calls nest.
    void* getDC();
    void releaseDC();

    void destroy();
    // A plane of this size (kept, contents and all, when one exists); an
    // initial value below 256 fills a new plane. Throws
    // NotEnoughMemoryException ("FCVSurface24 - createAlpha()").
    void createAlpha(uint32_t initial);
    void destroyAlpha();
    // Plane present and not switched off.
    bool hasAlpha() const;

    int32_t width() const;
    int32_t height() const;
    int32_t stride() const { return width() * 4; }
    // First byte of the top row; rows below it are at negative strides.
    uint8_t* topRow() const;
    // Pixel (x, y) from the top; null outside.
    uint8_t* pixelAt(int32_t x, int32_t y) const;
    // The colour 0x00BBGGRR at (x, y); 0 outside.
    uint32_t pixel(int32_t x, int32_t y) const;

    // The colour over the whole surface or an area of it (clipped).
    void fill(uint32_t colour, const FCRect* area = nullptr);
    // Copies and blends into a destination, clipped to both; 1 when drawn.
    int32_t copyRect(FCVSurface24& destination, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h);
    int32_t blend(FCVSurface24& destination, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h);
    int32_t blendLevel(
        FCVSurface24& destination, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t level);
    // The mask (null: none) is read at the destination's coordinates.
    int32_t blendMask(FCVSurface24& destination, FCVSurface* mask, int32_t dx, int32_t dy, int32_t sx, int32_t sy,
        int32_t w, int32_t h, int32_t level);
    // Lanczos-3 from a source rectangle onto a destination rectangle; both
    // must lie inside their surfaces unless their sizes are equal (a blend).
    int32_t resample(FCVSurface24& destination, const FCRect& to, const FCRect& from);
    // The whole surface onto the whole destination; mode is not used.
    int32_t stretchSmooth(FCVSurface24& destination, int32_t mode);
    // Scales a rectangle of this alpha plane into one of the destination's.
    int32_t stretchAlpha(FCVSurface24& destination, const FCRect& to, const FCRect& from);
    // Mirrors a rectangle in place (w or h 0: the whole width or height).
    int32_t flip(uint32_t flags, int32_t x, int32_t y, int32_t w, int32_t h);
    int32_t copyFlipped(uint32_t flags, FCVSurface24& destination, int32_t dx, int32_t dy, int32_t sx, int32_t sy,
        int32_t w, int32_t h);

    uint32_t nextRandom(uint32_t range);

    // The scratch arrays with at least `words` words each (null when they
    // cannot be had); a request of 0 frees the array.
    uint32_t* scratchPair(uint32_t words);
    uint32_t* scratchSecond(uint32_t words);
    uint32_t* scratchThird(uint32_t words);
    void freeScratch();

    void* bitmap;
    FCDibHeader* header;
    uint8_t* bits;
    uint32_t cpuFeatures;
    FCCriticalSection dcLock; // with its waiter count
    FCDCHolder dc;
    int32_t dcUseCount;
    uint32_t randomState;
    Scratch scratch;
    FCVSurface* alpha;
    uint32_t alphaFlags;
    uint32_t imageInfo;
};

// The 24-bit surface of a layer: slot 25 tells the layer that a rectangle
// changed.
class LUMIVEX_API UxLayerVSurface24 : public FCVSurface24 {
public:
    UxLayerVSurface24();
    UxLayerVSurface24(int32_t width, int32_t height);
    ~UxLayerVSurface24() override;
    // 25: null means the whole layer.
    virtual void update(const FCRect* rect);

    FCLayerSurface* owner;
};
