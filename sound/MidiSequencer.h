#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/LumivexApi.h"
#include "sound/MidiSong.h"

// Where the sequencer's messages go: the MIDI device on Windows, a schedule
// in lvtool and the tests.
class MidiOutput {
public:
    virtual ~MidiOutput() = default;

    // Every send happens between these; enterSend answers false (and holds
    // nothing) when no device is open, and then nothing is sent.
    virtual bool enterSend() { return true; }
    virtual void leaveSend() { }
    // A short message as the device takes it, at the given timer tick
    // (counted from the start of the song); 0 or the system's error code.
    virtual uint32_t sendShortMessage(uint32_t message, int32_t timerTick) = 0;
    // A long message for the track's own buffer: the prefix byte (0xF0 for
    // system exclusive, or -1 for none) and then length bytes. 0, the
    // system's error code, or kMidiNotReady to have it sent again later.
    virtual uint32_t sendLongMessage(FCMidiTrack& track, int prefix, const uint8_t* bytes, uint32_t length) = 0;
    // Developer notices; wantsDebugOutput() false spares building them.
    virtual bool wantsDebugOutput() const { return false; }
    virtual void debugOutput(const char* text) { (void)text; }
};

// The device's answer while a track's buffer is still being sent.
constexpr uint32_t kMidiNotReady = 67;

// Reads a Standard MIDI File in place and plays it tick by tick: the song
// clock, the tracks' events, the channel state, volumes, fades and loops.
// It works on the records FCMidi holds (MidiSong.h); FCMidi adds the timer,
// the command thread and the device.
class LUMIVEX_API MidiSequencer {
public:
    enum class TickResult {
        // Tracks still play (or the tick was skipped).
        Running,
        // The song ended or faded out: stopping is set, stop now.
        Stop,
        // The song ended and restarts from its loop point: resend the
        // channels (resendChannels), which ends the restart.
        Loop,
    };

    MidiSequencer(FCMidiSong& song, FCMidiPosition& position, uint32_t tickPeriod, MidiOutput& output);

    // Takes the whole file (allocated with new[]) into song.data and lays
    // out its tracks. False, with nothing kept, when the file is no
    // Standard MIDI File. Throws NotEnoughMemoryException when the tracks
    // cannot be allocated. Frees what the song held before.
    static bool load(FCMidiSong& song, uint8_t* data, size_t size, FCMidi* owner);
    // Frees the tracks, their buffers and the data (the device must have let
    // go of the buffers).
    static void release(FCMidiSong& song);

    // Both channel sets to their reset values.
    void resetChannels();
    // Prepares a loaded song to play: channels, clock, the fade-in (mode 4
    // with a fade time) and the loop point.
    void start(int32_t mode, int32_t fadeMs);
    // One timer period of the song (the caller holds the tick lock).
    TickResult tick();
    // Starts a fade-out for a stop request when it asks for one (mode 5 with
    // a fade time, while the song is audible); false: stop at once.
    bool beginFadeOut(int32_t mode, int32_t fadeMs);
    // A note-on with velocity 0 for every sounding note, channel by channel.
    void silenceNotes();
    // After a stop: full fade volume, no fade.
    void endFade();
    // Updates the channel state, scales controller 7 and sends.
    void sendShort(uint32_t message);
    // Controller 7 of every channel again, scaled by the current volumes.
    void resendVolumes();
    // The whole channel state again (after a loop); ends the loop restart.
    void resendChannels();
    // 0 to 100; the channel volumes are sent again.
    void setMasterVolume(int32_t volume);

    // The song position of the clock now.
    int32_t currentTick();
    // The timer tick the clock stands at.
    int32_t timerTick() const;

    // Simulated time: how many timer periods from now the next event falls
    // due (at least 1), or -1 when no event ever will (the clock cannot reach
    // it). skipTicks advances the clock over periods in which nothing is due.
    int64_t ticksUntilDue();
    void skipTicks(int64_t count);
    // Plays a started song once to its end (or its loop) in simulated time
    // and silences the notes still sounding; false when the song can never
    // end (it is silenced where it stands).
    bool playToEnd();

private:
    enum class EventResult { Done, Retry };

    bool playTrack(FCMidiTrack& track, int32_t now);
    EventResult playEvent(FCMidiTrack& track);
    void setTempo(uint32_t microsecondsPerQuarter);
    void logMeta(uint8_t type, const uint8_t* bytes, uint32_t length);

    FCMidiSong& m_song;
    FCMidiPosition& m_position;
    uint32_t m_tickPeriod;
    MidiOutput& m_output;
};
