#pragma once

#include <windows.h>

#include <cstdint>

#include "foundation/FCGeometry.h"
#include "foundation/FCString.h"
#include "foundation/FCSync.h"
#include "foundation/FCXList.h"
#include "foundation/LumivexApi.h"
#include "surface/FCVSurface.h"
#include "text/FCFont.h"

class FCLayerSurface;
class FCOasys;
class FCWaveDevice;
class FCWindow;

// A character drawn ahead of time for scenario code: its size and pixels.
struct LUMIVEX_API UxPrintableChar {
    UxPrintableChar() = default;
    UxPrintableChar(const UxPrintableChar&) = delete;
    UxPrintableChar& operator=(const UxPrintableChar&) = delete;
    ~UxPrintableChar() { delete[] pixels; }

    FCSize size;
    uint8_t* pixels = nullptr; // owned
};

// A substitution applied to printed text: every `find` becomes `replacement`.
struct LUMIVEX_API FCPAConvertContainer {
    FCString find;
    FCString replacement;
};

// What a click wait gets: the area, the window, the manager waiting for the
// player, and the wait's parameter.
struct FCHitretDataContainer {
    FCRect area;
    FCWindow* window = nullptr;
    FCOasys* manager = nullptr;
    int32_t parameter = -1;
};

// The click wait of a print area; the owner may put a wait function of its
// own in place of hitretWait.
class LUMIVEX_API FCHitret {
public:
    using WaitFunction = int32_t (*)(FCHitretDataContainer* data);

    FCHitret();
    virtual ~FCHitret();

    WaitFunction wait;
    FCHitretDataContainer data;
};

// The default click wait: the click-wait animation at the area's
// bottom-right corner while the manager waits for a click (mode 1). Without
// a window or a manager a message box stands in for it.
LUMIVEX_API int32_t hitretWait(FCHitretDataContainer* data);

// Text laid out and drawn into a rectangle of an 8-bit surface, with the
// click wait when the rectangle is full. Scenario modules use the class on
// their own objects, so the member order is fixed.
class LUMIVEX_API FCPrintArea {
public:
    enum : uint32_t {
        kVertical = 0x4,
        kReversed = 0x8,
        kInitialised = 0x40,
        kThroughLayer = 0x80,
        kNoKinsoku = 0x800000,
    };
    enum : uint32_t {
        kHomeAfterPrint = 0x1,
        kCutLines = 0x100,
        kCentre = 0x200,
        kOutline = 0x400,
        kTwoColours = 0x800,
        kReportFull = 0x1000,
    };
    enum : uint32_t {
        kPrintWait = 0x1, // wait for a click at the end, then clear
        kPrintFlush = 0x2,
    };
    enum : uint32_t {
        kClearFlush = 0x2,
        kClearLinked = 0x100,
    };

    FCPrintArea();
    FCPrintArea(const FCPrintArea&) = delete;
    FCPrintArea& operator=(const FCPrintArea&) = delete;
    virtual ~FCPrintArea();

    // Negative numbers, and style -1, leave that item; style bit 0
    // underline, 1 strike-out, 2 italic; faces of 32 bytes or more are
    // ignored.
    void setFont(
        int32_t height, int32_t weight, int32_t style, int32_t pitchAndFamily, int32_t charSet, const char* face);
    // Detaches the previous window (its surface and layer go too) and
    // returns it.
    FCWindow* attachWindow(FCWindow* newWindow);
    void setPosition(const FCPoint& point);
    void home();
    void clearArea(uint32_t bits);
    void flushArea();
    // 0, or 2 when the area became full and styleFlags 0x1000 asks for that.
    int32_t print(
        const char* text, FCHitretDataContainer* hitretData, const char* voice, void* animation, uint32_t mode);
    void acquireDC();
    void releaseDC();

    // The process-wide switch that breaks wrapped lines at their last space.
    static void setWordWrap(bool on);
    static bool wordWrap();

    uint32_t flags;
    FCLayerSurface* layer;
    FCWindow* window;
    FCVSurface* surface;
    int32_t layerIndex;
    int32_t layerOffsetX;
    int32_t layerOffsetY;
    uint32_t layerFill;
    int32_t reserved1[4];
    FCSize size;
    FCXList<UxPrintableChar> printables;
    FCXQue<UxPrintableChar> printQueue;
    int32_t reserved2[4];
    FCWaveDevice* waveDevice;
    FCHitret hitret;
    FCPrintArea* linkedArea;
    FCCriticalSection lock;
    FCVSurface work;
    FCRect area;
    FCPoint cursor;
    FCPoint startOffset;
    int32_t linePitch;
    int32_t indent;
    int32_t rightMargin;
    uint32_t styleFlags;
    // A palette index below 256, or a surface whose tiling paints the area.
    uintptr_t background;
    FCRect dirty;
    FCFont font;
    HFONT hFont;
    COLORREF textColours[8];
    COLORREF outlineColours[8];
    uint8_t paletteBackground[3];
    int32_t paletteSlot;
    FCString kinsoku;
    FCString secondString;
    int32_t hitretParameter;
    uint8_t reservedByte;
    uint8_t paletteMode;
    int32_t paletteBase;
    HDC dc;
    int32_t dcCount;
    FCPoint firstPiece;
    FCPoint reservedPoint;
    FCXList<FCPAConvertContainer> conversions;

private:
    void initialise();
    int32_t runClickWait(FCHitretDataContainer* data);
    HGDIOBJ previousFont = nullptr;
    COLORREF previousColour = 0;
    int previousMode = 0;
};
