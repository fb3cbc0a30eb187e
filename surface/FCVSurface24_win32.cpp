#include "surface/FCVSurface24.h"
#include "surface/detail/SaveBmp.h"
#include "surface/detail/TileWalk.h"
#include "surface/detail/VisibleBox_win32.h"

#include <windows.h>

#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "foundation/Diagnostic.h"
#include "foundation/FCFile.h"
#include "foundation/FCHeap.h"
#include "foundation/FCPathName.h"
#include "foundation/FCSignature.h"
#include "image/SurfaceLoad.h"
#include "surface/ClipRects.h"
#include "surface/CpuFeatures.h"
#include "surface/FCVSurface.h"
#include "surface/PixelBlend.h"
#include "surface/Resample.h"
#include "surface/Surface8Kernels.h"
#include "window/FCVWin.h"

namespace {

constexpr char kSignature[] = "FCVSurface24";
// Larger sections than this are refused before GDI is asked.
constexpr int64_t kMaxPixelBytes = int64_t(1) << 30;

HDC asDC(void* dc)
{
    return static_cast<HDC>(dc);
}

bool sizeAccepted(int64_t w, int64_t h)
{
    return w >= 1 && h >= 1 && w * h * 4 <= kMaxPixelBytes;
}

// The part [first, last) of 0..n-1 whose destination d + i lies in 0..dSize-1
// and whose source index, s + i or (mirrored) s + n - 1 - i, in 0..sSize-1.
bool mirroredRange(
    int64_t d, int64_t s, int64_t n, int64_t dSize, int64_t sSize, bool mirrored, int64_t& first, int64_t& last)
{
    first = std::max<int64_t>(0, -d);
    last = std::min<int64_t>(n, dSize - d);
    if (mirrored) {
        first = std::max(first, s + n - sSize);
        last = std::min(last, s + n);
    } else {
        first = std::max(first, -s);
        last = std::min(last, sSize - s);
    }
    return first < last;
}

// StretchBlt between two 8-bit planes with HALFTONE, as the alpha planes are
// scaled.
void stretchPlane(FCVSurface& from, FCVSurface& to, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx,
    int32_t sy, int32_t sw, int32_t sh)
{
    HDC target = asDC(to.getDC());
    HDC source = asDC(from.getDC());
    if (target && source) {
        int previous = SetStretchBltMode(target, HALFTONE);
        SetBrushOrgEx(target, 0, 0, nullptr);
        StretchBlt(target, dx, dy, dw, dh, source, sx, sy, sw, sh, SRCCOPY);
        SetStretchBltMode(target, previous);
    }
    from.releaseDC();
    to.releaseDC();
    GdiFlush();
}

// Aligned scratch blocks: grown only, in whole steps.
uint32_t* growScratch(uint32_t*& block, uint32_t& capacity, uint32_t words, uint32_t step, uint32_t arrays)
{
    if (words == 0) {
        _aligned_free(block);
        block = nullptr;
        capacity = 0;
        return nullptr;
    }
    if (block && capacity >= words)
        return block;
    const uint64_t wanted = (uint64_t(words) + step - 1) / step * step;
    if (wanted * arrays * 4 > uint64_t(kMaxPixelBytes))
        return nullptr;
    void* fresh = _aligned_malloc(static_cast<size_t>(wanted * arrays * 4), 16);
    if (!fresh)
        return nullptr;
    _aligned_free(block);
    block = static_cast<uint32_t*>(fresh);
    capacity = static_cast<uint32_t>(wanted);
    return block;
}

} // namespace

FCVSurface24::FCVSurface24(Initial initial)
    : bitmap(nullptr)
    , header(nullptr)
    , bits(nullptr)
    , cpuFeatures(CpuFeatures::featureWord())
    , dcUseCount(0)
    , randomState(0)
    , scratch {}
    , alpha(nullptr)
    , alphaFlags(0)
    , imageInfo(0)
{
    if (initial == Initial::DefaultImage)
        create(16, 16);
}

FCVSurface24::FCVSurface24(int32_t w, int32_t h)
    : FCVSurface24()
{
    create(w, h);
}

FCVSurface24::FCVSurface24(const FCVSurface24& other)
    : FCVSurface24()
{
    if (!other.bits || !create(other.width(), other.height()))
        return;
    GdiFlush();
    std::memcpy(bits, other.bits, static_cast<size_t>(stride()) * height());
    if (other.hasAlpha()) {
        createAlpha(0);
        other.alpha->copy8(*alpha, 0, 0, 0, 0, width(), height(), Surface8::kKeyNone);
    }
}

