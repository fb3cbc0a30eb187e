#pragma once

#include <cstddef>

#include "foundation/LumivexApi.h"

// Process-heap blocks. With kThrow a failed request throws
// NotEnoughMemoryException ("FCHeap - malloc"); otherwise it returns null.
class LUMIVEX_API FCHeap {
public:
    enum Flags : unsigned { kNoThrow = 0, kThrow = 1, kZero = 2 };

    static void* allocate(size_t size, unsigned flags);
    // Accepts null.
    static void release(void* block);
};
