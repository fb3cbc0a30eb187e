#include "sound/FCWaveDecoder_V.h"

#include <cstring>

#include "sound/detail/FixedBlock.h"

using namespace soundkernels;

namespace {

constexpr uint32_t kHeaderBytes = 8;

void putFrame(int16_t* frames, int32_t i, int16_t value)
{
    frames[2 * i] = value;
    frames[2 * i + 1] = value;
}

} // namespace

FCWaveDecoder_V::FCWaveDecoder_V()
    : m_data(nullptr)
    , m_size(0)
    , m_packets(0)
    , m_lastSamples(0)
    , m_position(kHeaderBytes)
    , m_counter(0)
    , m_ima { 0, 0 }
    , m_previous(0)
{
}

FCWaveDecoder_V::~FCWaveDecoder_V() = default;

bool FCWaveDecoder_V::open(const char* name, int32_t)
{
    return openRegion(name, 0, ~uint64_t(0), nullptr);
}

bool FCWaveDecoder_V::openEntry(const SoundEntry& soundEntry)
{
    return openRegion(soundEntry.fileName.text(), soundEntry.offset, soundEntry.size, &soundEntry);
}

bool FCWaveDecoder_V::openRegion(const char* name, uint64_t offset, uint64_t limit, const SoundEntry* soundEntry)
{
    m_inner.reset();
    m_data = nullptr;
    m_packets = 0;
    m_mapping.close();
    uint32_t got = 0;
    const uint8_t* head = m_mapping.openReadOnly(name) ? m_mapping.at(offset, 4, &got) : nullptr;
    if (!head || got < 4 || limit < 4)
        return false;
    if (std::memcmp(head, "OggS", 4) == 0) {
        m_mapping.close();
        m_inner = std::make_unique<FCWaveDecoder_VORBIS>();
        return soundEntry ? m_inner->openEntry(*soundEntry) : m_inner->open(name, -1);
    }
    uint64_t rest = m_mapping.size() - offset;
    uint64_t size = limit < rest ? limit : rest;
    if (size < kHeaderBytes || size > 0x7FFFFFFF)
        return false;
    m_data = m_mapping.at(offset, uint32_t(size), &got);
    if (!m_data || got != size)
        return false;
    m_size = uint32_t(size);
    m_packets = read16(m_data + 4);
    m_lastSamples = read16(m_data + 6);
    rewind();
    return true;
}

void FCWaveDecoder_V::rewind()
{
    if (m_inner) {
        m_inner->rewind();
        return;
    }
    m_position = kHeaderBytes;
    m_counter = 0;
    m_ima = { 0, 0 };
    m_previous = 0;
}

void FCWaveDecoder_V::startHook()
{
    if (m_inner)
        m_inner->startHook();
}

void FCWaveDecoder_V::stopHook()
{
    if (m_inner)
        m_inner->stopHook();
}

int16_t FCWaveDecoder_V::imaNext(unsigned nibble)
{
    return imaDecodeNibble(m_ima, nibble);
}

bool FCWaveDecoder_V::decodePacket(int16_t* frames, bool last, bool& silent)
{
    if (m_position >= m_size)
        return false;
    uint8_t type = m_data[m_position];
    const uint8_t* in = m_data + m_position + 1;
    uint32_t available = m_size - m_position - 1;
    // Samples of the packet's input and the bytes they take.
    uint32_t samples;
    uint32_t bytes;
    switch (type) {
    case kSilence:
        samples = bytes = 0;
        break;
    case kAdpcm22:
        samples = last ? m_lastSamples : 1024;
        samples = samples < 1024 ? samples : 1024;
        bytes = (samples + 1) / 2;
        break;
    case kStereo44:
    case kMono44:
        samples = last ? m_lastSamples : 2048;
        samples = samples < 2048 ? samples : 2048;
        bytes = type == kStereo44 ? samples * 4 : samples * 2;
        break;
    case kMono22:
        samples = last ? m_lastSamples : 1024;
        samples = samples < 1024 ? samples : 1024;
        bytes = samples * 2;
        break;
    case kAdpcm44:
        if (last)
            return false;
        samples = 2048;
        bytes = 1024;
        break;
    default:
        // Types 3, 5 and above 7 hold nothing this decoder knows.
        return false;
    }
    if (bytes > available)
        return false;
    // Full packets have a fixed size whatever their samples.
    static const uint32_t kFullBytes[8] = { 0, 512, 8192, 0, 2048, 0, 4096, 1024 };
    m_position += 1 + (last ? bytes : kFullBytes[type]);
    silent = false;
    switch (type) {
    case kSilence:
        m_ima = { 0, 0 };
        m_previous = 0;
        silent = true;
        break;
    case kAdpcm22:
        // Each decoded sample is preceded by the mean of it and the one before.
        for (uint32_t i = 0; i < samples; ++i) {
            uint8_t byte = in[i >> 1];
            int16_t s = imaNext((i & 1) ? byte & 15 : byte >> 4);
            putFrame(frames, int32_t(2 * i), int16_t((int32_t(m_previous) + s) >> 1));
            putFrame(frames, int32_t(2 * i + 1), s);
            m_previous = s;
        }
        break;
    case kAdpcm44:
        for (uint32_t i = 0; i < samples; ++i) {
            uint8_t byte = in[i >> 1];
            m_previous = imaNext((i & 1) ? byte & 15 : byte >> 4);
            putFrame(frames, int32_t(i), m_previous);
        }
        break;
    case kStereo44:
        std::memcpy(frames, in, size_t(samples) * 4);
        break;
    case kMono44:
        for (uint32_t i = 0; i < samples; ++i)
            putFrame(frames, int32_t(i), int16_t(read16(in + 2 * i)));
        break;
    case kMono22:
        for (uint32_t i = 0; i < samples; ++i) {
            int16_t s = int16_t(read16(in + 2 * i));
            if (last || i == 0) {
                putFrame(frames, int32_t(2 * i), s);
            } else {
                int16_t p = int16_t(read16(in + 2 * i - 2));
                // Division truncating towards zero, as written.
                putFrame(frames, int32_t(2 * i), int16_t(s - (int32_t(s) - p) / 2));
            }
            putFrame(frames, int32_t(2 * i + 1), s);
        }
        break;
    }
    return true;
}

bool FCWaveDecoder_V::decode(SoundBlock* block)
{
    if (m_inner)
        return m_inner->decode(block);
    if (!m_data || m_counter >= m_packets)
        return false;
    ++m_counter;
    bool last = m_counter == m_packets;
    FixedBlock out(block, m_scratch);
    // The last packet may fill only part of the block: it starts cleared.
    if (last)
        std::memset(out.frames(), 0, SoundBlock::kBytes);
    bool silent = false;
    if (!decodePacket(out.frames(), last, silent)) {
        // Nothing more can be read: the sound ends here.
        m_counter = m_packets;
        return false;
    }
    // Every block says whether it holds sound: a recycled block comes marked silent.
    out.setSilent(silent);
    if (silent)
        std::memset(out.frames(), 0, SoundBlock::kBytes);
    return true;
}
