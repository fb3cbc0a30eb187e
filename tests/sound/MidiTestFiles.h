#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

// Standard MIDI Files built byte by byte for the sequencer's tests.
namespace midi_test {

using Bytes = std::vector<uint8_t>;

inline void append(Bytes& out, std::initializer_list<uint8_t> bytes)
{
    out.insert(out.end(), bytes);
}

inline void appendBigEndian(Bytes& out, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A variable-length number.
inline Bytes number(uint32_t value)
{
    Bytes out;
    int shift = 21;
    while (shift > 0 && (value >> shift) == 0)
        shift -= 7;
    for (; shift > 0; shift -= 7)
        out.push_back(static_cast<uint8_t>(0x80 | ((value >> shift) & 0x7F)));
    out.push_back(static_cast<uint8_t>(value & 0x7F));
    return out;
}

// Events of one track: delta, then the event's bytes.
struct Track {
    Bytes bytes;

    Track& event(uint32_t delta, std::initializer_list<uint8_t> data)
    {
        Bytes d = number(delta);
        bytes.insert(bytes.end(), d.begin(), d.end());
        bytes.insert(bytes.end(), data);
        return *this;
    }
    Track& tempo(uint32_t delta, uint32_t microsecondsPerQuarter)
    {
        return event(delta,
            { 0xFF, 0x51, 0x03, uint8_t(microsecondsPerQuarter >> 16), uint8_t(microsecondsPerQuarter >> 8),
                uint8_t(microsecondsPerQuarter) });
    }
    Track& end(uint32_t delta = 0) { return event(delta, { 0xFF, 0x2F, 0x00 }); }
};

// "MThd", length 6, format, track count, division, then each track's chunk.
inline Bytes file(uint16_t format, uint16_t division, std::initializer_list<Track> tracks)
{
    Bytes out = { 'M', 'T', 'h', 'd' };
    appendBigEndian(out, 6, 4);
    appendBigEndian(out, format, 2);
    appendBigEndian(out, static_cast<uint32_t>(tracks.size()), 2);
    appendBigEndian(out, division, 2);
    for (const Track& track : tracks) {
        append(out, { 'M', 'T', 'r', 'k' });
        appendBigEndian(out, static_cast<uint32_t>(track.bytes.size()), 4);
        out.insert(out.end(), track.bytes.begin(), track.bytes.end());
    }
    return out;
}

} // namespace midi_test
