#pragma once

#include <memory>
#include <vector>

#include "foundation/FCFileMapping.h"
#include "sound/FCWaveDecoder.h"
#include "sound/FCWaveDecoder_VORBIS.h"
#include "sound/SoundKernels.h"

// The engine's own packet format (".v"): an 8-byte header (packet count at
// 4, samples of the last packet at 6), then packets that each start with a
// type byte and give 2048 frames (the last one fewer). A file starting with
// "OggS" is Ogg Vorbis and goes to an inner Vorbis decoder instead.
class LUMIVEX_API FCWaveDecoder_V : public FCWaveDecoder {
public:
    enum PacketType : uint8_t {
        kSilence = 0,
        kAdpcm22 = 1, // IMA ADPCM, mono, 22.05 kHz, high nibble first
        kStereo44 = 2, // 16-bit stereo, 44.1 kHz
        kMono22 = 4, // 16-bit mono, 22.05 kHz
        kMono44 = 6, // 16-bit mono, 44.1 kHz
        kAdpcm44 = 7, // IMA ADPCM, mono, 44.1 kHz (not as the last packet)
    };

    FCWaveDecoder_V();
    ~FCWaveDecoder_V() override;
    bool open(const char* name, int32_t argument) override;
    bool openEntry(const SoundEntry& entry) override;
    void rewind() override;
    bool decode(SoundBlock* block) override;
    int32_t getType() override { return kV; }
    void startHook() override;
    void stopHook() override;

private:
    bool openRegion(const char* name, uint64_t offset, uint64_t limit, const SoundEntry* soundEntry);
    // Decodes one packet into 2048 frames; false for a packet that is
    // unknown or runs past the file.
    bool decodePacket(int16_t* frames, bool last, bool& silent);
    int16_t imaNext(unsigned nibble);

    FCFileMapping m_mapping;
    std::unique_ptr<FCWaveDecoder_VORBIS> m_inner;
    const uint8_t* m_data; // the whole sound
    uint32_t m_size;
    uint32_t m_packets; // N
    uint32_t m_lastSamples; // L
    uint32_t m_position;
    uint32_t m_counter;
    soundkernels::ImaChannel m_ima;
    int16_t m_previous; // the previous decoded sample
    std::vector<int16_t> m_scratch;
};
