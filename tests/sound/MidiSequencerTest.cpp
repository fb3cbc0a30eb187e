#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "sound/MidiSequencer.h"
#include "sound/MidiTestFiles.h"

using namespace midi_test;

namespace {

using Schedule = std::vector<std::pair<int32_t, uint32_t>>;

class Recorder final : public MidiOutput {
public:
    uint32_t sendShortMessage(uint32_t message, int32_t timerTick) override
    {
        sent.emplace_back(timerTick, message);
        return 0;
    }
    uint32_t sendLongMessage(FCMidiTrack&, int prefix, const uint8_t* bytes, uint32_t length) override
    {
        if (notReady > 0) {
            --notReady;
            return kMidiNotReady;
        }
        std::vector<uint8_t> message;
        if (prefix >= 0)
            message.push_back(static_cast<uint8_t>(prefix));
        message.insert(message.end(), bytes, bytes + length);
        longMessages.push_back(message);
        return 0;
    }
    bool wantsDebugOutput() const override { return true; }
    void debugOutput(const char* text) override { debug += text; }

    Schedule sent;
    std::vector<std::vector<uint8_t>> longMessages;
    std::string debug;
    int notReady = 0;
};

// A song loaded into the records FCMidi holds, at full volume.
class Player {
public:
    explicit Player(const Bytes& bytes)
        : sequencer(song, position, 16, output)
    {
        song.masterVolume = 100;
        song.fadeVolume = 100;
        uint8_t* data = new uint8_t[bytes.size()];
        std::memcpy(data, bytes.data(), bytes.size());
        loaded = MidiSequencer::load(song, data, bytes.size(), nullptr);
    }
    ~Player() { MidiSequencer::release(song); }

    // Plays to the end in simulated time.
    Schedule schedule()
    {
        sequencer.start(0, 0);
        ended = sequencer.playToEnd();
        return output.sent;
    }

    FCMidiSong song {};
    FCMidiPosition position {};
    Recorder output;
    MidiSequencer sequencer;
    bool loaded = false;
    bool ended = false;
};

uint32_t message(uint32_t status, uint32_t data1, uint32_t data2 = 0)
{
    return status | data1 << 8 | data2 << 16;
}

} // namespace

TEST(MidiSequencer, TempoChangesCountFromTheTickWhereTheyAreMet)
{
    // Division 96: 120 beats a minute make 0.192 ticks a millisecond, 150
    // make 0.24. The first tempo event is met at timer tick 1 (song tick 3),
    // which becomes the start of its count: the note at 100 falls due when
    // 3 + (16n - 16) * 0.192 >= 100, at n = 33. The second tempo is met at
    // n = 66 (song tick 3 + 1040 * 0.192 = 202, not its own 200); the note
    // 100 ticks after it falls due when 202 + (16n - 1056) * 0.24 >= 300,
    // at n = 92 (counting from 200 would give 93).
    Track track;
    track.tempo(0, 500000).event(100, { 0x90, 60, 100 }).tempo(100, 400000).event(100, { 0x80, 60, 0 }).end();
    Player player(file(0, 96, { track }));
    ASSERT_TRUE(player.loaded);
    Schedule expected = { { 33, message(0x90, 60, 100) }, { 92, message(0x80, 60) } };
    EXPECT_EQ(player.schedule(), expected);
    EXPECT_TRUE(player.ended);
    EXPECT_EQ(player.position.clock.tempo, 150);
}

TEST(MidiSequencer, RunningStatusPlaysTheDataBytesAsAnotherEvent)
{
    Track track;
    track.event(0, { 0x90, 0x3C, 0x40 }).event(0, { 0x3E, 0x40 }).event(0, { 0x3C, 0x00 }).end(1);
    Player player(file(0, 96, { track }));
    // The note left sounding is silenced at the end, in the tick that ends
    // the song.
    Schedule expected = { { 1, 0x00403C90 }, { 1, 0x00403E90 }, { 1, 0x00003C90 }, { 1, 0x00003E90 } };
    EXPECT_EQ(player.schedule(), expected);
}

