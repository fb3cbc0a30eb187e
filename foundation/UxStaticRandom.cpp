#include "foundation/UxStaticRandom.h"

namespace {

constexpr int32_t kShift = 397;
constexpr uint32_t kMatrix = 0x9908B0DFu;
constexpr uint32_t kUpper = 0x80000000u;
constexpr uint32_t kLower = 0x7FFFFFFFu;

inline uint32_t twist(uint32_t current, uint32_t following, uint32_t shifted)
{
    uint32_t y = (current & kUpper) | (following & kLower);
    return shifted ^ (y >> 1) ^ ((y & 1u) ? kMatrix : 0u);
}

} // namespace

UxStaticRandom::UxStaticRandom(uint32_t seed)
{
    this->seed(seed);
}

UxStaticRandom::~UxStaticRandom() = default;

void UxStaticRandom::seed(uint32_t seed)
{
    for (uint32_t& word : m_state) {
        word = seed & 0xFFFF0000u;
        seed = seed * 69069u + 1u;
        word |= (seed & 0xFFFF0000u) >> 16;
        seed = seed * 69069u + 1u;
    }
    m_index = kStateWords;
}

void UxStaticRandom::generate()
{
    // The whole block at once, split so that no index wraps inside a loop.
    int32_t k = 0;
    for (; k < kStateWords - kShift; ++k)
        m_state[k] = twist(m_state[k], m_state[k + 1], m_state[k + kShift]);
    for (; k < kStateWords - 1; ++k)
        m_state[k] = twist(m_state[k], m_state[k + 1], m_state[k + kShift - kStateWords]);
    m_state[kStateWords - 1] = twist(m_state[kStateWords - 1], m_state[0], m_state[kShift - 1]);
    m_index = 0;
}

uint32_t UxStaticRandom::nextWord()
{
    if (m_index >= kStateWords)
        generate();
    uint32_t y = m_state[m_index++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}

int32_t UxStaticRandom::next(int32_t range)
{
    if (range < 1)
        return 0;
    return static_cast<int32_t>(nextWord() % static_cast<uint32_t>(range));
}
