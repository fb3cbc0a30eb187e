#include "text/GlyphRenderer_win32.h"

#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "foundation/TextCodePage.h"
#include "foundation/UxMessageBox.h"
#include "sound/DebuggerOutput.h"
#include "surface/FCVSurface.h"
#include "text/GlyphKernels.h"

namespace {

// 以降このエラーを無視しますか？\n
// 無視した場合でもゲームを再起動すれば１度は表示されます。
const char kIgnoreQuestion[]
    = "\x88\xC8\x8D~\x82\xB1\x82\xCC\x83G\x83\x89\x81[\x82\xF0\x96\xB3\x8E\x8B\x82\xB5\x82\xDC\x82\xB7\x82\xA9\x81"
      "H\n\x96\xB3\x8E\x8B\x82\xB5\x82\xBD\x8F\xEA\x8D\x87\x82\xC5\x82\xE0\x83Q\x81[\x83\x80\x82\xF0\x8D\xC4\x8B"
      "N\x93\xAE\x82\xB7\x82\xEA\x82\xCE\x82P\x93x\x82\xCD\x95\x5C\x8E\xA6\x82\xB3\x82\xEA\x82\xDC\x82\xB7\x81"
      "B";

int32_t characterLength(const char* p, const char* end)
{
    return isLeadByte(static_cast<unsigned char>(*p)) && end - p >= 2 ? 2 : 1;
}

int32_t extentOf(HDC dc, const wchar_t* text, int length)
{
    SIZE size {};
    GetTextExtentPoint32W(dc, text, length, &size);
    return size.cx;
}

int32_t drawPlain(const GlyphTarget& target, int32_t x, int32_t y, const char* text, int32_t length)
{
    const std::wstring wide = toWide(std::string(text, size_t(length)).c_str());
    TextOutW(target.dc, x, y, wide.c_str(), int(wide.size()));
    return x + extentOf(target.dc, wide.c_str(), int(wide.size()));
}

int32_t drawPalette(const GlyphTarget& target, int32_t x, int32_t y, const char* text, int32_t length)
{
    const int32_t halfSpace = extentOf(target.dc, L" ", 1);
    const int32_t fullSpace = extentOf(target.dc, L"\x3000", 1);
    OutlineMetrics outline(target.dc);
    if (outline.reportOutlineError(true, target.owner))
        return x;
    const TEXTMETRICW& tm = outline.metrics->otmTextMetrics;

    FCVSurface& surface = *target.surface;
    uint8_t* top = surface.topRow();
    if (!top)
        return x;
    // Rows of the section run bottom-up: the row below the top one is a
    // stride lower in memory.
    const ptrdiff_t stride = -ptrdiff_t(surface.stride());
    const MAT2 identity { { 0, 1 }, { 0, 0 }, { 0, 0 }, { 0, 1 } };
    std::vector<uint8_t> coverage(
        size_t((tm.tmMaxCharWidth + 3) & ~3) * size_t(tm.tmHeight + 2 > 0 ? tm.tmHeight + 2 : 0));

    const char* end = text + length;
    for (const char* p = text; p < end;) {
        const int32_t n = characterLength(p, end);
        const uint32_t code = n == 2 ? uint32_t(uint8_t(p[0])) << 8 | uint8_t(p[1]) : uint8_t(p[0]);
        if (code == 0x20 || code == 0x8140) {
            x += code == 0x20 ? halfSpace : fullSpace;
            p += n;
            continue;
        }
        const std::wstring wide = toWide(std::string(p, size_t(n)).c_str());
        GLYPHMETRICS gm {};
        // The bitmap's true size, not the font's widest cell: slanted and
        // oversized glyphs must not outgrow the buffer.
        const DWORD size = wide.empty()
            ? GDI_ERROR
            : GetGlyphOutlineW(target.dc, wide[0], GGO_GRAY4_BITMAP, &gm, 0, nullptr, &identity);
        if (size != GDI_ERROR && size > coverage.size())
            coverage.resize(size);
        const DWORD got = size == GDI_ERROR ? GDI_ERROR
                                            : GetGlyphOutlineW(target.dc, wide[0], GGO_GRAY4_BITMAP, &gm,
                                                DWORD(coverage.size()), size ? coverage.data() : nullptr, &identity);
        if (got == GDI_ERROR) {
            char notice[96];
            std::snprintf(notice, sizeof(notice), " / error code is %lu", GetLastError());
            debuggerOutput(("error - textOut: <" + std::string(text, size_t(length)) + ">\nuChar is "
                + std::to_string(code) + notice)
                               .c_str());
            break;
        }
        if (size) {
            const ptrdiff_t rowBytes = ptrdiff_t((gm.gmBlackBoxX + 3) & ~3u);
            const int32_t rows = rowBytes ? int32_t(std::min<size_t>(gm.gmBlackBoxY, size / size_t(rowBytes))) : 0;
            const int32_t left = x + gm.gmptGlyphOrigin.x;
            const int32_t topRow = y + tm.tmAscent - gm.gmptGlyphOrigin.y;
            if (target.outlined)
                GlyphKernels::writeCoverageOutlined(top, stride, surface.width(), surface.height(), left, topRow,
                    coverage.data(), rowBytes, int32_t(gm.gmBlackBoxX), rows, target.paletteBase);
            else
                GlyphKernels::writeCoverage(top, stride, surface.width(), surface.height(), left, topRow,
                    coverage.data(), rowBytes, int32_t(gm.gmBlackBoxX), rows, target.paletteBase);
        }
        x += gm.gmCellIncX;
        p += n;
    }
    return x;
}

} // namespace

