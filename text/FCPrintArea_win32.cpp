#include "text/FCPrintArea.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/TextCodePage.h"
#include "foundation/UxMessageBox.h"
#include "layer/FCAnimatedControl.h"
#include "scenario/FCOasys.h"
#include "scenario/FCWindowRequest.h"
#include "sound/DebuggerOutput.h"
#include "text/GlyphKernels.h"
#include "text/GlyphRenderer_win32.h"
#include "text/PrintLayout.h"
#include "window/FCWindow.h"

namespace {

// ヒットレット待ち
const char kHitretStandIn[] = "\x83q\x83"
                              "b\x83g\x83\x8C\x83"
                              "b\x83g\x91\xD2\x82\xBF";

std::atomic<bool> g_wordWrap { false };

int32_t characterLength(const char* p, const char* end)
{
    return isLeadByte(static_cast<unsigned char>(*p)) && end - p >= 2 ? 2 : 1;
}

// Game text as wide characters, with the byte offset at which each wide
// character's game character begins (and the total at the end), so that a
// count of wide characters that fit maps back to bytes.
struct WideText {
    std::wstring text;
    std::vector<int32_t> byteAt;
};

WideText widen(const char* text, int32_t length)
{
    WideText wide;
    const char* end = text + length;
    for (const char* p = text; p < end;) {
        const int32_t n = characterLength(p, end);
        wchar_t units[2];
        int made = MultiByteToWideChar(textCodePage(), 0, p, n, units, 2);
        if (made <= 0) {
            units[0] = L'?';
            made = 1;
        }
        for (int i = 0; i < made; ++i) {
            wide.text += units[i];
            wide.byteAt.push_back(int32_t(p - text));
        }
        p += n;
    }
    wide.byteAt.push_back(length);
    return wide;
}

// The layout's notices about positions outside the area: the warning box
// owned by the area's window, and the debugger line.
class AreaNotices : public PrintLayoutTarget {
public:
    explicit AreaNotices(FCPrintArea& area)
        : area(area)
    {
    }
    void warnStartOutside(const char* text) override
    {
        UxMessageBox::show(area.window ? area.window->handle : nullptr, text, "FCPrintArea manager",
            MB_ICONWARNING | MB_TASKMODAL | MB_SETFOREGROUND);
    }
    void debugNotice(const char* text) override { debuggerOutput(text); }

protected:
    FCPrintArea& area;
};

// The print area's device as the layout sees it.
class AreaTarget final : public AreaNotices {
public:
    explicit AreaTarget(
        FCPrintArea& area, FCHitretDataContainer* hitretData, int32_t (*wait)(FCPrintArea&, FCHitretDataContainer*))
        : AreaNotices(area)
        , hitretData(hitretData)
        , wait(wait)
    {
    }

    int32_t fitBytes(const char* text, int32_t length, int32_t maxWidth) override
    {
        const WideText wide = widen(text, length);
        INT fit = 0;
        SIZE size {};
        if (!GetTextExtentExPointW(area.dc, wide.text.c_str(), int(wide.text.size()), maxWidth, &fit, nullptr, &size))
            return 0;
        if (fit < 0)
            fit = 0;
        if (size_t(fit) >= wide.byteAt.size())
            fit = int(wide.byteAt.size() - 1);
        return wide.byteAt[size_t(fit)];
    }
    int32_t textWidth(const char* text, int32_t length) override
    {
        const WideText wide = widen(text, length);
        SIZE size {};
        GetTextExtentPoint32W(area.dc, wide.text.c_str(), int(wide.text.size()), &size);
        return size.cx;
    }
    void drawPiece(int32_t x, int32_t y, const char* text, int32_t length, bool outline) override
    {
        if (outline)
            SetTextColor(area.dc, area.outlineColours[0]);
        const GlyphTarget target { area.dc, area.surface, area.paletteMode != 0,
            (area.styleFlags & FCPrintArea::kOutline) != 0, area.paletteBase,
            area.window ? reinterpret_cast<HWND>(area.window->handle) : nullptr };
        drawGlyphs(target, x, y, text, length);
        if (outline)
            SetTextColor(area.dc, area.textColours[0]);
        // The changed part, for the next flush.
        const int32_t right = x + textWidth(text, length) + 2;
        const int32_t bottom = y + area.linePitch + 2;
        FCRect& d = area.dirty;
        if (d.right <= d.left || d.bottom <= d.top)
            d = FCRect(x - 1, y - 1, right, bottom);
        else
            d = FCRect(
                std::min(d.left, x - 1), std::min(d.top, y - 1), std::max(d.right, right), std::max(d.bottom, bottom));
    }
    void areaFull() override
    {
        area.flushArea();
        wait(area, hitretData);
        area.clearArea(FCPrintArea::kClearFlush);
    }

private:
    FCHitretDataContainer* hitretData;
    int32_t (*wait)(FCPrintArea&, FCHitretDataContainer*);
};

// Copies the area's layout members in and out of the layout's state.
PrintLayoutState layoutStateOf(const FCPrintArea& area)
{
    PrintLayoutState state;
    state.flags = area.flags;
    state.styleFlags = area.styleFlags;
    state.area = area.area;
    state.cursor = area.cursor;
    state.startOffset = area.startOffset;
    state.linePitch = area.linePitch;
    state.indent = area.indent;
    state.rightMargin = area.rightMargin;
    state.kinsoku = area.kinsoku.text();
    state.paletteMode = area.paletteMode != 0;
    state.wordWrap = FCPrintArea::wordWrap();
    return state;
}

void storeLayoutState(FCPrintArea& area, const PrintLayoutState& state)
{
    area.cursor = state.cursor;
    area.indent = state.indent;
    if (state.pieceDrawn)
        area.firstPiece = state.firstPiece;
}

// The target of home and setPosition: nothing to measure or draw.
class WarningTarget final : public AreaNotices {
public:
    using AreaNotices::AreaNotices;
    int32_t fitBytes(const char*, int32_t, int32_t) override { return 0; }
    int32_t textWidth(const char*, int32_t) override { return 0; }
    void drawPiece(int32_t, int32_t, const char*, int32_t, bool) override { }
    void areaFull() override { }
};

int32_t waitForArea(FCPrintArea& area, FCHitretDataContainer* data)
{
    FCHitretDataContainer* used = data ? data : &area.hitret.data;
    used->area = area.area;
    if (area.window)
        used->window = area.window;
    used->parameter = area.hitretParameter;
    return area.hitret.wait ? area.hitret.wait(used) : 0;
}

} // namespace