FCVSurface24::FCVSurface24(FCVSurface& other)
    : FCVSurface24()
{
    if (!other.bits || !create(other.width(), other.height()))
        return;
    // The colour alone: the source's alpha must not apply while converting.
    const uint32_t flags = other.alphaFlags;
    other.alphaFlags |= FCVSurface::kAlphaConverting;
    other.draw8To24(bits, width(), height(), 0, 0, 0, 0, width(), height(), Surface8::kKeyNone);
    other.alphaFlags = flags;
    if (other.alphaInUse()) {
        createAlpha(0);
        other.alpha->copy8(*alpha, 0, 0, 0, 0, width(), height(), Surface8::kKeyNone);
    }
}

FCVSurface24::~FCVSurface24()
{
    destroy();
    dc.close();
}

void FCVSurface24::destroyAlpha()
{
    delete alpha;
    alpha = nullptr;
}

void FCVSurface24::freeScratch()
{
    scratchPair(0);
    scratchSecond(0);
    scratchThird(0);
}

uint32_t* FCVSurface24::scratchPair(uint32_t words)
{
    return growScratch(scratch.pair, scratch.pairCapacity, words, 1024, 2);
}

uint32_t* FCVSurface24::scratchSecond(uint32_t words)
{
    return growScratch(scratch.second, scratch.secondCapacity, words, 512, 1);
}

uint32_t* FCVSurface24::scratchThird(uint32_t words)
{
    // Twice the request, in steps of 2048.
    if (words > 0x7FFFFFFFu)
        return nullptr;
    return growScratch(scratch.third, scratch.thirdCapacity, words * 2, 2048, 1);
}

void FCVSurface24::destroy()
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
    FCHeap::release(header);
    destroyAlpha();
    freeScratch();
    bitmap = nullptr;
    header = nullptr;
    bits = nullptr;
}

int32_t FCVSurface24::width() const
{
    return header ? header->width : 0;
}

int32_t FCVSurface24::height() const
{
    return header ? std::abs(header->height) : 0;
}

uint8_t* FCVSurface24::topRow() const
{
    return bits ? bits + static_cast<ptrdiff_t>(height() - 1) * stride() : nullptr;
}

uint8_t* FCVSurface24::pixelAt(int32_t x, int32_t y) const
{
    if (!bits || x < 0 || y < 0 || x >= width() || y >= height())
        return nullptr;
    return bits + (static_cast<ptrdiff_t>(height() - 1 - y) * width() + x) * 4;
}

uint32_t FCVSurface24::pixel(int32_t x, int32_t y) const
{
    const uint8_t* p = pixelAt(x, y);
    if (!p)
        return 0;
    GdiFlush();
    return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
}

bool FCVSurface24::hasAlpha() const
{
    // A plane of another size (only scenario code could make one) is not
    // drawn through: the kernels walk both planes with the same rectangle.
    return alpha && alpha->bits && !(alphaFlags & kAlphaOff) && alpha->width() == width()
        && alpha->height() == height();
}

void* FCVSurface24::getDC()
{
    FCLock lock(&dcLock);
    if (dcUseCount++ == 0) {
        if (dc.openMemory())
            dc.selectBitmap(bitmap);
    }
    return dc.dc;
}

void FCVSurface24::releaseDC()
{
    FCLock lock(&dcLock);
    if (dcUseCount > 0 && --dcUseCount == 0)
        dc.close();
}

