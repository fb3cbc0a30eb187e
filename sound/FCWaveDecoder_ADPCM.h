#pragma once

#include <vector>

#include "sound/FCWaveDecoder.h"

// RIFF/WAVE IMA ADPCM (format tag 0x11), mono or stereo, 11025, 22050 or
// 44100 Hz. The whole file is decoded at open into 16-bit samples, which
// decode then hands out 2048 frames at a time, raised to 44.1 kHz stereo.
class LUMIVEX_API FCWaveDecoder_ADPCM : public FCWaveDecoder {
public:
    FCWaveDecoder_ADPCM();
    ~FCWaveDecoder_ADPCM() override;
    bool open(const char* name, int32_t argument) override;
    void rewind() override;
    bool decode(SoundBlock* block) override;
    int32_t getType() override { return kAdpcm; }

private:
    void release();

    uint16_t m_channels;
    uint32_t m_rate;
    uint32_t m_bytesPerSecond;
    uint16_t m_blockAlign;
    uint16_t m_bits;
    uint16_t m_samplesPerBlock;
    int16_t* m_samples; // the decoded file, interleaved
    uint32_t m_sampleCount;
    uint32_t m_chunkSamples; // decoded samples of one output block
    int32_t m_chunks;
    int32_t m_counter;
    std::vector<int16_t> m_scratch;
};