// --- The click wait ---

FCHitret::FCHitret()
    : wait(hitretWait)
{
}

FCHitret::~FCHitret() = default;

int32_t hitretWait(FCHitretDataContainer* data)
{
    if (!data || !data->window || !data->window->isLive() || !data->manager) {
        UxMessageBox::show(nullptr, kHitretStandIn, "FCHitret - default", MB_OK);
        return 0;
    }
    const FCRect& area = data->area;
    FCWindowRequest request {};
    request.kind = FCAnimatedControl::kKind;
    request.left = area.right - 24;
    request.top = area.bottom - 24;
    request.right = area.right;
    request.bottom = area.bottom;
    request.parent = data->window;
    request.style = 0x2; // ACS_TRANSPARENT
    char name[48];
    wsprintfA(name, "hitret %p", static_cast<void*>(data));
    request.name = name;
    auto* control = static_cast<FCAnimatedControl*>(data->manager->requestWindow(request));
    // The control goes whatever the wait ends with (a stop ends it by an
    // exception).
    struct Remove {
        FCOasys* manager;
        FCAnimatedControl* control;
        const char* name;
        ~Remove()
        {
            if (control)
                control->stop();
            manager->destroyWindow(name);
        }
    } remove { data->manager, control, name };
    if (control && control->open("_def_hitret_anime"))
        control->play(-1, 0, 0xFFFF);
    return data->manager->waitInput(data->parameter, 1, 0);
}

// --- The print area ---

FCPrintArea::FCPrintArea()
    : flags(0)
    , layer(nullptr)
    , window(nullptr)
    , surface(nullptr)
    , layerIndex(255)
    , layerOffsetX(2)
    , layerOffsetY(2)
    , layerFill(0x202020)
    , reserved1 {}
    , reserved2 { 0, 0, 0, -1 }
    , waveDevice(nullptr)
    , linkedArea(nullptr)
    , linePitch(20)
    , indent(0)
    , rightMargin(0)
    , styleFlags(0)
    , background(255)
    , hFont(nullptr)
    , textColours {}
    , paletteBackground {}
    , paletteSlot(6)
    , hitretParameter(-1)
    , reservedByte(8)
    , paletteMode(0)
    , paletteBase(0)
    , dc(nullptr)
    , dcCount(0)
{
    for (COLORREF& colour : outlineColours)
        colour = 0xFFFFFF;
    initialise();
}

FCPrintArea::~FCPrintArea()
{
    while (dcCount > 0)
        releaseDC();
    printables.clearNodes();
    printQueue.clearNodes();
    conversions.clearNodes();
}

void FCPrintArea::initialise()
{
    flags |= kInitialised;
    setFont(16, 400, 0, 1, 128, kDefaultFaceName);
    startOffset = FCPoint(0, 0);
}

void FCPrintArea::setFont(
    int32_t height, int32_t weight, int32_t style, int32_t pitchAndFamily, int32_t charSet, const char* face)
{
    FCLock guard(&lock);
    LOGFONTA& d = font.description;
    if (height >= 0)
        font.setHeight(height);
    if (weight >= 0)
        d.lfWeight = weight;
    if (style != -1) {
        d.lfUnderline = (style & 1) ? 1 : 0;
        d.lfStrikeOut = (style & 2) ? 1 : 0;
        d.lfItalic = (style & 4) ? 1 : 0;
    }
    if (pitchAndFamily >= 0)
        d.lfPitchAndFamily = BYTE(pitchAndFamily);
    if (charSet >= 0)
        d.lfCharSet = BYTE(charSet);
    if (face)
        font.setFaceName(face);
    d.lfQuality = 2;
    hFont = font.create();
    if (dc && hFont)
        SelectObject(dc, hFont);
}

