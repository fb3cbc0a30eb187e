#include "surface/FCVSurface.h"
#include "surface/detail/SaveBmp.h"
#include "surface/detail/TileWalk.h"
#include "surface/detail/VisibleBox_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "foundation/Diagnostic.h"
#include "foundation/FCFile.h"
#include "foundation/FCHeap.h"
#include "foundation/FCPathName.h"
#include "foundation/FCSignature.h"
#include "foundation/FCString.h"
#include "image/ImageProbe.h"
#include "image/ImageResource.h"
#include "image/UxDeltaDecoder.h"
#include "surface/ClipRects.h"
#include "surface/FCVSurface24.h"
#include "surface/PixelBlend.h"
#include "surface/Surface8Kernels.h"
#include "surface/UxLayerSurface.h"
#include "window/FCVWin.h"

static_assert(sizeof(FCDibHeader) == sizeof(BITMAPINFOHEADER));

namespace {

constexpr char kSignature[] = "FCVSurface";
// Larger sections than this are refused before GDI is asked.
constexpr int64_t kMaxPixelBytes = int64_t(1) << 30;

HDC asDC(void* dc)
{
    return static_cast<HDC>(dc);
}

// StretchBlt of the picture into either kind of surface (colour for colour).
template <typename Destination>
void stretchInto(FCVSurface& from, Destination& destination, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx,
    int32_t sy, int32_t sw, int32_t sh)
{
    HDC target = asDC(destination.getDC());
    HDC source = asDC(from.getDC());
    if (target && source) {
        int previous = SetStretchBltMode(target, COLORONCOLOR);
        StretchBlt(target, dx, dy, dw, dh, source, sx, sy, sw, sh, SRCCOPY);
        SetStretchBltMode(target, previous);
    }
    from.releaseDC();
    destination.releaseDC();
}

// Whether GDI, drawing the DIB, stays inside its blocks: rows of whole
// 32-bit words for every row, or a compressed image no longer than its bits.
bool gdiReadsInsideBits(const FCDib& dib)
{
    const FCDibHeader& header = *dib.header;
    const int64_t rows = std::llabs(int64_t(header.height));
    if (header.planes != 1 || header.bitCount < 1 || header.bitCount > 32)
        return false;
    switch (header.compression) {
    case FCDib::kCompressionRgb:
    case FCDib::kCompressionBitfields: {
        const int64_t rowBytes = (int64_t(header.width) * header.bitCount + 31) / 32 * 4;
        return rowBytes * rows <= int64_t(dib.bitsBytes());
    }
    case BI_RLE8:
    case BI_RLE4:
        return header.sizeImage != 0 && header.sizeImage <= dib.bitsBytes();
    default:
        return false;
    }
}

// The screen's colour table: the 20 static colours of the system palette
// on a palette device (the rest 0), else the grey ramp.
void initialColorTable(uint8_t* table)
{
    HDC screen = GetDC(nullptr);
    bool palette = screen && (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE);
    if (palette) {
        PALETTEENTRY entries[256] = {};
        GetSystemPaletteEntries(screen, 0, 10, entries);
        GetSystemPaletteEntries(screen, 246, 10, entries + 246);
        std::memset(table, 0, 1024);
        for (int i = 0; i < 256; ++i) {
            if (i >= 10 && i < 246)
                continue;
            table[4 * i] = entries[i].peBlue;
            table[4 * i + 1] = entries[i].peGreen;
            table[4 * i + 2] = entries[i].peRed;
        }
    } else {
        Surface8::greyTable(table);
    }
    if (screen)
        ReleaseDC(nullptr, screen);
}

} // namespace

FCVSurface::FCVSurface()
    : bitmap(nullptr)
    , info(nullptr)
    , bits(nullptr)
    , dcUseCount(0)
    , alphaFlags(0)
    , alpha(nullptr)
    , alphaState(0)
{
}

FCVSurface::FCVSurface(int32_t w, int32_t h, uint32_t fill)
    : FCVSurface()
{
    create(w, h, fill);
}

FCVSurface::~FCVSurface()
{
    destroy();
    dc.close();
}

void FCVSurface::destroyAlpha()
{
    delete alpha;
    alpha = nullptr;
}

void FCVSurface::destroy()
{
    // Outstanding loans end here: the bitmap they show is going.
    {
        FCLock lock(&dcLock);
        if (dcUseCount > 0)
            dc.close();
        dcUseCount = 0;
    }
    if (bitmap)
        DeleteObject(static_cast<HBITMAP>(bitmap));
    FCHeap::release(info);
    bitmap = nullptr;
    info = nullptr;
    bits = nullptr;
    destroyAlpha();
}

