#include "surface/PixelBlend.h"

#include <algorithm>
#include <cstring>

#include "surface/CpuFeatures.h"
#include "surface/detail/PixelBlendKernels.h"

namespace PixelBlend {

using namespace detail;
using CpuFeatures::SimdLevel;

const uint8_t kLevelOpacityTable[256] = { 0, 16, 32, 48, 64, 80, 96, 112, 128, 144, 160, 176, 192, 208, 224, 240, 255 };

int clampLevel(int level)
{
    return std::clamp(level, 0, static_cast<int>(kMaxLevel));
}

int levelOpacity(int level)
{
    return kLevelOpacityTable[clampLevel(level)];
}

namespace detail {

void blendAlphaRowScalar(uint8_t* dst, const uint8_t* src, const uint8_t* alpha, int w, int opacity)
{
    if (opacity >= 255) {
        for (int x = 0; x < w; ++x) {
            if (alpha[x] != 0)
                blendPixel(dst + 4 * x, src + 4 * x, alpha[x] + 1);
        }
        return;
    }
    uint8_t table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<uint8_t>((i * (opacity + 1)) >> 8);
    for (int x = 0; x < w; ++x) {
        const int a = table[alpha[x]];
        if (a != 0)
            blendPixel(dst + 4 * x, src + 4 * x, a + 1);
    }
}

void blendConstantRowScalar(uint8_t* dst, const uint8_t* src, int w, int level)
{
    const int inverse = 16 - level;
    for (int i = 0; i < 4 * w; ++i)
        dst[i] = static_cast<uint8_t>((dst[i] * inverse + src[i] * level) >> 4);
}

void blendMaskAlphaRowScalar(
    uint8_t* dst, const uint8_t* src, const uint8_t* alpha, const uint8_t* mask, int w, int opacity)
{
    for (int x = 0; x < w; ++x) {
        const int m = mask[x];
        if (m == 0)
            continue;
        const int k = ((m + 1) * (opacity + 1) * alpha[x]) >> 16;
        if (k >= 1)
            blendPixel(dst + 4 * x, src + 4 * x, k);
    }
}

} // namespace detail

namespace {

struct Kernels {
    AlphaRow alpha;
    ConstantRow constant;
    MaskAlphaRow maskAlpha;
};

Kernels kernelsFor(SimdLevel level)
{
#if defined(__i386__) || defined(__x86_64__)
    switch (level) {
    case SimdLevel::Avx2:
        return { blendAlphaRowAvx2, blendConstantRowAvx2, blendMaskAlphaRowScalar };
    case SimdLevel::Sse2:
        return { blendAlphaRowSse2, blendConstantRowSse2, blendMaskAlphaRowScalar };
    case SimdLevel::Scalar:
        break;
    }
#else
    (void)level;
#endif
    return { blendAlphaRowScalar, blendConstantRowScalar, blendMaskAlphaRowScalar };
}

Kernels activeKernels()
{
    return kernelsFor(CpuFeatures::simdLevel());
}

void runAlpha(AlphaRow row, uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride,
    const uint8_t* alpha, ptrdiff_t alphaStride, int w, int h, int opacity)
{
    opacity = std::min(opacity, 255);
    if (w < 1 || h < 1 || opacity <= 0)
        return;
    for (int y = 0; y < h; ++y, dst += dstStride, src += srcStride, alpha += alphaStride)
        row(dst, src, alpha, w, opacity);
}

void runConstant(ConstantRow row, uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int w,
    int h, int level)
{
    level = clampLevel(level);
    if (w < 1 || h < 1 || level == 0)
        return;
    if (level == kMaxLevel) {
        copyRows(dst, dstStride, src, srcStride, w, h, 4);
        return;
    }
    for (int y = 0; y < h; ++y, dst += dstStride, src += srcStride)
        row(dst, src, w, level);
}

void runMaskAlpha(MaskAlphaRow row, uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride,
    const uint8_t* alpha, ptrdiff_t alphaStride, const uint8_t* mask, ptrdiff_t maskStride, int w, int h, int opacity)
{
    opacity = std::clamp(opacity, 0, 255);
    // Opacity 0 never reaches weight 1 ((256 * 1 * 255) >> 16 = 0), so it needs
    // no early exit of its own.
    if (w < 1 || h < 1)
        return;
    for (int y = 0; y < h; ++y, dst += dstStride, src += srcStride, alpha += alphaStride, mask += maskStride)
        row(dst, src, alpha, mask, w, opacity);
}

} // namespace

void blendAlpha(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, const uint8_t* alpha,
    ptrdiff_t alphaStride, int w, int h, int opacity)
{
    runAlpha(activeKernels().alpha, dst, dstStride, src, srcStride, alpha, alphaStride, w, h, opacity);
}

void blendConstant(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int w, int h, int level)
{
    runConstant(activeKernels().constant, dst, dstStride, src, srcStride, w, h, level);
}

void blendMaskAlpha(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, const uint8_t* alpha,
    ptrdiff_t alphaStride, const uint8_t* mask, ptrdiff_t maskStride, int w, int h, int opacity)
{
    runMaskAlpha(
        activeKernels().maskAlpha, dst, dstStride, src, srcStride, alpha, alphaStride, mask, maskStride, w, h, opacity);
}

namespace scalar {

void blendAlpha(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, const uint8_t* alpha,
    ptrdiff_t alphaStride, int w, int h, int opacity)
{
    runAlpha(blendAlphaRowScalar, dst, dstStride, src, srcStride, alpha, alphaStride, w, h, opacity);
}

void blendConstant(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int w, int h, int level)
{
    runConstant(blendConstantRowScalar, dst, dstStride, src, srcStride, w, h, level);
}

void blendMaskAlpha(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, const uint8_t* alpha,
    ptrdiff_t alphaStride, const uint8_t* mask, ptrdiff_t maskStride, int w, int h, int opacity)
{
    runMaskAlpha(
        blendMaskAlphaRowScalar, dst, dstStride, src, srcStride, alpha, alphaStride, mask, maskStride, w, h, opacity);
}

} // namespace scalar

void blendMask(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, const uint8_t* alpha,
    ptrdiff_t alphaStride, const uint8_t* mask, ptrdiff_t maskStride, int w, int h, int level)
{
    level = clampLevel(level);
    if (level == 0)
        return;
    const int opacity = levelOpacity(level);
    if (!mask) {
        if (!alpha)
            blendConstant(dst, dstStride, src, srcStride, w, h, level);
        else
            blendAlpha(dst, dstStride, src, srcStride, alpha, alphaStride, w, h, opacity);
    } else if (!alpha) {
        blendAlpha(dst, dstStride, src, srcStride, mask, maskStride, w, h, opacity);
    } else {
        blendMaskAlpha(dst, dstStride, src, srcStride, alpha, alphaStride, mask, maskStride, w, h, opacity);
    }
}

void copyRows(
    uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int w, int h, int bytesPerPixel)
{
    if (w < 1 || h < 1 || bytesPerPixel < 1)
        return;
    const size_t bytes = static_cast<size_t>(w) * static_cast<size_t>(bytesPerPixel);
    for (int y = 0; y < h; ++y, dst += dstStride, src += srcStride)
        std::memmove(dst, src, bytes);
}

namespace {

void swapPixels(uint8_t* a, uint8_t* b, int bytesPerPixel)
{
    for (int c = 0; c < bytesPerPixel; ++c)
        std::swap(a[c], b[c]);
}

void reverseRow(uint8_t* row, int w, int bytesPerPixel)
{
    for (int i = 0, j = w - 1; i < j; ++i, --j)
        swapPixels(row + i * bytesPerPixel, row + j * bytesPerPixel, bytesPerPixel);
}

} // namespace

void flip(uint8_t* top, ptrdiff_t stride, int w, int h, int bytesPerPixel, unsigned flags)
{
    if (w < 1 || h < 1 || bytesPerPixel < 1)
        return;
    const size_t bytes = static_cast<size_t>(w) * static_cast<size_t>(bytesPerPixel);
    if (flags & kFlipVertical) {
        // Rows are exchanged in place byte by byte, so no row buffer is needed
        // and no allocation can fail.
        for (int i = 0; i < h / 2; ++i)
            std::swap_ranges(top + i * stride, top + i * stride + bytes, top + (h - 1 - i) * stride);
    }
    if (flags & kFlipHorizontal) {
        for (int y = 0; y < h; ++y)
            reverseRow(top + y * stride, w, bytesPerPixel);
    }
}

void copyFlipped(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int w, int h,
    int bytesPerPixel, unsigned flags)
{
    if (w < 1 || h < 1 || bytesPerPixel < 1)
        return;
    if (flags & kFlipVertical) {
        src += (h - 1) * srcStride;
        srcStride = -srcStride;
    }
    if (!(flags & kFlipHorizontal)) {
        copyRows(dst, dstStride, src, srcStride, w, h, bytesPerPixel);
        return;
    }
    for (int y = 0; y < h; ++y, dst += dstStride, src += srcStride) {
        const uint8_t* s = src + (w - 1) * bytesPerPixel;
        for (int x = 0; x < w; ++x, s -= bytesPerPixel)
            std::memcpy(dst + x * bytesPerPixel, s, bytesPerPixel);
    }
}

} // namespace PixelBlend
