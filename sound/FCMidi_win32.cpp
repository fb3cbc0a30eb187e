#include <windows.h>

#include <mmsystem.h>

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "foundation/Diagnostic.h"
#include "foundation/FCFile.h"
#include "sound/DebuggerOutput.h"
#include "sound/FCMidi.h"
#include "sound/MidiOutCalls_win32.h"
#include "sound/MidiSequencer.h"

static_assert(sizeof(FCTimeCaps) == sizeof(TIMECAPS));
static_assert(sizeof(FCMidiOutCaps) == sizeof(MIDIOUTCAPSA) && alignof(FCMidiOutCaps) == alignof(MIDIOUTCAPSA));
static_assert(sizeof(FCMidiHeader) == sizeof(MIDIHDR) && alignof(FCMidiHeader) == alignof(MIDIHDR));
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(FCMidiOutCaps, name) == offsetof(MIDIOUTCAPSA, szPname)
    && offsetof(FCMidiOutCaps, support) == offsetof(MIDIOUTCAPSA, dwSupport));
static_assert(offsetof(FCMidiHeader, flags) == offsetof(MIDIHDR, dwFlags)
    && offsetof(FCMidiHeader, reservedWords) == offsetof(MIDIHDR, dwReserved));
#pragma GCC diagnostic pop