int32_t FCVSurface::width() const
{
    return info ? info->width : 0;
}

int32_t FCVSurface::height() const
{
    return info ? std::abs(info->height) : 0;
}

int32_t FCVSurface::stride() const
{
    return static_cast<int32_t>(Surface8::stride8(width()));
}

uint8_t* FCVSurface::colorTable() const
{
    return info ? reinterpret_cast<uint8_t*>(info) + 40 : nullptr;
}

uint8_t* FCVSurface::topRow() const
{
    return bits ? bits + static_cast<ptrdiff_t>(height() - 1) * stride() : nullptr;
}

uint8_t* FCVSurface::pixel(int32_t x, int32_t y) const
{
    if (!bits || x < 0 || y < 0 || x >= width() || y >= height())
        return nullptr;
    return bits + static_cast<ptrdiff_t>(height() - 1 - y) * stride() + x;
}

bool FCVSurface::alphaInUse() const
{
    return alpha && alpha->bits && !(alphaFlags & kAlphaOff) && (alphaState & kAlphaValid);
}

void* FCVSurface::getDC()
{
    FCLock lock(&dcLock);
    if (dcUseCount++ == 0) {
        if (dc.openMemory())
            dc.selectBitmap(bitmap);
    }
    return dc.dc;
}

void FCVSurface::releaseDC()
{
    FCLock lock(&dcLock);
    if (dcUseCount > 0 && --dcUseCount == 0)
        dc.close();
}

void FCVSurface::applyColorTable()
{
    if (!bitmap)
        return;
    HDC memory = asDC(getDC());
    if (memory)
        SetDIBColorTable(memory, 0, 256, reinterpret_cast<const RGBQUAD*>(colorTable()));
    releaseDC();
}

