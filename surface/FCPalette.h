#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

// A palette of 256 colour entries (blue, green, red, 0), as 8-bit surfaces
// take them. The destructor is the only virtual slot.
class LUMIVEX_API FCPalette {
public:
    FCPalette();
    virtual ~FCPalette();

    // Copies count entries (cut to the table) from entries to start.
    void set(const uint8_t* entries, int32_t start, int32_t count);
    const uint8_t* table() const { return entries; }

    // Number of entries set since construction (the highest index + 1).
    int32_t count;
    uint8_t entries[256 * 4];
};

// The palette a layer viewport keeps for its 8-bit images.
class LUMIVEX_API scobjPalette : public FCPalette {
public:
    scobjPalette();
    ~scobjPalette() override;
};