int32_t FCVSurface24::create(int32_t w, int32_t h)
{
    destroy();
    if (!sizeAccepted(w, h))
        return 0;
    header = static_cast<FCDibHeader*>(FCHeap::allocate(sizeof(FCDibHeader), FCHeap::kThrow | FCHeap::kZero));
    header->size = 40;
    header->width = w;
    header->height = h;
    header->planes = 1;
    header->bitCount = 32;
    HDC screen = GetDC(nullptr);
    void* pixels = nullptr;
    bitmap = CreateDIBSection(screen, reinterpret_cast<const BITMAPINFO*>(header), DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (screen)
        ReleaseDC(nullptr, screen);
    // A section GDI refused leaves the header and no pixels.
    bits = bitmap ? static_cast<uint8_t*>(pixels) : nullptr;
    return bits ? 1 : 0;
}

void FCVSurface24::createAlpha(uint32_t initial)
{
    if (!bits)
        return;
    if (alpha && alpha->bits && alpha->width() == width() && alpha->height() == height())
        return;
    if (!alpha) {
        alpha = new (std::nothrow) FCVSurface;
        if (!alpha)
            throw NotEnoughMemoryException("FCVSurface24 - createAlpha()", kNotEnoughMemoryText);
    }
    bool made = false;
    try {
        made = alpha->create(width(), height(), initial) != 0;
    } catch (const NotEnoughMemoryException&) {
    }
    if (!made) {
        destroyAlpha();
        throw NotEnoughMemoryException("FCVSurface24 - createAlpha()", kNotEnoughMemoryText);
    }
}

int32_t FCVSurface24::loadDib(const FCDib& dib, uint32_t)
{
    if (dib.empty()) {
        if (!create(32, 32))
            return 0;
        fill(0x000000FF);
        return 1;
    }
    // Only one plane of 8, 24 or 32 bits whose rows are all there is taken;
    // anything else leaves the surface as it was.
    if (!SurfaceLoad::dibAccepted(dib))
        return 0;
    const int32_t w = dib.width();
    const int32_t h = static_cast<int32_t>(std::llabs(int64_t(dib.height())));
    if (!create(w, h))
        return 0;
    header->sizeImage = static_cast<uint32_t>(w) * static_cast<uint32_t>(h) * 4;
    header->clrUsed = 0;
    header->clrImportant = 0;
    header->bitCount = 32;
    GdiFlush();
    SurfaceLoad::dibToPixels32(dib, bits);
    return 1;
}

int32_t FCVSurface24::load(const FCPathName& path, uint32_t flags, int32_t option)
{
    return load(path.text(), flags, option);
}

namespace {

// The surface as the shared loaders see it.
class SurfaceTarget final : public SurfaceLoad::Target {
public:
    explicit SurfaceTarget(FCVSurface24& surface)
        : m_surface(surface)
    {
    }
    bool create(int32_t width, int32_t height) override { return m_surface.create(width, height) && m_surface.bits; }
    uint8_t* pixels() override
    {
        GdiFlush();
        return m_surface.bits;
    }
    uint8_t* createAlpha(ptrdiff_t& stride) override
    {
        m_surface.createAlpha(0);
        if (!m_surface.alpha || !m_surface.alpha->bits)
            return nullptr;
        stride = m_surface.alpha->stride();
        return m_surface.alpha->bits;
    }
    int32_t loadDib(const FCDib& dib) override { return m_surface.loadDib(dib, 0); }
    void setImageInfo(uint32_t info) override { m_surface.imageInfo = info; }

private:
    FCVSurface24& m_surface;
};

} // namespace

int32_t FCVSurface24::loadStream(FCFile& file, uint32_t flags, int32_t option)
{
    SurfaceTarget target(*this);
    return SurfaceLoad::loadStream(file, flags, option, target);
}

int32_t FCVSurface24::load(const char* path, uint32_t flags, int32_t option)
{
    if (!path)
        return 0;
    FCFile file;
    if (file.open(path, FCFile::kOpenExisting, FCFile::kRead, FCFile::kShareRead) != 0)
        return 0;
    int32_t result = loadStream(file, flags, option);
    file.close();
    return result;
}

void FCVSurface24::fill(uint32_t colour, const FCRect* area)
{
    if (!bits)
        return;
    int64_t left = 0, top = 0, right = width(), bottom = height();
    // An area is clipped to the surface, as a filled tile copied there would be.
    if (area) {
        left = std::max<int64_t>(left, area->left);
        top = std::max<int64_t>(top, area->top);
        right = std::min<int64_t>(right, int64_t(area->left) + area->width());
        bottom = std::min<int64_t>(bottom, int64_t(area->top) + area->height());
        if (area->width() < 1 || area->height() < 1 || left >= right || top >= bottom)
            return;
    }
    const uint8_t b[4] = { uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour), 0 };
    uint32_t word;
    std::memcpy(&word, b, 4);
    GdiFlush();
    for (int64_t y = top; y < bottom; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(pixelAt(static_cast<int32_t>(left), static_cast<int32_t>(y)));
        std::fill(row, row + (right - left), word);
    }
}

