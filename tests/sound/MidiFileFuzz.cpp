#include <cstddef>
#include <cstdint>
#include <cstring>

#include "sound/MidiSequencer.h"

namespace {

// Takes every message and counts nothing: the reader and the event logic
// are what is fuzzed.
class Discard final : public MidiOutput {
public:
    uint32_t sendShortMessage(uint32_t, int32_t) override { return 0; }
    uint32_t sendLongMessage(FCMidiTrack&, int, const uint8_t*, uint32_t) override { return 0; }
    bool wantsDebugOutput() const override { return true; }
};

} // namespace

// The whole input is the file, played once to its end in simulated time.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FCMidiSong song {};
    song.masterVolume = 100;
    song.fadeVolume = 100;
    FCMidiPosition position {};
    Discard output;
    MidiSequencer sequencer(song, position, 16, output);
    uint8_t* copy = new uint8_t[size];
    if (size)
        std::memcpy(copy, data, size);
    if (MidiSequencer::load(song, copy, size, nullptr)) {
        sequencer.start(0, 0);
        sequencer.playToEnd();
    }
    MidiSequencer::release(song);
    return 0;
}
