#include "text/PrintLayout.h"

#include <cstdio>
#include <cstring>

#include "foundation/TextCodePage.h"

// 表示開始位置が、文字表示領域の外にはみ出しています。(
const char kLineOutsideText[] = "\x95\x5C\x8E\xA6\x8A"
                                "J\x8En\x88\xCA\x92u\x82\xAA\x81"
                                "A\x95\xB6\x8E\x9A\x95\x5C\x8E\xA6\x97\xCC\x88\xE6\x82\xCC\x8A"
                                "O\x82\xC9\x82\xCD\x82\xDD\x8F"
                                "o\x82\xB5\x82\xC4\x82\xA2\x82\xDC\x82\xB7\x81"
                                "B(";
// 表示許可領域外に初期化しようとしています\n
// 表示許可領域の左上座標で初期化して処理を継続します
const char kStartOutsideText[]
    = "\x95\x5C\x8E\xA6\x8B\x96\x89\xC2\x97\xCC\x88\xE6\x8A"
      "O\x82\xC9\x8F\x89\x8A\xFA\x89\xBB\x82\xB5\x82\xE6\x82\xA4\x82\xC6\x82\xB5\x82\xC4\x82\xA2\x82\xDC\x82\xB7\n"
      "\x95\x5C\x8E\xA6\x8B\x96\x89\xC2\x97\xCC\x88\xE6\x82\xCC\x8D\xB6\x8F\xE3\x8D\xC0\x95W\x82\xC5\x8F\x89\x8A\xFA"
      "\x89\xBB\x82\xB5\x82\xC4\x8F\x88\x97\x9D\x82\xF0\x8Cp\x91\xB1\x82\xB5\x82\xDC\x82\xB7";

namespace {

// Coordinates wrap rather than overflow, as the geometry records' do.
int32_t add(int32_t a, int64_t b)
{
    return int32_t(uint32_t(a) + uint32_t(int32_t(b)));
}

// The length of the character at p, never past `end`.
int32_t characterLength(const char* p, const char* end)
{
    return isLeadByte(static_cast<unsigned char>(*p)) && end - p >= 2 ? 2 : 1;
}

// The largest character boundary of text[0, length) not above `limit`.
int32_t boundaryAtOrBefore(const char* text, int32_t length, int32_t limit)
{
    int32_t at = 0;
    while (at < limit) {
        const int32_t next = at + characterLength(text + at, text + length);
        if (next > limit)
            break;
        at = next;
    }
    return at;
}

} // namespace

PrintLayout::PrintLayout(PrintLayoutState& state, PrintLayoutTarget& target)
    : state(state)
    , target(target)
{
}

int32_t PrintLayout::direction() const
{
    const bool vertical = (state.flags & PrintLayoutState::kVertical) != 0;
    const bool reversed = (state.flags & PrintLayoutState::kReversed) != 0;
    return vertical ? (reversed ? 8 : 2) : (reversed ? 4 : 1);
}

bool PrintLayout::inArea(int32_t x, int32_t y) const
{
    const FCRect& a = state.area;
    return x >= a.left && x < a.right && y >= a.top && y < a.bottom;
}

FCPoint PrintLayout::areaCorner() const
{
    const FCRect& a = state.area;
    switch (direction()) {
    case 1:
        return FCPoint(a.left, a.top);
    case 8:
        return FCPoint(add(a.right, -1), add(a.bottom, -1));
    default:
        return FCPoint(add(a.right, -1), a.top);
    }
}

FCPoint PrintLayout::startCorner() const
{
    const FCRect& a = state.area;
    const FCPoint& o = state.startOffset;
    switch (direction()) {
    case 1:
        return FCPoint(add(add(a.left, state.indent), o.x), add(a.top, o.y));
    case 2:
        return FCPoint(add(add(a.right, -int64_t(o.x)), -1), add(add(a.top, state.indent), o.y));
    case 4:
        return FCPoint(add(add(add(a.right, -int64_t(state.indent)), -int64_t(o.x)), -1), add(a.top, o.y));
    default:
        return FCPoint(
            add(add(a.right, -int64_t(o.x)), -1), add(add(add(a.bottom, -int64_t(state.indent)), -int64_t(o.y)), -1));
    }
}

