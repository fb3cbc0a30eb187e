#include "text/GlyphRenderer_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/TextCodePage.h"
#include "support/MessageBoxRecorder.h"
#include "surface/FCVSurface.h"
#include "text/FCFont.h"

namespace {

constexpr uint8_t kUntouched = 0xEE;

// A 96 x 40 8-bit surface of kUntouched with the given face selected into
// its device context, in the game's code page `codePage`.
class GlyphRendererTest : public ::testing::Test {
protected:
    void useCodePage(unsigned codePage)
    {
        previous = textCodePage();
        setTextCodePage(codePage);
        surface.create(96, 40, 0);
        for (int32_t y = 0; y < surface.height(); ++y)
            for (int32_t x = 0; x < surface.width(); ++x)
                *surface.pixel(x, y) = kUntouched;
        dc = static_cast<HDC>(surface.getDC());
        font.setHeight(24);
        font.description.lfWeight = 400;
        font.description.lfCharSet = codePage == 932 ? SHIFTJIS_CHARSET : ANSI_CHARSET;
        font.description.lfPitchAndFamily = 1;
        font.description.lfQuality = 2;
        ASSERT_TRUE(font.setFaceName(kDefaultFaceName));
        ASSERT_NE(font.create(), nullptr);
        oldFont = SelectObject(dc, font.handle());
    }
    void TearDown() override
    {
        if (dc) {
            SelectObject(dc, oldFont);
            surface.releaseDC();
            setTextCodePage(previous);
        }
    }

    GlyphTarget target(bool outlined = false) { return GlyphTarget { dc, &surface, true, outlined, 32, nullptr }; }

    // What the glyph path must write for one character drawn with its
    // cell at (x, y), worked out here from the font's own coverage bitmap;
    // returns the glyph's advance. Also records which coverage values the
    // glyph holds.
    int32_t expectGlyph(std::vector<uint8_t>& picture, wchar_t character, int32_t x, int32_t y)
    {
        TEXTMETRICW tm {};
        GetTextMetricsW(dc, &tm);
        const MAT2 identity { { 0, 1 }, { 0, 0 }, { 0, 0 }, { 0, 1 } };
        GLYPHMETRICS gm {};
        const DWORD size = GetGlyphOutlineW(dc, character, GGO_GRAY4_BITMAP, &gm, 0, nullptr, &identity);
        EXPECT_NE(size, GDI_ERROR);
        std::vector<uint8_t> coverage(size ? size : 1);
        GetGlyphOutlineW(dc, character, GGO_GRAY4_BITMAP, &gm, size, coverage.data(), &identity);
        const uint32_t rowBytes = (gm.gmBlackBoxX + 3) & ~3u;
        for (uint32_t gy = 0; size && gy < gm.gmBlackBoxY; ++gy) {
            for (uint32_t gx = 0; gx < gm.gmBlackBoxX; ++gx) {
                const uint8_t v = coverage[gy * rowBytes + gx];
                const int32_t px = x + gm.gmptGlyphOrigin.x + int32_t(gx);
                const int32_t py = y + tm.tmAscent - gm.gmptGlyphOrigin.y + int32_t(gy);
                seen[v] = true;
                if (v && px >= 0 && py >= 0 && px < 96 && py < 40)
                    picture[size_t(py) * 96 + size_t(px)] = uint8_t(32 + v - 1);
            }
        }
        return gm.gmCellIncX;
    }

    std::vector<uint8_t> pixels() const
    {
        std::vector<uint8_t> out;
        for (int32_t y = 0; y < 40; ++y)
            for (int32_t x = 0; x < 96; ++x)
                out.push_back(*surface.pixel(x, y));
        return out;
    }

