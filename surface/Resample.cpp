#include "surface/Resample.h"

#include <cmath>
#include <cstring>
#include <new>

#include "surface/CpuFeatures.h"
#include "surface/detail/ResampleKernels.h"

namespace Resample {

namespace {

// The constants earlier releases used; the weights depend on them to the bit.
constexpr double kPi = 3.1415926535;
constexpr double kEpsilon = 2.220446049250313e-16;

inline uint8_t clampByte(int32_t v)
{
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

inline uint8_t filtered(int32_t sum)
{
    return clampByte((sum + 8192) >> 14);
}

bool useSimd()
{
    return CpuFeatures::simdLevel() != CpuFeatures::SimdLevel::Scalar;
}

} // namespace

double lanczos3(double x)
{
    if (std::fabs(x) <= kEpsilon)
        return 1.0;
    if (std::fabs(x) >= 3.0)
        return 0.0;
    return std::sin(kPi * x) * std::sin(kPi * x / 3) / (kPi * kPi * x * x / 3);
}

bool ResampleWeights::build(int32_t n, int32_t m)
{
    m_entries.reset();
    m_offsets.reset();
    m_sourceSize = m_outputs = m_maxTaps = 0;
    m_fitsInt16 = true;
    if (n < 1 || m < 1 || n > kMaxLanczosSize || m > kMaxLanczosSize)
        return false;

    // Equal sizes never reach a pass; the up-scaling rule gives them the
    // identity, which is as good as anything.
    const bool up = n <= m;
    const int32_t tapCount = up ? 6 : (m + 6 * n - 1) / m;
    const size_t capacity = static_cast<size_t>(m) * static_cast<size_t>(tapCount + 2);
    std::unique_ptr<int32_t[]> entries(new (std::nothrow) int32_t[capacity]);
    std::unique_ptr<int32_t[]> offsets(new (std::nothrow) int32_t[m]);
    std::unique_ptr<double[]> raw(new (std::nothrow) double[tapCount]);
    if (!entries || !offsets || !raw)
        return false;

    size_t at = 0;
    for (int32_t i = 0; i < m; ++i) {
        double first;
        double sum = 0;
        if (up) {
            const double q = (i + 0.5) * n / m;
            first = std::floor(q - 2.5);
            for (int32_t j = 0; j < tapCount; ++j)
                sum += raw[j] = lanczos3(first + j + 0.5 - q);
        } else {
            first = std::floor(0.5 + (i - 3 + 0.5) * n / m);
            for (int32_t j = 0; j < tapCount; ++j)
                sum += raw[j] = lanczos3((first + j + 0.5) * m / n - (i + 0.5));
        }

        // Taps before the first pixel or after the last read the edge pixel;
        // runs on one edge pixel become a single tap.
        offsets[i] = static_cast<int32_t>(at);
        int32_t* entry = &entries[at];
        int32_t taps = 0;
        int32_t lastIndex = 0;
        for (int32_t j = 0; j < tapCount; ++j) {
            int32_t index = static_cast<int32_t>(first) + j;
            index = index < 0 ? 0 : (index >= n ? n - 1 : index);
            const int32_t weight = sum != 0 ? static_cast<int32_t>(raw[j] / sum * 16384) : 0;
            if (taps > 0 && index == lastIndex) {
                entry[2 + taps - 1] += weight;
            } else {
                if (taps == 0)
                    entry[1] = index;
                entry[2 + taps] = weight;
                ++taps;
                lastIndex = index;
            }
        }
        entry[0] = taps;
        for (int32_t k = 0; k < taps; ++k)
            if (entry[2 + k] < -32768 || entry[2 + k] > 32767)
                m_fitsInt16 = false;
        if (taps > m_maxTaps)
            m_maxTaps = taps;
        at += static_cast<size_t>(taps) + 2;
    }

    m_entries = std::move(entries);
    m_offsets = std::move(offsets);
    m_sourceSize = n;
    m_outputs = m;
    return true;
}

namespace scalar {

void horizontalPass(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int32_t h,
    const ResampleWeights& weights)
{
    const int32_t m = weights.outputs();
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* s = src + y * srcStride;
        uint8_t* d = dst + y * dstStride;
        for (int32_t i = 0; i < m; ++i) {
            const int32_t taps = weights.taps(i);
            const int32_t* w = weights.weights(i);
            const uint8_t* p = s + static_cast<ptrdiff_t>(weights.firstIndex(i)) * 4;
            for (int c = 0; c < 4; ++c) {
                int32_t sum = 0;
                for (int32_t k = 0; k < taps; ++k)
                    sum += w[k] * p[k * 4 + c];
                d[i * 4 + c] = filtered(sum);
            }
        }
    }
}

void verticalPass(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int32_t w,
    const ResampleWeights& weights)
{
    const int32_t m = weights.outputs();
    const ptrdiff_t bytes = static_cast<ptrdiff_t>(w) * 4;
    for (int32_t i = 0; i < m; ++i) {
        const int32_t taps = weights.taps(i);
        const int32_t* wt = weights.weights(i);
        const uint8_t* p = src + weights.firstIndex(i) * srcStride;
        uint8_t* d = dst + i * dstStride;
        for (ptrdiff_t x = 0; x < bytes; ++x) {
            int32_t sum = 0;
            for (int32_t k = 0; k < taps; ++k)
                sum += wt[k] * p[k * srcStride + x];
            d[x] = filtered(sum);
        }
    }
}

} // namespace scalar

void horizontalPass(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int32_t h,
    const ResampleWeights& weights)
{
    if (useSimd() && detail::horizontalPassSse2(dst, dstStride, src, srcStride, h, weights))
        return;
    scalar::horizontalPass(dst, dstStride, src, srcStride, h, weights);
}

void verticalPass(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int32_t w,
    const ResampleWeights& weights)
{
    if (useSimd() && detail::verticalPassSse2(dst, dstStride, src, srcStride, w, weights))
        return;
    scalar::verticalPass(dst, dstStride, src, srcStride, w, weights);
}

Outcome resample(uint8_t* dst, ptrdiff_t dstStride, int32_t dw, int32_t dh, const uint8_t* src, ptrdiff_t srcStride,
    int32_t sw, int32_t sh)
{
    if (dw < 1 || dh < 1 || sw < 1 || sh < 1)
        return Outcome::Failed;
    if (dw == sw && dh == sh)
        return Outcome::NoResampleNeeded;
    if (dw > kMaxLanczosSize || dh > kMaxLanczosSize || sw > kMaxLanczosSize || sh > kMaxLanczosSize)
        return Outcome::UseFallback;

    ResampleWeights horizontal;
    ResampleWeights vertical;
    if (dw != sw && !horizontal.build(sw, dw))
        return Outcome::Failed;
    if (dh != sh && !vertical.build(sh, dh))
        return Outcome::Failed;

    if (dw == sw) {
        verticalPass(dst, dstStride, src, srcStride, dw, vertical);
    } else if (dh == sh) {
        horizontalPass(dst, dstStride, src, srcStride, sh, horizontal);
    } else {
        const ptrdiff_t tempStride = static_cast<ptrdiff_t>(dw) * 4;
        std::unique_ptr<uint8_t[]> temp(new (std::nothrow) uint8_t[static_cast<size_t>(tempStride) * sh]);
        if (!temp)
            return Outcome::Failed;
        horizontalPass(temp.get(), tempStride, src, srcStride, sh, horizontal);
        verticalPass(dst, dstStride, temp.get(), tempStride, dw, vertical);
    }
    return Outcome::Done;
}

void nearestScale(uint8_t* dst, ptrdiff_t dstStride, int32_t dw, int32_t dh, const uint8_t* src, ptrdiff_t srcStride,
    int32_t sw, int32_t sh)
{
    if (dw < 1 || dh < 1 || sw < 1 || sh < 1)
        return;
    // 64-bit positions: the same values as 20.12 in 32 bits wherever those do
    // not overflow, and no overflow for the huge sizes this path serves.
    const int64_t stepX = (static_cast<int64_t>(sw) << 12) / dw;
    const int64_t stepY = (static_cast<int64_t>(sh) << 12) / dh;
    int64_t y = 0;
    for (int32_t j = 0; j < dh; ++j, y += stepY) {
        const uint8_t* s = src + static_cast<ptrdiff_t>(y >> 12) * srcStride;
        uint8_t* d = dst + j * dstStride;
        int64_t x = 0;
        for (int32_t i = 0; i < dw; ++i, x += stepX)
            std::memcpy(d + i * 4, s + (x >> 12) * 4, 4);
    }
}

bool bilinearScale(uint8_t* dst, ptrdiff_t dstStride, int32_t dw, int32_t dh, const uint8_t* src, ptrdiff_t srcStride,
    int32_t sw, int32_t sh)
{
    if (dw < 1 || dh < 1 || sw < 1 || sh < 1)
        return false;
    // Column positions in 8.8, with one extra entry so the last column's
    // right neighbour is itself.
    std::unique_ptr<int32_t[]> columns(new (std::nothrow) int32_t[static_cast<size_t>(dw) + 1]);
    if (!columns)
        return false;
    for (int32_t i = 0; i < dw; ++i)
        columns[i] = static_cast<int32_t>(static_cast<int64_t>(sw) * 256 * i / dw);
    columns[dw] = columns[dw - 1];

    for (int32_t j = 0; j < dh; ++j) {
        const int32_t fy = static_cast<int32_t>(static_cast<int64_t>(sh) * 256 * j / dh) & 255;
        const int64_t row0 = static_cast<int64_t>(j) * sh / dh;
        const int64_t row1 = j == dh - 1 ? row0 : static_cast<int64_t>(j + 1) * sh / dh;
        const uint8_t* top = src + static_cast<ptrdiff_t>(row0) * srcStride;
        const uint8_t* bottom = src + static_cast<ptrdiff_t>(row1) * srcStride;
        uint8_t* d = dst + j * dstStride;
        for (int32_t i = 0; i < dw; ++i) {
            const int32_t fx = columns[i] & 255;
            const ptrdiff_t x0 = static_cast<ptrdiff_t>(columns[i] >> 8) * 4;
            const ptrdiff_t x1 = static_cast<ptrdiff_t>(columns[i + 1] >> 8) * 4;
            for (int c = 0; c < 3; ++c) {
                const int32_t upper = top[x0 + c] * (255 - fx) + top[x1 + c] * fx;
                const int32_t lower = bottom[x0 + c] * (255 - fx) + bottom[x1 + c] * fx;
                d[i * 4 + c] = static_cast<uint8_t>((upper * (255 - fy) + lower * fy) >> 16);
            }
        }
    }
    return true;
}

Outcome fallbackScale(uint8_t* dst, ptrdiff_t dstStride, int32_t dw, int32_t dh, const uint8_t* src,
    ptrdiff_t srcStride, int32_t sw, int32_t sh)
{
    if (dw < 1 || dh < 1 || sw < 1 || sh < 1)
        return Outcome::Failed;
    if (dw == sw && dh == sh)
        return Outcome::NoResampleNeeded;
    if (dw == sw || dh == sh || dw <= sw / 4 || dh <= sh / 4) {
        nearestScale(dst, dstStride, dw, dh, src, srcStride, sw, sh);
        return Outcome::Done;
    }
    return bilinearScale(dst, dstStride, dw, dh, src, srcStride, sw, sh) ? Outcome::Done : Outcome::Failed;
}

} // namespace Resample
