#pragma once

#include <cstdint>

// The game's volume (0..256, 256 full) as DirectShow's attenuation in
// hundredths of a decibel (0 full, -10000 silent). Truncates towards zero
// like the integer division the scenario code expects; out-of-range input
// is clamped so the graph never sees a value it rejects.
constexpr int32_t movieVolumeToDirectShow(int32_t volume)
{
    if (volume < 0)
        volume = 0;
    if (volume > 256)
        volume = 256;
    return (volume - 256) * 10000 / 256;
}