namespace {

const MidiOutCalls kSystemCalls = { midiOutGetDevCapsA, midiOutOpen, midiOutClose, midiOutShortMsg, midiOutLongMsg,
    midiOutPrepareHeader, midiOutUnprepareHeader, midiOutReset };
std::atomic<const MidiOutCalls*> g_calls { &kSystemCalls };

const MidiOutCalls& calls()
{
    return *g_calls.load();
}

constexpr uint32_t kTickPeriod = 16;
// Bounds on waits for a device or timer that does not answer: the game
// goes on without MIDI rather than hang.
constexpr DWORD kDeviceWaitMs = 5000;
constexpr DWORD kTickWaitMs = 2000;
constexpr int kUnprepareTries = 200;

HMIDIOUT deviceOf(const FCMidi& midi)
{
    return static_cast<HMIDIOUT>(midi.handle);
}

MIDIHDR* headerOf(FCMidiTrack& track)
{
    return reinterpret_cast<MIDIHDR*>(&track.header);
}

std::string hex8(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

// The sequencer's messages go to the open device, under the send lock.
class DeviceOutput final : public MidiOutput {
public:
    explicit DeviceOutput(FCMidi& midi)
        : m_midi(midi)
    {
    }

    bool enterSend() override
    {
        m_midi.sendLock.waiters.fetch_add(1);
        m_midi.sendLock.enter();
        if (m_midi.handle)
            return true;
        leaveSend();
        return false;
    }
    void leaveSend() override
    {
        m_midi.sendLock.waiters.fetch_sub(1);
        m_midi.sendLock.leave();
    }
    uint32_t sendShortMessage(uint32_t message, int32_t) override
    {
        return calls().shortMsg(deviceOf(m_midi), message);
    }
    uint32_t sendLongMessage(FCMidiTrack& track, int prefix, const uint8_t* bytes, uint32_t length) override
    {
        if (!enterSend())
            return 0;
        uint32_t result = sendLong(track, prefix, bytes, length);
        leaveSend();
        return result;
    }
    bool wantsDebugOutput() const override { return true; }
    void debugOutput(const char* text) override { debuggerOutput(text); }

private:
    uint32_t sendLong(FCMidiTrack& track, int prefix, const uint8_t* bytes, uint32_t length)
    {
        MIDIHDR* header = headerOf(track);
        // The buffer is the device's until it is done with it.
        if (header->dwFlags & MHDR_PREPARED) {
            if (calls().unprepareHeader(deviceOf(m_midi), header, sizeof *header) == MIDIERR_STILLPLAYING)
                return kMidiNotReady;
        }
        uint32_t total = length + (prefix >= 0 ? 1 : 0);
        // A message larger than the track's buffer is left out; the song
        // goes on.
        if (total > FCMidiTrack::kBufferSize) {
            debugOutput(("long message error: error = 0x" + hex8(MMSYSERR_INVALPARAM) + "\n").c_str());
            return 0;
        }
        if (!track.header.data) {
            track.header.data = new (std::nothrow) char[FCMidiTrack::kBufferSize];
            if (!track.header.data)
                return 0;
        }
        uint32_t at = 0;
        if (prefix >= 0)
            track.header.data[at++] = static_cast<char>(prefix);
        std::memcpy(track.header.data + at, bytes, length);
        std::string line = "len: " + std::to_string(total) + " code: ";
        for (uint32_t i = 0; i < total && i < 20; ++i) {
            char byte[8];
            std::snprintf(byte, sizeof byte, "%02X, ", static_cast<uint8_t>(track.header.data[i]));
            line += byte;
        }
        debugOutput((line + "\n").c_str());
        header->dwBufferLength = total;
        header->dwBytesRecorded = total;
        header->dwFlags = 0;
        MMRESULT result = calls().prepareHeader(deviceOf(m_midi), header, sizeof *header);
        if (result == MMSYSERR_NOERROR)
            result = calls().longMsg(deviceOf(m_midi), header, sizeof *header);
        if (result != MMSYSERR_NOERROR)
            debugOutput(("long message error: error = 0x" + hex8(result) + "\n").c_str());
        return result;
    }

    FCMidi& m_midi;
};

// The sequencer over the midi object's own records.
struct Sequencer {
    explicit Sequencer(FCMidi& midi)
        : output(midi)
        , sequencer(midi.song, midi.position, midi.tickPeriod, output)
    {
    }
    DeviceOutput output;
    MidiSequencer sequencer;
};

void setStateBits(FCMidi& midi, uint32_t bits)
{
    std::atomic_ref<uint32_t>(midi.song.state).fetch_or(bits);
}

void clearStateBits(FCMidi& midi, uint32_t bits)
{
    std::atomic_ref<uint32_t>(midi.song.state).fetch_and(~bits);
}

void CALLBACK deviceCallback(HMIDIOUT, UINT message, DWORD_PTR instance, DWORD_PTR, DWORD_PTR)
{
    if (message == MOM_OPEN || message == MOM_CLOSE)
        reinterpret_cast<FCMidi*>(instance)->deviceEvent.set();
}

// The timer's tick: a tick that comes while the previous one still runs is
// dropped; stops and loops are left to the command thread.
void CALLBACK onTick(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR)
{
    FCMidi& midi = *reinterpret_cast<FCMidi*>(user);
    if ((std::atomic_ref<uint32_t>(midi.song.state).load() & kMidiStopping) || midi.tickEvent.wait(0) != WAIT_OBJECT_0)
        return;
    midi.tickEvent.reset();
    MidiSequencer::TickResult result = MidiSequencer::TickResult::Running;
    {
        FCLock lock(&midi.tickLock);
        Sequencer sequencer(midi);
        result = sequencer.sequencer.tick();
    }
    if (result == MidiSequencer::TickResult::Stop)
        PostThreadMessageW(midi.thread.id, FCMidi::WM_MIDI_STOP, 0, 0);
    else if (result == MidiSequencer::TickResult::Loop)
        PostThreadMessageW(midi.thread.id, FCMidi::WM_MIDI_LOOP, 0, 0);
    midi.tickEvent.set();
}

void killTimer(FCMidi& midi)
{
    if (midi.timerId) {
        timeKillEvent(midi.timerId);
        midi.timerId = 0;
    }
    // A tick that had begun ends before the song changes under it.
    midi.tickEvent.wait(kTickWaitMs);
}

void closeDevice(FCMidi& midi)
{
    if (!midi.handle)
        return;
    midi.deviceEvent.reset();
    HMIDIOUT device = deviceOf(midi);
    {
        FCLock lock(&midi.sendLock);
        if (calls().close(device) != MMSYSERR_NOERROR)
            return;
        midi.handle = nullptr;
    }
    midi.deviceEvent.wait(kDeviceWaitMs);
}

// Stop at once: no timer, every sounding note off, the device reset and
// closed, the tracks' buffers back.
void stopNow(FCMidi& midi)
{
    killTimer(midi);
    Sequencer sequencer(midi);
    sequencer.sequencer.silenceNotes();
    if (midi.handle) {
        FCLock lock(&midi.sendLock);
        calls().reset(deviceOf(midi));
        for (int32_t i = 0; i < midi.song.trackCount; ++i) {
            FCMidiTrack& track = midi.song.tracks[i];
            for (int tries = 0; (headerOf(track)->dwFlags & MHDR_PREPARED) && tries < kUnprepareTries; ++tries) {
                if (calls().unprepareHeader(deviceOf(midi), headerOf(track), sizeof(MIDIHDR)) != MIDIERR_STILLPLAYING)
                    break;
                Sleep(10);
            }
            delete[] track.header.data;
            track.header.data = nullptr;
        }
    }
    sequencer.sequencer.endFade();
    closeDevice(midi);
}

// The whole file named by fileName into memory; nothing plays when it is no
// Standard MIDI File.
void loadMidi(FCMidi& midi)
{
    MidiSequencer::release(midi.song);
    if (midi.fileName.length() == 0)
        return;
    FCFile file;
    if (file.open(midi.fileName.text()) != 0)
        return;
    int64_t size = file.size();
    if (size < 0 || size > INT32_MAX)
        return;
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[size > 0 ? size : 1]);
    if (!data)
        throw NotEnoughMemoryException("FCMidi - loadMidi", kNotEnoughMemoryText);
    if (file.read(data.get(), static_cast<uint32_t>(size)) != static_cast<uint32_t>(size))
        return;
    MidiSequencer::load(midi.song, data.release(), static_cast<size_t>(size), &midi);
}

void play(FCMidi& midi, int32_t mode, int32_t fadeMs)
{
    stopNow(midi);
    loadMidi(midi);
    if (!midi.song.data)
        return;
    if (!midi.handle) {
        midi.deviceEvent.reset();
        HMIDIOUT device = nullptr;
        if (calls().open(&device, MIDI_MAPPER, reinterpret_cast<DWORD_PTR>(deviceCallback),
                reinterpret_cast<DWORD_PTR>(&midi), CALLBACK_FUNCTION)
            != MMSYSERR_NOERROR)
            return;
        midi.deviceEvent.wait(kDeviceWaitMs);
        FCLock lock(&midi.sendLock);
        midi.handle = device;
    }
    clearStateBits(midi, kMidiStopping | kMidiLoopRestart);
    {
        FCLock lock(&midi.tickLock);
        Sequencer sequencer(midi);
        midi.tickEvent.set();
        sequencer.sequencer.start(mode, fadeMs);
    }
    killTimer(midi);
    midi.tickEvent.set();
    midi.timerId = timeSetEvent(midi.tickPeriod, midi.timeCaps.periodMin, onTick, reinterpret_cast<DWORD_PTR>(&midi),
        TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
    if (!midi.timerId) {
        Sequencer(midi).sequencer.endFade();
        closeDevice(midi);
    }
}

void stopCommand(FCMidi& midi, int32_t mode, int32_t fadeMs)
{
    if (midi.handle) {
        bool fading;
        {
            FCLock lock(&midi.tickLock);
            fading = Sequencer(midi).sequencer.beginFadeOut(mode, fadeMs);
        }
        if (!fading)
            stopNow(midi);
    }
    clearStateBits(midi, kMidiStopping);
}

// One command; false ends the thread.
bool runCommand(FCMidi& midi, const MSG& message)
{
    int32_t mode = static_cast<int32_t>(message.wParam);
    int32_t fadeMs = static_cast<int32_t>(message.lParam);
    switch (message.message) {
    case FCMidi::WM_MIDI_QUIT:
        stopNow(midi);
        return false;
    case FCMidi::WM_MIDI_PLAY:
        play(midi, mode, fadeMs);
        break;
    case FCMidi::WM_MIDI_STOP:
        stopCommand(midi, mode, fadeMs);
        break;
    case FCMidi::WM_MIDI_VOLUME:
        Sequencer(midi).sequencer.setMasterVolume(mode);
        break;
    case FCMidi::WM_MIDI_LOOP:
        Sequencer(midi).sequencer.resendChannels();
        break;
    default:
        break;
    }
    return true;
}

unsigned __stdcall commandThread(void* argument)
{
    FCMidi& midi = *static_cast<FCMidi*>(argument);
    MSG message;
    // The queue exists from here on: commands can be posted.
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    midi.commandEvent.set();
    bool running = true;
    while (running && GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd)
            continue;
        try {
            running = runCommand(midi, message);
        } catch (const Diagnostic& failure) {
            failure.show();
        } catch (...) {
            NotEnoughMemoryException("FCMidi - loadMidi", kNotEnoughMemoryText).show();
        }
        midi.commandEvent.set();
    }
    midi.threadDoneEvent.set();
    return 0;
}

} // namespace

