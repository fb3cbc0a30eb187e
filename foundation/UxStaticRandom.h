#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

// The Mersenne Twister MT19937 with the 1998 reference seeding. The text
// scramble, the .rnf scramble and keyed MCG images are made with its exact
// output, so the sequence for a seed must never change.
class LUMIVEX_API UxStaticRandom {
public:
    enum : uint32_t { kDefaultSeed = 4357 };
    enum : int32_t { kStateWords = 624 };

    explicit UxStaticRandom(uint32_t seed = kDefaultSeed);
    virtual ~UxStaticRandom();

    // Restarts the sequence: each state word takes the top 16 bits of two
    // successive values of the congruence x * 69069 + 1.
    void seed(uint32_t seed);
    // The next tempered 32-bit output.
    uint32_t nextWord();
    // The next output modulo range; 0 when range is below 1.
    int32_t next(int32_t range);

private:
    void generate();

    uint32_t m_state[kStateWords];
    int32_t m_index;
};
