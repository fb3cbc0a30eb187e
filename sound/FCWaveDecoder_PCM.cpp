#include "sound/FCWaveDecoder_PCM.h"

#include <cstring>

#include "sound/SoundKernels.h"
#include "sound/detail/FixedBlock.h"

using namespace soundkernels;

namespace {

constexpr uint32_t kHeaderBytes = 4096;
constexpr int32_t kWindowBytes = 0x40000;

} // namespace

FCWaveDecoder_PCM::FCWaveDecoder_PCM()
    : m_channels(0)
    , m_rate(0)
    , m_bytesPerSecond(0)
    , m_blockAlign(0)
    , m_bits(0)
    , m_dataOffset(0)
    , m_dataLength(0)
    , m_inBlock(0)
    , m_blocks(0)
    , m_lastBytes(0)
    , m_counter(-1)
{
}

FCWaveDecoder_PCM::~FCWaveDecoder_PCM() = default;

bool FCWaveDecoder_PCM::open(const char* name, int32_t)
{
    m_blocks = 0;
    m_mapping.close();
    uint32_t size = 0;
    const uint8_t* head = m_mapping.openReadOnly(name) ? m_mapping.at(0, kHeaderBytes, &size) : nullptr;
    if (!head || !isRiffWave(head, size))
        return false;
    int64_t fmt = findChunk(head, size, 12, "fmt ");
    if (fmt < 0)
        return false;
    int64_t data = findChunk(head, size, uint64_t(fmt) + 8 + chunkLength(head, uint64_t(fmt)), "data");
    WaveFormat format;
    if (data < 0 || chunkLength(head, uint64_t(fmt)) < 16 || !readFormat(head + fmt + 8, size - size_t(fmt) - 8, format)
        || format.tag != 1)
        return false;
    // Only what repetition can raise to 44.1 kHz stereo; the block alignment
    // must be the frame's size, or blocks would not line up with frames.
    int32_t repeat = repeatFactor(format.rate);
    if ((format.channels != 1 && format.channels != 2) || (format.bits != 8 && format.bits != 16) || repeat == 0
        || format.blockAlign != format.channels * format.bits / 8)
        return false;
    m_channels = format.channels;
    m_rate = format.rate;
    m_bytesPerSecond = format.bytesPerSecond;
    m_blockAlign = format.blockAlign;
    m_bits = format.bits;
    m_dataOffset = uint64_t(data) + 8;
    // A length past the end of the file stops at the end.
    uint64_t available = m_mapping.size() > m_dataOffset ? m_mapping.size() - m_dataOffset : 0;
    uint32_t length = chunkLength(head, uint64_t(data));
    m_dataLength = length < available ? length : uint32_t(available);
    m_inBlock = uint32_t(m_blockAlign) * SoundBlock::kFrames / uint32_t(repeat);
    uint32_t blocks = (m_dataLength + m_inBlock - 1) / m_inBlock;
    m_lastBytes = m_dataLength % m_inBlock ? m_dataLength % m_inBlock : m_inBlock;
    m_blocks = int32_t(blocks);
    m_mapping.setViewMultiple(kWindowBytes);
    rewind();
    return m_blocks > 0;
}

void FCWaveDecoder_PCM::rewind()
{
    m_counter = -1;
    if (m_blocks > 0)
        m_mapping.at(m_dataOffset, kWindowBytes);
}

bool FCWaveDecoder_PCM::decode(SoundBlock* block)
{
    if (m_counter + 1 >= m_blocks)
        return false;
    uint32_t bytes = m_counter + 2 == m_blocks ? m_lastBytes : m_inBlock;
    uint32_t available = 0;
    const uint8_t* in = m_mapping.at(m_dataOffset + uint64_t(m_inBlock) * uint32_t(m_counter + 1), bytes, &available);
    if (!in || available < bytes)
        return false;
    ++m_counter;
    int32_t repeat = int32_t(44100 / m_rate);
    FixedBlock out(block, m_scratch);
    int32_t inFrames = int32_t(bytes / m_blockAlign);
    expandPcm(in, inFrames, m_channels, m_bits, repeat, out.frames());
    int32_t written = inFrames * repeat;
    std::memset(out.frames() + 2 * written, 0, size_t(SoundBlock::kFrames - written) * 4);
    out.setSilent(allWithin(out.frames(), SoundBlock::kFrames * 2, 8));
    return true;
}
