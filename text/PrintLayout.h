#pragma once

#include <cstdint>

#include "foundation/FCGeometry.h"
#include "foundation/LumivexApi.h"

// The layout of a print area: where lines start in each writing direction,
// when the area is full, and how text of the game's code page is broken
// into pieces that fit. Measuring, drawing and the click wait belong to the
// target, so the whole layout runs without a device (tests measure with
// fixed advances).

// What the layout needs from the surface and the player.
class LUMIVEX_API PrintLayoutTarget {
public:
    virtual ~PrintLayoutTarget() = default;
    // How many bytes of text[0, length) fit into maxWidth pixels (a prefix,
    // in bytes), and the width of all `length` bytes.
    virtual int32_t fitBytes(const char* text, int32_t length, int32_t maxWidth) = 0;
    virtual int32_t textWidth(const char* text, int32_t length) = 0;
    // Draws a piece at (x, y); `outline` for the four outline passes.
    virtual void drawPiece(int32_t x, int32_t y, const char* text, int32_t length, bool outline) = 0;
    // The area is full: show it, wait for the click and clear it (the
    // layout then goes back to the start corner).
    virtual void areaFull() = 0;
    // A start position outside the area (kStartOutsideText, a warning box).
    virtual void warnStartOutside(const char* text) = 0;
    // A line position outside the area (a notice on the debugger output).
    virtual void debugNotice(const char* text) = 0;
};

// The members of the print area the layout reads and moves.
struct LUMIVEX_API PrintLayoutState {
    enum : uint32_t {
        kVertical = 0x4,
        kReversed = 0x8,
        kNoKinsoku = 0x800000,
    };
    enum : uint32_t {
        kHomeAfterPrint = 0x1,
        kCutLines = 0x100,
        kCentre = 0x200,
        kOutline = 0x400,
        kReportFull = 0x1000,
    };
    uint32_t flags = 0;
    uint32_t styleFlags = 0;
    FCRect area;
    FCPoint cursor;
    FCPoint startOffset;
    int32_t linePitch = 20;
    int32_t indent = 0;
    int32_t rightMargin = 0;
    const char* kinsoku = ""; // characters that may not begin a line
    bool paletteMode = false; // pieces are drawn once, without outline passes
    bool wordWrap = false; // break at the last space of a piece
    FCPoint firstPiece;
    bool pieceDrawn = false; // firstPiece holds this print's first piece
};

// The notice texts, in code page 932.
extern LUMIVEX_API const char kStartOutsideText[];
extern LUMIVEX_API const char kLineOutsideText[];

class LUMIVEX_API PrintLayout {
public:
    PrintLayout(PrintLayoutState& state, PrintLayoutTarget& target);

    // 1 left to right, 2 columns right to left, 4 right-aligned, 8 bottom-up.
    int32_t direction() const;
    // Cursor to the start corner of the direction.
    void home();
    // Moves the cursor; a point outside the area is replaced by the area's
    // corner for the direction, with the warning.
    void setPosition(const FCPoint& point);
    // The next line: 0 go on, 1 the area was full and has been cleared, 2
    // the area is full and styleFlags asks for that to be reported (or
    // `reportFull`).
    int32_t newLine(bool reportFull = false);
    // Lays out and draws the text: 0, or 2 when the area became full with
    // styleFlags 0x1000.
    int32_t layout(const char* text, int32_t length);

private:
    bool inArea(int32_t x, int32_t y) const;
    FCPoint areaCorner() const;
    FCPoint startCorner() const;
    bool lineFits() const;
    // Where a piece of `length` bytes wrapping at `fit` should break.
    int32_t wrapPoint(const char* piece, int32_t fit, const char* end) const;
    bool inKinsoku(const char* character, const char* end) const;
    int32_t full(bool reportFull);
    void draw(const char* piece, int32_t length);

    PrintLayoutState& state;
    PrintLayoutTarget& target;
};