void PrintLayout::home()
{
    setPosition(startCorner());
}

void PrintLayout::setPosition(const FCPoint& point)
{
    if (inArea(point.x, point.y)) {
        state.cursor = point;
        return;
    }
    target.warnStartOutside(kStartOutsideText);
    state.cursor = areaCorner();
    state.indent = 0;
}

bool PrintLayout::lineFits() const
{
    const FCRect& a = state.area;
    const int64_t x = state.cursor.x;
    const int64_t y = state.cursor.y;
    auto within = [](int64_t v, int64_t low, int64_t highExclusive) { return v >= low && v < highExclusive; };
    if (direction() == 1 || direction() == 4)
        return within(x, a.left, a.right) && within(y + state.linePitch - 1, a.top, a.bottom);
    return within(x - state.linePitch, a.left, a.right) && within(y, a.top, a.bottom);
}

int32_t PrintLayout::newLine(bool reportFull)
{
    const FCRect& a = state.area;
    FCPoint next = state.cursor;
    switch (direction()) {
    case 1:
        next = FCPoint(add(a.left, state.indent), add(next.y, state.linePitch));
        break;
    case 2:
        next = FCPoint(add(next.x, -int64_t(state.linePitch)), add(a.top, state.indent));
        break;
    case 4:
        next = FCPoint(add(add(a.right, -int64_t(state.indent)), -1), add(next.y, state.linePitch));
        break;
    default:
        next = FCPoint(add(next.x, -int64_t(state.linePitch)), add(add(a.bottom, -int64_t(state.indent)), -1));
        break;
    }
    // Past the far edge the area is full: going back to the corner would
    // draw over the text before the player has read it.
    const bool pastFarEdge = (direction() == 1 || direction() == 4) ? next.y >= a.bottom : next.x < a.left;
    if (pastFarEdge) {
        state.cursor = next;
        return full(reportFull);
    }
    if (!inArea(next.x, next.y)) {
        char notice[sizeof(kLineOutsideText) + 96];
        std::snprintf(notice, sizeof(notice), "%s%d,%d %dx%d in:%d,%d) \n", kLineOutsideText, a.left, a.top,
            int32_t(uint32_t(a.right) - uint32_t(a.left)), int32_t(uint32_t(a.bottom) - uint32_t(a.top)), next.x,
            next.y);
        target.debugNotice(notice);
        state.indent = 0;
        next = areaCorner();
    }
    state.cursor = next;
    return lineFits() ? 0 : full(reportFull);
}

int32_t PrintLayout::full(bool reportFull)
{
    if ((state.styleFlags & PrintLayoutState::kReportFull) || reportFull)
        return 2;
    target.areaFull();
    home();
    return 1;
}

bool PrintLayout::inKinsoku(const char* character, const char* end) const
{
    const char* set = state.kinsoku ? state.kinsoku : "";
    const char* setEnd = set + std::strlen(set);
    const int32_t length = characterLength(character, end);
    for (const char* p = set; p < setEnd;) {
        const int32_t n = characterLength(p, setEnd);
        if (n == length && std::memcmp(p, character, size_t(n)) == 0)
            return true;
        p += n;
    }
    return false;
}

