#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

// The processor feature word that surfaces keep, and the SIMD level the
// pixel kernels use. The level is chosen once from the processor; the
// environment variable LUMIVEX_SCALAR=1 forces the scalar kernels, and tests
// select a level explicitly.
namespace CpuFeatures {

enum : uint32_t {
    kMmx = 0x1,
    kSse = 0x2,
    kSse2 = 0x4,
    kSse3 = 0x8,
    kBrandLow = 0x100, // brand index 1, 2, 3, 4 or 6
    kBrandHigh = 0x200, // brand index 7 to 12, 14, 15 or 17 to 23
};

// The surface's feature word: MMX, SSE, SSE2, SSE3 and the brand-index bits
// from CPUID leaf 1; 0 when the processor has no CPUID.
LUMIVEX_API uint32_t featureWord();

enum class SimdLevel { Scalar, Sse2, Avx2 };

// Whether this processor (and its operating system) can run the level.
LUMIVEX_API bool supports(SimdLevel level);
// The level in use: the best supported one unless LUMIVEX_SCALAR=1 or a test
// selected another.
LUMIVEX_API SimdLevel simdLevel();
// Test hook: use this level from now on (an unsupported level falls back to
// the best supported one below it). Not for use while kernels run elsewhere.
LUMIVEX_API void selectSimdLevel(SimdLevel level);
// Forgets a selection, going back to the processor's choice.
LUMIVEX_API void resetSimdLevel();

} // namespace CpuFeatures