int32_t FCVSurface24::copyRect(
    FCVSurface24& destination, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h)
{
    if (!bits || !destination.bits)
        return 0;
    if (!clipRects(width(), height(), destination.width(), destination.height(), dx, dy, sx, sy, w, h))
        return 0;
    GdiFlush();
    if (&destination == this) {
        // Overlapping rows of one surface go through a copy of the source.
        std::vector<uint8_t> rows(static_cast<size_t>(w) * 4 * h);
        PixelBlend::copyRows(rows.data(), ptrdiff_t(w) * 4, pixelAt(sx, sy), -stride(), w, h, 4);
        PixelBlend::copyRows(
            destination.pixelAt(dx, dy), -destination.stride(), rows.data(), ptrdiff_t(w) * 4, w, h, 4);
        return 1;
    }
    PixelBlend::copyRows(destination.pixelAt(dx, dy), -destination.stride(), pixelAt(sx, sy), -stride(), w, h, 4);
    return 1;
}

int32_t FCVSurface24::blend(
    FCVSurface24& destination, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h)
{
    if (!hasAlpha() || &destination == this)
        return copyRect(destination, dx, dy, sx, sy, w, h);
    return blendLevel(destination, dx, dy, sx, sy, w, h, PixelBlend::kMaxLevel);
}

int32_t FCVSurface24::blendLevel(
    FCVSurface24& destination, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t level)
{
    return blendMask(destination, nullptr, dx, dy, sx, sy, w, h, level);
}

int32_t FCVSurface24::blendMask(FCVSurface24& destination, FCVSurface* mask, int32_t dx, int32_t dy, int32_t sx,
    int32_t sy, int32_t w, int32_t h, int32_t level)
{
    if (!bits || !destination.bits || &destination == this || PixelBlend::clampLevel(level) == 0)
        return 0;
    if (mask && !mask->bits)
        return 0;
    if (!clipRects(width(), height(), destination.width(), destination.height(), dx, dy, sx, sy, w, h))
        return 0;
    if (mask) {
        // The mask lies over the destination and may be smaller than it.
        if (dx >= mask->width() || dy >= mask->height())
            return 0;
        w = std::min(w, mask->width() - dx);
        h = std::min(h, mask->height() - dy);
    }
    GdiFlush();
    const bool withAlpha = hasAlpha();
    PixelBlend::blendMask(destination.pixelAt(dx, dy), -destination.stride(), pixelAt(sx, sy), -stride(),
        withAlpha ? alpha->pixel(sx, sy) : nullptr, withAlpha ? -alpha->stride() : 0,
        mask ? mask->pixel(dx, dy) : nullptr, mask ? -mask->stride() : 0, w, h, level);
    return 1;
}

int32_t FCVSurface24::resample(FCVSurface24& destination, const FCRect& to, const FCRect& from)
{
    const int32_t dw = to.width(), dh = to.height(), sw = from.width(), sh = from.height();
    if (!bits || !destination.bits || dw < 1 || dh < 1 || sw < 1 || sh < 1)
        return 0;
    if (dw == sw && dh == sh)
        return blend(destination, to.left, to.top, from.left, from.top, sw, sh);
    // Scaled rectangles cannot be clipped without moving the picture: they
    // must lie inside their surfaces.
    auto inside = [](const FCRect& r, const FCVSurface24& s) {
        return r.left >= 0 && r.top >= 0 && int64_t(r.left) + r.width() <= s.width()
            && int64_t(r.top) + r.height() <= s.height();
    };
    if (!inside(to, destination) || !inside(from, *this) || &destination == this)
        return 0;
    GdiFlush();
    const uint8_t* source = pixelAt(from.left, from.top);
    Resample::Outcome outcome = Resample::resample(
        destination.pixelAt(to.left, to.top), -destination.stride(), dw, dh, source, -stride(), sw, sh);
    if (outcome == Resample::Outcome::Done)
        return 1;
    if (outcome != Resample::Outcome::UseFallback)
        return 0;
    if (dw == destination.width() && dh == destination.height()) {
        Resample::fallbackScale(destination.topRow(), -destination.stride(), dw, dh, source, -stride(), sw, sh);
        return 1;
    }
    FCVSurface24 scaled(dw, dh);
    if (!scaled.bits)
        return 0;
    Resample::fallbackScale(scaled.topRow(), -scaled.stride(), dw, dh, source, -stride(), sw, sh);
    return scaled.blend(destination, to.left, to.top, 0, 0, dw, dh);
}

