#include "text/FCPrintArea.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "foundation/TextCodePage.h"
#include "support/ContractLayout.h"
#include "support/MessageBoxRecorder.h"
#include "text/PrintLayout.h"

namespace {

// Scenario modules use the class on their own objects: every member at its
// place (checked as this file compiles).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
LUMIVEX_MEMBER_AT(FCPrintArea, flags, 4);
LUMIVEX_MEMBER_AT(FCPrintArea, layer, 8);
LUMIVEX_MEMBER_AT(FCPrintArea, window, 12);
LUMIVEX_MEMBER_AT(FCPrintArea, surface, 16);
LUMIVEX_MEMBER_AT(FCPrintArea, layerIndex, 20);
LUMIVEX_MEMBER_AT(FCPrintArea, layerOffsetX, 24);
LUMIVEX_MEMBER_AT(FCPrintArea, layerOffsetY, 28);
LUMIVEX_MEMBER_AT(FCPrintArea, layerFill, 32);
LUMIVEX_MEMBER_AT(FCPrintArea, reserved1, 36);
LUMIVEX_MEMBER_AT(FCPrintArea, size, 52);
LUMIVEX_MEMBER_AT(FCPrintArea, printables, 64);
LUMIVEX_MEMBER_AT(FCPrintArea, printQueue, 76);
LUMIVEX_MEMBER_AT(FCPrintArea, reserved2, 88);
LUMIVEX_MEMBER_AT(FCPrintArea, waveDevice, 104);
LUMIVEX_MEMBER_AT(FCPrintArea, hitret, 108);
LUMIVEX_MEMBER_AT(FCPrintArea, linkedArea, 148);
LUMIVEX_MEMBER_AT(FCPrintArea, lock, 152);
LUMIVEX_MEMBER_AT(FCPrintArea, work, 184);
LUMIVEX_MEMBER_AT(FCPrintArea, area, 312);
LUMIVEX_MEMBER_AT(FCPrintArea, cursor, 332);
LUMIVEX_MEMBER_AT(FCPrintArea, startOffset, 344);
LUMIVEX_MEMBER_AT(FCPrintArea, linePitch, 356);
LUMIVEX_MEMBER_AT(FCPrintArea, indent, 360);
LUMIVEX_MEMBER_AT(FCPrintArea, rightMargin, 364);
LUMIVEX_MEMBER_AT(FCPrintArea, styleFlags, 368);
LUMIVEX_MEMBER_AT(FCPrintArea, background, 372);
LUMIVEX_MEMBER_AT(FCPrintArea, dirty, 376);
LUMIVEX_MEMBER_AT(FCPrintArea, font, 396);
LUMIVEX_MEMBER_AT(FCPrintArea, hFont, 460);
LUMIVEX_MEMBER_AT(FCPrintArea, textColours, 464);
LUMIVEX_MEMBER_AT(FCPrintArea, outlineColours, 496);
LUMIVEX_MEMBER_AT(FCPrintArea, paletteBackground, 528);
LUMIVEX_MEMBER_AT(FCPrintArea, paletteSlot, 532);
LUMIVEX_MEMBER_AT(FCPrintArea, kinsoku, 536);
LUMIVEX_MEMBER_AT(FCPrintArea, secondString, 548);
LUMIVEX_MEMBER_AT(FCPrintArea, hitretParameter, 560);
LUMIVEX_MEMBER_AT(FCPrintArea, reservedByte, 564);
LUMIVEX_MEMBER_AT(FCPrintArea, paletteMode, 565);
LUMIVEX_MEMBER_AT(FCPrintArea, paletteBase, 568);
LUMIVEX_MEMBER_AT(FCPrintArea, dc, 572);
LUMIVEX_MEMBER_AT(FCPrintArea, dcCount, 576);
LUMIVEX_MEMBER_AT(FCPrintArea, firstPiece, 580);
LUMIVEX_MEMBER_AT(FCPrintArea, reservedPoint, 592);
LUMIVEX_MEMBER_AT(FCPrintArea, conversions, 604);
static_assert(ascending({ offsetof(FCPrintArea, flags), offsetof(FCPrintArea, layer), offsetof(FCPrintArea, window),
    offsetof(FCPrintArea, surface), offsetof(FCPrintArea, layerIndex), offsetof(FCPrintArea, layerOffsetX),
    offsetof(FCPrintArea, layerOffsetY), offsetof(FCPrintArea, layerFill), offsetof(FCPrintArea, reserved1),
    offsetof(FCPrintArea, size), offsetof(FCPrintArea, printables), offsetof(FCPrintArea, printQueue),
    offsetof(FCPrintArea, reserved2), offsetof(FCPrintArea, waveDevice), offsetof(FCPrintArea, hitret),
    offsetof(FCPrintArea, linkedArea), offsetof(FCPrintArea, lock), offsetof(FCPrintArea, work),
    offsetof(FCPrintArea, area), offsetof(FCPrintArea, cursor), offsetof(FCPrintArea, startOffset),
    offsetof(FCPrintArea, linePitch), offsetof(FCPrintArea, indent), offsetof(FCPrintArea, rightMargin),
    offsetof(FCPrintArea, styleFlags), offsetof(FCPrintArea, background), offsetof(FCPrintArea, dirty),
    offsetof(FCPrintArea, font), offsetof(FCPrintArea, hFont), offsetof(FCPrintArea, textColours),
    offsetof(FCPrintArea, outlineColours), offsetof(FCPrintArea, paletteBackground), offsetof(FCPrintArea, paletteSlot),
    offsetof(FCPrintArea, kinsoku), offsetof(FCPrintArea, secondString), offsetof(FCPrintArea, hitretParameter),
    offsetof(FCPrintArea, reservedByte), offsetof(FCPrintArea, paletteMode), offsetof(FCPrintArea, paletteBase),
    offsetof(FCPrintArea, dc), offsetof(FCPrintArea, dcCount), offsetof(FCPrintArea, firstPiece),
    offsetof(FCPrintArea, reservedPoint), offsetof(FCPrintArea, conversions) }));
LUMIVEX_MEMBER_AT(FCHitret, wait, 4);
LUMIVEX_MEMBER_AT(FCHitret, data, 8);
LUMIVEX_SIZE_IS(FCHitret, 40);
LUMIVEX_SIZE_IS(FCFont, 64);
#pragma GCC diagnostic pop

class PrintAreaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = textCodePage();
        setTextCodePage(932);
        surface.create(320, 120, 0);
        printArea.surface = &surface;
        printArea.area = FCRect(10, 10, 170, 70); // 160 x 60: three lines of 20
        printArea.home();
    }
    void TearDown() override { setTextCodePage(previous); }

    FCVSurface surface;
    FCPrintArea printArea;
    unsigned previous = 0;
};

