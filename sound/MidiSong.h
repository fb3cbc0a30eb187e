#pragma once

#include <cstdint>

#include "foundation/FCBit.h"
#include "foundation/LumivexApi.h"

class FCMidi;

// The sequencer's state as FCMidi holds it. Scenario modules see these
// members inside FCMidi, so every record keeps its order and width; the
// portable sequencer (MidiSequencer) works on them in place.

// One MIDI channel: what sounds and the last setting of each kind, so that
// notes can be silenced and a loop can resend the controllers.
// A channel's message slot that holds no message.
constexpr int32_t kMidiNoMessage = -1;

struct LUMIVEX_API FCMidiChannel {
    // Sounding notes, bit n for note n.
    FCBit<128> notes;
    uint8_t channel;
    // The channel volume last received (controller 7), before scaling.
    uint8_t volume;
    // Whole short messages, or kMidiNoMessage.
    int32_t pitchBend;
    // Program change or channel pressure, whichever came last.
    int32_t program;
    int32_t unused;
    int32_t sustain;
    int32_t modulation;
    int32_t pan;
    int32_t expression;

    void reset(int index);
};

// The song clock. tick = accumulatedTicks + (clockMs - lastTempoMs) * tempo
// * division / 60000, computed in 64 bits.
struct FCMidiClock {
    // Beats per minute.
    int32_t tempo;
    int32_t accumulatedTicks;
    int32_t elapsedMs;
    int32_t lastTempoMs;
    int32_t clockMs;
    int32_t ticksSinceTempo;
};

// Where a track stands: offsets into the song's data.
struct FCMidiTrackCondition {
    int32_t time;
    int32_t ended;
    uint32_t position;
    uint32_t runningStatus;
    uint32_t start;
};

// Storage shaped like the system's MIDIHDR (checked by the Windows side), so
// portable code can hold a track's system-exclusive header. The system's
// multimedia records are packed to single bytes.
#pragma pack(push, 1)
struct FCMidiHeader {
    char* data;
    uint32_t bufferLength;
    uint32_t bytesRecorded;
    uintptr_t user;
    uint32_t flags;
    FCMidiHeader* next;
    uintptr_t reserved;
    uint32_t offset;
    uintptr_t reservedWords[8];
};
#pragma pack(pop)

struct FCMidiTrack {
    // Bytes of a track's system-exclusive buffer.
    static constexpr uint32_t kBufferSize = 4096;

    FCMidiTrackCondition current;
    FCMidiTrackCondition saved;
    // Offset of the track's chunk in the song's data.
    uint32_t chunk;
    FCMidi* owner;
    // Its buffer is allocated at the first system-exclusive message.
    FCMidiHeader header;
    // Offset just past the track's data: its chunk's end, or the file's.
    uint32_t end;
};

// State bits.
constexpr uint32_t kMidiLoop = 0x1;
constexpr uint32_t kMidiLoopRestart = 0x2;
constexpr uint32_t kMidiStopping = 0x100;

// The loaded song and how it plays (FCMidi's members from state to
// loopSaved).
struct FCMidiSong {
    uint32_t state;
    FCMidiTrack* tracks;
    int32_t trackCount;
    // The whole file, owned.
    uint8_t* data;
    int32_t division;
    // 0 to 100.
    int32_t masterVolume;
    int32_t fadeVolume;
    // Change of fadeVolume every 5 timer ticks; 0: no fade.
    int32_t fadeStep;
    int32_t fadeCounter;
    // Song time at which the loop point is saved.
    int32_t loopStartMs;
    int32_t loopSaved;
};

// The channels and the clock, now and at the loop point (FCMidi's members
// from channels to savedClock).
struct FCMidiPosition {
    FCMidiChannel channels[16];
    FCMidiClock clock;
    FCMidiChannel savedChannels[16];
    FCMidiClock savedClock;
};
