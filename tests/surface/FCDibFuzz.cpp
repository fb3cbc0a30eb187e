#include <cstddef>
#include <cstdint>

#include "foundation/Diagnostic.h"
#include "surface/FCDib.h"

// The first byte picks the form: even = packed; odd = header block and
// separate bits split at the second byte's offset. Every pixel the DIB claims
// to hold is then read, so a size that lies about the bits is caught.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    FCDib dib;
    bool made = false;
    try {
        if (data[0] & 1) {
            size_t split = 2 + (size_t(data[1]) * 8 > size - 2 ? size - 2 : size_t(data[1]) * 8);
            made = dib.copySeparate(data + 2, split - 2, data + split, size - split);
        } else {
            made = dib.copyPacked(data + 2, size - 2);
        }
    } catch (const NotEnoughMemoryException&) {
        return 0;
    }
    if (!made)
        return 0;
    volatile uint32_t sum = 0;
    for (uint32_t i = 0; i < dib.tableEntries() * 4; ++i)
        sum = sum + dib.colors[i];
    for (int32_t y = 0; y < 64; ++y)
        for (int32_t x = 0; x < 64; ++x)
            if (const uint8_t* p = dib.pixel(x, y))
                sum = sum + *p;
    for (uint32_t i = 0; i < dib.bitsBytes(); ++i)
        sum = sum + dib.bits[i];
    return 0;
}
