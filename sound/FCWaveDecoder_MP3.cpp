#include "sound/FCWaveDecoder_MP3.h"

#include <cstring>

#include "sound/SoundKernels.h"

FCWaveDecoder_MP3::FCWaveDecoder_MP3()
    : m_file(nullptr)
    , m_fileSize(0)
    , m_ready(false)
    , m_first(true)
    , m_overflow(nullptr)
    , m_overflowBytes(0)
{
}

FCWaveDecoder_MP3::~FCWaveDecoder_MP3() = default;

bool FCWaveDecoder_MP3::open(const char* name, int32_t)
{
    m_mpglib.exit();
    m_ready = false;
    m_file = nullptr;
    m_mapping.close();
    if (!m_mapping.openReadOnly(name) || m_mapping.size() > 0x7FFFFFFF)
        return false;
    m_file = m_mapping.mapAll();
    if (!m_file)
        return false;
    m_fileSize = uint32_t(m_mapping.size());
    rewind();
    return m_ready;
}

void FCWaveDecoder_MP3::rewind()
{
    m_overflow = nullptr;
    m_overflowBytes = 0;
    if (m_file)
        m_ready = m_mpglib.init();
    m_first = true;
}

const uint8_t* FCWaveDecoder_MP3::nextInput(size_t* size)
{
    // The first call after open or rewind hands over the whole file; later
    // ones only drain what the decoder holds.
    const uint8_t* in = m_first ? m_file : nullptr;
    *size = m_first ? m_fileSize : 0;
    m_first = false;
    return in;
}

bool FCWaveDecoder_MP3::decode(SoundBlock* block)
{
    if (!m_ready)
        return false;
    // Whole frames of 4 bytes only, so that a block of an odd size never
    // splits a sample.
    int32_t capacity = (block->capacity > 0 ? block->capacity : 0) & ~3;
    uint8_t* out = reinterpret_cast<uint8_t*>(block->data);
    int32_t filled = 0;
    if (m_overflowBytes > 0) {
        int32_t n = m_overflowBytes < capacity ? m_overflowBytes : capacity;
        std::memcpy(out, m_overflow, size_t(n));
        m_overflow += n;
        m_overflowBytes -= n;
        filled = n;
    }
    bool more = true;
    while (filled < capacity) {
        size_t inSize = 0;
        const uint8_t* in = nextInput(&inSize);
        if (capacity - filled >= Mpglib::kFrameBytes) {
            int32_t done = 0;
            if (m_mpglib.decode(in, inSize, out + filled, capacity - filled, &done) != Mpglib::kOk) {
                more = false;
                break;
            }
            filled += done;
        } else {
            // The frame does not fit: what is left of it waits for the next block.
            const uint8_t* frame = nullptr;
            int32_t bytes = 0;
            if (m_mpglib.decodeFrame(in, inSize, &frame, &bytes) != Mpglib::kOk) {
                more = false;
                break;
            }
            int32_t n = bytes < capacity - filled ? bytes : capacity - filled;
            std::memcpy(out + filled, frame, size_t(n));
            filled += n;
            m_overflow = frame + n;
            m_overflowBytes = bytes - n;
        }
    }
    int32_t total = block->capacity > 0 ? block->capacity : 0;
    std::memset(out + filled, 0, size_t(total - filled));
    block->used = total;
    bool silent = (block->flags & SoundBlock::kDiscard) || soundkernels::allWithin(block->data, size_t(total) / 2, 32);
    block->flags = silent ? block->flags | SoundBlock::kSilent : block->flags & ~uint32_t(SoundBlock::kSilent);
    return more;
}
