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
class FCString;
class FCVWin;
class FCVSurface24;
class FCLayerSurface;
class UxLayerSurface;

// The 8-bit palettised surface: a DIB section of one byte per pixel with a
// 256-entry colour table, rows bottom-up, stride = width rounded up to 4. It
// is also the alpha plane of every surface and the mask of rule blends.
// Scenario modules call its slots and read its members, so both orders are
// fixed. Win32 only.
class LUMIVEX_API FCVSurface {
public:
    // Alpha flags word.
    enum : uint32_t {
        kAlphaConverting = 0x2, // colour is being converted without alpha
        kAlphaOff = 0x4, // the alpha plane is switched off
    };
    // Alpha state word.
    enum : uint32_t { kAlphaValid = 0x2 };

    FCVSurface();
    FCVSurface(int32_t width, int32_t height, uint32_t fill = 0x100);
    FCVSurface(const FCVSurface&) = delete;
    FCVSurface& operator=(const FCVSurface&) = delete;

    // 0: destroys the surface and its alpha plane, closes the DC holder.
    virtual ~FCVSurface();
    // 1, 2: slot 6 with the path's or the string's text.
    virtual int32_t load(const FCPathName& path, uint32_t flags, int32_t option);
    virtual int32_t load(const FCString& name, uint32_t flags, int32_t option);
    // 3: a value below 0x10000 is a resource number of the module, anything
    // else a file name for slot 6.
    virtual int32_t load(const char* nameOrResource, uint32_t flags, void* module, int32_t option);
    // 4: the DIB's picture (SetDIBColorTable, StretchDIBits); 1 when taken.
    virtual int32_t loadDib(const FCDib& dib, uint32_t flags);
    // 5: a new DIB section; a fill below 256 fills every pixel with it.
    virtual int32_t create(int32_t width, int32_t height, uint32_t fill);
    // 6: a file of any supported format.
    virtual int32_t load(const char* fileName, uint32_t flags, int32_t option);
    // 7: into a layer holder's surface, by what it holds.
    virtual int32_t drawTo(UxLayerSurface* holder, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx,
        int32_t sy, int32_t sw, int32_t sh, uint32_t planes);
    // 8: into a 24-bit surface.
    virtual int32_t drawTo(FCVSurface24* destination, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx,
        int32_t sy, int32_t sw, int32_t sh, uint32_t planes);
    // 9: into another 8-bit surface with StretchBlt (alpha with planes bit 1).
    virtual int32_t drawTo(FCVSurface* destination, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx,
        int32_t sy, int32_t sw, int32_t sh, uint32_t planes);
    // 10: StretchBlt at equal sizes; 11: the whole surface stretched. A
    // negative size means the whole surface (destination or source).
    virtual int32_t gdiCopyTo(
        FCVSurface& destination, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h);
    virtual int32_t gdiStretchAllTo(FCVSurface& destination, int32_t dx, int32_t dy, int32_t dw, int32_t dh);
    // 12 to 15: painting into a device context.
    virtual int32_t paintRect(FCDCHolder& holder, const FCRect& rect);
    virtual int32_t paint(FCDCHolder& holder);
    virtual int32_t paintAt(FCDCHolder& holder, int32_t x, int32_t y, int32_t w, int32_t h, int32_t sx, int32_t sy);
    virtual int32_t paintWindow(const FCVWin* window);
    // 16: a keyed copy into a layer holder's surface.
    virtual int32_t copyTo(
        UxLayerSurface* holder, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t keyMode);
    // 17: a keyed copy of a rectangle into another 8-bit surface (copy8).
    virtual int32_t copyRectTo(
        FCVSurface& destination, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t keyMode);
    // 18: tiles this surface over an area of the destination (null: all of it).
    virtual int32_t tileTo(FCVSurface& destination, const FCRect* area);
    // 19: whole copies over the area, the last ones not cut.
    virtual int32_t tilePaint(FCDCHolder& holder, const FCRect& area);
    // 20, 21: colour entries (4 bytes: blue, green, red, 0) into the table.
    virtual int32_t setColors(const uint8_t* entries, int32_t destination, int32_t source, int32_t count);
    virtual int32_t setColorRange(const uint8_t* entries, int32_t start, int32_t count);
    // 22 to 24: the whole table of another picture.
    virtual int32_t copyPaletteFromHolder(UxLayerSurface* holder);
    virtual int32_t copyPalette(const FCVSurface& other);
    virtual int32_t copyPaletteFromDib(const FCDib& dib);
    // 25: each channel from + ((to - from) x step) / steps.
    virtual int32_t fadePalette(const uint8_t* from, const uint8_t* to, int32_t step, int32_t steps);
    // 26: count entries of 3 bytes (red, green, blue) placed from start; a
    // non-zero flag takes 4-byte entries (blue, green, red, 0) instead.
    virtual int32_t setColorBytes(const uint8_t* bytes, int32_t start, int32_t count, int32_t fourByteEntries);
    // 27, 28: the "FCVSurface" record, the 1064-byte block, the pixels.
    virtual int32_t save(FCFile& file);
    virtual int32_t restore(FCFile& file);
    // 29 to 31: BMP files.
    virtual int32_t saveShuffledBmp(const FCPathName& path, uint32_t key);
    virtual int32_t saveBmp(const FCPathName& path);
    virtual int32_t writeBmp(FCFile& file);
    // 32: a rectangle changed (null: all); only a layer's surface listens.
    virtual void update(const FCRect* rect);