void setMidiOutCalls(const MidiOutCalls* replacement)
{
    g_calls.store(replacement ? replacement : &kSystemCalls);
}

FCMidi::FCMidi()
    : tickPeriod(kTickPeriod)
    , timeCaps {}
    , timerId(0)
    , available(0)
    , caps {}
    , handle(nullptr)
    , song {}
    , position {}
{
    song.masterVolume = 100;
    song.fadeVolume = 100;
    Sequencer(*this).sequencer.resetChannels();
    position.clock.tempo = 120;
    position.savedClock.tempo = 120;
    tickEvent.create(1, 1);
    deviceEvent.create(1, 0);
    threadDoneEvent.create(1, 0);
    commandEvent.create(1, 0);
    MIDIOUTCAPSA deviceCaps {};
    // Without a MIDI device there is no thread: every command does nothing.
    if (calls().getDevCaps(MIDI_MAPPER, &deviceCaps, sizeof deviceCaps) != MMSYSERR_NOERROR)
        return;
    std::memcpy(&caps, &deviceCaps, sizeof caps);
    TIMECAPS systemTimeCaps {};
    timeGetDevCaps(&systemTimeCaps, sizeof systemTimeCaps);
    timeCaps = { systemTimeCaps.wPeriodMin, systemTimeCaps.wPeriodMax };
    timeBeginPeriod(timeCaps.periodMin);
    commandEvent.reset();
    if (!thread.start(commandThread, this)) {
        timeEndPeriod(timeCaps.periodMin);
        return;
    }
    commandEvent.wait(INFINITE);
    available = 1;
}