int32_t FCVSurface24::stretchSmooth(FCVSurface24& destination, int32_t)
{
    if (!bits || !destination.bits || &destination == this)
        return 0;
    const int32_t dw = destination.width(), dh = destination.height();
    if ((cpuFeatures & CpuFeatures::kMmx) && dw <= Resample::kMaxLanczosSize && dh <= Resample::kMaxLanczosSize)
        return resample(destination, FCRect(0, 0, dw, dh), FCRect(0, 0, width(), height()));
    GdiFlush();
    Resample::Outcome outcome = Resample::fallbackScale(
        destination.topRow(), -destination.stride(), dw, dh, topRow(), -stride(), width(), height());
    if (outcome == Resample::Outcome::NoResampleNeeded)
        return blend(destination, 0, 0, 0, 0, dw, dh);
    return outcome == Resample::Outcome::Done ? 1 : 0;
}

int32_t FCVSurface24::stretchAlpha(FCVSurface24& destination, const FCRect& to, const FCRect& from)
{
    if (!hasAlpha() || !destination.hasAlpha())
        return 0;
    const int32_t dw = to.width(), dh = to.height(), sw = from.width(), sh = from.height();
    if (!sizeAccepted(dw, dh) || !sizeAccepted(sw, sh))
        return 0;
    // The plane as colour (its grey table), scaled, and its blue bytes back.
    FCVSurface24 plane(sw, sh);
    FCVSurface24 scaled(dw, dh);
    if (!plane.bits || !scaled.bits)
        return 0;
    alpha->draw8To24(plane.bits, sw, sh, 0, 0, from.left, from.top, sw, sh, Surface8::kKeyNone);
    plane.stretchSmooth(scaled, 0);
    int32_t dx = to.left, dy = to.top, sx = 0, sy = 0, w = dw, h = dh;
    FCVSurface& target = *destination.alpha;
    if (!clipRects(dw, dh, target.width(), target.height(), dx, dy, sx, sy, w, h))
        return 0;
    GdiFlush();
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* from24 = scaled.pixelAt(sx, sy + y);
        uint8_t* out = target.pixel(dx, dy + y);
        for (int32_t x = 0; x < w; ++x)
            out[x] = from24[4 * x];
    }
    return 1;
}

int32_t FCVSurface24::flip(uint32_t flags, int32_t x, int32_t y, int32_t w, int32_t h)
{
    if (!bits)
        return 0;
    if (!w)
        w = width();
    if (!h)
        h = height();
    const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t(x) + w, width()),
                  bottom = std::min<int64_t>(int64_t(y) + h, height());
    if (left >= right || top >= bottom)
        return 0;
    const int32_t l = static_cast<int32_t>(left), t = static_cast<int32_t>(top);
    const int32_t cw = static_cast<int32_t>(right - left), ch = static_cast<int32_t>(bottom - top);
    flags &= PixelBlend::kFlipVertical | PixelBlend::kFlipHorizontal;
    GdiFlush();
    PixelBlend::flip(pixelAt(l, t), -stride(), cw, ch, 4, flags);
    if (hasAlpha())
        PixelBlend::flip(alpha->pixel(l, t), -alpha->stride(), cw, ch, 1, flags);
    return 1;
}

int32_t FCVSurface24::copyFlipped(
    uint32_t flags, FCVSurface24& destination, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h)
{
    flags &= PixelBlend::kFlipVertical | PixelBlend::kFlipHorizontal;
    if (!flags)
        return copyRect(destination, dx, dy, sx, sy, w, h);
    if (!bits || !destination.bits || w < 1 || h < 1)
        return 0;
    if (&destination == this) {
        FCVSurface24 copy(*this);
        return copy.copyFlipped(flags, destination, dx, dy, sx, sy, w, h);
    }
    const bool vertical = flags & PixelBlend::kFlipVertical, horizontal = flags & PixelBlend::kFlipHorizontal;
    // The source rectangle measured from the right or bottom edge.
    const int64_t left = horizontal ? int64_t(width()) - sx - w : sx;
    const int64_t top = vertical ? int64_t(height()) - sy - h : sy;
    int64_t i0, i1, j0, j1;
    if (!mirroredRange(dx, left, w, destination.width(), width(), horizontal, i0, i1)
        || !mirroredRange(dy, top, h, destination.height(), height(), vertical, j0, j1))
        return 0;
    // Destination column i takes source column left + w - 1 - i when mirrored.
    const int32_t cw = static_cast<int32_t>(i1 - i0), ch = static_cast<int32_t>(j1 - j0);
    const int32_t fromX = static_cast<int32_t>(horizontal ? left + w - i1 : left + i0);
    const int32_t fromY = static_cast<int32_t>(vertical ? top + h - j1 : top + j0);
    const int32_t toX = static_cast<int32_t>(dx + i0), toY = static_cast<int32_t>(dy + j0);
    GdiFlush();
    PixelBlend::copyFlipped(
        destination.pixelAt(toX, toY), -destination.stride(), pixelAt(fromX, fromY), -stride(), cw, ch, 4, flags);
    if (hasAlpha() && destination.hasAlpha())
        PixelBlend::copyFlipped(destination.alpha->pixel(toX, toY), -destination.alpha->stride(),
            alpha->pixel(fromX, fromY), -alpha->stride(), cw, ch, 1, flags);
    return 1;
}