TEST(MidiSequencer, TracksPlayInTrackOrderWithinATick)
{
    // Division 960 at 120 beats a minute: 30 ticks a timer period. Track 0's
    // event at tick 20 goes before track 1's at tick 5 in the same period;
    // track 2's at 40 waits for the next period.
    Track first, second, third;
    first.event(20, { 0xC0, 1 }).end();
    second.event(5, { 0xC1, 2 }).end(100);
    third.event(40, { 0xC2, 3 }).end();
    Player player(file(1, 960, { first, second, third }));
    Schedule expected = { { 1, message(0xC0, 1) }, { 1, message(0xC1, 2) }, { 2, message(0xC2, 3) } };
    EXPECT_EQ(player.schedule(), expected);
    // Track 1 ends at tick 105: the song ends in period 4 (120 >= 105).
    EXPECT_EQ(player.position.clock.elapsedMs, 4 * 16);
}

TEST(MidiSequencer, NotesHeldAtTheEndAreSilencedChannelByChannel)
{
    Track track;
    track.event(0, { 0x95, 70, 90 }).event(0, { 0x91, 64, 90 }).event(0, { 0x91, 30, 90 }).end(960);
    Player player(file(0, 960, { track }));
    Schedule schedule = player.schedule();
    ASSERT_EQ(schedule.size(), 6u);
    // 960 ticks at 30 a period: the end comes in period 32.
    Schedule silenced(schedule.begin() + 3, schedule.end());
    Schedule expected = { { 32, message(0x91, 30) }, { 32, message(0x91, 64) }, { 32, message(0x95, 70) } };
    EXPECT_EQ(silenced, expected);
}

TEST(MidiSequencer, TheClockProductPassesThirtyOneBitsWithoutWrapping)
{
    // Division 960 at 120 beats a minute: (ms * 120 * 960) passes 2^31 after
    // 18641 ms. Tick 40000 falls due at the first 16n with
    // 16n * 115200 / 60000 >= 40000: n = 1303 (song tick 40028).
    Track track;
    track.event(40000, { 0x90, 60, 1 }).end();
    Player player(file(0, 960, { track }));
    Schedule schedule = player.schedule();
    ASSERT_FALSE(schedule.empty());
    EXPECT_EQ(schedule.front(), std::make_pair(int32_t(1303), message(0x90, 60, 1)));
    EXPECT_GT(int64_t(player.position.clock.clockMs) * 120 * 960, int64_t(1) << 31);
}

TEST(MidiSequencer, ChannelVolumeIsScaledByTheMasterAndFadeVolumes)
{
    struct Case {
        int32_t master, fade;
        uint8_t volume, sent;
    } cases[] = { { 100, 100, 100, 100 }, { 50, 100, 100, 50 }, { 50, 50, 127, 31 }, { 0, 100, 127, 0 },
        { 100, 100, 0xFF, 127 } };
    for (const Case& c : cases) {
        Player player(file(0, 96, { Track().end() }));
        player.sequencer.start(0, 0);
        player.song.masterVolume = c.master;
        player.song.fadeVolume = c.fade;
        player.sequencer.sendShort(message(0xB3, 7, c.volume));
        ASSERT_EQ(player.output.sent.size(), 1u);
        EXPECT_EQ(player.output.sent[0].second, message(0xB3, 7, c.sent)) << c.master << " " << c.fade;
        EXPECT_EQ(player.position.channels[3].volume, c.volume);
    }
}

TEST(MidiSequencer, AFadeOutStepsEveryFiveTicksAndStopsAtSilence)
{
    Track track;
    track.event(0, { 0xB0, 7, 100 }).end(100000);
    Player player(file(0, 96, { track }));
    player.sequencer.start(0, 0);
    ASSERT_EQ(player.sequencer.tick(), MidiSequencer::TickResult::Running);
    ASSERT_TRUE(player.sequencer.beginFadeOut(5, 1600));
    EXPECT_EQ(player.song.fadeStep, -5);
    int ticks = 0;
    MidiSequencer::TickResult result;
    do {
        result = player.sequencer.tick();
        ++ticks;
        if (ticks % 5 == 0)
            EXPECT_EQ(player.song.fadeVolume, std::max(0, 100 - ticks));
    } while (result == MidiSequencer::TickResult::Running && ticks < 1000);
    EXPECT_EQ(result, MidiSequencer::TickResult::Stop);
    EXPECT_EQ(ticks, 100); // 20 steps of 80 ms: 1600 ms.
    EXPECT_TRUE(player.song.state & kMidiStopping);
    // Channel 0's volume went down with every step, 16 channels a step.
    EXPECT_EQ(player.output.sent.size(), 1u + 20 * 16);
    EXPECT_EQ(player.output.sent.back().second, message(0xBF, 7, 0));
    EXPECT_EQ(player.output.sent[1 + 19 * 16].second, message(0xB0, 7, 0));
    // A stop without fade (or of a silent song) is at once.
    EXPECT_FALSE(player.sequencer.beginFadeOut(0, 1600));
    EXPECT_FALSE(player.sequencer.beginFadeOut(5, 0));
}