FCMidi::~FCMidi()
{
    stop(0, 0);
    if (available) {
        post(WM_MIDI_QUIT, 0, 0, false);
        threadDoneEvent.wait(INFINITE);
        thread.wait();
        timeEndPeriod(timeCaps.periodMin);
    }
    MidiSequencer::release(song);
}

bool FCMidi::post(uint32_t message, uintptr_t wParam, intptr_t lParam, bool wait)
{
    if (!available || !thread.id)
        return false;
    if (wait)
        commandEvent.reset();
    if (!PostThreadMessageW(thread.id, message, wParam, lParam))
        return false;
    if (wait)
        commandEvent.wait(INFINITE);
    return true;
}

void FCMidi::play(const char* file, int32_t mode, int32_t fadeMs)
{
    if (!available)
        return;
    fileName = file ? file : "";
    post(WM_MIDI_PLAY, static_cast<uintptr_t>(mode), fadeMs, true);
}

void FCMidi::stop(int32_t mode, int32_t fadeMs)
{
    post(WM_MIDI_STOP, static_cast<uintptr_t>(mode), fadeMs, true);
}

void FCMidi::setVolume(int32_t volume)
{
    post(WM_MIDI_VOLUME, static_cast<uintptr_t>(volume), 0, true);
}

void FCMidi::setLoop(bool loop)
{
    if (loop)
        setStateBits(*this, kMidiLoop);
    else
        clearStateBits(*this, kMidiLoop);
}
