#pragma once

#include <cstddef>
#include <cstdint>

// The integer kernels of the decoders: RIFF/WAVE chunk walking, IMA ADPCM,
// raising 11025 and 22050 Hz to 44.1 kHz by repetition, silence tests.
namespace soundkernels {

// --- RIFF/WAVE ---

// The "fmt " chunk's fields (samplesPerBlock only for IMA ADPCM).
struct WaveFormat {
    uint16_t tag;
    uint16_t channels;
    uint32_t rate;
    uint32_t bytesPerSecond;
    uint16_t blockAlign;
    uint16_t bits;
    uint16_t samplesPerBlock;
};

// "RIFF" at 0 and "WAVE" at 8.
bool isRiffWave(const uint8_t* data, size_t size);
// Walks the chunks (4-byte identifier, 32-bit little-endian length, data)
// from offset `from` while each chunk header lies within the first `limit`
// bytes; the offset of the first chunk named id, or -1. Chunks are not
// padded to even lengths.
int64_t findChunk(const uint8_t* data, size_t limit, uint64_t from, const char* id);
uint32_t chunkLength(const uint8_t* data, uint64_t chunk);
// Reads the format chunk's fields from its data; false when fewer than 16
// bytes are there (samplesPerBlock needs 20, else it is 0).
bool readFormat(const uint8_t* chunkData, size_t available, WaveFormat& format);

// 44100 / rate for the three rates that are raised by repetition, else 0.
int32_t repeatFactor(uint32_t rate);

// --- IMA ADPCM ---

extern const int16_t kImaStepTable[89];
extern const int8_t kImaIndexTable[16];

struct ImaChannel {
    int32_t predictor;
    int32_t index; // 0..88
};

inline int16_t imaDecodeNibble(ImaChannel& state, unsigned nibble)
{
    int32_t step = kImaStepTable[state.index];
    int32_t diff = step >> 3;
    if (nibble & 1)
        diff += step >> 2;
    if (nibble & 2)
        diff += step >> 1;
    if (nibble & 4)
        diff += step;
    int32_t predictor = (nibble & 8) ? state.predictor - diff : state.predictor + diff;
    state.predictor = predictor < -32768 ? -32768 : predictor > 32767 ? 32767 : predictor;
    int32_t index = state.index + kImaIndexTable[nibble & 15];
    state.index = index < 0 ? 0 : index > 88 ? 88 : index;
    return static_cast<int16_t>(state.predictor);
}

// The most frames one RIFF/WAVE IMA block of `bytes` can hold: the header
// sample and two nibbles a byte (mono), or the header frame and 8 frames
// for each whole group of 8 bytes (stereo).
int32_t imaFramesInBlock(uint32_t bytes, int32_t channels);
// Decodes one RIFF/WAVE IMA ADPCM block (format tag 0x11) of `bytes` bytes
// into min(maxFrames, imaFramesInBlock) interleaved frames; the count.
int32_t decodeImaWaveBlock(const uint8_t* in, uint32_t bytes, int32_t channels, int32_t maxFrames, int16_t* out);

// --- Output ---

// inFrames frames of 8- or 16-bit PCM, each written `repeat` times as a
// stereo frame (mono to both sides; 8-bit values become (v - 128) * 256).
void expandPcm(const uint8_t* in, int32_t inFrames, int32_t channels, int32_t bits, int32_t repeat, int16_t* out);
// The same from 16-bit samples already decoded.
void expandSamples(const int16_t* in, int32_t inFrames, int32_t channels, int32_t repeat, int16_t* out);
// Every sample within -limit..limit.
bool allWithin(const int16_t* samples, size_t count, int32_t limit);

// Word i of a scrambled stream made plain:
// rotate-left(word, R[i mod 8]) XOR key.
uint32_t descrambleWord(uint32_t word, uint32_t index, uint32_t key);

inline uint16_t read16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t read32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

} // namespace soundkernels
