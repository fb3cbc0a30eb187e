#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

// The scenario's random source: a linear congruence behind a 32-word shuffle
// table, seeded from the tick count, and an optional shuffled permutation.
class LUMIVEX_API FCRandom {
public:
    explicit FCRandom(uint32_t maximum = 0xFFFFFFFFu);
    FCRandom(const FCRandom&) = delete;
    FCRandom& operator=(const FCRandom&) = delete;
    virtual ~FCRandom();

    // Seeds from the tick count and refills the table.
    void seed(uint32_t maximum);
    // A value from 0 to maximum. With the maximum 0xFFFFFFFF every 32-bit value
    // can come out.
    uint32_t next(uint32_t maximum);
    // The numbers 0 to n-1 in a shuffled order, read back with nextPermuted();
    // n below 1 drops the permutation.
    void makePermutation(int32_t n);
    // The next number of the permutation, or -1 after the last one.
    int32_t nextPermuted();

    uint32_t maximum;
    uint32_t state;
    uint32_t table[32];
    int32_t permutationSize = 0;
    int32_t* permutation = nullptr;
    int32_t permutationPosition = 0;

private:
    uint32_t step();
};
