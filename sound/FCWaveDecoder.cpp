#include "sound/FCWaveDecoder.h"

#include <cstring>

#include "foundation/FCFileMapping.h"
#include "foundation/FCPathName.h"
#include "sound/FCWaveDecoder_ADPCM.h"
#include "sound/FCWaveDecoder_MP3.h"
#include "sound/FCWaveDecoder_PCM.h"
#include "sound/FCWaveDecoder_V.h"
#include "sound/FCWaveDecoder_VORBIS.h"
#include "sound/FCWaveDecoder_WMA.h"
#include "sound/SoundKernels.h"

using namespace soundkernels;

SoundEntry::SoundEntry()
    : marker(0)
    , offset(0)
    , reserved1(0)
    , size(0)
    , reserved2(0)
{
}

FCWaveDecoder::FCWaveDecoder()
    : scrambleSkip(0)
    , scrambleKey(0)
    , scrambleWords(0)
{
}

FCWaveDecoder::~FCWaveDecoder() = default;

bool FCWaveDecoder::openEntry(const SoundEntry&)
{
    return false;
}

void FCWaveDecoder::startHook()
{
}

void FCWaveDecoder::stopHook()
{
}

bool FCWaveDecoder::reserved8()
{
    return false;
}

int32_t FCWaveDecoder::reserved9()
{
    return 0;
}

void FCWaveDecoder::descramble(uint32_t* words, uint32_t count)
{
    if (scrambleKey == 0 || scrambleWords == 0 || scrambleSkip != 0)
        return;
    uint32_t n = count < scrambleWords ? count : scrambleWords;
    for (uint32_t i = 0; i < n; ++i) {
        // The words are little-endian in the stream, whatever the buffer's alignment.
        uint8_t* p = reinterpret_cast<uint8_t*>(words + i);
        uint32_t plain = descrambleWord(read32(p), i, scrambleKey);
        p[0] = uint8_t(plain), p[1] = uint8_t(plain >> 8), p[2] = uint8_t(plain >> 16), p[3] = uint8_t(plain >> 24);
    }
}

int32_t detectType(const char* name)
{
    if (!name)
        return FCWaveDecoder::kUnreadable;
    if (FCPathName::hasExtension(name, "v"))
        return FCWaveDecoder::kV;
    if (FCPathName::hasExtension(name, "ogg"))
        return FCWaveDecoder::kVorbis;
    FCFileMapping mapping;
    uint32_t size = 0;
    const uint8_t* head = mapping.openReadOnly(name) ? mapping.at(0, 1024, &size) : nullptr;
    if (!head)
        return FCWaveDecoder::kUnreadable;
    if (isRiffWave(head, size)) {
        int64_t fmt = findChunk(head, size, 12, "fmt ");
        if (fmt < 0 || uint64_t(fmt) + 10 > size)
            return FCWaveDecoder::kUnknown;
        uint16_t tag = read16(head + fmt + 8);
        return tag == 1 ? FCWaveDecoder::kPcm : tag == 0x11 ? FCWaveDecoder::kAdpcm : FCWaveDecoder::kUnknown;
    }
    // An MPEG-1 Layer III frame without CRC at 128 kbit/s, 44.1 kHz, padded.
    if (size >= 3 && head[0] == 0xFF && head[1] == 0xFB && head[2] == 0x92)
        return FCWaveDecoder::kMp3;
    if (size >= 4 && read32(head) == 0x75B22630)
        return FCWaveDecoder::kWma;
    if (size >= 4 && std::memcmp(head, "OggS", 4) == 0)
        return FCWaveDecoder::kVorbis;
    return FCWaveDecoder::kUnknown;
}

FCWaveDecoder* createWaveDecoder(int32_t type)
{
    switch (type) {
    case FCWaveDecoder::kPcm:
        return new FCWaveDecoder_PCM;
    case FCWaveDecoder::kAdpcm:
        return new FCWaveDecoder_ADPCM;
    case FCWaveDecoder::kMp3:
        return new FCWaveDecoder_MP3;
    case FCWaveDecoder::kWma:
        return new FCWaveDecoder_WMA;
    case FCWaveDecoder::kVorbis:
        return new FCWaveDecoder_VORBIS;
    case FCWaveDecoder::kV:
        return new FCWaveDecoder_V;
    default:
        return nullptr;
    }
}