    // Lends the memory DC with the section selected; calls nest.
    void* getDC();
    void releaseDC();

    void destroy();
    void destroyAlpha();
    // A new plane from a colour key on the 0..16 scale (see Surface8Kernels):
    // key -1 is the top-left index, other keys outside 0..255 only make the
    // plane. Throws NotEnoughMemoryException ("FCVSurface - createAlpha()").
    void createAlpha(int32_t key, bool keep, uint32_t initial);
    // Plane present, not switched off, holding valid alpha.
    bool alphaInUse() const;

    int32_t width() const;
    int32_t height() const; // absolute
    int32_t stride() const;
    uint8_t* colorTable() const;
    // First byte of the top row; rows below it are at negative strides.
    uint8_t* topRow() const;
    // Pixel (x, y) from the top; null outside.
    uint8_t* pixel(int32_t x, int32_t y) const;

    // The keyed 8-bit copy (key mode -2 all, -1 top-left, 0..255), clipped.
    int32_t copy8(
        FCVSurface& destination, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t keyMode);
    // The 8-to-24-bit draw into a bottom-up plane of 4-byte pixels of the
    // given size (the 24-bit surface's pixel memory), clipped.
    int32_t draw8To24(uint8_t* bits24, int32_t width24, int32_t height24, int32_t dx, int32_t dy, int32_t sx,
        int32_t sy, int32_t w, int32_t h, int32_t keyMode);

    void* bitmap;
    FCDibHeader* info; // the header and 256 colour entries, 1064 bytes
    uint8_t* bits;
    FCCriticalSection dcLock; // with its waiter count
    FCDCHolder dc;
    int32_t dcUseCount;
    uint32_t alphaFlags;
    FCVSurface* alpha;
    uint32_t alphaState;
    FCRect rect;

protected:
    // Sends the whole table to the section.
    void applyColorTable();
    int32_t loadDelta(FCFile& file);
};

// The 8-bit surface of a layer: slot 32 tells the layer that a rectangle
// changed.
class LUMIVEX_API UxLayerVSurface8 : public FCVSurface {
public:
    UxLayerVSurface8();
    UxLayerVSurface8(int32_t width, int32_t height, uint32_t fill = 0);
    ~UxLayerVSurface8() override;
    void update(const FCRect* rect) override;

    FCLayerSurface* owner;
};
