#pragma once

#include <windows.h>

#include <cstdint>

#include "foundation/LumivexApi.h"

class FCVSurface;

// The outline metrics of the font selected into a device context.
class LUMIVEX_API OutlineMetrics {
public:
    enum Status : int32_t {
        kSuccess = 0,
        kUnknown = 1,
        kNoSize = 2, // the size query returned 0
        kNoMemory = 3,
        kNoMetrics = 4, // the metrics query returned 0
    };

    explicit OutlineMetrics(HDC dc);
    OutlineMetrics(const OutlineMetrics&) = delete;
    OutlineMetrics& operator=(const OutlineMetrics&) = delete;
    ~OutlineMetrics();

    // Whether there was an error. With `show`, an error is put to the player
    // once more each time until they choose to ignore such errors for the
    // rest of the run (the box offers that).
    bool reportOutlineError(bool show, HWND owner);
    static const char* statusText(int32_t status);

    OUTLINETEXTMETRICW* metrics;
    int32_t status;
    int32_t errorCode;

    // The player chose to ignore outline-metric errors (not saved).
    static bool ignoreErrors;
};

// Where and how a piece of text is drawn.
struct GlyphTarget {
    HDC dc; // font, background mode and colour already selected
    FCVSurface* surface; // the 8-bit surface behind dc; its pixels for the palette path
    bool paletteMode; // the anti-aliased path writing palette indices
    bool outlined; // the outline style of the palette path
    int32_t paletteBase;
    HWND owner; // of the outline-metrics error box
};

// Draws `length` bytes of game text at (x, y): plainly through the device
// context, or in palette mode glyph by glyph from the font's 17-level
// coverage. Returns the x after the piece (the palette path's own advance).
LUMIVEX_API int32_t drawGlyphs(const GlyphTarget& target, int32_t x, int32_t y, const char* text, int32_t length);
