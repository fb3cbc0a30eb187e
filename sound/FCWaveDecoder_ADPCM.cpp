#include "sound/FCWaveDecoder_ADPCM.h"

#include <cstring>

#include "foundation/FCFileMapping.h"
#include "foundation/FCHeap.h"
#include "sound/SoundKernels.h"
#include "sound/detail/FixedBlock.h"

using namespace soundkernels;

FCWaveDecoder_ADPCM::FCWaveDecoder_ADPCM()
    : m_channels(0)
    , m_rate(0)
    , m_bytesPerSecond(0)
    , m_blockAlign(0)
    , m_bits(0)
    , m_samplesPerBlock(0)
    , m_samples(nullptr)
    , m_sampleCount(0)
    , m_chunkSamples(0)
    , m_chunks(0)
    , m_counter(-1)
{
}

FCWaveDecoder_ADPCM::~FCWaveDecoder_ADPCM()
{
    release();
}

void FCWaveDecoder_ADPCM::release()
{
    FCHeap::release(m_samples);
    m_samples = nullptr;
    m_sampleCount = 0;
    m_chunks = 0;
}

bool FCWaveDecoder_ADPCM::open(const char* name, int32_t)
{
    release();
    FCFileMapping mapping;
    if (!mapping.openReadOnly(name) || mapping.size() > 0x7FFFFFFF)
        return false;
    const uint8_t* file = mapping.mapAll();
    size_t size = size_t(mapping.size());
    // The format chunk comes first, with the samples per block after the
    // extra-size field.
    WaveFormat format;
    if (!file || !isRiffWave(file, size) || size < 20 || std::memcmp(file + 12, "fmt ", 4) != 0
        || chunkLength(file, 12) < 20 || !readFormat(file + 20, size - 20, format) || format.tag != 0x11)
        return false;
    int32_t repeat = repeatFactor(format.rate);
    // A block must hold what its samples-per-block claims, so that no block
    // is read past its end.
    if ((format.channels != 1 && format.channels != 2) || repeat == 0 || format.samplesPerBlock == 0
        || format.samplesPerBlock > imaFramesInBlock(format.blockAlign, format.channels))
        return false;
    int64_t data = findChunk(file, size, 20 + uint64_t(chunkLength(file, 12)), "data");
    if (data < 0)
        return false;
    m_channels = format.channels;
    m_rate = format.rate;
    m_bytesPerSecond = format.bytesPerSecond;
    m_blockAlign = format.blockAlign;
    m_bits = format.bits;
    m_samplesPerBlock = format.samplesPerBlock;

    // A length past the end of the file stops at the end.
    const uint8_t* in = file + data + 8;
    size_t length = chunkLength(file, uint64_t(data));
    if (length > size - size_t(data) - 8)
        length = size - size_t(data) - 8;
    size_t fullBlocks = length / m_blockAlign;
    uint32_t rest = uint32_t(length % m_blockAlign);
    uint64_t frames = uint64_t(fullBlocks) * m_samplesPerBlock;
    int32_t lastFrames = imaFramesInBlock(rest, m_channels);
    if (lastFrames > m_samplesPerBlock)
        lastFrames = m_samplesPerBlock;
    frames += uint64_t(lastFrames);
    if (frames == 0 || frames * m_channels > 0x3FFFFFFF)
        return false;
    m_samples = static_cast<int16_t*>(FCHeap::allocate(size_t(frames) * m_channels * 2, FCHeap::kNoThrow));
    if (!m_samples)
        return false;
    int16_t* out = m_samples;
    for (size_t b = 0; b < fullBlocks; ++b, in += m_blockAlign)
        out += m_channels * decodeImaWaveBlock(in, m_blockAlign, m_channels, m_samplesPerBlock, out);
    out += m_channels * decodeImaWaveBlock(in, rest, m_channels, m_samplesPerBlock, out);
    m_sampleCount = uint32_t(out - m_samples);

    m_chunkSamples = (m_rate * 4096 / 44100) * m_channels / 2;
    m_chunks = int32_t((m_sampleCount + m_chunkSamples - 1) / m_chunkSamples);
    rewind();
    return true;
}

void FCWaveDecoder_ADPCM::rewind()
{
    m_counter = -1;
}

bool FCWaveDecoder_ADPCM::decode(SoundBlock* block)
{
    if (m_counter + 1 >= m_chunks)
        return false;
    ++m_counter;
    uint32_t first = uint32_t(m_counter) * m_chunkSamples;
    uint32_t count = m_sampleCount - first < m_chunkSamples ? m_sampleCount - first : m_chunkSamples;
    int32_t repeat = int32_t(44100 / m_rate);
    FixedBlock out(block, m_scratch);
    int32_t inFrames = int32_t(count / m_channels);
    expandSamples(m_samples + first, inFrames, m_channels, repeat, out.frames());
    int32_t written = inFrames * repeat;
    std::memset(out.frames() + 2 * written, 0, size_t(SoundBlock::kFrames - written) * 4);
    out.setSilent((block->flags & SoundBlock::kDiscard) || allWithin(out.frames(), SoundBlock::kFrames * 2, 32));
    return true;
}
