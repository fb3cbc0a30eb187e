#include "scenario/FCRandom.h"

#include <utility>

#include "foundation/Diagnostic.h"
#include "foundation/FCHeap.h"
#include "foundation/SystemTicks.h"

namespace {
uint32_t reverseBits(uint32_t v)
{
    v = ((v >> 1) & 0x55555555u) | ((v & 0x55555555u) << 1);
    v = ((v >> 2) & 0x33333333u) | ((v & 0x33333333u) << 2);
    v = ((v >> 4) & 0x0F0F0F0Fu) | ((v & 0x0F0F0F0Fu) << 4);
    v = ((v >> 8) & 0x00FF00FFu) | ((v & 0x00FF00FFu) << 8);
    return (v >> 16) | (v << 16);
}
} // namespace

FCRandom::FCRandom(uint32_t maximum)
{
    seed(maximum);
}

FCRandom::~FCRandom()
{
    FCHeap::release(permutation);
}

uint32_t FCRandom::step()
{
    state = state * 1566083941u + 1u;
    return state;
}

void FCRandom::seed(uint32_t newMaximum)
{
    maximum = newMaximum;
    state = systemTickCount();
    for (uint32_t& word : table)
        word = step();
}

uint32_t FCRandom::next(uint32_t max)
{
    uint32_t v = step();
    uint32_t& slot = table[v >> 27];
    uint32_t drawn = slot;
    slot = v;
    uint32_t reversed = reverseBits(drawn);
    // maximum + 1 wraps to 0 for 0xFFFFFFFF: the whole range, not a division by 0.
    return max == 0xFFFFFFFFu ? reversed : reversed % (max + 1u);
}

void FCRandom::makePermutation(int32_t n)
{
    FCHeap::release(permutation);
    permutation = nullptr;
    permutationSize = 0;
    permutationPosition = 0;
    if (n < 1)
        return;
    void* block = static_cast<uint64_t>(n) + 1 <= SIZE_MAX / sizeof(int32_t)
        ? FCHeap::allocate((static_cast<size_t>(n) + 1) * sizeof(int32_t), FCHeap::kNoThrow)
        : nullptr;
    if (!block)
        throw NotEnoughMemoryException("random", kNotEnoughMemoryText);
    permutation = static_cast<int32_t*>(block);
    permutationSize = n;
    for (int32_t i = 0; i < n; ++i)
        permutation[i] = i;
    permutation[n] = -1;
    // Positions are drawn within the permutation itself, 0 to n-1.
    uint32_t last = static_cast<uint32_t>(n - 1);
    seed(last);
    for (int64_t swaps = 2 * static_cast<int64_t>(n); swaps > 0; --swaps) {
        uint32_t a = next(last);
        uint32_t b = next(last);
        std::swap(permutation[a], permutation[b]);
    }
}

int32_t FCRandom::nextPermuted()
{
    if (!permutation || permutationPosition >= permutationSize)
        return -1;
    return permutation[permutationPosition++];
}