int32_t FCVSurface24::stretchTo(FCVSurface24& destination, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx,
    int32_t sy, int32_t sw, int32_t sh, uint32_t planes)
{
    if (!dw || !dh || !sw || !sh || !bits || !destination.bits)
        return 0;
    const bool equal = dw == sw && dh == sh;
    // Mirroring through negative sizes is not offered: callers pass
    // rectangles of positive size.
    if (!equal && (dw < 0 || dh < 0 || sw < 0 || sh < 0))
        return 0;
    if (planes & kPlaneColour) {
        if (equal) {
            blend(destination, dx, dy, sx, sy, sw, sh);
        } else if (&destination != this) {
            const int64_t stepX = (int64_t(sw) << 12) / dw, stepY = (int64_t(sh) << 12) / dh;
            // The destination columns and rows whose source lies inside the
            // source; the mapping only grows, so they are one run each.
            auto run = [](int64_t d, int64_t n, int64_t dSize, int64_t s, int64_t step, int64_t sSize,
                           std::vector<int32_t>& map, int64_t& first) {
                first = std::max<int64_t>(0, -d);
                const int64_t last = std::min<int64_t>(n, dSize - d);
                map.clear();
                for (int64_t i = first; i < last; ++i) {
                    const int64_t from = s + ((i * step) >> 12);
                    if (from < 0) {
                        first = i + 1;
                        continue;
                    }
                    if (from >= sSize)
                        break;
                    map.push_back(static_cast<int32_t>(from));
                }
            };
            std::vector<int32_t> columns, rows;
            int64_t i0 = 0, j0 = 0;
            run(dx, dw, destination.width(), sx, stepX, width(), columns, i0);
            run(dy, dh, destination.height(), sy, stepY, height(), rows, j0);
            if (!columns.empty() && !rows.empty()) {
                GdiFlush();
                for (size_t j = 0; j < rows.size(); ++j) {
                    uint32_t* out = reinterpret_cast<uint32_t*>(
                        destination.pixelAt(static_cast<int32_t>(dx + i0), static_cast<int32_t>(dy + j0 + j)));
                    const uint32_t* in = reinterpret_cast<const uint32_t*>(pixelAt(0, rows[j]));
                    for (size_t i = 0; i < columns.size(); ++i)
                        out[i] = in[columns[i]];
                }
            }
        }
    }
    if ((planes & kPlaneAlpha) && hasAlpha() && &destination != this) {
        if (!destination.hasAlpha())
            destination.createAlpha(0);
        if (equal)
            alpha->copy8(*destination.alpha, dx, dy, sx, sy, sw, sh, Surface8::kKeyNone);
        else
            stretchPlane(*alpha, *destination.alpha, dx, dy, dw, dh, sx, sy, sw, sh);
    }
    return 1;
}

int32_t FCVSurface24::stretchTo8(FCVSurface& destination, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx,
    int32_t sy, int32_t sw, int32_t sh, uint32_t planes)
{
    if (!dw || !dh || !sw || !sh || !bits || !destination.bits)
        return 0;
    const bool equal = dw == sw && dh == sh;
    if (planes & kPlaneColour) {
        if (equal)
            gdiCopyTo(destination, dx, dy, sx, sy, sw, sh);
        else
            gdiStretchTo(destination, dx, dy, dw, dh, sx, sy, sw, sh);
    }
    if ((planes & kPlaneAlpha) && hasAlpha()) {
        if (!destination.alpha || !destination.alpha->bits)
            destination.createAlpha(-2, true, 0);
        destination.alphaState |= FCVSurface::kAlphaValid;
        if (equal)
            alpha->copy8(*destination.alpha, dx, dy, sx, sy, sw, sh, Surface8::kKeyNone);
        else
            stretchPlane(*alpha, *destination.alpha, dx, dy, dw, dh, sx, sy, sw, sh);
    }
    GdiFlush();
    return 1;
}

int32_t FCVSurface24::stretchAllTo(FCVSurface24& destination, int32_t dx, int32_t dy, int32_t dw, int32_t dh)
{
    return stretchTo(destination, dx, dy, dw, dh, 0, 0, width(), height(), kPlaneColour | kPlaneAlpha);
}

