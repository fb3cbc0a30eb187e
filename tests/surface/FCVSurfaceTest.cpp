#include "surface/FCVSurface.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/Diagnostic.h"
#include "foundation/FCFile.h"
#include "foundation/FCPathName.h"
#include "foundation/FCString.h"
#include "foundation/UxMessageBox.h"
#include "image/McgWriter.h"
#include "support/ContractLayout.h"
#include "support/MessageBoxRecorder.h"
#include "support/TestFiles_win32.h"
#include "surface/FCVSurface24.h"
#include "surface/UxLayerSurface.h"

namespace {

std::string scratch(const char* name)
{
    return scratchFile("surface8", name);
}

// Draws rows of digits (top row first) into a surface as indices.
void draw(FCVSurface& surface, const std::vector<std::string>& rows)
{
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            *surface.pixel(static_cast<int32_t>(x), static_cast<int32_t>(y)) = static_cast<uint8_t>(rows[y][x] - '0');
}

std::vector<std::string> rowsOf(const FCVSurface& surface)
{
    std::vector<std::string> rows;
    for (int32_t y = 0; y < surface.height(); ++y) {
        std::string row;
        for (int32_t x = 0; x < surface.width(); ++x)
            row += static_cast<char>('0' + *surface.pixel(x, y));
        rows.push_back(row);
    }
    return rows;
}

// Scenario modules read these members directly (checked as this file compiles).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
using LayerSurface8 = UxLayerVSurface8;
LUMIVEX_MEMBER_AT(UxLayerVSurface8, bitmap, 4);
LUMIVEX_MEMBER_AT(UxLayerVSurface8, info, 8);
LUMIVEX_MEMBER_AT(UxLayerVSurface8, bits, 12);
LUMIVEX_MEMBER_AT(UxLayerVSurface8, dcLock, 16);
LUMIVEX_MEMBER_AT(UxLayerVSurface8, dc, 48);
LUMIVEX_MEMBER_AT(UxLayerVSurface8, dcUseCount, 92);
LUMIVEX_MEMBER_AT(UxLayerVSurface8, alphaFlags, 96);
LUMIVEX_MEMBER_AT(UxLayerVSurface8, alpha, 100);
LUMIVEX_MEMBER_AT(UxLayerVSurface8, alphaState, 104);
LUMIVEX_MEMBER_AT(UxLayerVSurface8, rect, 108);
LUMIVEX_MEMBER_AT(UxLayerVSurface8, owner, 128);
static_assert(ascending({ offsetof(LayerSurface8, bitmap), offsetof(LayerSurface8, info), offsetof(LayerSurface8, bits),
    offsetof(LayerSurface8, dcLock), offsetof(LayerSurface8, dc), offsetof(LayerSurface8, dcUseCount),
    offsetof(LayerSurface8, alphaFlags), offsetof(LayerSurface8, alpha), offsetof(LayerSurface8, alphaState),
    offsetof(LayerSurface8, rect), offsetof(LayerSurface8, owner) }));
LUMIVEX_SIZE_IS(FCDCHolder, 44);
LUMIVEX_SIZE_IS(FCVSurface, 128);
#pragma GCC diagnostic pop

TEST(FCVSurface, ANewSurfaceHasAnEmptyRectangle)
{
    UxLayerVSurface8 s;
    EXPECT_TRUE(s.rect.left == 0 && s.rect.right == 0);
}

// Slot of a virtual member function relative to slot 1 (the GNU ABI keeps
// 1 + the byte offset in the table in a member function pointer).
template <typename Member> ptrdiff_t slotFrom1(Member member)
{
    uintptr_t raw = 0, first = 0;
    std::memcpy(&raw, &member, sizeof raw);
    auto load1 = static_cast<int32_t (FCVSurface::*)(const FCPathName&, uint32_t, int32_t)>(&FCVSurface::load);
    std::memcpy(&first, &load1, sizeof first);
    return 1 + static_cast<ptrdiff_t>(raw - first) / static_cast<ptrdiff_t>(sizeof(void*));
}

TEST(FCVSurface, SlotsInContractOrder)
{
    EXPECT_EQ(
        slotFrom1(static_cast<int32_t (FCVSurface::*)(const char*, uint32_t, void*, int32_t)>(&FCVSurface::load)), 3);
    EXPECT_EQ(slotFrom1(&FCVSurface::loadDib), 4);
    EXPECT_EQ(slotFrom1(&FCVSurface::create), 5);
    EXPECT_EQ(slotFrom1(static_cast<int32_t (FCVSurface::*)(const char*, uint32_t, int32_t)>(&FCVSurface::load)), 6);
    EXPECT_EQ(slotFrom1(&FCVSurface::paintRect), 12);
    EXPECT_EQ(slotFrom1(&FCVSurface::tilePaint), 19);
    EXPECT_EQ(slotFrom1(&FCVSurface::setColors), 20);
    EXPECT_EQ(slotFrom1(&FCVSurface::fadePalette), 25);
    EXPECT_EQ(slotFrom1(&FCVSurface::save), 27);
    EXPECT_EQ(slotFrom1(&FCVSurface::writeBmp), 31);
    EXPECT_EQ(slotFrom1(&FCVSurface::update), 32);
}

TEST(FCVSurface, CreateFillsAndPadsRows)
{
    FCVSurface s;
    ASSERT_EQ(s.create(5, 3, 7), 1);
    EXPECT_EQ(s.width(), 5);
    EXPECT_EQ(s.height(), 3);
    EXPECT_EQ(s.stride(), 8);
    EXPECT_EQ(rowsOf(s), (std::vector<std::string> { "77777", "77777", "77777" }));
    EXPECT_EQ(s.bits[5], 0); // padding
    EXPECT_EQ(s.info->size, 40u);
    EXPECT_EQ(s.info->bitCount, 8);
    ASSERT_EQ(s.create(4, 2, 0x100), 1);
    EXPECT_EQ(s.create(0, 2, 0), 0);
    EXPECT_EQ(s.bits, nullptr);
}

TEST(FCVSurface, ColourTableReachesTheSection)
{
    FCVSurface s(4, 1, 0);
    std::vector<uint8_t> entries(1024);
    for (size_t i = 0; i < entries.size(); ++i)
        entries[i] = static_cast<uint8_t>(i % 4 == 3 ? 0 : i / 4 + 1);
    ASSERT_EQ(s.setColors(entries.data(), 250, 0, 10), 1);
    RGBQUAD table[256];
    HDC dc = static_cast<HDC>(s.getDC());
    ASSERT_EQ(GetDIBColorTable(dc, 0, 256, table), 256u);
    s.releaseDC();
    EXPECT_EQ(table[250].rgbBlue, 1);
    EXPECT_EQ(table[255].rgbRed, 6); // six entries copied
    EXPECT_EQ(s.setColors(entries.data(), 256, 0, 1), 0);

    ASSERT_EQ(s.setColorRange(entries.data(), -5, 2), 1);
    EXPECT_EQ(s.colorTable()[0], 1);
    EXPECT_EQ(s.colorTable()[4], 2);

    std::vector<uint8_t> black(1024, 0), white(1024, 255);
    ASSERT_EQ(s.fadePalette(black.data(), white.data(), 1, 4), 1);
    EXPECT_EQ(s.colorTable()[4 * 17 + 1], 63);
    ASSERT_EQ(s.fadePalette(white.data(), black.data(), 1, 4), 1);
    EXPECT_EQ(s.colorTable()[4 * 17 + 1], 192);
}

TEST(FCVSurface, LendsOneNestedDC)
{
    FCVSurface s(4, 4, 0);
    void* first = s.getDC();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(s.getDC(), first);
    EXPECT_EQ(s.dcUseCount, 2);
    s.releaseDC();
    EXPECT_EQ(s.dc.dc, first);
    s.releaseDC();
    EXPECT_EQ(s.dcUseCount, 0);
    EXPECT_EQ(s.dc.dc, nullptr);
    EXPECT_EQ(s.dcLock.waiters.load(), 0);
}

TEST(FCVSurface, KeyedCopiesClip)
{
    FCVSurface source(3, 2, 0), target(4, 3, 9);
    draw(source, { "312", "343" });
    struct Case {
        int32_t mode, dx, dy, sx, sy;
        std::vector<std::string> expected;
    } cases[] = {
        { -2, 0, 0, 0, 0, { "3129", "3439", "9999" } },
        { -1, 0, 0, 0, 0, { "9129", "9499", "9999" } },
        { 1, 1, 1, 0, 0, { "9999", "9392", "9343" } },
        // A negative source point moves the destination point along and
        // shortens the copy by as much.
        { -2, 0, 0, -1, -1, { "9999", "9319", "9999" } },
        // Past the edges nothing is written.
        { -2, 4, 0, 0, 0, { "9999", "9999", "9999" } },
    };
    for (const auto& c : cases) {
        target.create(4, 3, 9);
        source.copy8(target, c.dx, c.dy, c.sx, c.sy, 3, 2, c.mode);
        EXPECT_EQ(rowsOf(target), c.expected) << "mode " << c.mode << " at " << c.dx << "," << c.sx;
    }
}

TEST(FCVSurface, DrawsInto24BitPlanes)
{
    FCVSurface source(2, 1, 0);
    draw(source, { "12" });
    std::vector<uint8_t> plane(3 * 2 * 4, 0xEE); // 3 x 2, bottom-up
    ASSERT_EQ(source.draw8To24(plane.data(), 3, 2, 1, 0, 0, 0, 2, 1, -2), 1);
    // Top row is the second in memory; grey ramp entries.
    EXPECT_EQ(plane[12], 0xEE);
    EXPECT_EQ((std::vector<int> { plane[16], plane[17], plane[18], plane[19] }), (std::vector<int> { 1, 1, 1, 0 }));
    EXPECT_EQ(plane[20], 2);
    EXPECT_EQ(plane[0], 0xEE);
}

TEST(FCVSurface, CreateAlphaFromKey)
{
    FCVSurface s(3, 3, 1);
    draw(s, { "111", "101", "111" });
    s.createAlpha(0, true, 99);
    ASSERT_NE(s.alpha, nullptr);
    EXPECT_EQ(rowsOf(*s.alpha),
        (std::vector<std::string> { std::string { char('0' + 12), char('0' + 8), char('0' + 12) },
            std::string { char('0' + 8), char('0' + 99), char('0' + 8) },
            std::string { char('0' + 12), char('0' + 8), char('0' + 12) } }));
    EXPECT_TRUE(s.alphaInUse());
    s.alphaFlags |= FCVSurface::kAlphaOff;
    EXPECT_FALSE(s.alphaInUse());

    s.createAlpha(-2, false, 5);
    EXPECT_EQ(*s.alpha->pixel(1, 1), 5);
    EXPECT_EQ(s.alphaState & FCVSurface::kAlphaValid, 0u);
}

TEST(FCVSurface, SaveRestoreRoundTrip)
{
    const std::string path = scratch("save.bin");
    FCVSurface s(5, 3, 0);
    draw(s, { "01234", "56789", "13579" });
    std::vector<uint8_t> entries(1024, 0x42);
    s.setColorRange(entries.data(), 7, 1);
    {
        FCFile file;
        ASSERT_EQ(file.open(path.c_str(), FCFile::kCreateAlways, FCFile::kReadWrite), 0u);
        ASSERT_EQ(s.save(file), 1);
    }
    std::vector<uint8_t> bytes = readAll(path);
    ASSERT_EQ(bytes.size(), 12u + 11u + 1064u + 24u);
    EXPECT_EQ(bytes[8], 11); // the signature text's length, its zero included

    FCVSurface back;
    FCFile file;
    ASSERT_EQ(file.open(path.c_str()), 0u);
    ASSERT_EQ(back.restore(file), 1);
    EXPECT_EQ(rowsOf(back), rowsOf(s));
    EXPECT_EQ(back.colorTable()[4 * 7], 0x42);
    file.close();

    // Another record rewinds and leaves the surface alone.
    bytes[12] = 'X';
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    ASSERT_EQ(file.open(path.c_str()), 0u);
    EXPECT_EQ(back.restore(file), 0);
    EXPECT_EQ(file.position(), 0);
    EXPECT_EQ(back.width(), 5);
    file.close();

    // A damaged header (width 0) is refused the same way.
    bytes[12] = 'F';
    std::memset(&bytes[23 + 4], 0, 4);
    f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    ASSERT_EQ(file.open(path.c_str()), 0u);
    EXPECT_EQ(back.restore(file), 0);
    EXPECT_EQ(file.position(), 0);
    file.close();

    // A record cut short leaves the surface and the file position alone too.
    std::memcpy(&bytes[23 + 4], "\x05\0\0\0", 4);
    bytes.resize(bytes.size() - 1);
    f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    ASSERT_EQ(file.open(path.c_str()), 0u);
    EXPECT_EQ(back.restore(file), 0);
    EXPECT_EQ(file.position(), 0);
    EXPECT_EQ(rowsOf(back), rowsOf(s));
    file.close();
    DeleteFileA(path.c_str());
}

TEST(FCVSurface, TilesOnlyWhatShows)
{
    FCVSurface tile(2, 2, 0), to(5, 3, 0), dot(1, 1, 0);
    draw(tile, { "12", "34" });
    // Cut tiles from the area's top left.
    FCRect area(1, 0, 4, 3);
    ASSERT_EQ(tile.tileTo(to, &area), 1);
    EXPECT_EQ(rowsOf(to), (std::vector<std::string> { "01210", "03430", "01210" }));
    // An area of billions of tiles over a 1 x 1 tile costs only what shows.
    draw(dot, { "7" });
    FCRect huge(-2000000000, -2000000000, 2000000000, 2000000000);
    ASSERT_EQ(dot.tileTo(to, &huge), 1);
    EXPECT_EQ(rowsOf(to), (std::vector<std::string> { "77777", "77777", "77777" }));
    FCVSurface target(5, 3, 0);
    FCDCHolder holder;
    ASSERT_TRUE(holder.borrow(target.getDC()));
    ASSERT_EQ(dot.tilePaint(holder, huge), 1);
    holder.borrow(nullptr);
    target.releaseDC();
    GdiFlush();
    EXPECT_EQ(rowsOf(target), (std::vector<std::string> { "77777", "77777", "77777" }));
}

TEST(FCVSurface, BmpFiles)
{
    const std::string base = scratch("picture.tmp");
    const std::string bmp = base.substr(0, base.size() - 4) + ".bmp";
    FCVSurface s(5, 3, 4);
    ASSERT_EQ(s.saveBmp(FCPathName(base.c_str())), 1);
    std::vector<uint8_t> bytes = readAll(bmp);
    ASSERT_EQ(bytes.size(), 1102u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[10], 0x36);
    EXPECT_EQ(bytes[14], 40);
    EXPECT_EQ(bytes[1078], 4);
    EXPECT_EQ(bytes[1078 + 5], 0);

    // A key above 0xFFFF writes the rows unrotated.
    draw(s, { "01234", "56789", "13579" });
    ASSERT_EQ(s.saveShuffledBmp(FCPathName(base.c_str()), 0x10000), 1);
    bytes = readAll(bmp);
    ASSERT_EQ(bytes.size(), 1102u);
    EXPECT_EQ(bytes[1078], 1); // bottom row first
    EXPECT_EQ(bytes[1078 + 16], 0);
    DeleteFileA(bmp.c_str());
}

TEST(FCVSurface, PaintAndLoadThroughGdi)
{
    FCVSurface source(2, 2, 0), target(5, 3, 0);
    draw(source, { "12", "34" });
    FCDCHolder holder;
    ASSERT_TRUE(holder.borrow(target.getDC()));
    // Tiles are whole copies laid from the area's top left.
    FCRect area(1, 0, 5, 3);
    ASSERT_EQ(source.tilePaint(holder, area), 1);
    holder.borrow(nullptr);
    target.releaseDC();
    GdiFlush();
    EXPECT_EQ(rowsOf(target), (std::vector<std::string> { "01212", "03434", "01212" }));

    FCDib dib;
    ASSERT_TRUE(dib.create(3, 2, 8));
    dib.colors[4 * 5 + 2] = 200;
    *dib.pixel(2, 0) = 5;
    FCVSurface loaded;
    ASSERT_EQ(loaded.loadDib(dib, 0), 1);
    EXPECT_EQ(rowsOf(loaded), (std::vector<std::string> { "005", "000" }));
    EXPECT_EQ(loaded.colorTable()[4 * 5 + 2], 200);
}

using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, uint32_t v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

void put32(Bytes& b, uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// The grey a digit d stands for in colour pictures: a value Wine's colour
// match (which looks colours up by their five high bits) and Windows' both
// find exactly in a grey table.
uint8_t greyOf(char digit)
{
    return static_cast<uint8_t>(8 * (digit - '0') + 4);
}

// A BMP file written by hand from rows of digits (top row first): 8 bits
// with a table whose entry i is (i, 2i, 3i) as red, green, blue, or 24 bits
// with each digit a grey (greyOf).
Bytes bmpFile(const std::vector<std::string>& rows, int bits)
{
    const int32_t w = static_cast<int32_t>(rows[0].size()), h = static_cast<int32_t>(rows.size());
    const uint32_t stride = (uint32_t(w) * bits / 8 + 3) & ~3u;
    const uint32_t table = bits == 8 ? 1024 : 0;
    Bytes b { 'B', 'M' };
    put32(b, 54 + table + stride * h);
    put32(b, 0);
    put32(b, 54 + table);
    for (uint32_t v : { 40u, uint32_t(w), uint32_t(h), 1u | (uint32_t(bits) << 16), 0u, 0u, 0u, 0u, 0u, 0u })
        put32(b, v);
    for (uint32_t i = 0; i < table / 4; ++i)
        b.insert(b.end(), { uint8_t(3 * i), uint8_t(2 * i), uint8_t(i), 0 });
    for (int32_t y = h - 1; y >= 0; --y) {
        Bytes row;
        for (char digit : rows[y]) {
            if (bits == 8)
                row.push_back(uint8_t(digit - '0'));
            else
                row.insert(row.end(), { greyOf(digit), greyOf(digit), greyOf(digit) });
        }
        row.resize(stride, 0);
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

// The same greys as a 24-bit surface holds them, for the MCG writers.
Bytes greyPixels(const std::vector<std::string>& rows)
{
    Bytes pixels;
    for (size_t y = rows.size(); y-- > 0;)
        for (char digit : rows[y])
            pixels.insert(pixels.end(), { greyOf(digit), greyOf(digit), greyOf(digit), 0 });
    return pixels;
}

std::string writeScratch(const char* name, const Bytes& bytes)
{
    return writeScratchFile("surface8", name, bytes);
}

// Slots 1, 2 and 6 load every format the readers make a DIB of: an 8-bit
// picture keeps its indices and table, colour is matched to the grey table.
TEST(FCVSurface, LoadsFilesAsDibs)
{
    const std::vector<std::string> rows { "0123", "4567", "8900" };
    const Bytes grey = greyPixels(rows);
    // Colour pictures come out as the index of each grey.
    std::vector<std::string> greyRows = rows;
    for (std::string& row : greyRows)
        for (char& c : row)
            c = static_cast<char>('0' + greyOf(c));
    McgWriter::KeyedOptions keyed;
    keyed.key = 0x1234;
    keyed.embedKey = true;
    struct Case {
        const char* name;
        Bytes bytes;
        bool ownTable;
    } cases[] = {
        { "eight.bmp", bmpFile(rows, 8), true },
        { "colour.bmp", bmpFile(rows, 24), false },
        { "keyed.mcg", McgWriter::writeKeyed(grey.data(), nullptr, 4, 3, keyed), false },
        { "plain.mcg", McgWriter::writePlain(grey.data(), 4, 3), false },
    };
    for (const Case& c : cases) {
        const std::string path = writeScratch(c.name, c.bytes);
        FCVSurface bySlot6, bySlot1, bySlot2;
        EXPECT_EQ(bySlot6.load(path.c_str(), 0, 0), 1) << c.name;
        EXPECT_EQ(bySlot1.load(FCPathName(path.c_str()), 0, 0), 1) << c.name;
        EXPECT_EQ(bySlot2.load(FCString(path.c_str()), 0, 0), 1) << c.name;
        for (const FCVSurface* loaded : { &bySlot6, &bySlot1, &bySlot2 })
            EXPECT_EQ(rowsOf(*loaded), c.ownTable ? rows : greyRows) << c.name;
        const uint8_t* entry = bySlot6.colorTable() + 4 * 5;
        if (c.ownTable)
            EXPECT_EQ((std::vector<int> { entry[0], entry[1], entry[2] }), (std::vector<int> { 15, 10, 5 }));
        else
            EXPECT_EQ((std::vector<int> { entry[0], entry[1], entry[2] }), (std::vector<int> { 5, 5, 5 }));
        DeleteFileA(path.c_str());
    }
}

// What no reader takes, or a picture whose rows the file does not hold,
// leaves the surface as it was; a missing file asks Retry or Cancel.
TEST(FCVSurface, RefusedFilesLeaveTheSurface)
{
    Bytes cut = bmpFile({ "0123", "4567", "8900" }, 8);
    cut.resize(cut.size() - 6);
    Bytes tall = bmpFile({ "0123" }, 8);
    tall[22] = 0xE8; // 1000 rows claimed, one held
    tall[23] = 0x03;
    const Bytes noise(300, 0x5A);
    for (const Bytes& bytes : { cut, tall, noise }) {
        const std::string path = writeScratch("refused.bmp", bytes);
        FCVSurface s(2, 2, 7);
        EXPECT_EQ(s.load(path.c_str(), 0, 0), 0);
        EXPECT_EQ(rowsOf(s), (std::vector<std::string> { "77", "77" }));
        DeleteFileA(path.c_str());
    }
    MessageBoxRecorder boxes(UxMessageBox::kIdCancel);
    FCVSurface s(2, 2, 7);
    EXPECT_THROW(s.load(scratch("absent.bmp").c_str(), 0, 0), CannotOpenException);
    ASSERT_EQ(boxes.requests().size(), 1u);
    EXPECT_EQ(boxes.requests()[0].caption, "FCFile - open");
    EXPECT_EQ(rowsOf(s), (std::vector<std::string> { "77", "77" }));
}

// Slots 7, 16 and 22 act by what the holder holds: a 24-bit surface gets
// colours, an 8-bit one indices (the keyed copy skipping the key), an empty
// holder nothing.
TEST(FCVSurface, DrawsAndCopiesIntoLayerHolders)
{
    FCVSurface source(2, 2, 0);
    draw(source, { "12", "31" });

    UxLayerSurface holder;
    EXPECT_EQ(source.drawTo(&holder, 0, 0, 2, 2, 0, 0, 2, 2, 1), 0);
    EXPECT_EQ(source.copyTo(&holder, 0, 0, 0, 0, 2, 2, -2), 0);
    EXPECT_EQ(source.copyPaletteFromHolder(&holder), 0);

    // Between two grey tables GDI keeps each index.
    ASSERT_EQ(holder.make(UxLayerSurface::kEight, 3, 2, nullptr), 1);
    FCVSurface& indices = *holder.surface8();
    ASSERT_EQ(source.drawTo(&holder, 1, 0, 2, 2, 0, 0, 2, 2, 1), 1);
    EXPECT_EQ(rowsOf(indices), (std::vector<std::string> { "012", "031" }));
    draw(indices, { "555", "555" });
    ASSERT_EQ(source.copyTo(&holder, 1, 0, 0, 0, 2, 2, -1), 1); // the top-left index is the key
    EXPECT_EQ(rowsOf(indices), (std::vector<std::string> { "552", "535" }));
    std::vector<uint8_t> table(indices.colorTable(), indices.colorTable() + 1024);
    table[4 * 9 + 1] = 90;
    ASSERT_EQ(indices.setColors(table.data(), 0, 0, 256), 1);
    ASSERT_EQ(source.copyPaletteFromHolder(&holder), 1);
    EXPECT_EQ(source.colorTable()[4 * 9 + 1], 90);

    // Colours through the source's table: entry 2 red 200, entry 3 blue 100.
    table.assign(source.colorTable(), source.colorTable() + 1024);
    table[4 * 2 + 2] = 200;
    table[4 * 3] = 100;
    ASSERT_EQ(source.setColors(table.data(), 0, 0, 256), 1);
    ASSERT_EQ(holder.make(UxLayerSurface::kTwentyFour, 3, 2, nullptr), 1);
    FCVSurface24& colour = *holder.surface24();
    ASSERT_EQ(source.drawTo(&holder, 1, 0, 2, 2, 0, 0, 2, 2, 1), 1);
    EXPECT_EQ((std::vector<uint32_t> {
                  colour.pixel(0, 0), colour.pixel(1, 0), colour.pixel(2, 0), colour.pixel(1, 1), colour.pixel(2, 1) }),
        (std::vector<uint32_t> { 0, 0x010101, 0x0202C8, 0x640303, 0x010101 }));
    colour.fill(0x777777, nullptr);
    ASSERT_EQ(source.copyTo(&holder, 0, 0, 0, 0, 2, 2, -1), 1);
    EXPECT_EQ(
        (std::vector<uint32_t> { colour.pixel(0, 0), colour.pixel(1, 0), colour.pixel(0, 1), colour.pixel(1, 1) }),
        (std::vector<uint32_t> { 0x777777, 0x0202C8, 0x640303, 0x777777 }));
    EXPECT_EQ(source.copyPaletteFromHolder(&holder), 0);
}

// The 24-bit plane holds opacities, this one levels: drawn alpha arrives as
// levelOpacity of each level, a new plane is opaque elsewhere.
TEST(FCVSurface, AlphaDrawnInto24BitSurfaceBecomesOpacity)
{
    FCVSurface source(3, 1, 1);
    source.createAlpha(-2, true, 16);
    draw(*source.alpha, { "08" });
    *source.alpha->pixel(2, 0) = 16;
    FCVSurface24 destination(4, 1);
    ASSERT_EQ(source.drawTo(&destination, 1, 0, 3, 1, 0, 0, 3, 1, 3), 1);
    ASSERT_NE(destination.alpha, nullptr);
    EXPECT_EQ((std::vector<int> { *destination.alpha->pixel(0, 0), *destination.alpha->pixel(1, 0),
                  *destination.alpha->pixel(2, 0), *destination.alpha->pixel(3, 0) }),
        (std::vector<int> { 255, 0, 128, 255 }));
    EXPECT_EQ(destination.pixel(1, 0), 0x010101u);
}

} // namespace
