#pragma once

#include <cstdint>

// A fixed set of Bits flags in 32-bit words, laid out as plain words so that
// objects holding it keep their contract width. Indexes outside the set are
// ignored (set, reset) or answer false (test).
template <int Bits> struct FCBit {
    static constexpr int kWords = (Bits + 31) / 32;

    void set(int index)
    {
        if (index >= 0 && index < Bits)
            words[index >> 5] |= 1u << (index & 31);
    }
    void reset(int index)
    {
        if (index >= 0 && index < Bits)
            words[index >> 5] &= ~(1u << (index & 31));
    }
    bool test(int index) const { return index >= 0 && index < Bits && (words[index >> 5] >> (index & 31) & 1u) != 0; }
    void clear()
    {
        for (uint32_t& word : words)
            word = 0;
    }

    uint32_t words[kWords];
};
