#include "foundation/FCHeap.h"

#include <cstdlib>

#include "foundation/Diagnostic.h"

void* FCHeap::allocate(size_t size, unsigned flags)
{
    // One byte at least, so a successful request never looks like a failure.
    void* block = (flags & kZero) ? std::calloc(size ? size : 1, 1) : std::malloc(size ? size : 1);
    if (!block && (flags & kThrow))
        throw NotEnoughMemoryException("FCHeap - malloc", kNotEnoughMemoryText);
    return block;
}

void FCHeap::release(void* block)
{
    std::free(block);
}