FCWindow* FCPrintArea::attachWindow(FCWindow* newWindow)
{
    FCLock guard(&lock);
    FCWindow* old = window;
    flags &= ~1u;
    window = nullptr;
    surface = nullptr;
    layer = nullptr;
    // A window with an 8-bit picture of its own answers 0x8001 with it; the
    // others leave the surface to the owner.
    window = newWindow;
    return old;
}

void FCPrintArea::setPosition(const FCPoint& point)
{
    FCLock guard(&lock);
    PrintLayoutState state = layoutStateOf(*this);
    WarningTarget target(*this);
    PrintLayout(state, target).setPosition(point);
    storeLayoutState(*this, state);
}

void FCPrintArea::home()
{
    FCLock guard(&lock);
    PrintLayoutState state = layoutStateOf(*this);
    WarningTarget target(*this);
    PrintLayout(state, target).home();
    storeLayoutState(*this, state);
}

void FCPrintArea::clearArea(uint32_t bits)
{
    FCLock guard(&lock);
    if (surface) {
        if (background < 256) {
            const int32_t left = std::max(area.left, 0), top = std::max(area.top, 0);
            const int32_t right = std::min(area.right, surface->width());
            const int32_t bottom = std::min(area.bottom, surface->height());
            for (int32_t y = top; y < bottom; ++y)
                if (right > left)
                    std::memset(surface->pixel(left, y), int(background), size_t(right - left));
        } else {
            reinterpret_cast<FCVSurface*>(background)->tileTo(*surface, &area);
        }
    }
    if (bits & kClearFlush)
        flushArea();
    if ((bits & kClearLinked) && linkedArea && linkedArea != this) {
        FCPrintArea& linked = *linkedArea;
        linked.clearArea(bits & ~kClearLinked);
        if (linked.styleFlags & kHomeAfterPrint)
            linked.home();
    }
    home();
}

void FCPrintArea::flushArea()
{
    FCLock guard(&lock);
    if (area.right <= area.left || area.bottom <= area.top)
        return;
    if (layer)
        return; // shown through its layer: the layer's own update brings it
    if (window && window->isLive()) {
        RECT rect { area.left, area.top, area.right, area.bottom };
        window->redraw(&rect, 0);
    } else if (surface) {
        surface->update(&area);
    }
}

void FCPrintArea::acquireDC()
{
    FCLock guard(&lock);
    if (!surface)
        return;
    if (dcCount++ > 0)
        return;
    dc = static_cast<HDC>(surface->getDC());
    if (!dc) {
        dcCount = 0;
        return;
    }
    previousFont = hFont ? SelectObject(dc, hFont) : nullptr;
    previousMode = SetBkMode(dc, TRANSPARENT);
    previousColour = SetTextColor(dc, textColours[0]);
}

void FCPrintArea::releaseDC()
{
    FCLock guard(&lock);
    if (dcCount <= 0 || --dcCount > 0)
        return;
    if (dc) {
        if (previousFont)
            SelectObject(dc, previousFont);
        SetBkMode(dc, previousMode);
        SetTextColor(dc, previousColour);
        surface->releaseDC();
    }
    dc = nullptr;
}

void FCPrintArea::setWordWrap(bool on)
{
    g_wordWrap = on;
}

bool FCPrintArea::wordWrap()
{
    return g_wordWrap;
}

int32_t FCPrintArea::print(
    const char* text, FCHitretDataContainer* hitretData, const char* voice, void* animation, uint32_t mode)
{
    (void)voice;
    (void)animation;
    FCLock guard(&lock);
    if (!surface || !text)
        return 0;
    acquireDC();
    if (!dc)
        return 0;
    if (paletteMode) {
        const int32_t entry = (paletteBase >> 4) & 7;
        uint8_t palette[1024];
        std::memcpy(palette, surface->colorTable(), sizeof(palette));
        GlyphKernels::preparePalette(
            palette, paletteBase, textColours[entry], outlineColours[entry], (styleFlags & kOutline) != 0);
        surface->setColorRange(palette, 0, 256);
    }

    FCString converted(text);
    for (FCXListIterator<FCPAConvertContainer> it(&conversions); FCPAConvertContainer* c = it.next();)
        converted.replaceAll(c->find.text(), c->replacement.text());

    PrintLayoutState state = layoutStateOf(*this);
    AreaTarget target(*this, hitretData, waitForArea);
    int32_t result;
    {
        PrintLayout layout(state, target);
        result = layout.layout(converted.text(), converted.length());
    }
    storeLayoutState(*this, state);

    if (mode & kPrintFlush)
        flushArea();
    if (result != 2 && (mode & kPrintWait) && window) {
        waitForArea(*this, hitretData);
        home();
        clearArea(kClearFlush | kClearLinked);
    }
    if (styleFlags & kHomeAfterPrint)
        home();
    releaseDC();
    return result;
}
