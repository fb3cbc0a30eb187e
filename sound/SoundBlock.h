#pragma once

#include <cstdint>

// The unit of decoding and mixing: interleaved 16-bit stereo at 44.1 kHz,
// left first. Queue blocks hold 8192 bytes (2048 frames).
struct SoundBlock {
    enum Flags : uint32_t {
        kSilent = 0x1, // nothing to mix
        kDiscard = 0x80, // decoded only to be skipped
    };
    static constexpr int32_t kBytes = 8192;
    static constexpr int32_t kFrames = 2048;

    int16_t* data;
    uint32_t flags;
    int32_t channel;
    int32_t capacity; // bytes
    int32_t used; // bytes filled
};