int32_t FCVSurface::create(int32_t w, int32_t h, uint32_t fill)
{
    destroy();
    if (w < 1 || h < 1 || Surface8::stride8(w) * h > kMaxPixelBytes)
        return 0;
    info = static_cast<FCDibHeader*>(FCHeap::allocate(Surface8::kInfoBlockBytes, FCHeap::kThrow | FCHeap::kZero));
    info->size = 40;
    info->width = w;
    info->height = h;
    info->planes = 1;
    info->bitCount = 8;
    initialColorTable(colorTable());

    HDC screen = GetDC(nullptr);
    void* pixels = nullptr;
    bitmap = CreateDIBSection(screen, reinterpret_cast<const BITMAPINFO*>(info), DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (screen)
        ReleaseDC(nullptr, screen);
    bits = bitmap ? static_cast<uint8_t*>(pixels) : nullptr;
    if (!bits)
        return 0;
    const int32_t s = stride();
    if (w % 4)
        std::memset(bits, 0, static_cast<size_t>(s) * h);
    if (fill < 256) {
        for (int32_t y = 0; y < h; ++y)
            std::memset(bits + static_cast<ptrdiff_t>(y) * s, static_cast<int>(fill), static_cast<size_t>(w));
    }
    return 1;
}

int32_t FCVSurface::loadDib(const FCDib& dib, uint32_t)
{
    if (dib.empty() || dib.width() < 1 || dib.height() == 0 || !gdiReadsInsideBits(dib))
        return 0;
    const int32_t w = dib.width(), h = std::abs(dib.height());
    if (!create(w, h, 0x100))
        return 0;
    if (dib.colors && dib.bitCount() <= 8) {
        const uint32_t n = std::min<uint32_t>(dib.tableEntries(), 256);
        std::memcpy(colorTable(), dib.colors, 4 * static_cast<size_t>(n));
        applyColorTable();
    }
    // GDI reads the DIB through a BITMAPINFO: header, then masks or table.
    HDC memory = asDC(getDC());
    if (memory) {
        GdiFlush();
        StretchDIBits(memory, 0, 0, w, h, 0, 0, w, h, dib.bits, reinterpret_cast<const BITMAPINFO*>(dib.header),
            DIB_RGB_COLORS, SRCCOPY);
        GdiFlush();
    }
    releaseDC();
    return 1;
}

int32_t FCVSurface::load(const FCPathName& path, uint32_t flags, int32_t option)
{
    return load(path.text(), flags, option);
}

int32_t FCVSurface::load(const FCString& name, uint32_t flags, int32_t option)
{
    return load(name.text(), flags, option);
}

int32_t FCVSurface::load(const char* nameOrResource, uint32_t flags, void* module, int32_t option)
{
    if (reinterpret_cast<uintptr_t>(nameOrResource) >= 0x10000)
        return load(nameOrResource, flags, option);
    FCDib dib;
    if (!loadDibResource(dib, nameOrResource, static_cast<HINSTANCE__*>(module), option))
        return 0;
    return loadDib(dib, flags);
}

int32_t FCVSurface::load(const char* fileName, uint32_t flags, int32_t option)
{
    if (!fileName)
        return 0;
    FCFile file;
    if (file.open(fileName, FCFile::kOpenExisting, FCFile::kRead, FCFile::kShareRead) != 0)
        return 0;
    uint8_t first[32] = {};
    const uint32_t got = file.read(first, sizeof first);
    file.seek(FCFile::kFromStart, 0);
    if (classifyImage(first, got) == kImageDlt)
        return loadDelta(file);
    // Every other format reaches an 8-bit surface as a DIB (a keyed MCG as
    // its colour alone); an image no reader takes leaves the surface as it was.
    FCDib dib;
    if (!loadDibFile(file, option, dib) || dib.empty())
        return 0;
    return loadDib(dib, flags);
}

// A DLT's first picture drawn into the surface as indices; the animation's
// last palette, when it has one, becomes the surface's colour table.
int32_t FCVSurface::loadDelta(FCFile& file)
{
    UxDeltaDecoder decoder;
    decoder.load(file, 0, 0, 0, nullptr);
    if (!decoder.sizeJustified()
        || !create(static_cast<int32_t>(decoder.header().width), static_cast<int32_t>(decoder.header().height), 0))
        return 0;
    GdiFlush();
    DeltaCanvas canvas;
    canvas.pixels = bits;
    canvas.width = width();
    canvas.height = height();
    canvas.stride = stride();
    canvas.bytesPerPixel = 1;
    decoder.decodeFirstPicture(canvas);
    if (const uint8_t* palette = decoder.palette()) {
        std::memcpy(colorTable(), palette, 1024);
        applyColorTable();
    }
    return 1;
}

int32_t FCVSurface::drawTo(UxLayerSurface* holder, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx,
    int32_t sy, int32_t sw, int32_t sh, uint32_t planes)
{
    if (!holder)
        return 0;
    if (FCVSurface24* destination = holder->surface24())
        return drawTo(destination, dx, dy, dw, dh, sx, sy, sw, sh, planes);
    if (FCVSurface* destination = holder->surface8())
        return drawTo(destination, dx, dy, dw, dh, sx, sy, sw, sh, planes);
    return 0;
}

int32_t FCVSurface::drawTo(FCVSurface24* destination, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx,
    int32_t sy, int32_t sw, int32_t sh, uint32_t planes)
{
    if (!destination || !bitmap || !destination->bitmap || !dw || !dh || !sw || !sh)
        return 0;
    if (planes & 1)
        stretchInto(*this, *destination, dx, dy, dw, dh, sx, sy, sw, sh);
    if ((planes & 2) && alphaInUse()) {
        // The 24-bit plane holds opacities 0..255, this one levels 0..16:
        // stretched as the colour is, then each level taken to its opacity.
        // Outside the drawn area a new plane is opaque.
        destination->createAlpha(255);
        FCVSurface* plane = destination->alpha;
        if (plane && alpha->drawTo(plane, dx, dy, dw, dh, sx, sy, sw, sh, 1)) {
            const int64_t left = std::max<int64_t>(0, std::min<int64_t>(dx, int64_t(dx) + dw));
            const int64_t right = std::min<int64_t>(plane->width(), std::max<int64_t>(dx, int64_t(dx) + dw));
            const int64_t top = std::max<int64_t>(0, std::min<int64_t>(dy, int64_t(dy) + dh));
            const int64_t bottom = std::min<int64_t>(plane->height(), std::max<int64_t>(dy, int64_t(dy) + dh));
            for (int64_t y = top; y < bottom; ++y) {
                uint8_t* row = plane->pixel(static_cast<int32_t>(left), static_cast<int32_t>(y));
                for (int64_t x = left; x < right; ++x, ++row)
                    *row = static_cast<uint8_t>(PixelBlend::levelOpacity(*row));
            }
        }
    }
    GdiFlush();
    return 1;
}

int32_t FCVSurface::drawTo(FCVSurface* destination, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx,
    int32_t sy, int32_t sw, int32_t sh, uint32_t planes)
{
    if (!destination || !bitmap || !destination->bitmap || !dw || !dh || !sw || !sh)
        return 0;
    if (planes & 1)
        stretchInto(*this, *destination, dx, dy, dw, dh, sx, sy, sw, sh);
    if ((planes & 2) && alphaInUse()) {
        if (!destination->alpha)
            destination->createAlpha(-2, true, 0);
        destination->alphaState |= kAlphaValid;
        alpha->drawTo(destination->alpha, dx, dy, dw, dh, sx, sy, sw, sh, 1);
    }
    GdiFlush();
    return 1;
}

int32_t FCVSurface::gdiCopyTo(
    FCVSurface& destination, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h)
{
    return drawTo(&destination, dx, dy, w, h, sx, sy, w, h, 1);
}

int32_t FCVSurface::gdiStretchAllTo(FCVSurface& destination, int32_t dx, int32_t dy, int32_t dw, int32_t dh)
{
    if (dw < 0)
        dw = destination.width();
    if (dh < 0)
        dh = destination.height();
    return drawTo(&destination, dx, dy, dw, dh, 0, 0, width(), height(), 1);
}

int32_t FCVSurface::paintRect(FCDCHolder& holder, const FCRect& area)
{
    return paintAt(holder, area.left, area.top, area.width(), area.height(), 0, 0);
}

int32_t FCVSurface::paint(FCDCHolder& holder)
{
    return paintAt(holder, 0, 0, width(), height(), 0, 0);
}

int32_t FCVSurface::paintAt(FCDCHolder& holder, int32_t x, int32_t y, int32_t w, int32_t h, int32_t sx, int32_t sy)
{
    if (!holder.dc || !bitmap)
        return 0;
    if (!w)
        w = width();
    if (!h)
        h = height();
    HDC source = asDC(getDC());
    if (source) {
        RealizePalette(asDC(holder.dc));
        BitBlt(asDC(holder.dc), x, y, w, h, source, sx, sy, SRCCOPY);
    }
    releaseDC();
    return source ? 1 : 0;
}

int32_t FCVSurface::paintWindow(const FCVWin* window)
{
    if (!window || !IsWindow(window->handle))
        return 0;
    FCDCHolder holder;
    if (!holder.openWindow(window->handle))
        return 0;
    int32_t result = paint(holder);
    holder.close();
    return result;
}

int32_t FCVSurface::copyTo(
    UxLayerSurface* holder, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t keyMode)
{
    if (!holder)
        return 0;
    if (FCVSurface* destination = holder->surface8())
        return copy8(*destination, dx, dy, sx, sy, w, h, keyMode);
    if (FCVSurface24* destination = holder->surface24())
        return draw8To24(destination->bits, destination->width(), destination->height(), dx, dy, sx, sy, w, h, keyMode);
    return 0;
}

int32_t FCVSurface::copyRectTo(
    FCVSurface& destination, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t keyMode)
{
    return copy8(destination, dx, dy, sx, sy, w, h, keyMode);
}

int32_t FCVSurface::tileTo(FCVSurface& destination, const FCRect* area)
{
    const int32_t w = width(), h = height();
    if (!bits || !destination.bits || w < 1 || h < 1)
        return 0;
    const FCRect whole(0, 0, destination.width(), destination.height());
    const FCRect& a = area ? *area : whole;
    if (int64_t(a.right) - a.left < 1 || int64_t(a.bottom) - a.top < 1)
        return 0;
    // Whole tiles, each row closed by a narrower one, then a shorter last row.
    surface::forEachVisibleTile(
        a, w, h, whole, surface::TileEdge::Cut, [&](int64_t x, int64_t y, int64_t tw, int64_t th) {
            copy8(destination, static_cast<int32_t>(x), static_cast<int32_t>(y), 0, 0, static_cast<int32_t>(tw),
                static_cast<int32_t>(th), -2);
        });
    return 1;
}

int32_t FCVSurface::tilePaint(FCDCHolder& holder, const FCRect& area)
{
    const int32_t w = width(), h = height();
    if (!holder.dc || !bitmap || w < 1 || h < 1)
        return 0;
    HDC source = asDC(getDC());
    if (source) {
        RealizePalette(asDC(holder.dc));
        surface::forEachVisibleTile(area, w, h, surface::visibleBox(holder), surface::TileEdge::Whole,
            [&](int64_t x, int64_t y, int64_t, int64_t) {
                BitBlt(asDC(holder.dc), static_cast<int>(x), static_cast<int>(y), w, h, source, 0, 0, SRCCOPY);
            });
    }
    releaseDC();
    return 1;
}

int32_t FCVSurface::setColors(const uint8_t* entries, int32_t destination, int32_t source, int32_t count)
{
    Surface8::ColorSpan span;
    if (!info || !entries || !Surface8::setColorsSpan(destination, source, count, span))
        return 0;
    Surface8::copyColors(colorTable(), entries, span);
    applyColorTable();
    return 1;
}

int32_t FCVSurface::setColorRange(const uint8_t* entries, int32_t start, int32_t count)
{
    if (!info || !entries)
        return 0;
    Surface8::copyColors(colorTable(), entries, Surface8::setColorRangeSpan(start, count));
    applyColorTable();
    return 1;
}

int32_t FCVSurface::copyPaletteFromHolder(UxLayerSurface* holder)
{
    FCVSurface* other = holder ? holder->surface8() : nullptr;
    return other ? copyPalette(*other) : 0;
}

int32_t FCVSurface::copyPalette(const FCVSurface& other)
{
    if (!info || !other.info || &other == this)
        return 0;
    std::memcpy(colorTable(), other.colorTable(), 1024);
    applyColorTable();
    return 1;
}

int32_t FCVSurface::copyPaletteFromDib(const FCDib& dib)
{
    if (!info || dib.empty() || dib.bitCount() != 8 || !dib.colors || dib.tableEntries() < 256)
        return 0;
    std::memcpy(colorTable(), dib.colors, 1024);
    applyColorTable();
    return 1;
}

int32_t FCVSurface::fadePalette(const uint8_t* from, const uint8_t* to, int32_t step, int32_t steps)
{
    if (!info || !from || !to || steps < 1)
        return 0;
    Surface8::fadePalette(colorTable(), from, to, step, steps);
    applyColorTable();
    return 1;
}

int32_t FCVSurface::setColorBytes(const uint8_t* bytes, int32_t start, int32_t count, int32_t fourByteEntries)
{
    if (!info || !bytes)
        return 0;
    Surface8::ColorSpan span = Surface8::setColorRangeSpan(start, count);
    uint8_t* table = colorTable();
    for (int32_t i = 0; i < span.count; ++i) {
        uint8_t* entry = table + 4 * (span.destination + i);
        if (fourByteEntries) {
            std::memcpy(entry, bytes + 4 * i, 4);
        } else {
            entry[0] = bytes[3 * i + 2];
            entry[1] = bytes[3 * i + 1];
            entry[2] = bytes[3 * i];
            entry[3] = 0;
        }
    }
    applyColorTable();
    return 1;
}

int32_t FCVSurface::save(FCFile& file)
{
    if (!file.isOpen() || !info || !bits)
        return 0;
    GdiFlush();
    FCSignature(kSignature).write(file);
    file.write(info, Surface8::kInfoBlockBytes);
    file.write(bits, static_cast<uint32_t>(stride()) * static_cast<uint32_t>(height()));
    return 1;
}

int32_t FCVSurface::restore(FCFile& file)
{
    if (!file.isOpen())
        return 0;
    int64_t start = file.position();
    if (!FCSignature(kSignature).check(file))
        return 0;
    std::vector<uint8_t> block(Surface8::kInfoBlockBytes);
    FCDibHeader header {};
    bool valid = file.read(block.data(), Surface8::kInfoBlockBytes) == Surface8::kInfoBlockBytes;
    if (valid) {
        std::memcpy(&header, block.data(), sizeof header);
        valid = header.size == 40 && header.bitCount == 8 && header.width >= 1 && header.height >= 1
            && Surface8::stride8(header.width) * header.height <= kMaxPixelBytes;
        // The file must hold the whole record before the surface is replaced.
        const int64_t size = file.size();
        valid
            = valid && size >= 0 && size - file.position() >= int64_t(Surface8::stride8(header.width)) * header.height;
    }
    // A damaged record leaves the surface as it was and the file where it was.
    if (!valid) {
        file.seek(FCFile::kFromStart, start);
        return 0;
    }
    if (!create(header.width, header.height, 0x100)) {
        file.seek(FCFile::kFromStart, start);
        return 0;
    }
    std::memcpy(info, block.data(), Surface8::kInfoBlockBytes);
    applyColorTable();
    GdiFlush();
    const uint32_t pixelBytes = static_cast<uint32_t>(stride()) * static_cast<uint32_t>(height());
    return file.read(bits, pixelBytes) == pixelBytes ? 1 : 0;
}

int32_t FCVSurface::writeBmp(FCFile& file)
{
    if (!file.isOpen() || !info || !bits)
        return 0;
    GdiFlush();
    const uint32_t pixelBytes = static_cast<uint32_t>(stride()) * static_cast<uint32_t>(height());
    uint8_t head[14];
    Surface8::bmp8FileHeader(head, pixelBytes);
    file.write(head, sizeof head);
    file.write(info, Surface8::kInfoBlockBytes);
    file.write(bits, pixelBytes);
    return 1;
}

int32_t FCVSurface::saveBmp(const FCPathName& path)
{
    if (!info || !bits)
        return 0;
    return saveAsBmp(path, [this](FCFile& file) { return writeBmp(file); });
}

int32_t FCVSurface::saveShuffledBmp(const FCPathName& path, uint32_t key)
{
    if (!info || !bits)
        return 0;
    FCVSurface copy(width(), height(), 0x100);
    if (!copy.bits)
        return 0;
    GdiFlush();
    std::memcpy(copy.info, info, Surface8::kInfoBlockBytes);
    std::memcpy(copy.bits, bits, static_cast<size_t>(stride()) * height());
    Surface8::shuffleRows(copy.topRow(), -copy.stride(), copy.width(), copy.height(), key);
    return copy.saveBmp(path);
}

void FCVSurface::update(const FCRect*)
{
}

void FCVSurface::createAlpha(int32_t key, bool keep, uint32_t initial)
{
    destroyAlpha();
    // An empty surface has no size to give a plane.
    if (!bits) {
        alphaState &= ~kAlphaValid;
        return;
    }
    FCVSurface* plane = new (std::nothrow) FCVSurface;
    if (!plane)
        throw NotEnoughMemoryException("FCVSurface - createAlpha()", kNotEnoughMemoryText);
    try {
        plane->create(width(), height(), initial);
    } catch (const NotEnoughMemoryException&) {
        delete plane;
        throw NotEnoughMemoryException("FCVSurface - createAlpha()", kNotEnoughMemoryText);
    }
    if (!plane->bits) {
        delete plane;
        throw NotEnoughMemoryException("FCVSurface - createAlpha()", kNotEnoughMemoryText);
    }
    alpha = plane;
    GdiFlush();
    if (!Surface8::createAlphaLevels(alpha->topRow(), -alpha->stride(), topRow(), -stride(), width(), height(), key))
        throw NotEnoughMemoryException("FCVSurface - createAlpha()", kNotEnoughMemoryText);
    if (keep)
        alphaState |= kAlphaValid;
    else
        alphaState &= ~kAlphaValid;
}

int32_t FCVSurface::copy8(
    FCVSurface& destination, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t keyMode)
{
    if (!bits || !destination.bits)
        return 0;
    if (!clipRects(width(), height(), destination.width(), destination.height(), dx, dy, sx, sy, w, h))
        return 0;
    GdiFlush();
    Surface8::copy8(
        destination.pixel(dx, dy), -destination.stride(), pixel(sx, sy), -stride(), w, h, keyMode, *pixel(0, 0));
    return 1;
}

int32_t FCVSurface::draw8To24(uint8_t* bits24, int32_t width24, int32_t height24, int32_t dx, int32_t dy, int32_t sx,
    int32_t sy, int32_t w, int32_t h, int32_t keyMode)
{
    if (!bits || !bits24 || width24 < 1 || height24 < 1)
        return 0;
    if (!clipRects(width(), height(), width24, height24, dx, dy, sx, sy, w, h))
        return 0;
    GdiFlush();
    const ptrdiff_t stride24 = ptrdiff_t(width24) * 4;
    uint8_t* target = bits24 + (ptrdiff_t(height24) - 1 - dy) * stride24 + ptrdiff_t(dx) * 4;
    Surface8::draw8To24(target, -stride24, pixel(sx, sy), -stride(), w, h, colorTable(), keyMode, *pixel(0, 0));
    return 1;
}

UxLayerVSurface8::UxLayerVSurface8()
    : owner(nullptr)
{
}

UxLayerVSurface8::UxLayerVSurface8(int32_t w, int32_t h, uint32_t fill)
    : FCVSurface(w, h, fill)
    , owner(nullptr)
{
}

UxLayerVSurface8::~UxLayerVSurface8() = default;

void UxLayerVSurface8::update(const FCRect*)
{
    // The layer (FCLayerSurface) redraws the rectangle in its viewport when
    // it is shown; the layer viewport arrives later, so nothing is told yet.
}