    FCVSurface surface;
    FCFont font;
    HDC dc = nullptr;
    HGDIOBJ oldFont = nullptr;
    unsigned previous = 0;
    bool seen[17] = {};
};

// The default face resolves to a real Japanese outline font, and the game's
// Shift-JIS text is drawn glyph for glyph whatever the system's code page.
TEST_F(GlyphRendererTest, JapaneseCoverageBecomesIndices)
{
    useCodePage(932);
    // Debian's IPA Gothic stands in for the face under Wine.
    OutlineMetrics outline(dc);
    ASSERT_EQ(outline.status, OutlineMetrics::kSuccess);
    const std::wstring family(reinterpret_cast<const wchar_t*>(
        reinterpret_cast<const char*>(outline.metrics) + reinterpret_cast<uintptr_t>(outline.metrics->otmpFamilyName)));
    // The family's name in the system's language.
    EXPECT_TRUE(family == L"IPAGothic" || family == L"IPA\x30B4\x30B7\x30C3\x30AF") << family.size();
    const char text[] = "\x82\xA0\x8A\xBF"; // あ漢
    std::vector<uint8_t> expected(96 * 40, kUntouched);
    int32_t x = 4;
    x += expectGlyph(expected, L'\x3042', x, 6);
    x += expectGlyph(expected, L'\x6F22', x, 6);
    EXPECT_EQ(drawGlyphs(target(), 4, 6, text, 4), x);
    EXPECT_EQ(pixels(), expected);
    // Full coverage is paletteBase + 15, the faintest paletteBase.
    EXPECT_TRUE(seen[16]);
    EXPECT_TRUE(seen[1]);
}

TEST_F(GlyphRendererTest, EnglishTextOfAWesternGame)
{
    useCodePage(1252);
    const char text[] = "\xE9g"; // é is a lead byte under 932, a letter here
    std::vector<uint8_t> expected(96 * 40, kUntouched);
    int32_t x = 2;
    x += expectGlyph(expected, L'\xE9', x, 3);
    x += expectGlyph(expected, L'g', x, 3);
    EXPECT_EQ(drawGlyphs(target(), 2, 3, text, 2), x);
    EXPECT_EQ(pixels(), expected);
}

TEST_F(GlyphRendererTest, SpacesAdvanceWithoutDrawing)
{
    useCodePage(932);
    SIZE half {}, full {};
    GetTextExtentPoint32W(dc, L" ", 1, &half);
    GetTextExtentPoint32W(dc, L"\x3000", 1, &full);
    EXPECT_EQ(drawGlyphs(target(), 5, 5, " \x81\x40", 3), 5 + half.cx + full.cx);
    EXPECT_EQ(pixels(), std::vector<uint8_t>(96 * 40, kUntouched));
}

// Glyphs partly or wholly outside the surface, a dangling lead byte, control
// bytes, empty text: nothing is written outside, nothing fails.
TEST_F(GlyphRendererTest, HostileTextAndPositions)
{
    useCodePage(932);
    for (auto [x, y] : { std::pair { -10, -10 }, { 90, 30 }, { -100000, 5 }, { 5, 100000 }, { INT32_MIN / 2, 0 } }) {
        drawGlyphs(target(false), x, y, "\x82\xA0W", 3);
        drawGlyphs(target(true), x, y, "\x82\xA0W", 3);
    }
    drawGlyphs(target(), 0, 0, "\x82", 1);
    drawGlyphs(target(), 0, 0, "\x01\x02\x7F\n", 4);
    drawGlyphs(target(), 0, 0, "", 0);
    const std::string enormous(200000, 'W');
    drawGlyphs(target(), 0, 0, enormous.c_str(), int32_t(enormous.size()));
}

// The error box offers to ignore; after Yes it stays away for the rest of
// the run, while the error is still reported to the caller.
TEST(OutlineMetricsErrors, DialogThenSilenceAfterYes)
{
    OutlineMetrics::ignoreErrors = false;
    HDC dc = CreateCompatibleDC(nullptr);
    OutlineMetrics failed(dc);
    DeleteDC(dc);
    failed.status = OutlineMetrics::kNoSize; // whatever the default font is here
    failed.errorCode = 1234;
    {
        MessageBoxRecorder boxes(IDNO);
        EXPECT_TRUE(failed.reportOutlineError(true, nullptr));
        EXPECT_TRUE(failed.reportOutlineError(false, nullptr));
        ASSERT_EQ(boxes.requests().size(), 1u);
        const auto box = boxes.requests()[0];
        EXPECT_EQ(box.caption, "GetOutlineTextMetrics API");
        EXPECT_EQ(box.style, unsigned(MB_YESNO | MB_TASKMODAL | MB_SETFOREGROUND));
        EXPECT_EQ(
            box.text.rfind("GetOutLineTextMetrics(hDC, 0, NULL) returned 0.\nerror code: 1234 / 2\n\x88\xC8\x8D~", 0),
            0u);
    }
    {
        MessageBoxRecorder boxes(IDYES);
        EXPECT_TRUE(failed.reportOutlineError(true, nullptr));
        EXPECT_TRUE(failed.reportOutlineError(true, nullptr));
        EXPECT_EQ(boxes.requests().size(), 1u);
    }
    OutlineMetrics::ignoreErrors = false;
    EXPECT_STREQ(OutlineMetrics::statusText(7), "unknown error.");
    EXPECT_STREQ(OutlineMetrics::statusText(4), "GetOutLineTextMetrics returned 0.");
}

} // namespace