TEST(MidiSequencer, AFadeInStartsSilentAndRises)
{
    Track track;
    track.end(100000);
    Player player(file(0, 96, { track }));
    player.sequencer.start(4, 800);
    EXPECT_EQ(player.song.fadeVolume, 0);
    EXPECT_EQ(player.song.fadeStep, 10);
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(player.sequencer.tick(), MidiSequencer::TickResult::Running) << i;
    EXPECT_EQ(player.song.fadeVolume, 100);
    EXPECT_EQ(player.song.fadeStep, 0);
}

TEST(MidiSequencer, ALoopRestartsFromTheSavedPointAndResendsTheChannels)
{
    Track track;
    track.event(0, { 0xC2, 5 }).event(0, { 0xB2, 10, 20 }).event(30, { 0x92, 60, 1 }).end(30);
    Player player(file(0, 960, { track }));
    player.song.state |= kMidiLoop;
    player.sequencer.start(0, 0);
    MidiSequencer::TickResult result = MidiSequencer::TickResult::Running;
    for (int i = 0; i < 10 && result == MidiSequencer::TickResult::Running; ++i)
        result = player.sequencer.tick();
    ASSERT_EQ(result, MidiSequencer::TickResult::Loop);
    EXPECT_TRUE(player.song.state & kMidiLoopRestart);
    // Saved at the first tick, before the program and pan were played.
    EXPECT_EQ(player.position.channels[2].program, int32_t(message(0xD2, 0)));
    EXPECT_EQ(player.position.channels[2].pan, kMidiNoMessage);
    EXPECT_EQ(player.sequencer.tick(), MidiSequencer::TickResult::Running);
    player.output.sent.clear();
    player.sequencer.resendChannels();
    EXPECT_FALSE(player.song.state & kMidiLoopRestart);
    ASSERT_EQ(player.output.sent.size(), 16u * 3);
    Schedule channel2(player.output.sent.begin() + 6, player.output.sent.begin() + 9);
    EXPECT_EQ(channel2[0].second, message(0xB2, 7, 100));
    EXPECT_EQ(channel2[1].second, message(0xE2, 0, 0x40));
    EXPECT_EQ(channel2[2].second, message(0xD2, 0));
    // The song plays again from its start.
    player.output.sent.clear();
    player.sequencer.tick();
    ASSERT_GE(player.output.sent.size(), 2u);
    EXPECT_EQ(player.output.sent[0].second, message(0xC2, 5));
}

TEST(MidiSequencer, SystemExclusiveGoesOutWithItsPrefixAndIsRetriedWhileTheBufferIsBusy)
{
    Track track;
    track.event(0, { 0xF0, 0x03, 0x41, 0x10, 0xF7 }).event(0, { 0xF7, 0x02, 0xF3, 0x01 }).event(0, { 0xF6 }).end();
    Player player(file(0, 96, { track }));
    player.output.notReady = 1;
    player.sequencer.start(0, 0);
    EXPECT_EQ(player.sequencer.tick(), MidiSequencer::TickResult::Running);
    EXPECT_TRUE(player.output.longMessages.empty());
    EXPECT_EQ(player.sequencer.tick(), MidiSequencer::TickResult::Stop);
    std::vector<std::vector<uint8_t>> expected = { { 0xF0, 0x41, 0x10, 0xF7 }, { 0xF3, 0x01 } };
    EXPECT_EQ(player.output.longMessages, expected);
    Schedule shorts = { { 2, 0xF6 } };
    EXPECT_EQ(player.output.sent, shorts);
}

