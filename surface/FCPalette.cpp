#include "surface/FCPalette.h"

#include <algorithm>
#include <cstring>

#include "surface/Surface8Kernels.h"

FCPalette::FCPalette()
    : count(0)
{
    Surface8::greyTable(entries);
}

FCPalette::~FCPalette() = default;

void FCPalette::set(const uint8_t* source, int32_t start, int32_t n)
{
    Surface8::ColorSpan span = Surface8::setColorRangeSpan(start, n);
    if (span.count < 1 || !source)
        return;
    std::memcpy(entries + 4 * span.destination, source, 4 * static_cast<size_t>(span.count));
    count = std::max(count, span.destination + span.count);
}

scobjPalette::scobjPalette() = default;

scobjPalette::~scobjPalette() = default;
