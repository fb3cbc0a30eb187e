#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <vector>

#include "sound/MidiSequencer.h"
#include "sound/MidiTestFiles.h"

// The sequencer over a dense one-hour song: 16 tracks, one per channel, each
// a note on and off every 30 ticks (division 480 at 120 beats a minute: 64
// events a second a track, about 3.7 million in all), with a controller
// change every beat. Rates are events a second (simulated time, the clock
// jumping over periods in which nothing falls due) and, stepping every
// 16 ms timer period as the timer does, the share of one core the
// sequencer's ticks take at that rate.

namespace {

using midi_test::Bytes;

constexpr uint32_t kDivision = 480;
constexpr uint32_t kSongTicks = 3600 * 2 * kDivision;
constexpr uint32_t kTickPeriodMs = 16;

struct DenseSong {
    Bytes bytes;
    int64_t events = 0;
};

const DenseSong& denseSong()
{
    static const DenseSong song = [] {
        DenseSong made;
        std::vector<midi_test::Track> tracks(16);
        for (uint8_t c = 0; c < 16; ++c) {
            midi_test::Track& track = tracks[c];
            track.event(0, { uint8_t(0xC0 | c), c });
            for (uint32_t tick = 0; tick < kSongTicks; tick += 30) {
                uint8_t note = static_cast<uint8_t>(36 + (tick / 30 + c * 5) % 48);
                track.event(0, { uint8_t(0x90 | c), note, 100 });
                track.event(15, { note, 0 });
                made.events += 2;
                if (tick % kDivision == 0) {
                    track.event(15, { uint8_t(0xB0 | c), 7, uint8_t(60 + tick / kDivision % 60) });
                    ++made.events;
                } else {
                    track.bytes.push_back(15);
                    track.bytes.insert(track.bytes.end(), { 0xFF, 0x01, 0x00 });
                }
            }
            track.end();
        }
        made.bytes = { 'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 16, kDivision >> 8, kDivision & 0xFF };
        for (const midi_test::Track& track : tracks) {
            midi_test::append(made.bytes, { 'M', 'T', 'r', 'k' });
            midi_test::appendBigEndian(made.bytes, static_cast<uint32_t>(track.bytes.size()), 4);
            made.bytes.insert(made.bytes.end(), track.bytes.begin(), track.bytes.end());
        }
        return made;
    }();
    return song;
}

class Discard final : public MidiOutput {
public:
    uint32_t sendShortMessage(uint32_t message, int32_t) override
    {
        benchmark::DoNotOptimize(message);
        return 0;
    }
    uint32_t sendLongMessage(FCMidiTrack&, int, const uint8_t*, uint32_t) override { return 0; }
};

struct Loaded {
    Loaded()
        : sequencer(song, position, kTickPeriodMs, output)
    {
        const Bytes& bytes = denseSong().bytes;
        song.masterVolume = 100;
        song.fadeVolume = 100;
        uint8_t* data = new uint8_t[bytes.size()];
        std::memcpy(data, bytes.data(), bytes.size());
        MidiSequencer::load(song, data, bytes.size(), nullptr);
        sequencer.start(0, 0);
    }
    ~Loaded() { MidiSequencer::release(song); }

    FCMidiSong song {};
    FCMidiPosition position {};
    Discard output;
    MidiSequencer sequencer;
};

void BM_MidiScheduleDenseHour(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        Loaded loaded;
        state.ResumeTiming();
        benchmark::DoNotOptimize(loaded.sequencer.playToEnd());
    }
    state.SetItemsProcessed(state.iterations() * denseSong().events);
}
BENCHMARK(BM_MidiScheduleDenseHour)->Unit(benchmark::kMillisecond);

void BM_MidiTickEveryPeriodDenseHour(benchmark::State& state)
{
    int64_t ticks = 0;
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Loaded loaded;
        state.ResumeTiming();
        auto start = std::chrono::steady_clock::now();
        int64_t count = 0;
        while (loaded.sequencer.tick() == MidiSequencer::TickResult::Running)
            ++count;
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ticks += count + 1;
    }
    state.SetItemsProcessed(ticks);
    // Each tick's cost against the 16 ms between ticks.
    state.counters["core_percent_at_16ms"] = seconds / static_cast<double>(ticks) / (kTickPeriodMs / 1000.0) * 100.0;
    state.counters["ns_per_tick"] = seconds / static_cast<double>(ticks) * 1e9;
}
BENCHMARK(BM_MidiTickEveryPeriodDenseHour)->Unit(benchmark::kMillisecond);

} // namespace
