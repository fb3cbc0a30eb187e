#pragma once

#include <cstddef>
#include <cstdint>

#include "surface/Resample.h"

// The SIMD passes. Each returns false, having written nothing, when it cannot
// take the table (a weight outside 16 bits) or memory runs out; the caller
// then runs the scalar pass.
namespace Resample::detail {

bool horizontalPassSse2(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int32_t h,
    const ResampleWeights& weights);
bool verticalPassSse2(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int32_t w,
    const ResampleWeights& weights);

} // namespace Resample::detail