int32_t FCVSurface24::gdiStretchTo(FCVSurface& destination, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx,
    int32_t sy, int32_t sw, int32_t sh)
{
    if (!bitmap || !destination.bitmap)
        return 0;
    if (dw < 0)
        dw = destination.width();
    if (dh < 0)
        dh = destination.height();
    if (sw < 0)
        sw = width();
    if (sh < 0)
        sh = height();
    HDC target = asDC(destination.getDC());
    HDC source = asDC(getDC());
    if (target && source) {
        int previous = SetStretchBltMode(target, HALFTONE);
        SetBrushOrgEx(target, 0, 0, nullptr);
        StretchBlt(target, dx, dy, dw, dh, source, sx, sy, sw, sh, SRCCOPY);
        SetStretchBltMode(target, previous);
    }
    releaseDC();
    destination.releaseDC();
    return target && source ? 1 : 0;
}

int32_t FCVSurface24::gdiCopyTo(
    FCVSurface& destination, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h)
{
    return gdiStretchTo(destination, dx, dy, w, h, sx, sy, w, h);
}

int32_t FCVSurface24::gdiStretchAllTo(FCVSurface& destination, int32_t dx, int32_t dy, int32_t dw, int32_t dh)
{
    return gdiStretchTo(destination, dx, dy, dw, dh, 0, 0, width(), height());
}

int32_t FCVSurface24::paintRect(FCDCHolder& holder, const FCRect& rect)
{
    return paintAt(holder, rect.left, rect.top, rect.width(), rect.height(), 0, 0);
}

int32_t FCVSurface24::paint(FCDCHolder& holder)
{
    return paintAt(holder, 0, 0, width(), height(), 0, 0);
}

int32_t FCVSurface24::paintAt(FCDCHolder& holder, int32_t x, int32_t y, int32_t w, int32_t h, int32_t sx, int32_t sy)
{
    if (!holder.dc || !bitmap)
        return 0;
    if (!w)
        w = width();
    if (!h)
        h = height();
    HDC source = asDC(getDC());
    if (source)
        BitBlt(asDC(holder.dc), x, y, w, h, source, sx, sy, SRCCOPY);
    releaseDC();
    return source ? 1 : 0;
}

int32_t FCVSurface24::paintWindow(const FCVWin* window)
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

int32_t FCVSurface24::capture(FCWindowHandle window, int32_t client)
{
    if (!bitmap)
        return 0;
    HDC from = client ? GetDC(window) : GetWindowDC(window);
    if (!from)
        return 0;
    HDC to = asDC(getDC());
    if (to)
        BitBlt(to, 0, 0, width(), height(), from, 0, 0, SRCCOPY);
    releaseDC();
    ReleaseDC(window, from);
    GdiFlush();
    return to ? 1 : 0;
}

int32_t FCVSurface24::copyDib(const FCDib& dib)
{
    const int32_t depth = dib.bitCount();
    if (dib.empty() || (depth != 8 && depth < 24))
        return 0;
    FCVSurface24 converted;
    if (!converted.loadDib(dib, 0))
        return 0;
    return converted.copyRect(*this, 0, 0, 0, 0, converted.width(), converted.height());
}

int32_t FCVSurface24::tileTo(FCVSurface24& destination, const FCRect* area)
{
    if (!bits || !destination.bits || &destination == this)
        return 0;
    const FCRect whole(0, 0, destination.width(), destination.height());
    const FCRect& a = area ? *area : whole;
    if (int64_t(a.right) - a.left < 1 || int64_t(a.bottom) - a.top < 1)
        return 0;
    surface::forEachVisibleTile(
        a, width(), height(), whole, surface::TileEdge::Cut, [&](int64_t x, int64_t y, int64_t tw, int64_t th) {
            blend(destination, static_cast<int32_t>(x), static_cast<int32_t>(y), 0, 0, static_cast<int32_t>(tw),
                static_cast<int32_t>(th));
        });
    return 1;
}

int32_t FCVSurface24::tilePaint(FCDCHolder& holder, const FCRect& area)
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
    return source ? 1 : 0;
}

int32_t FCVSurface24::save(FCFile& file)
{
    if (!file.isOpen() || !header || !bits)
        return 0;
    GdiFlush();
    FCSignature(kSignature).write(file);
    file.write(header, sizeof(FCDibHeader));
    file.write(bits, static_cast<uint32_t>(stride()) * static_cast<uint32_t>(height()));
    return 1;
}