bool OutlineMetrics::ignoreErrors = false;

OutlineMetrics::OutlineMetrics(HDC dc)
    : metrics(nullptr)
    , status(kSuccess)
    , errorCode(0)
{
    const UINT size = GetOutlineTextMetricsW(dc, 0, nullptr);
    if (size == 0) {
        status = kNoSize;
        errorCode = int32_t(GetLastError());
        return;
    }
    metrics = static_cast<OUTLINETEXTMETRICW*>(operator new(size, std::nothrow));
    if (!metrics) {
        status = kNoMemory;
        errorCode = int32_t(GetLastError());
        return;
    }
    if (GetOutlineTextMetricsW(dc, size, metrics) == 0) {
        status = kNoMetrics;
        errorCode = int32_t(GetLastError());
        operator delete(metrics);
        metrics = nullptr;
    }
}

OutlineMetrics::~OutlineMetrics()
{
    operator delete(metrics);
}

const char* OutlineMetrics::statusText(int32_t status)
{
    switch (status) {
    case kSuccess:
        return "success.";
    case kNoSize:
        return "GetOutLineTextMetrics(hDC, 0, NULL) returned 0.";
    case kNoMemory:
        return "can't malloc OUTLINETEXTMETRIC.";
    case kNoMetrics:
        return "GetOutLineTextMetrics returned 0.";
    default:
        return "unknown error.";
    }
}

bool OutlineMetrics::reportOutlineError(bool show, HWND owner)
{
    if (status == kSuccess)
        return false;
    if (!show || ignoreErrors)
        return true;
    std::string text = std::string(statusText(status)) + "\nerror code: " + std::to_string(errorCode) + " / "
        + std::to_string(status) + "\n" + kIgnoreQuestion;
    if (UxMessageBox::show(owner, text.c_str(), "GetOutlineTextMetrics API", MB_YESNO | MB_TASKMODAL | MB_SETFOREGROUND)
        == IDYES)
        ignoreErrors = true;
    return true;
}

int32_t drawGlyphs(const GlyphTarget& target, int32_t x, int32_t y, const char* text, int32_t length)
{
    if (!text || length <= 0 || !target.dc)
        return x;
    if (target.paletteMode && target.surface)
        return drawPalette(target, x, y, text, length);
    return drawPlain(target, x, y, text, length);
}
