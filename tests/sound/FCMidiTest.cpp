#include <gtest/gtest.h>

#include <windows.h>

#include <mmsystem.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "scenario/FCScenario.h"
#include "sound/FCCd.h"
#include "sound/FCMidi.h"
#include "sound/MidiOutCalls_win32.h"
#include "sound/MidiTestFiles.h"
#include "support/ContractLayout.h"
#include "support/MessageBoxRecorder.h"
#include "support/TestFiles_win32.h"

// Scenario modules reach the sequencer's and the CD player's members.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
LUMIVEX_SIZE_IS(FCMidiChannel, 48);
LUMIVEX_MEMBER_AT(FCMidiChannel, channel, 16);
LUMIVEX_MEMBER_AT(FCMidiChannel, volume, 17);
LUMIVEX_MEMBER_AT(FCMidiChannel, pitchBend, 20);
LUMIVEX_MEMBER_AT(FCMidiChannel, expression, 44);
LUMIVEX_SIZE_IS(FCMidiTrack, 116);
LUMIVEX_MEMBER_AT(FCMidiTrack, header, 48);
LUMIVEX_MEMBER_AT(FCMidi, tickPeriod, 4);
LUMIVEX_MEMBER_AT(FCMidi, timeCaps, 8);
LUMIVEX_MEMBER_AT(FCMidi, timerId, 16);
LUMIVEX_MEMBER_AT(FCMidi, tickEvent, 20);
LUMIVEX_MEMBER_AT(FCMidi, available, 28);
LUMIVEX_MEMBER_AT(FCMidi, caps, 32);
LUMIVEX_MEMBER_AT(FCMidi, deviceEvent, 84);
LUMIVEX_MEMBER_AT(FCMidi, handle, 92);
LUMIVEX_MEMBER_AT(FCMidi, tickLock, 96);
LUMIVEX_MEMBER_AT(FCMidi, thread, 128);
LUMIVEX_MEMBER_AT(FCMidi, song.state, 148);
LUMIVEX_MEMBER_AT(FCMidi, song.tracks, 152);
LUMIVEX_MEMBER_AT(FCMidi, song.trackCount, 156);
LUMIVEX_MEMBER_AT(FCMidi, song.data, 160);
LUMIVEX_MEMBER_AT(FCMidi, song.division, 164);
LUMIVEX_MEMBER_AT(FCMidi, song.masterVolume, 168);
LUMIVEX_MEMBER_AT(FCMidi, song.fadeVolume, 172);
LUMIVEX_MEMBER_AT(FCMidi, song.fadeStep, 176);
LUMIVEX_MEMBER_AT(FCMidi, song.fadeCounter, 180);
LUMIVEX_MEMBER_AT(FCMidi, song.loopStartMs, 184);
LUMIVEX_MEMBER_AT(FCMidi, song.loopSaved, 188);
LUMIVEX_MEMBER_AT(FCMidi, threadDoneEvent, 192);
LUMIVEX_MEMBER_AT(FCMidi, position.channels, 200);
LUMIVEX_MEMBER_AT(FCMidi, position.clock, 968);
LUMIVEX_MEMBER_AT(FCMidi, position.savedChannels, 992);
LUMIVEX_MEMBER_AT(FCMidi, position.savedClock, 1760);
LUMIVEX_MEMBER_AT(FCMidi, sendLock, 1784);
LUMIVEX_MEMBER_AT(FCMidi, fileName, 1816);
LUMIVEX_MEMBER_AT(FCMidi, commandEvent, 1828);
LUMIVEX_SIZE_IS(FCMidi, 1836);
static_assert(ascending({ offsetof(FCMidi, tickPeriod), offsetof(FCMidi, timeCaps), offsetof(FCMidi, timerId),
    offsetof(FCMidi, tickEvent), offsetof(FCMidi, available), offsetof(FCMidi, caps), offsetof(FCMidi, deviceEvent),
    offsetof(FCMidi, handle), offsetof(FCMidi, tickLock), offsetof(FCMidi, thread), offsetof(FCMidi, song),
    offsetof(FCMidi, threadDoneEvent), offsetof(FCMidi, position), offsetof(FCMidi, sendLock),
    offsetof(FCMidi, fileName), offsetof(FCMidi, commandEvent) }));
LUMIVEX_MEMBER_AT(FCCd, firstDevice, 4);
LUMIVEX_MEMBER_AT(FCCd, playingDevice, 8);
LUMIVEX_MEMBER_AT(FCCd, thread, 12);
LUMIVEX_MEMBER_AT(FCCd, event, 32);
LUMIVEX_MEMBER_AT(FCCd, stopRequest, 44);
LUMIVEX_MEMBER_AT(FCCd, name, 52);
LUMIVEX_SIZE_IS(FCCd, 64);
#pragma GCC diagnostic pop

using namespace midi_test;

