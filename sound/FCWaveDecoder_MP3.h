#pragma once

#include <cstdint>

#include "foundation/FCFileMapping.h"
#include "sound/FCWaveDecoder.h"
#include "sound/Mpglib.h"

// MPEG-1 Layer III through mpglib's interface. The whole mapped file goes
// to the decoder at the first decode; blocks are filled to their capacity
// with its samples as they come (the stream's own channels and rate), and
// the last, incomplete block of a file is not played.
class LUMIVEX_API FCWaveDecoder_MP3 : public FCWaveDecoder {
public:
    FCWaveDecoder_MP3();
    ~FCWaveDecoder_MP3() override;
    bool open(const char* name, int32_t argument) override;
    void rewind() override;
    bool decode(SoundBlock* block) override;
    int32_t getType() override { return kMp3; }

private:
    // The input of the next call: the whole file first, then nothing.
    const uint8_t* nextInput(size_t* size);

    FCFileMapping m_mapping;
    const uint8_t* m_file;
    uint32_t m_fileSize;
    Mpglib m_mpglib;
    bool m_ready;
    bool m_first;
    // What did not fit of the frame that ended the previous block; it stays
    // in mpglib's buffer until the next decode call on it.
    const uint8_t* m_overflow;
    int32_t m_overflowBytes;
};
