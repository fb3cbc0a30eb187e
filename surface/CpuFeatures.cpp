#include "surface/CpuFeatures.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#define LUMIVEX_X86 1
#endif

namespace CpuFeatures {
namespace {

struct Cpuid {
    unsigned a = 0, b = 0, c = 0, d = 0;
};

bool cpuid(unsigned leaf, unsigned sub, Cpuid& r)
{
#if defined(LUMIVEX_X86)
    // __get_cpuid_count checks that the leaf exists (and, on i386, that the
    // instruction does).
    return __get_cpuid_count(leaf, sub, &r.a, &r.b, &r.c, &r.d) != 0;
#else
    (void)leaf;
    (void)sub;
    (void)r;
    return false;
#endif
}

bool osSavesYmm()
{
#if defined(LUMIVEX_X86)
    Cpuid r;
    if (!cpuid(1, 0, r) || !(r.c & (1u << 27)) || !(r.c & (1u << 28)))
        return false; // no OSXSAVE or no AVX
    unsigned lo, hi;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    return (lo & 0x6) == 0x6; // XMM and YMM state enabled
#else
    return false;
#endif
}

SimdLevel bestLevel()
{
    Cpuid r;
    if (cpuid(7, 0, r) && (r.b & (1u << 5)) && osSavesYmm())
        return SimdLevel::Avx2;
    if (featureWord() & kSse2)
        return SimdLevel::Sse2;
    return SimdLevel::Scalar;
}

SimdLevel initialLevel()
{
    const char* forced = std::getenv("LUMIVEX_SCALAR");
    if (forced && std::strcmp(forced, "1") == 0)
        return SimdLevel::Scalar;
    return bestLevel();
}

// -1 until the first query.
std::atomic<int> g_level { -1 };

} // namespace

uint32_t featureWord()
{
    Cpuid r;
    if (!cpuid(1, 0, r))
        return 0;
    uint32_t word = 0;
    if (r.d & (1u << 23))
        word |= kMmx;
    if (r.d & (1u << 25))
        word |= kSse;
    if (r.d & (1u << 26))
        word |= kSse2;
    if (r.c & 1u)
        word |= kSse3;
    const unsigned brand = r.b & 0xFF;
    if (brand == 1 || brand == 2 || brand == 3 || brand == 4 || brand == 6)
        word |= kBrandLow;
    else if ((brand >= 7 && brand <= 12) || brand == 14 || brand == 15 || (brand >= 17 && brand <= 23))
        word |= kBrandHigh;
    return word;
}

bool supports(SimdLevel level)
{
    return static_cast<int>(level) <= static_cast<int>(bestLevel());
}

SimdLevel simdLevel()
{
    int level = g_level.load(std::memory_order_relaxed);
    if (level < 0) {
        level = static_cast<int>(initialLevel());
        g_level.store(level, std::memory_order_relaxed);
    }
    return static_cast<SimdLevel>(level);
}

void selectSimdLevel(SimdLevel level)
{
    const SimdLevel best = bestLevel();
    if (static_cast<int>(level) > static_cast<int>(best))
        level = best;
    g_level.store(static_cast<int>(level), std::memory_order_relaxed);
}

void resetSimdLevel()
{
    g_level.store(static_cast<int>(initialLevel()), std::memory_order_relaxed);
}

} // namespace CpuFeatures