namespace {

// A MIDI device of the test's own (this machine may have none): it answers
// like the system's and keeps what it was sent.
struct FakeDevice {
    static void install() { setMidiOutCalls(&kCalls); }
    static void remove() { setMidiOutCalls(nullptr); }
    static std::vector<std::string> log()
    {
        EnterCriticalSection(&lock());
        std::vector<std::string> copy = entries();
        LeaveCriticalSection(&lock());
        return copy;
    }
    static void clear()
    {
        EnterCriticalSection(&lock());
        entries().clear();
        LeaveCriticalSection(&lock());
    }

private:
    static CRITICAL_SECTION& lock()
    {
        static CRITICAL_SECTION section = [] {
            CRITICAL_SECTION s;
            InitializeCriticalSection(&s);
            return s;
        }();
        return section;
    }
    static std::vector<std::string>& entries()
    {
        static std::vector<std::string> list;
        return list;
    }
    static void add(const std::string& entry)
    {
        EnterCriticalSection(&lock());
        entries().push_back(entry);
        LeaveCriticalSection(&lock());
    }
    static MMRESULT WINAPI getDevCaps(UINT_PTR, LPMIDIOUTCAPSA caps, UINT)
    {
        lstrcpyA(caps->szPname, "test device");
        return MMSYSERR_NOERROR;
    }
    static MMRESULT WINAPI open(LPHMIDIOUT device, UINT, DWORD_PTR callback, DWORD_PTR instance, DWORD)
    {
        *device = reinterpret_cast<HMIDIOUT>(0x1234);
        s_callback = callback;
        s_instance = instance;
        add("open");
        reinterpret_cast<LPDRVCALLBACK>(callback)(reinterpret_cast<HDRVR>(*device), MOM_OPEN, instance, 0, 0);
        return MMSYSERR_NOERROR;
    }
    static MMRESULT WINAPI close(HMIDIOUT device)
    {
        add("close");
        reinterpret_cast<LPDRVCALLBACK>(s_callback)(reinterpret_cast<HDRVR>(device), MOM_CLOSE, s_instance, 0, 0);
        return MMSYSERR_NOERROR;
    }
    static MMRESULT WINAPI shortMsg(HMIDIOUT, DWORD message)
    {
        char text[16];
        wsprintfA(text, "%08X", message);
        add(text);
        return MMSYSERR_NOERROR;
    }
    static MMRESULT WINAPI longMsg(HMIDIOUT, LPMIDIHDR header, UINT)
    {
        add("long " + std::to_string(header->dwBufferLength));
        header->dwFlags |= MHDR_DONE;
        return MMSYSERR_NOERROR;
    }
    static MMRESULT WINAPI prepare(HMIDIOUT, LPMIDIHDR header, UINT)
    {
        header->dwFlags |= MHDR_PREPARED;
        return MMSYSERR_NOERROR;
    }
    static MMRESULT WINAPI unprepare(HMIDIOUT, LPMIDIHDR header, UINT)
    {
        header->dwFlags &= ~MHDR_PREPARED;
        return MMSYSERR_NOERROR;
    }
    static MMRESULT WINAPI reset(HMIDIOUT)
    {
        add("reset");
        return MMSYSERR_NOERROR;
    }

    static inline DWORD_PTR s_callback = 0;
    static inline DWORD_PTR s_instance = 0;
    static constexpr MidiOutCalls kCalls = { getDevCaps, open, close, shortMsg, longMsg, prepare, unprepare, reset };
};

class FakeDeviceScope {
public:
    FakeDeviceScope()
    {
        FakeDevice::clear();
        FakeDevice::install();
    }
    ~FakeDeviceScope() { FakeDevice::remove(); }
};

// A song file in the temporary folder.
std::string writeSong(const char* name, const Bytes& bytes)
{
    std::string path = scratchFile("midi", name);
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return path;
}

// Two notes that sound for about 20 seconds, and a program change.
Bytes longSong()
{
    Track track;
    track.event(0, { 0xC0, 5 }).event(0, { 0x90, 60, 100 }).event(0, { 0x93, 64, 100 }).event(96 * 40, { 0x80, 60, 0 });
    return file(0, 96, { track.end() });
}

bool contains(const std::vector<std::string>& log, const std::string& entry)
{
    for (const std::string& e : log)
        if (e == entry)
            return true;
    return false;
}

size_t indexOf(const std::vector<std::string>& log, const std::string& entry)
{
    for (size_t i = 0; i < log.size(); ++i)
        if (log[i] == entry)
            return i;
    return log.size();
}

template <typename Work> DWORD WINAPI runWork(void* work)
{
    (*static_cast<Work*>(work))();
    return 0;
}

// Runs work on a thread of its own; false when it has not ended in time
// (the thread is left behind).
template <typename Work> bool endsWithin(DWORD ms, Work work)
{
    Work* copy = new Work(work);
    HANDLE thread = CreateThread(nullptr, 0, runWork<Work>, copy, 0, nullptr);
    bool ended = WaitForSingleObject(thread, ms) == WAIT_OBJECT_0;
    if (ended) {
        CloseHandle(thread);
        delete copy;
    }
    return ended;
}

unsigned LUMIVEX_STDCALL waitForEvent(void* event)
{
    WaitForSingleObject(event, INFINITE);
    return 0;
}

} // namespace