TEST(MidiSequencer, MetaEventsAreLoggedForTheDeveloper)
{
    Track track;
    track.event(0, { 0xFF, 0x03, 0x02, 'P', 'f' }).tempo(0, 400000).event(0, { 0xFF, 0x58, 0x02, 0x04, 0x02 }).end();
    Player player(file(0, 96, { track }));
    player.schedule();
    EXPECT_EQ(player.output.debug,
        "meta event: code = 0x03: \x83\x67\x83\x89\x83\x62\x83\x4E\x96\xBC\x83\x65\x83\x4C\x83\x58\x83\x67\x3A\x20"
        " 2: Pf\n"
        "meta event: code = 0x51: \x83\x65\x83\x93\x83\x7C\x90\xDD\x92\xE8\x3A\x20 3: 150\n"
        "meta event: code = 0x58: \x94\x8F\x8E\x71\x83\x43\x83\x78\x83\x93\x83\x67\x3A\x20 2: 0x04 0x02 \n"
        "meta event: code = 0x2F: \x83\x67\x83\x89\x83\x62\x83\x4E\x8F\x49\x92\x5B 0\n");
}

TEST(MidiSequencer, HostileFilesPlayToAnEndWithBoundedWork)
{
    auto withHeader = [](Bytes bytes, std::initializer_list<uint8_t> header) {
        std::copy(header.begin(), header.end(), bytes.begin());
        return bytes;
    };
    Bytes plain = file(0, 96, { Track().event(0, { 0x90, 60, 1 }).end(10) });
    Bytes beyond = plain;
    beyond[21] = 0x7F; // the track's length runs past the file
    Bytes noEnd = file(0, 96, { Track().event(0, { 0x90, 60, 1 }).event(5, { 0x80, 60, 0 }) });
    Bytes cutNumber = file(0, 96, { Track().event(0, { 0x90, 60, 1 }) });
    cutNumber.push_back(0x81);
    cutNumber[21] += 1;
    Bytes cutData = file(0, 96, { Track().event(0, { 0x90, 60 }) });
    Bytes hugeExclusive = file(0, 96, { Track().event(0, { 0xF0, 0x8F, 0xFF, 0xFF, 0x7F, 0x00 }) });
    Bytes hugeMeta = file(0, 96, { Track().event(0, { 0xFF, 0x01, 0x8F, 0xFF, 0xFF, 0x7F, 0x00 }) });
    Bytes longNumber = file(0, 96, { Track().event(0, { 0xFF, 0x01, 0x80, 0x80, 0x80, 0x80, 0x01 }) });
    Bytes zeroTempo = file(0, 96, { Track().tempo(0, 0).event(96, { 0x90, 60, 1 }).end() });
    Bytes manyTracks = plain;
    manyTracks[10] = manyTracks[11] = 0xFF; // 65535 tracks claimed, one present
    Bytes noStatus = file(0, 96, { Track().event(0, { 0x3C, 0x40 }).end() });
    Bytes zeroDivision = file(0, 0, { Track().event(0, { 0x90, 60, 1 }).end(1) });
    Bytes farEvent
        = file(0, 1, { Track().event(0x0FFFFFFF, { 0x90, 60, 1 }).event(0x0FFFFFFF, { 0x90, 61, 1 }).end() });
    struct Case {
        const char* name;
        Bytes bytes;
        bool loads;
        bool ends;
    } cases[] = {
        { "track beyond the file", beyond, true, true },
        { "no end of track", noEnd, true, true },
        { "file ends inside a number", cutNumber, true, true },
        { "file ends inside an event", cutData, true, true },
        { "huge system exclusive", hugeExclusive, true, true },
        { "huge meta event", hugeMeta, true, true },
        { "number of five bytes", longNumber, true, true },
        { "zero tempo", zeroTempo, true, true },
        { "65535 tracks claimed", manyTracks, true, true },
        { "data byte without status", noStatus, true, true },
        { "zero division", zeroDivision, true, false },
        { "event beyond the clock", farEvent, true, false },
        { "not a MIDI file", withHeader(plain, { 'R', 'I', 'F', 'F' }), false, false },
        { "header cut short", Bytes(plain.begin(), plain.begin() + 13), false, false },
        { "header length past the file", withHeader(plain, { 'M', 'T', 'h', 'd', 0xFF, 0xFF, 0xFF, 0xFF }), true,
            true },
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        Player player(c.bytes);
        ASSERT_EQ(player.loaded, c.loads);
        if (!c.loads)
            continue;
        player.schedule();
        EXPECT_EQ(player.ended, c.ends);
        EXPECT_LE(player.song.trackCount, 1);
        // Every note that was switched on is off at the end.
        for (const FCMidiChannel& channel : player.position.channels)
            for (int note = 0; note < 128; ++note)
                EXPECT_FALSE(channel.notes.test(note));
    }
}
