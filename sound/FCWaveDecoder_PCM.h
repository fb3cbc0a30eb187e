#pragma once

#include <vector>

#include "foundation/FCFileMapping.h"
#include "sound/FCWaveDecoder.h"

// RIFF/WAVE linear PCM: 8 or 16 bits, mono or stereo, 11025, 22050 or
// 44100 Hz, read through 256 KB windows and raised to 44.1 kHz stereo by
// repetition. Each decode gives 2048 frames; the last block is zero-padded.
class LUMIVEX_API FCWaveDecoder_PCM : public FCWaveDecoder {
public:
    FCWaveDecoder_PCM();
    ~FCWaveDecoder_PCM() override;
    bool open(const char* name, int32_t argument) override;
    void rewind() override;
    bool decode(SoundBlock* block) override;
    int32_t getType() override { return kPcm; }

private:
    FCFileMapping m_mapping;
    uint16_t m_channels;
    uint32_t m_rate;
    uint32_t m_bytesPerSecond;
    uint16_t m_blockAlign;
    uint16_t m_bits;
    uint64_t m_dataOffset;
    uint32_t m_dataLength;
    uint32_t m_inBlock; // input bytes of one output block
    int32_t m_blocks; // 0: empty
    uint32_t m_lastBytes;
    int32_t m_counter;
    std::vector<int16_t> m_scratch;
};
