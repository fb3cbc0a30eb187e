#pragma once

#include <cstdint>

#include "foundation/FCString.h"
#include "foundation/LumivexApi.h"
#include "sound/SoundBlock.h"

// Where a sound lies when it is stored inside a larger file; zeroed for a
// plain file.
struct LUMIVEX_API SoundEntry {
    int32_t marker; // nonzero: the sound is inside fileName
    FCString fileName;
    uint32_t offset;
    uint32_t reserved1;
    uint32_t size;
    uint32_t reserved2;

    SoundEntry();
};

// One sound file turned into blocks of 44.1 kHz 16-bit stereo for one
// channel. The channel creates the decoder of the type detectType names,
// sets the scramble fields, opens it, then calls decode once per block and
// rewind for loops. Scenario modules reach decoders through their channel,
// so members and slots keep their order; a decoder that cannot open stays
// empty and its first decode ends the sound.
class LUMIVEX_API FCWaveDecoder {
public:
    enum Type : int32_t {
        kPcm = 0,
        kAdpcm = 1,
        kMp3 = 2,
        kWma = 3,
        kVorbis = 4,
        kV = 5,
        kUnknown = -1,
        kUnreadable = -2,
    };

    FCWaveDecoder();
    FCWaveDecoder(const FCWaveDecoder&) = delete;
    FCWaveDecoder& operator=(const FCWaveDecoder&) = delete;

    virtual ~FCWaveDecoder();
    // The argument is the channel's decoder argument, which no decoder uses.
    // False when the file cannot be decoded (the decoder then stays empty).
    virtual bool open(const char* name, int32_t argument) = 0;
    virtual bool openEntry(const SoundEntry& entry);
    virtual void rewind() = 0;
    // Fills the block from its start; false at the end of the data.
    virtual bool decode(SoundBlock* block) = 0;
    virtual int32_t getType() = 0;
    virtual void startHook();
    virtual void stopHook();
    virtual bool reserved8();
    virtual int32_t reserved9();
    // Undoes the scramble of the first scrambleWords words of a stream.
    virtual void descramble(uint32_t* words, uint32_t count);

    int32_t scrambleSkip; // nonzero: descramble does nothing
    uint32_t scrambleKey; // 0: not scrambled
    uint32_t scrambleWords;
    SoundEntry entry;
};

// The decoder type of a file: the extensions "v" and "ogg" decide alone;
// otherwise the first bytes (RIFF/WAVE with format tag 1 or 0x11, an MPEG-1
// Layer III frame at 128 kbit/s and 44.1 kHz, an ASF header, "OggS").
// kUnknown for anything else, kUnreadable when the file cannot be read.
LUMIVEX_API int32_t detectType(const char* name);

// A new decoder of the type (kPcm..kV), or null for any other value.
LUMIVEX_API FCWaveDecoder* createWaveDecoder(int32_t type);