int32_t PrintLayout::wrapPoint(const char* piece, int32_t fit, const char* end) const
{
    int32_t at = fit;
    if (!(state.flags & PrintLayoutState::kNoKinsoku) && state.kinsoku && *state.kinsoku) {
        // Back, one character at a time, while the character that would
        // begin the next line may not. If that reaches the start of the
        // piece, the original break stands: a piece is never empty.
        int32_t back = fit;
        while (back > 0 && inKinsoku(piece + back, end))
            back = boundaryAtOrBefore(piece, fit, back - 1);
        if (back > 0)
            at = back;
    }
    if (state.wordWrap) {
        // The last space after the piece's first character begins the next
        // piece.
        int32_t space = 0;
        for (int32_t i = 0; i < at; i += characterLength(piece + i, piece + at)) {
            if (i > 0 && piece[i] == ' ')
                space = i;
        }
        if (space > 0)
            at = space;
    }
    return at;
}

void PrintLayout::draw(const char* piece, int32_t length)
{
    if (!state.pieceDrawn) {
        state.firstPiece = state.cursor;
        state.pieceDrawn = true;
    }
    const int32_t x = state.cursor.x;
    const int32_t y = state.cursor.y;
    if ((state.styleFlags & PrintLayoutState::kOutline) && !state.paletteMode) {
        target.drawPiece(add(x, -1), y, piece, length, true);
        target.drawPiece(add(x, 1), y, piece, length, true);
        target.drawPiece(x, add(y, -1), piece, length, true);
        target.drawPiece(x, add(y, 1), piece, length, true);
    }
    target.drawPiece(x, y, piece, length, false);
    state.cursor.x = add(x, target.textWidth(piece, length));
}

int32_t PrintLayout::layout(const char* text, int32_t length)
{
    const char* end = text + (length > 0 ? length : 0);
    const bool outline = (state.styleFlags & PrintLayoutState::kOutline) != 0;
    bool firstLine = true;
    for (const char* line = text;;) {
        const char* lineEnd = line;
        while (lineEnd < end && *lineEnd != '\n')
            lineEnd += characterLength(lineEnd, end);
        if (!firstLine && newLine() == 2)
            return 2;
        // After a new line nothing is gained by another one when nothing
        // fits: the line is as wide as lines get.
        bool atLineStart = !firstLine;
        firstLine = false;

        const char* p = line;
        while (p < lineEnd) {
            const int32_t remaining = int32_t(lineEnd - p);
            const int64_t available64 = int64_t(state.area.right) - state.cursor.x - state.indent - state.rightMargin;
            const int32_t available = available64 < 0 ? 0 : available64 > INT32_MAX ? INT32_MAX : int32_t(available64);
            int32_t fit = available > 0 ? target.fitBytes(p, remaining, available) : 0;
            fit = fit < 0 ? 0 : fit > remaining ? remaining : fit;
            if (outline) {
                while (fit > 0 && int64_t(target.textWidth(p, fit)) + 4 > available)
                    --fit;
            }
            fit = boundaryAtOrBefore(p, remaining, fit);
            int32_t pieceEnd = remaining;
            if (fit == 0) {
                if (!atLineStart) {
                    if (newLine() == 2)
                        return 2;
                    atLineStart = true;
                    continue;
                }
                // Narrower than one character: draw it anyway so the text
                // moves on.
                fit = characterLength(p, lineEnd);
            }
            if ((state.styleFlags & PrintLayoutState::kCutLines) && fit < remaining)
                pieceEnd = fit; // the rest of the line is dropped
            if (fit < pieceEnd) {
                const int32_t at = wrapPoint(p, fit, lineEnd);
                draw(p, at);
                p += at;
                if (newLine() == 2)
                    return 2;
                atLineStart = true;
                continue;
            }
            if (state.styleFlags & PrintLayoutState::kCentre) {
                const int64_t offset
                    = (int64_t(state.area.right) - state.area.left - target.textWidth(p, pieceEnd)) / 2;
                if (offset > 0)
                    state.cursor.x = add(state.area.left, offset);
            }
            draw(p, pieceEnd);
            atLineStart = false;
            if (pieceEnd < remaining)
                break;
            p += pieceEnd;
        }
        if (lineEnd >= end)
            return 0;
        line = lineEnd + 1;
    }
}
