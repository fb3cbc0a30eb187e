#pragma once

#include <cstdint>

#include "foundation/FCString.h"
#include "foundation/FCSync.h"
#include "foundation/LumivexApi.h"
#include "sound/MidiSong.h"

// Storage laid out like the system's TIMECAPS and MIDIOUTCAPSA (packed to
// single bytes, as the system's multimedia records are), so this header
// needs no <windows.h>; the implementation checks both.
struct FCTimeCaps {
    uint32_t periodMin;
    uint32_t periodMax;
};

#pragma pack(push, 1)
struct FCMidiOutCaps {
    uint16_t manufacturer;
    uint16_t product;
    uint32_t driverVersion;
    char name[32];
    uint16_t technology;
    uint16_t voices;
    uint16_t notes;
    uint16_t channelMask;
    uint32_t support;
};
#pragma pack(pop)

// Plays one Standard MIDI File at a time through the system's default MIDI
// output. A command thread of its own takes play, stop, volume and loop
// commands as thread messages; a periodic multimedia timer advances the
// song (MidiSequencer does the song's work). Without a MIDI device
// everything is a quiet no-op. Scenario modules reach the members directly:
// order and width are part of the module contract.
class LUMIVEX_API FCMidi {
public:
    // Thread messages of the command thread.
    static constexpr uint32_t WM_MIDI_QUIT = 0x5E0;
    // wParam: mode (4: fade in over lParam ms).
    static constexpr uint32_t WM_MIDI_PLAY = 0x5E1;
    // wParam: mode (5: fade out over lParam ms), else at once.
    static constexpr uint32_t WM_MIDI_STOP = 0x5E2;
    // wParam: master volume 0 to 100.
    static constexpr uint32_t WM_MIDI_VOLUME = 0x5E4;
    static constexpr uint32_t WM_MIDI_LOOP = 0x5E5;

    FCMidi();
    FCMidi(const FCMidi&) = delete;
    FCMidi& operator=(const FCMidi&) = delete;
    virtual ~FCMidi();

    // Posts a command to the command thread; with wait, returns once the
    // thread has carried out a command. False without a command thread.
    bool post(uint32_t message, uintptr_t wParam, intptr_t lParam, bool wait);
    // Scenario code's calls: play a file (from the start; mode 4 fades in),
    // stop (mode 5 fades out), the master volume, looping at the end.
    void play(const char* file, int32_t mode = 0, int32_t fadeMs = 0);
    void stop(int32_t mode, int32_t fadeMs);
    void setVolume(int32_t volume);
    void setLoop(bool loop);

    // Timer period in milliseconds.
    uint32_t tickPeriod;
    FCTimeCaps timeCaps;
    uint32_t timerId;
    // Set while no tick is being processed.
    FCEvent tickEvent;
    // 1 when the default MIDI output answered at construction.
    int32_t available;
    FCMidiOutCaps caps;
    // Set by the device callback when the device has opened or closed.
    FCEvent deviceEvent;
    // HMIDIOUT, or null.
    void* handle;
    // Guards the clock and the tracks during a tick.
    FCCriticalSection tickLock;
    FCThread thread;
    // state to loopSaved.
    FCMidiSong song;
    FCEvent threadDoneEvent;
    // channels to savedClock.
    FCMidiPosition position;
    // Guards every midiOut call and the channel state.
    FCCriticalSection sendLock;
    // The file the next play loads.
    FCString fileName;
    // Set by the command thread after each command.
    FCEvent commandEvent;
};
