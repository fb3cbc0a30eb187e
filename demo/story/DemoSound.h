#pragma once

// The sample game's sound: background music looping on channel 0, a click
// effect on channel 1, and the music faded out at the end. The sounds are
// made by the demo's build (sox) and lie in the game folder.
#include <windows.h>

#include "scenario/FCScenario.h"

namespace demo_sound {

constexpr int kMusicChannel = 0;
constexpr int kEffectChannel = 1;

// Plays the music in an endless loop (flag 0x2 with count 0).
inline void startMusic(FCScenario* scenario)
{
    scenario->waveDevice.play(kMusicChannel, "music.wav", FCWaveChannel::kLoop, 0, -1, 20, nullptr, 0, 0, 0, 0, 0, 0);
    scenario->waveDevice.start(kMusicChannel, true);
}

inline void playClick(FCScenario* scenario)
{
    scenario->waveDevice.play(kEffectChannel, "click.wav", 0, 0, -1, 20, nullptr, 0, 0, 0, 0, 0, 0);
    scenario->waveDevice.start(kEffectChannel, true);
}

// Fades the music to silence over a second, then stops it.
inline void fadeOutMusic(FCScenario* scenario)
{
    if (scenario->waveDevice.fade(kMusicChannel, 0, 0, 1000))
        WaitForSingleObject(scenario->waveDevice.channels[kMusicChannel].idleEvent.handle, 3000);
    scenario->waveDevice.stop(-1);
}

} // namespace demo_sound
