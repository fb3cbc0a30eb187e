#include "sound/MidiSequencer.h"

#include <algorithm>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "foundation/Diagnostic.h"

namespace {

constexpr int32_t kDefaultTempo = 120;
constexpr uint32_t kStatusNoteOff = 0x80;
constexpr uint32_t kStatusNoteOn = 0x90;
constexpr uint32_t kStatusController = 0xB0;
constexpr uint32_t kStatusProgram = 0xC0;
constexpr uint32_t kStatusPressure = 0xD0;
constexpr uint32_t kStatusPitchBend = 0xE0;
constexpr uint32_t kControllerVolume = 7;

uint32_t bigEndian32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

uint32_t bigEndian16(const uint8_t* p)
{
    return uint32_t(p[0]) << 8 | p[1];
}

int32_t saturate(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

uint32_t shortMessage(uint32_t status, uint32_t data1, uint32_t data2)
{
    return status | data1 << 8 | data2 << 16;
}

// A variable-length number: 7 bits a byte, most significant first, the high
// bit saying that more follow. Standard MIDI Files use at most four bytes;
// a longer one, or one cut by the end of the track, is no number.
bool readNumber(const uint8_t* data, uint32_t end, uint32_t& position, uint32_t& value)
{
    value = 0;
    for (int i = 0; i < 4; ++i) {
        if (position >= end)
            return false;
        uint8_t byte = data[position++];
        value = value << 7 | (byte & 0x7Fu);
        if (!(byte & 0x80))
            return true;
    }
    return false;
}

const char* metaName(uint8_t type)
{
    switch (type) {
    case 0x01:
        return "\x94\x43\x88\xD3\x83\x65\x83\x4C\x83\x58\x83\x67\x3A\x20"; // 任意テキスト:
    case 0x02:
        return "\x92\x98\x8D\xEC\x8C\xA0\x95\x5C\x8E\xA6\x83\x65\x83\x4C\x83\x58\x83\x67\x3A\x20"; // 著作権表示テキスト:
    case 0x03:
        return "\x83\x67\x83\x89\x83\x62\x83\x4E\x96\xBC\x83\x65\x83\x4C\x83\x58\x83\x67\x3A\x20"; // トラック名テキスト:
    case 0x04:
        return "\x8A\x79\x8A\xED\x96\xBC\x83\x65\x83\x4C\x83\x58\x83\x67\x3A\x20"; // 楽器名テキスト:
    case 0x05:
        return "\x89\xCC\x8E\x8C\x83\x65\x83\x4C\x83\x58\x83\x67\x3A\x20"; // 歌詞テキスト:
    case 0x06:
        return "\x83\x7D\x81\x5B\x83\x4A\x81\x5B\x83\x65\x83\x4C\x83\x58\x83\x67\x3A\x20"; // マーカーテキスト:
    case 0x07:
        return "\x83\x4C\x83\x85\x81\x5B\x83\x7C\x83\x43\x83\x93\x83\x67\x3A\x20"; // キューポイント:
    case 0x20:
        return "\x83\x60\x83\x83\x83\x93\x83\x6C\x83\x8B\x83\x76\x83\x8A\x83\x74\x83\x42\x83\x4E\x83\x58\x3A"
               "\x20"; // チャンネルプリフィクス:
    case 0x2F:
        return "\x83\x67\x83\x89\x83\x62\x83\x4E\x8F\x49\x92\x5B"; // トラック終端
    case 0x51:
        return "\x83\x65\x83\x93\x83\x7C\x90\xDD\x92\xE8\x3A\x20"; // テンポ設定:
    case 0x54:
        return "SMTPE offset: ";
    case 0x58:
        return "\x94\x8F\x8E\x71\x83\x43\x83\x78\x83\x93\x83\x67\x3A\x20"; // 拍子イベント:
    case 0x59:
        return "\x92\xB2\x83\x43\x83\x78\x83\x93\x83\x67\x3A\x20"; // 調イベント:
    case 0x7F:
        return "\x83\x56\x81\x5B\x83\x50\x83\x93\x83\x54\x8C\xC5\x97\x4C\x83\x43\x83\x78\x83\x93\x83\x67\x3A"
               "\x20"; // シーケンサ固有イベント:
    default:
        return "\x93\xE4\x3A\x20"; // 謎:
    }
}

// The state word is shared with the command thread.
void setBits(uint32_t& state, uint32_t bits)
{
    __atomic_fetch_or(&state, bits, __ATOMIC_SEQ_CST);
}

void clearBits(uint32_t& state, uint32_t bits)
{
    __atomic_fetch_and(&state, ~bits, __ATOMIC_SEQ_CST);
}

std::string hex8(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

} // namespace

void FCMidiChannel::reset(int index)
{
    notes.clear();
    channel = static_cast<uint8_t>(index);
    volume = 100;
    pitchBend = static_cast<int32_t>(shortMessage(kStatusPitchBend + index, 0x00, 0x40));
    program = static_cast<int32_t>(shortMessage(kStatusPressure + index, 0, 0));
    unused = kMidiNoMessage;
    sustain = kMidiNoMessage;
    modulation = kMidiNoMessage;
    pan = kMidiNoMessage;
    expression = kMidiNoMessage;
}

MidiSequencer::MidiSequencer(FCMidiSong& song, FCMidiPosition& position, uint32_t tickPeriod, MidiOutput& output)
    : m_song(song)
    , m_position(position)
    , m_tickPeriod(tickPeriod)
    , m_output(output)
{
}

bool MidiSequencer::load(FCMidiSong& song, uint8_t* data, size_t size, FCMidi* owner)
{
    release(song);
    song.data = data;
    // Offsets are 32-bit; the header needs 14 bytes.
    if (!data || size < 14 || size > UINT32_MAX || std::memcmp(data, "MThd", 4) != 0) {
        release(song);
        return false;
    }
    uint64_t headerLength = bigEndian32(data + 4);
    uint32_t claimed = bigEndian16(data + 10);
    song.division = static_cast<int32_t>(bigEndian16(data + 12));

    // Only chunks the file holds become tracks: a header claiming more
    // tracks than that gets the ones there are.
    uint64_t first = 8 + headerLength;
    uint32_t count = 0;
    for (uint64_t chunk = first; count < claimed && chunk + 8 <= size; ++count)
        chunk += 8 + uint64_t(bigEndian32(data + chunk + 4));

    if (count > 0) {
        song.tracks = new (std::nothrow) FCMidiTrack[count];
        if (!song.tracks) {
            release(song);
            throw NotEnoughMemoryException("FCMidi - loadMidi", kNotEnoughMemoryText);
        }
    }
    song.trackCount = static_cast<int32_t>(count);
    uint64_t chunk = first;
    for (uint32_t i = 0; i < count; ++i) {
        FCMidiTrack& track = song.tracks[i];
        std::memset(&track, 0, sizeof track);
        uint64_t next = chunk + 8 + uint64_t(bigEndian32(data + chunk + 4));
        track.chunk = static_cast<uint32_t>(chunk);
        track.owner = owner;
        track.end = static_cast<uint32_t>(std::min<uint64_t>(next, size));
        track.current.position = track.current.start = track.chunk + 8;
        track.saved = track.current;
        chunk = next;
    }
    return true;
}

void MidiSequencer::release(FCMidiSong& song)
{
    for (int32_t i = 0; i < song.trackCount; ++i)
        delete[] song.tracks[i].header.data;
    delete[] song.tracks;
    song.tracks = nullptr;
    song.trackCount = 0;
    delete[] song.data;
    song.data = nullptr;
}

void MidiSequencer::resetChannels()
{
    for (int i = 0; i < 16; ++i) {
        m_position.channels[i].reset(i);
        m_position.savedChannels[i].reset(i);
    }
}

void MidiSequencer::start(int32_t mode, int32_t fadeMs)
{
    resetChannels();
    m_position.clock = FCMidiClock { kDefaultTempo, 0, 0, 0, 0, 0 };
    m_song.loopSaved = 0;
    if (mode == 4 && fadeMs != 0) {
        m_song.fadeVolume = 0;
        m_song.fadeCounter = 0;
        m_song.fadeStep = std::max<int32_t>(1, static_cast<int32_t>(m_tickPeriod * 500) / fadeMs);
    } else {
        m_song.fadeVolume = 100;
    }
    std::copy(std::begin(m_position.channels), std::end(m_position.channels), m_position.savedChannels);
    m_position.savedClock = m_position.clock;
}

int32_t MidiSequencer::currentTick()
{
    FCMidiClock& clock = m_position.clock;
    int64_t ms = int64_t(clock.clockMs) - clock.lastTempoMs;
    int64_t product = 0;
    // A product past 64 bits lies far beyond any tick a track can reach.
    if (__builtin_mul_overflow(ms, int64_t(clock.tempo), &product)
        || __builtin_mul_overflow(product, int64_t(m_song.division), &product))
        clock.ticksSinceTempo = product < 0 ? INT32_MIN : INT32_MAX;
    else
        clock.ticksSinceTempo = saturate(product / 60000);
    return saturate(int64_t(clock.accumulatedTicks) + clock.ticksSinceTempo);
}

int32_t MidiSequencer::timerTick() const
{
    return m_tickPeriod ? m_position.clock.elapsedMs / static_cast<int32_t>(m_tickPeriod) : 0;
}

void MidiSequencer::setTempo(uint32_t microsecondsPerQuarter)
{
    // A tempo of no time per beat would divide by zero; it is ignored.
    if (microsecondsPerQuarter == 0)
        return;
    FCMidiClock& clock = m_position.clock;
    clock.tempo = static_cast<int32_t>(60000000u / microsecondsPerQuarter);
    clock.accumulatedTicks = saturate(int64_t(clock.accumulatedTicks) + clock.ticksSinceTempo);
    clock.ticksSinceTempo = 0;
    clock.lastTempoMs = clock.clockMs;
}

MidiSequencer::TickResult MidiSequencer::tick()
{
    if (m_song.state & kMidiLoopRestart)
        return TickResult::Running;
    FCMidiClock& clock = m_position.clock;
    clock.elapsedMs = saturate(int64_t(clock.elapsedMs) + m_tickPeriod);
    clock.clockMs = saturate(int64_t(clock.clockMs) + m_tickPeriod);
    int32_t now = currentTick();

    if (m_song.fadeStep != 0) {
        bool fadedOut = false;
        if (++m_song.fadeCounter % 5 == 0) {
            m_song.fadeVolume += m_song.fadeStep;
            if (m_song.fadeVolume <= 0) {
                m_song.fadeVolume = 0;
                m_song.fadeStep = 0;
                fadedOut = true;
            } else if (m_song.fadeVolume >= 100) {
                m_song.fadeVolume = 100;
                m_song.fadeStep = 0;
            }
            resendVolumes();
        }
        // Only a fade-out ends the song: a fade-in starts from silence.
        if (fadedOut) {
            setBits(m_song.state, kMidiStopping);
            return TickResult::Stop;
        }
    }

    bool saveLoop = !m_song.loopSaved && clock.elapsedMs >= m_song.loopStartMs;
    if (saveLoop) {
        std::copy(std::begin(m_position.channels), std::end(m_position.channels), m_position.savedChannels);
        m_position.savedClock = clock;
        m_song.loopSaved = 1;
    }
    bool running = false;
    for (int32_t i = 0; i < m_song.trackCount; ++i) {
        FCMidiTrack& track = m_song.tracks[i];
        if (saveLoop)
            track.saved = track.current;
        running |= playTrack(track, now);
    }
    if (running)
        return TickResult::Running;

    if (m_song.state & kMidiLoop) {
        std::copy(std::begin(m_position.savedChannels), std::end(m_position.savedChannels), m_position.channels);
        m_position.clock = m_position.savedClock;
        m_song.fadeVolume = 100;
        for (int32_t i = 0; i < m_song.trackCount; ++i)
            m_song.tracks[i].current = m_song.tracks[i].saved;
        setBits(m_song.state, kMidiLoopRestart);
        return TickResult::Loop;
    }
    setBits(m_song.state, kMidiStopping);
    return TickResult::Stop;
}

bool MidiSequencer::playTrack(FCMidiTrack& track, int32_t now)
{
    FCMidiTrackCondition& at = track.current;
    while (!at.ended) {
        uint32_t mark = at.position;
        uint32_t delta = 0;
        // A track that runs out of data without its end event ends there.
        if (!readNumber(m_song.data, track.end, at.position, delta)) {
            at.ended = 1;
            break;
        }
        if (int64_t(at.time) + delta > now) {
            at.position = mark;
            return true;
        }
        if (playEvent(track) == EventResult::Retry) {
            at.position = mark;
            return true;
        }
        at.time = saturate(int64_t(at.time) + delta);
    }
    return false;
}

MidiSequencer::EventResult MidiSequencer::playEvent(FCMidiTrack& track)
{
    FCMidiTrackCondition& at = track.current;
    const uint8_t* data = m_song.data;
    uint32_t end = track.end;
    // Every event either completes within the track or ends it.
    auto cut = [&at]() {
        at.ended = 1;
        return EventResult::Done;
    };
    if (at.position >= end)
        return cut();

    uint32_t status = data[at.position];
    if (status < 0x80) {
        // Running status: the byte is the first data byte.
        status = at.runningStatus;
        if (status < 0x80) {
            // No status to run on: the byte goes out as it is, and sendShort
            // reports it.
            sendShort(data[at.position++]);
            return EventResult::Done;
        }
    } else {
        ++at.position;
    }

    if (status < 0xF0) {
        uint32_t high = status & 0xF0;
        uint32_t count = (high == kStatusProgram || high == kStatusPressure) ? 1 : 2;
        if (end - at.position < count)
            return cut();
        uint32_t data1 = data[at.position];
        uint32_t data2 = count == 2 ? data[at.position + 1] : 0;
        at.position += count;
        at.runningStatus = status;
        sendShort(shortMessage(status, data1, data2));
        return EventResult::Done;
    }

    switch (status) {
    case 0xF0:
    case 0xF7: {
        uint32_t length = 0;
        uint32_t position = at.position;
        if (!readNumber(data, end, position, length) || end - position < length)
            return cut();
        uint32_t result = m_output.sendLongMessage(track, status == 0xF0 ? 0xF0 : -1, data + position, length);
        if (result == kMidiNotReady)
            return EventResult::Retry;
        at.position = position + length;
        return EventResult::Done;
    }
    case 0xF1:
    case 0xF3:
    case 0xF2: {
        uint32_t count = status == 0xF2 ? 2 : 1;
        if (end - at.position < count)
            return cut();
        uint32_t data1 = data[at.position];
        uint32_t data2 = count == 2 ? data[at.position + 1] : 0;
        at.position += count;
        sendShort(shortMessage(status, data1, data2));
        return EventResult::Done;
    }
    case 0xF6:
        sendShort(status);
        return EventResult::Done;
    case 0xFF: {
        uint32_t length = 0;
        if (end - at.position < 1)
            return cut();
        uint8_t type = data[at.position++];
        if (!readNumber(data, end, at.position, length) || end - at.position < length)
            return cut();
        const uint8_t* bytes = data + at.position;
        at.position += length;
        if (type == 0x51 && length >= 3)
            setTempo(uint32_t(bytes[0]) << 16 | uint32_t(bytes[1]) << 8 | bytes[2]);
        if (m_output.wantsDebugOutput())
            logMeta(type, bytes, length);
        if (type == 0x2F)
            at.ended = 1;
        return EventResult::Done;
    }
    default:
        // 0xF4, 0xF5, 0xF8 to 0xFE carry nothing and are ignored.
        return EventResult::Done;
    }
}

void MidiSequencer::logMeta(uint8_t type, const uint8_t* bytes, uint32_t length)
{
    char head[64];
    std::snprintf(head, sizeof head, "meta event: code = 0x%02X: ", type);
    std::string line = head;
    line += metaName(type);
    char number[16];
    std::snprintf(number, sizeof number, "%2" PRIu32, length);
    line += number;
    if (type >= 0x01 && type <= 0x07) {
        line += ": ";
        line.append(reinterpret_cast<const char*>(bytes), length);
    } else if (type == 0x51) {
        std::snprintf(number, sizeof number, ": %" PRId32, m_position.clock.tempo);
        line += number;
    } else if (type != 0x2F) {
        line += ": ";
        for (uint32_t i = 0; i < length; ++i) {
            std::snprintf(number, sizeof number, "0x%02X ", bytes[i]);
            line += number;
        }
    }
    line += "\n";
    m_output.debugOutput(line.c_str());
}

void MidiSequencer::sendShort(uint32_t message)
{
    if (!m_output.enterSend())
        return;
    uint32_t status = message & 0xFF;
    if (status < 0x80) {
        if (m_output.wantsDebugOutput())
            m_output.debugOutput(("scan error!: code = 0x" + hex8(message) + "\n").c_str());
        m_output.leaveSend();
        return;
    }
    uint32_t data1 = message >> 8 & 0xFF;
    uint32_t data2 = message >> 16 & 0xFF;
    if (status < 0xF0) {
        FCMidiChannel& channel = m_position.channels[status & 0x0F];
        int32_t whole = static_cast<int32_t>(message);
        switch (status & 0xF0) {
        case kStatusNoteOn:
            if (data2 > 0) {
                channel.notes.set(static_cast<int>(data1 & 0x7F));
                break;
            }
            [[fallthrough]];
        case kStatusNoteOff:
            channel.notes.reset(static_cast<int>(data1 & 0x7F));
            break;
        case kStatusController:
            switch (data1) {
            case 1:
                channel.modulation = whole;
                break;
            case 10:
                channel.pan = whole;
                break;
            case 11:
                channel.expression = whole;
                break;
            case 64:
                channel.sustain = whole;
                break;
            case kControllerVolume: {
                channel.volume = static_cast<uint8_t>(data2);
                int64_t scaled = int64_t(m_song.fadeVolume) * m_song.masterVolume * channel.volume / 10000;
                uint32_t sent = static_cast<uint32_t>(std::clamp<int64_t>(scaled, 0, 127));
                message = (message & 0xFFFF) | sent << 16;
                break;
            }
            case 120:
                channel.notes.clear();
                break;
            default:
                break;
            }
            break;
        case kStatusProgram:
        case kStatusPressure:
            channel.program = whole;
            break;
        case kStatusPitchBend:
            channel.pitchBend = whole;
            break;
        default:
            break;
        }
    }
    uint32_t error = m_output.sendShortMessage(message, timerTick());
    if (error != 0 && m_output.wantsDebugOutput())
        m_output.debugOutput(
            ("short message error: error = 0x" + hex8(error) + "code: 0x" + hex8(message) + "\n").c_str());
    m_output.leaveSend();
}

void MidiSequencer::silenceNotes()
{
    for (int c = 0; c < 16; ++c) {
        FCMidiChannel& channel = m_position.channels[c];
        for (int note = 0; note < 128; ++note)
            if (channel.notes.test(note))
                sendShort(shortMessage(kStatusNoteOn + c, static_cast<uint32_t>(note), 0));
    }
}

bool MidiSequencer::beginFadeOut(int32_t mode, int32_t fadeMs)
{
    if (fadeMs == 0 || m_song.fadeVolume == 0 || mode != 5)
        return false;
    m_song.fadeCounter = 0;
    m_song.fadeStep = std::min<int32_t>(-1, -(static_cast<int32_t>(m_tickPeriod * 500) / fadeMs));
    return true;
}

void MidiSequencer::endFade()
{
    m_song.fadeVolume = 100;
    m_song.fadeStep = 0;
}

void MidiSequencer::resendVolumes()
{
    for (uint32_t c = 0; c < 16; ++c)
        sendShort(shortMessage(kStatusController + c, kControllerVolume, m_position.channels[c].volume));
}

void MidiSequencer::resendChannels()
{
    for (uint32_t c = 0; c < 16; ++c) {
        // Copied first: each send stores into the channel again.
        FCMidiChannel channel = m_position.channels[c];
        sendShort(shortMessage(kStatusController + c, kControllerVolume, channel.volume));
        for (int32_t message : { channel.pitchBend, channel.program, channel.sustain, channel.modulation, channel.pan,
                 channel.expression })
            if (message != kMidiNoMessage)
                sendShort(static_cast<uint32_t>(message));
    }
    clearBits(m_song.state, kMidiLoopRestart);
}

void MidiSequencer::setMasterVolume(int32_t volume)
{
    m_song.masterVolume = std::clamp<int32_t>(volume, 0, 100);
    resendVolumes();
}

int64_t MidiSequencer::ticksUntilDue()
{
    if (m_song.fadeStep != 0 || !m_song.loopSaved || (m_song.state & kMidiLoopRestart))
        return 1;
    int64_t next = INT64_MAX;
    for (int32_t i = 0; i < m_song.trackCount; ++i) {
        const FCMidiTrack& track = m_song.tracks[i];
        if (track.current.ended)
            continue;
        uint32_t position = track.current.position;
        uint32_t delta = 0;
        // A track that cannot read on ends at the next tick.
        if (!readNumber(m_song.data, track.end, position, delta))
            return 1;
        next = std::min(next, int64_t(track.current.time) + delta);
    }
    // Every track has ended: the next tick ends the song.
    if (next == INT64_MAX)
        return 1;
    const FCMidiClock& clock = m_position.clock;
    int64_t need = next - clock.accumulatedTicks;
    if (need <= int64_t(clock.ticksSinceTempo))
        return 1;
    if (next > INT32_MAX)
        return -1;
    int64_t rate = int64_t(clock.tempo) * m_song.division;
    if (rate <= 0)
        return -1;
    // The first clock ms with (ms - lastTempoMs) * rate >= need * 60000.
    int64_t ms = clock.lastTempoMs + (need * 60000 + rate - 1) / rate;
    if (ms > INT32_MAX)
        return -1;
    int64_t period = m_tickPeriod;
    return std::max<int64_t>(1, (ms - clock.clockMs + period - 1) / period);
}

void MidiSequencer::skipTicks(int64_t count)
{
    if (count <= 0)
        return;
    FCMidiClock& clock = m_position.clock;
    int64_t ms = count * m_tickPeriod;
    clock.elapsedMs = saturate(clock.elapsedMs + ms);
    clock.clockMs = saturate(clock.clockMs + ms);
}

bool MidiSequencer::playToEnd()
{
    // Each tick plays at least one event or ends a track, so this ends.
    for (;;) {
        int64_t ticks = ticksUntilDue();
        if (ticks < 0) {
            silenceNotes();
            return false;
        }
        skipTicks(ticks - 1);
        // One pass: a looping song ends at its loop.
        if (tick() != TickResult::Running)
            break;
    }
    silenceNotes();
    return true;
}