TEST(FCMidi, WithoutADeviceNothingPlaysNothingIsShownAndTheGameGoesOn)
{
    // This machine's Wine has no MIDI output: either the default device does
    // not answer (no command thread at all) or it cannot be opened.
    MessageBoxRecorder boxes;
    std::string path = writeSong("quiet.mid", longSong());
    ASSERT_TRUE(endsWithin(10000, [&] {
        FCMidi midi;
        std::printf("default MIDI output: %s\n", midi.available ? "answers" : "none");
        midi.play(path.c_str());
        EXPECT_EQ(midi.timerId, 0u);
        EXPECT_EQ(midi.handle, nullptr);
        midi.setVolume(50);
        midi.stop(5, 1000);
        midi.stop(0, 0);
    }));
    EXPECT_TRUE(boxes.requests().empty());
    DeleteFileA(path.c_str());
}

TEST(FCMidi, PlaysThroughTheDeviceAndSilencesHeldNotesWhenStopped)
{
    FakeDeviceScope device;
    std::string path = writeSong("held.mid", longSong());
    {
        FCMidi midi;
        ASSERT_EQ(midi.available, 1);
        midi.play(path.c_str());
        EXPECT_NE(midi.timerId, 0u);
        // The first events are due at the first tick.
        for (int i = 0; i < 200 && !contains(FakeDevice::log(), "00644093"); ++i)
            Sleep(10);
        midi.setVolume(50);
        midi.stop(0, 0);
        EXPECT_EQ(midi.timerId, 0u);
        EXPECT_EQ(midi.handle, nullptr);
    }
    std::vector<std::string> log = FakeDevice::log();
    std::vector<std::string> expected = { "open", "000005C0", "00643C90", "00644093" };
    ASSERT_GE(log.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 4), expected);
    // Master volume 50: channel volumes 100 are sent as 50.
    EXPECT_TRUE(contains(log, "003207B0"));
    // The held notes go off before the device is reset and closed.
    size_t reset = indexOf(log, "reset");
    ASSERT_LT(reset, log.size());
    EXPECT_LT(indexOf(log, "00003C90"), reset);
    EXPECT_LT(indexOf(log, "00004093"), reset);
    EXPECT_EQ(log.back(), "close");
    DeleteFileA(path.c_str());
}

TEST(FCMidi, ASongThatEndsStopsItselfThroughTheCommandThread)
{
    FakeDeviceScope device;
    Track track;
    track.event(0, { 0x90, 60, 100 }).end(10);
    std::string path = writeSong("short.mid", file(0, 96, { track }));
    FCMidi midi;
    midi.play(path.c_str());
    for (int i = 0; i < 300 && !contains(FakeDevice::log(), "close"); ++i)
        Sleep(10);
    std::vector<std::string> log = FakeDevice::log();
    EXPECT_TRUE(contains(log, "00003C90"));
    EXPECT_EQ(log.back(), "close");
    EXPECT_EQ(midi.timerId, 0u);
    EXPECT_EQ(midi.song.state & kMidiStopping, 0u);
    DeleteFileA(path.c_str());
}

TEST(FCMidi, ClosingTheGameWhileASongPlaysDoesNotDeadlock)
{
    FakeDeviceScope device;
    std::string path = writeSong("closing.mid", longSong());
    for (int round = 0; round < 5; ++round) {
        FakeDevice::clear();
        FCScenario* scenario = new FCScenario(nullptr);
        scenario->midi.play(path.c_str());
        scenario->midi.setLoop(true);
        Sleep(20 * round);
        // Destroying the scenario state stops the song and ends the command
        // thread while the timer runs.
        ASSERT_TRUE(endsWithin(10000, [&] { delete scenario; })) << round;
        EXPECT_EQ(FakeDevice::log().back(), "close");
    }
    DeleteFileA(path.c_str());
}

TEST(FCCd, WithoutADriveNothingPlaysAndStopReturnsAtOnce)
{
    FCCd cd;
    EXPECT_NE(cd.play(1), 0u);
    EXPECT_EQ(cd.playingDevice, -1);
    DWORD start = GetTickCount();
    cd.stop();
    EXPECT_LT(GetTickCount() - start, 1000u);
}

TEST(FCCd, StopWaitsForAStuckPlayerAtMostTenSeconds)
{
    FCCd* cd = new FCCd;
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // A player thread that ignores the stop request.
    cd->playingDevice = 1;
    cd->thread.start(waitForEvent, release);
    DWORD start = GetTickCount();
    cd->stop();
    DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, 9900u);
    EXPECT_LT(waited, 12000u);
    EXPECT_EQ(cd->stopRequest, 1);
    SetEvent(release);
    cd->thread.wait();
    cd->playingDevice = -1;
    delete cd;
    CloseHandle(release);
}