TEST_F(PrintAreaTest, Defaults)
{
    FCPrintArea fresh;
    EXPECT_EQ(fresh.flags, FCPrintArea::kInitialised);
    EXPECT_EQ(fresh.layerIndex, 255);
    EXPECT_EQ(fresh.layerOffsetX, 2);
    EXPECT_EQ(fresh.layerFill, 0x202020u);
    EXPECT_EQ(fresh.reserved2[3], -1);
    EXPECT_EQ(fresh.linePitch, 20);
    EXPECT_EQ(fresh.background, 255u);
    EXPECT_EQ(fresh.outlineColours[7], 0xFFFFFFu);
    EXPECT_EQ(fresh.paletteSlot, 6);
    EXPECT_EQ(fresh.hitretParameter, -1);
    EXPECT_EQ(fresh.reservedByte, 8);
    EXPECT_EQ(fresh.hitret.wait, &hitretWait);
    const LOGFONTA& font = fresh.font.description;
    EXPECT_EQ(font.lfHeight, -16);
    EXPECT_EQ(font.lfWeight, 400);
    EXPECT_EQ(font.lfCharSet, 128);
    EXPECT_EQ(font.lfPitchAndFamily, 1);
    EXPECT_EQ(font.lfQuality, 2);
    EXPECT_STREQ(font.lfFaceName,
        "\x82l\x82r \x83S\x83V\x83"
        "b\x83N"); // ＭＳ ゴシック
    EXPECT_NE(fresh.hFont, nullptr);

    // Negative items and style -1 stay; a face of 32 bytes is refused.
    fresh.setFont(-1, 700, -1, -1, -1, "0123456789012345678901234567890123");
    EXPECT_EQ(font.lfHeight, -16);
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_STREQ(font.lfFaceName,
        "\x82l\x82r \x83S\x83V\x83"
        "b\x83N");
    fresh.setFont(24, -1, 5, -1, -1, nullptr);
    EXPECT_EQ(font.lfHeight, -24);
    EXPECT_EQ(font.lfUnderline, 1);
    EXPECT_EQ(font.lfItalic, 1);
    EXPECT_EQ(font.lfStrikeOut, 0);
}

