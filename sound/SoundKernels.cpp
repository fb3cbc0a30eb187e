#include "sound/SoundKernels.h"

#include <bit>
#include <cstring>

namespace soundkernels {

const int16_t kImaStepTable[89] = { 7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 21, 23, 25, 28, 31, 34, 37, 41, 45, 50, 55,
    60, 66, 73, 80, 88, 97, 107, 118, 130, 143, 157, 173, 190, 209, 230, 253, 279, 307, 337, 371, 408, 449, 494, 544,
    598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552, 1707, 1878, 2066, 2272, 2499, 2749, 3024, 3327, 3660,
    4026, 4428, 4871, 5358, 5894, 6484, 7132, 7845, 8630, 9493, 10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350,
    22385, 24623, 27086, 29794, 32767 };

const int8_t kImaIndexTable[16] = { -1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8 };

bool isRiffWave(const uint8_t* data, size_t size)
{
    return size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WAVE", 4) == 0;
}

int64_t findChunk(const uint8_t* data, size_t limit, uint64_t from, const char* id)
{
    uint64_t at = from;
    // Each step moves at least 8 bytes, so the walk ends within limit / 8 steps.
    while (at + 8 <= limit) {
        if (std::memcmp(data + at, id, 4) == 0)
            return static_cast<int64_t>(at);
        at += 8 + uint64_t(read32(data + at + 4));
    }
    return -1;
}

uint32_t chunkLength(const uint8_t* data, uint64_t chunk)
{
    return read32(data + chunk + 4);
}

bool readFormat(const uint8_t* chunkData, size_t available, WaveFormat& format)
{
    if (available < 16)
        return false;
    format.tag = read16(chunkData);
    format.channels = read16(chunkData + 2);
    format.rate = read32(chunkData + 4);
    format.bytesPerSecond = read32(chunkData + 8);
    format.blockAlign = read16(chunkData + 12);
    format.bits = read16(chunkData + 14);
    format.samplesPerBlock = available >= 20 ? read16(chunkData + 18) : 0;
    return true;
}

int32_t repeatFactor(uint32_t rate)
{
    switch (rate) {
    case 44100:
        return 1;
    case 22050:
        return 2;
    case 11025:
        return 4;
    default:
        return 0;
    }
}

int32_t imaFramesInBlock(uint32_t bytes, int32_t channels)
{
    if (channels == 1)
        return bytes >= 4 ? int32_t(1 + 2 * (bytes - 4)) : 0;
    return bytes >= 8 ? int32_t(1 + 8 * ((bytes - 8) / 8)) : 0;
}

int32_t decodeImaWaveBlock(const uint8_t* in, uint32_t bytes, int32_t channels, int32_t maxFrames, int16_t* out)
{
    int32_t frames = imaFramesInBlock(bytes, channels);
    if (frames > maxFrames)
        frames = maxFrames;
    if (frames <= 0)
        return 0;
    ImaChannel state[2];
    for (int32_t c = 0; c < channels; ++c) {
        const uint8_t* header = in + 4 * c;
        state[c].predictor = static_cast<int16_t>(read16(header));
        state[c].index = header[2] > 88 ? 88 : header[2];
        out[c] = static_cast<int16_t>(state[c].predictor);
    }
    if (channels == 1) {
        const uint8_t* data = in + 4;
        for (int32_t i = 1; i < frames; ++i) {
            uint8_t byte = data[(i - 1) >> 1];
            out[i] = imaDecodeNibble(state[0], (i & 1) ? byte & 15 : byte >> 4);
        }
        return frames;
    }
    // Groups of 8 bytes: 8 nibbles of the left channel, then 8 of the right.
    const uint8_t* group = in + 8;
    for (int32_t first = 1; first < frames; first += 8, group += 8) {
        int32_t count = frames - first < 8 ? frames - first : 8;
        for (int32_t c = 0; c < 2; ++c) {
            const uint8_t* bytesOf = group + 4 * c;
            for (int32_t k = 0; k < count; ++k) {
                uint8_t byte = bytesOf[k >> 1];
                out[2 * (first + k) + c] = imaDecodeNibble(state[c], (k & 1) ? byte >> 4 : byte & 15);
            }
        }
    }
    return frames;
}

namespace {

template <int Bits, int Channels, int Repeat> void expandPcmFixed(const uint8_t* in, int32_t inFrames, int16_t* out)
{
    for (int32_t i = 0; i < inFrames; ++i) {
        int16_t left, right;
        if constexpr (Bits == 8) {
            left = static_cast<int16_t>((in[0] - 128) * 256);
            right = Channels == 2 ? static_cast<int16_t>((in[1] - 128) * 256) : left;
        } else {
            left = static_cast<int16_t>(read16(in));
            right = Channels == 2 ? static_cast<int16_t>(read16(in + 2)) : left;
        }
        in += Channels * Bits / 8;
        for (int r = 0; r < Repeat; ++r) {
            out[0] = left;
            out[1] = right;
            out += 2;
        }
    }
}

template <int Bits, int Channels>
void expandPcmChannels(const uint8_t* in, int32_t inFrames, int32_t repeat, int16_t* out)
{
    if (repeat == 1)
        expandPcmFixed<Bits, Channels, 1>(in, inFrames, out);
    else if (repeat == 2)
        expandPcmFixed<Bits, Channels, 2>(in, inFrames, out);
    else
        expandPcmFixed<Bits, Channels, 4>(in, inFrames, out);
}

} // namespace

void expandPcm(const uint8_t* in, int32_t inFrames, int32_t channels, int32_t bits, int32_t repeat, int16_t* out)
{
    if (bits == 16 && channels == 2 && repeat == 1 && std::endian::native == std::endian::little) {
        std::memcpy(out, in, size_t(inFrames) * 4);
        return;
    }
    if (bits == 8)
        channels == 2 ? expandPcmChannels<8, 2>(in, inFrames, repeat, out)
                      : expandPcmChannels<8, 1>(in, inFrames, repeat, out);
    else
        channels == 2 ? expandPcmChannels<16, 2>(in, inFrames, repeat, out)
                      : expandPcmChannels<16, 1>(in, inFrames, repeat, out);
}

void expandSamples(const int16_t* in, int32_t inFrames, int32_t channels, int32_t repeat, int16_t* out)
{
    if (channels == 2 && repeat == 1) {
        std::memcpy(out, in, size_t(inFrames) * 4);
        return;
    }
    for (int32_t i = 0; i < inFrames; ++i) {
        int16_t left = in[0];
        int16_t right = channels == 2 ? in[1] : left;
        in += channels;
        for (int32_t r = 0; r < repeat; ++r) {
            out[0] = left;
            out[1] = right;
            out += 2;
        }
    }
}

bool allWithin(const int16_t* samples, size_t count, int32_t limit)
{
    for (size_t i = 0; i < count; ++i)
        if (samples[i] < -limit || samples[i] > limit)
            return false;
    return true;
}

uint32_t descrambleWord(uint32_t word, uint32_t index, uint32_t key)
{
    static const uint8_t kRotation[8] = { 2, 15, 7, 11, 1, 15, 23, 3 };
    uint32_t r = kRotation[index & 7];
    return ((word << r) | (word >> (32 - r))) ^ key;
}

} // namespace soundkernels
