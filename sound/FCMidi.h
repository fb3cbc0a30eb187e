#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

// The MIDI sequencer. For now an object with its place in the scenario; the
// sequencer itself arrives with the sound work.
class LUMIVEX_API FCMidi {
public:
    FCMidi() = default;
    FCMidi(const FCMidi&) = delete;
    FCMidi& operator=(const FCMidi&) = delete;
    virtual ~FCMidi();

    // The stop command: fade time and wait in milliseconds.
    virtual void stop(int32_t fade, int32_t wait);
};
