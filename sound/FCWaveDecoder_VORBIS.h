#pragma once

#include <cstdint>
#include <vector>

#include "foundation/FCFileMapping.h"
#include "sound/FCWaveDecoder.h"

// libogg's and libvorbis's state, kept out of this header.
struct VorbisStreams;

// Ogg Vorbis through libogg and libvorbis's decoding loop, reading 4096
// bytes at a time from a plain file (128 KB windows) or from the region of a
// SoundEntry. Blocks are filled to their capacity; samples become
// truncate(sample * 32767) clamped to 16 bits, a mono stream goes to both
// sides (of more channels, the first two are played). The stream's rate is
// not checked. The first 4096 bytes are descrambled when a key is set.
class LUMIVEX_API FCWaveDecoder_VORBIS : public FCWaveDecoder {
public:
    FCWaveDecoder_VORBIS();
    ~FCWaveDecoder_VORBIS() override;
    bool open(const char* name, int32_t argument) override;
    bool openEntry(const SoundEntry& entry) override;
    void rewind() override;
    bool decode(SoundBlock* block) override;
    int32_t getType() override { return kVorbis; }
    // Releases the libogg and libvorbis state: the next decode ends the
    // sound unless the channel rewinds first.
    void stopHook() override;
    // Moves up to `frames` decoded frames into out (interleaved stereo);
    // the frames moved, 0 at the end of the stream.
    virtual int32_t decodeStereo(int16_t* out, int32_t frames);

private:
    // The next piece of input (at most 4096 bytes) into the sync buffer; 0 at the end.
    uint32_t readPiece(bool first);
    bool readHeaders();
    void releaseState();
    void takeSamples(float** pcm, int32_t count, int16_t* out);

    FCFileMapping m_mapping;
    bool m_opened;
    uint64_t m_base; // file offset of the stream
    uint64_t m_limit; // bytes of the stream
    uint64_t m_cursor;
    VorbisStreams* m_streams;
    bool m_ready; // headers read, synthesis set up
    bool m_endOfStream;
    bool m_lastPage; // the end-of-stream page is in
    // Decoded frames that did not fit into the previous block.
    std::vector<int16_t> m_pending;
    size_t m_pendingAt;
};
