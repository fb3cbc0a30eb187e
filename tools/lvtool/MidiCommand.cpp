#include "tools/lvtool/MidiCommand.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "sound/MidiSequencer.h"
#include "tools/lvtool/ToolSupport.h"

namespace {

int midiUsage()
{
    std::fprintf(stderr, "usage: lvtool midi schedule FILE\n");
    return 2;
}

// Prints every short message as the device would get it: the timer tick and
// the message word.
class ScheduleOutput final : public MidiOutput {
public:
    uint32_t sendShortMessage(uint32_t message, int32_t timerTick) override
    {
        std::printf("%d %08X\n", timerTick, message);
        return 0;
    }
    uint32_t sendLongMessage(FCMidiTrack&, int, const uint8_t*, uint32_t) override { return 0; }
};

} // namespace

// Plays a Standard MIDI File through the host's sequencer in simulated time
// (no waiting: the clock jumps over periods in which nothing falls due), at
// full master and fade volume, and prints one line per short message sent,
// the notes still sounding at the end included.
int runMidiCommand(int argc, char** argv)
{
    if (argc != 2 || std::strcmp(argv[0], "schedule") != 0)
        return midiUsage();
    const char* path = argv[1];
    try {
        std::vector<uint8_t> content;
        if (!readWholeFile(path, content))
            return fail(path, "cannot read the file");
        auto data = std::make_unique<uint8_t[]>(content.size());
        std::memcpy(data.get(), content.data(), content.size());

        FCMidiSong song {};
        song.masterVolume = 100;
        song.fadeVolume = 100;
        FCMidiPosition position {};
        ScheduleOutput output;
        constexpr uint32_t kTickPeriod = 16;
        MidiSequencer sequencer(song, position, kTickPeriod, output);
        struct Release {
            FCMidiSong& song;
            ~Release() { MidiSequencer::release(song); }
        } release { song };
        if (!MidiSequencer::load(song, data.release(), content.size(), nullptr))
            return fail(path, "not a Standard MIDI File");
        sequencer.start(0, 0);
        if (!sequencer.playToEnd()) {
            std::fflush(stdout);
            return fail(path, "the song never reaches its end");
        }
        return 0;
    } catch (...) {
        std::fflush(stdout);
        return fail(path, currentFailure().c_str());
    }
}