// Japanese text through the glyph path: it is drawn inside the area only,
// kinsoku keeps "。" off the start of a line, and a full area is reported.
TEST_F(PrintAreaTest, PrintsJapaneseTextInsideTheArea)
{
    printArea.paletteMode = 1;
    printArea.paletteBase = 16;
    printArea.textColours[1] = RGB(255, 255, 255);
    printArea.styleFlags = FCPrintArea::kReportFull;
    printArea.kinsoku = "\x81\x42"; // 。
    // Ten characters a line fit into 160 pixels; the eleventh is "。".
    const std::string line = "\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8\x82\xA9\x82\xAB\x82\xAD\x82\xAF\x82\xB1";
    const std::string text = line + "\x81\x42" + line + line;
    EXPECT_EQ(printArea.print(text.c_str(), nullptr, nullptr, nullptr, 0), 2);
    int32_t inside = 0;
    for (int32_t y = 0; y < surface.height(); ++y) {
        for (int32_t x = 0; x < surface.width(); ++x) {
            const uint8_t index = *surface.pixel(x, y);
            const bool inArea = x >= 10 && x < 170 && y >= 10 && y < 70;
            if (!inArea)
                ASSERT_EQ(index, 0) << x << "," << y;
            else if (index)
                ++inside;
            if (index)
                ASSERT_TRUE(index >= 16 && index < 32) << int(index);
        }
    }
    EXPECT_GT(inside, 500);
    // The ramp went into the palette: paletteBase + 15 is the text colour.
    const uint8_t* entry = surface.colorTable() + 4 * 31;
    EXPECT_EQ(entry[0] + entry[1] + entry[2], 3 * 255);
    EXPECT_EQ(printArea.firstPiece, FCPoint(10, 10));
    EXPECT_EQ(printArea.dcCount, 0);
}

TEST_F(PrintAreaTest, ClearingAndTheMessages)
{
    printArea.background = 9;
    printArea.clearArea(0);
    EXPECT_EQ(*surface.pixel(10, 10), 9);
    EXPECT_EQ(*surface.pixel(169, 69), 9);
    EXPECT_EQ(*surface.pixel(170, 69), 0);
    EXPECT_EQ(*surface.pixel(9, 10), 0);
    EXPECT_EQ(printArea.cursor, FCPoint(10, 10));

    MessageBoxRecorder boxes;
    printArea.setPosition(FCPoint(500, 500));
    EXPECT_EQ(printArea.cursor, FCPoint(10, 10));
    FCHitretDataContainer noWindow;
    EXPECT_EQ(hitretWait(&noWindow), 0);
    const auto requests = boxes.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].text, kStartOutsideText);
    EXPECT_EQ(requests[0].caption, "FCPrintArea manager");
    EXPECT_EQ(requests[0].style, unsigned(MB_ICONWARNING | MB_TASKMODAL | MB_SETFOREGROUND));
    EXPECT_EQ(requests[1].text,
        "\x83q\x83"
        "b\x83g\x83\x8C\x83"
        "b\x83g\x91\xD2\x82\xBF"); // ヒットレット待ち
    EXPECT_EQ(requests[1].caption, "FCHitret - default");
}

TEST_F(PrintAreaTest, BadInput)
{
    FCPrintArea detached;
    EXPECT_EQ(detached.print("abc", nullptr, nullptr, nullptr, 0), 0); // no surface
    printArea.styleFlags = FCPrintArea::kReportFull;
    EXPECT_EQ(printArea.print("", nullptr, nullptr, nullptr, 0), 0);
    printArea.print("\x82", nullptr, nullptr, nullptr, 0);
    printArea.print("\x01\x02\x7F\r\t", nullptr, nullptr, nullptr, 0);
    const std::string enormous(100000, 'W');
    EXPECT_EQ(printArea.print(enormous.c_str(), nullptr, nullptr, nullptr, 0), 2);
    MessageBoxRecorder boxes;
    printArea.area = FCRect(50, 50, 40, 40); // inverted
    printArea.print("abc\ndef", nullptr, nullptr, nullptr, 0);
    printArea.area = FCRect(-1000000, -1000000, 1000000, 1000000);
    printArea.home();
    printArea.print("abc\ndef", nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(printArea.dcCount, 0);
}

} // namespace