int32_t FCVSurface24::restore(FCFile& file)
{
    if (!file.isOpen())
        return 0;
    const int64_t start = file.position();
    if (!FCSignature(kSignature).check(file))
        return 0;
    const int64_t headerAt = file.position();
    FCDibHeader head {};
    bool valid = file.read(&head, sizeof head) == sizeof head;
    int64_t pixelBytes = 0;
    if (valid) {
        valid = head.size == 40 && head.bitCount == 32 && head.planes == 1 && sizeAccepted(head.width, head.height);
        pixelBytes = valid ? int64_t(head.width) * head.height * 4 : 0;
        const int64_t size = file.size();
        valid = valid && size >= 0 && size - headerAt >= int64_t(sizeof head) + pixelBytes;
    }
    // A damaged record leaves the surface as it was and the file where it was.
    auto rewind = [&] {
        file.seek(FCFile::kFromStart, start);
        return 0;
    };
    if (!valid)
        return rewind();
    const size_t total = sizeof head + static_cast<size_t>(pixelBytes);
    uint8_t* block = static_cast<uint8_t*>(FCHeap::allocate(total, FCHeap::kThrow));
    file.seek(FCFile::kFromStart, headerAt);
    if (file.read(block, static_cast<uint32_t>(total)) != total) {
        FCHeap::release(block);
        return rewind();
    }
    FCDib dib;
    bool wrapped = dib.copySeparate(block, sizeof head, block + sizeof head, static_cast<size_t>(pixelBytes));
    FCHeap::release(block);
    if (!wrapped)
        return rewind();
    return loadDib(dib, 0);
}

int32_t FCVSurface24::writeBmp(FCFile& file)
{
    if (!file.isOpen() || !header || !bits)
        return 0;
    const int32_t w = width(), h = height();
    const uint32_t rowBytes = (static_cast<uint32_t>(w + 1) * 3) & ~3u;
    const uint32_t pixelBytes = rowBytes * static_cast<uint32_t>(h);
    // Zeroed so that the padding at each row's end is 0.
    std::vector<uint8_t> rows(pixelBytes);
    GdiFlush();
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* in = bits + static_cast<size_t>(y) * stride();
        uint8_t* out = rows.data() + static_cast<size_t>(y) * rowBytes;
        for (int32_t x = 0; x < w; ++x) {
            out[3 * x] = in[4 * x];
            out[3 * x + 1] = in[4 * x + 1];
            out[3 * x + 2] = in[4 * x + 2];
        }
    }
    uint8_t head[14] = { 'B', 'M' };
    const uint32_t fileSize = pixelBytes + 54, offset = 54;
    std::memcpy(head + 2, &fileSize, 4);
    std::memcpy(head + 10, &offset, 4);
    FCDibHeader info = *header;
    info.bitCount = 24;
    info.compression = 0;
    info.sizeImage = pixelBytes;
    file.write(head, sizeof head);
    file.write(&info, sizeof info);
    file.write(rows.data(), pixelBytes);
    return 1;
}

int32_t FCVSurface24::saveBmp(const FCPathName& path)
{
    if (!header || !bits)
        return 0;
    return saveAsBmp(path, [this](FCFile& file) { return writeBmp(file); });
}

int32_t FCVSurface24::saveShuffledBmp(const FCPathName& path, uint32_t key)
{
    if (!header || !bits)
        return 0;
    FCVSurface24 copy(width(), height());
    if (!copy.bits)
        return 0;
    GdiFlush();
    std::memcpy(copy.bits, bits, static_cast<size_t>(stride()) * height());
    copy.randomState = key & 0xFFFF;
    Surface8::shuffleRows(copy.topRow(), -copy.stride(), copy.stride(), copy.height(), key);
    return copy.saveBmp(path);
}

uint32_t FCVSurface24::nextRandom(uint32_t range)
{
    return Surface8::nextRandom(randomState, range);
}

UxLayerVSurface24::UxLayerVSurface24()
    : owner(nullptr)
{
}

UxLayerVSurface24::UxLayerVSurface24(int32_t w, int32_t h)
    : FCVSurface24(w, h)
    , owner(nullptr)
{
}

UxLayerVSurface24::~UxLayerVSurface24() = default;

void UxLayerVSurface24::update(const FCRect*)
{
    // The layer (FCLayerSurface) redraws the rectangle in its viewport when
    // it is shown; the layer viewport arrives later, so nothing is told yet.
}
