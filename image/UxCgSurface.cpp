#include "image/UxCgSurface.h"

#include <cstring>

#include "foundation/FCHeap.h"
#include "surface/Surface8Kernels.h"

namespace {

constexpr int64_t kMaxBytes = int64_t(1) << 30;

} // namespace

UxCgSurface::UxCgSurface()
    : bits(nullptr)
    , width(0)
    , height(0)
    , palette {}
    , format(0)
{
}

UxCgSurface::~UxCgSurface()
{
    release();
}

void UxCgSurface::release()
{
    if (format & kOwnsBits)
        FCHeap::release(bits);
    bits = nullptr;
    width = height = 0;
    format &= ~uint32_t(kOwnsBits);
}

void UxCgSurface::set(void* buffer, int32_t w, int32_t h, uint32_t f)
{
    release();
    bits = buffer;
    width = w;
    height = h;
    format = f & ~uint32_t(kOwnsBits);
    if ((format & kOneByte) && palette.count == 0) {
        Surface8::greyTable(palette.entries, 256);
        palette.count = 256;
    }
}

bool UxCgSurface::allocate(int32_t w, int32_t h, uint32_t f)
{
    set(nullptr, w, h, f);
    const int64_t size = byteSize();
    if (w < 1 || h < 1 || size > kMaxBytes) {
        set(nullptr, 0, 0, f);
        return false;
    }
    bits = FCHeap::allocate(static_cast<size_t>(size), FCHeap::kNoThrow | FCHeap::kZero);
    if (!bits) {
        set(nullptr, 0, 0, f);
        return false;
    }
    format |= kOwnsBits;
    return true;
}

int32_t UxCgSurface::bytesPerPixel() const
{
    const int32_t colour = (format & kOneByte) ? 1 : 3;
    return colour + ((format & (kAlphaZero | kAlphaOpaque)) ? 1 : 0);
}

int64_t UxCgSurface::stride() const
{
    if (width < 1)
        return 0;
    const int64_t row = int64_t(width) * bytesPerPixel();
    return (format & kPadded) ? (row + 3) & ~int64_t(3) : row;
}

uint8_t* UxCgSurface::pixelAt(int32_t x, int32_t y) const
{
    if (!bits || x < 0 || y < 0 || x >= width || y >= height)
        return nullptr;
    return static_cast<uint8_t*>(bits) + (int64_t(height) - 1 - y) * stride() + int64_t(x) * bytesPerPixel();
}
