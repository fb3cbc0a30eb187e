#include "sound/FCWaveDecoder_VORBIS.h"

#include <ogg/ogg.h>
#include <vorbis/codec.h>

#include <cstring>

struct VorbisStreams {
    ogg_sync_state sync;
    ogg_stream_state stream;
    vorbis_info info;
    vorbis_comment comment;
    vorbis_dsp_state dsp;
    vorbis_block block;
    bool syncLive = false, streamLive = false, infoLive = false, dspLive = false;
};

namespace {

constexpr uint32_t kPieceBytes = 4096;
constexpr int32_t kWindowBytes = 0x20000;

int16_t toSample(float value)
{
    // Truncated towards zero, then clamped; NaN becomes 0. The product is
    // exact in double, so every build rounds alike.
    double scaled = value * 32767.0;
    if (scaled >= 32767.0)
        return 32767;
    if (scaled <= -32768.0)
        return -32768;
    if (!(scaled == scaled))
        return 0;
    return static_cast<int16_t>(scaled);
}

} // namespace

FCWaveDecoder_VORBIS::FCWaveDecoder_VORBIS()
    : m_opened(false)
    , m_base(0)
    , m_limit(0)
    , m_cursor(0)
    , m_streams(new VorbisStreams)
    , m_ready(false)
    , m_endOfStream(false)
    , m_lastPage(false)
    , m_pendingAt(0)
{
}

FCWaveDecoder_VORBIS::~FCWaveDecoder_VORBIS()
{
    releaseState();
    delete m_streams;
}

bool FCWaveDecoder_VORBIS::open(const char* name, int32_t)
{
    m_opened = false;
    m_mapping.close();
    if (m_mapping.openReadOnly(name)) {
        m_mapping.setViewMultiple(kWindowBytes);
        m_base = 0;
        m_limit = m_mapping.size();
        m_opened = true;
    }
    rewind();
    return m_ready;
}

bool FCWaveDecoder_VORBIS::openEntry(const SoundEntry& soundEntry)
{
    m_opened = false;
    m_mapping.close();
    if (m_mapping.openReadOnly(soundEntry.fileName.text()) && soundEntry.offset < m_mapping.size()) {
        m_mapping.setViewMultiple(kWindowBytes);
        m_base = soundEntry.offset;
        // Never past the entry, nor past the file.
        uint64_t rest = m_mapping.size() - m_base;
        m_limit = soundEntry.size < rest ? soundEntry.size : rest;
        m_opened = true;
    }
    rewind();
    return m_ready;
}

void FCWaveDecoder_VORBIS::releaseState()
{
    if (m_streams->dspLive) {
        vorbis_block_clear(&m_streams->block);
        vorbis_dsp_clear(&m_streams->dsp);
    }
    if (m_streams->infoLive) {
        vorbis_comment_clear(&m_streams->comment);
        vorbis_info_clear(&m_streams->info);
    }
    if (m_streams->streamLive)
        ogg_stream_clear(&m_streams->stream);
    if (m_streams->syncLive)
        ogg_sync_clear(&m_streams->sync);
    m_streams->dspLive = m_streams->infoLive = m_streams->streamLive = m_streams->syncLive = false;
    m_ready = false;
}

void FCWaveDecoder_VORBIS::stopHook()
{
    releaseState();
}

uint32_t FCWaveDecoder_VORBIS::readPiece(bool first)
{
    if (!m_opened || m_cursor >= m_limit)
        return 0;
    uint32_t want = m_limit - m_cursor < kPieceBytes ? uint32_t(m_limit - m_cursor) : kPieceBytes;
    uint32_t got = 0;
    const uint8_t* in = m_mapping.at(m_base + m_cursor, want, &got);
    if (!in || got == 0)
        return 0;
    char* buffer = ogg_sync_buffer(&m_streams->sync, long(got));
    if (!buffer)
        return 0;
    if (first) {
        uint32_t words[kPieceBytes / 4];
        std::memcpy(words, in, got);
        descramble(words, got / 4);
        std::memcpy(buffer, words, got);
    } else {
        std::memcpy(buffer, in, got);
    }
    ogg_sync_wrote(&m_streams->sync, long(got));
    m_cursor += got;
    return got;
}

void FCWaveDecoder_VORBIS::rewind()
{
    m_pending.clear();
    m_pendingAt = 0;
    m_cursor = 0;
    m_endOfStream = false;
    m_lastPage = false;
    releaseState();
    if (!m_opened)
        return;
    ogg_sync_init(&m_streams->sync);
    m_streams->syncLive = true;
    if (!readHeaders()) {
        releaseState();
        return;
    }
    vorbis_synthesis_init(&m_streams->dsp, &m_streams->info);
    vorbis_block_init(&m_streams->dsp, &m_streams->block);
    m_streams->dspLive = true;
    m_ready = true;
}

bool FCWaveDecoder_VORBIS::readHeaders()
{
    readPiece(true);
    ogg_page page;
    if (ogg_sync_pageout(&m_streams->sync, &page) != 1)
        return false;
    ogg_stream_init(&m_streams->stream, ogg_page_serialno(&page));
    m_streams->streamLive = true;
    vorbis_info_init(&m_streams->info);
    vorbis_comment_init(&m_streams->comment);
    m_streams->infoLive = true;
    ogg_packet packet;
    if (ogg_stream_pagein(&m_streams->stream, &page) < 0 || ogg_stream_packetout(&m_streams->stream, &packet) != 1
        || vorbis_synthesis_headerin(&m_streams->info, &m_streams->comment, &packet) < 0)
        return false;
    int headers = 1;
    while (headers < 3) {
        int result = ogg_sync_pageout(&m_streams->sync, &page);
        if (result == 0) {
            if (readPiece(false) == 0)
                return false;
            continue;
        }
        if (result < 0)
            continue;
        // Pages of another stream are refused by pagein and skipped.
        ogg_stream_pagein(&m_streams->stream, &page);
        while (headers < 3) {
            result = ogg_stream_packetout(&m_streams->stream, &packet);
            if (result == 0)
                break;
            if (result < 0 || vorbis_synthesis_headerin(&m_streams->info, &m_streams->comment, &packet) < 0)
                return false;
            ++headers;
        }
    }
    return m_streams->info.channels > 0;
}

void FCWaveDecoder_VORBIS::takeSamples(float** pcm, int32_t count, int16_t* out)
{
    const float* left = pcm[0];
    const float* right = m_streams->info.channels > 1 ? pcm[1] : pcm[0];
    for (int32_t i = 0; i < count; ++i) {
        out[2 * i] = toSample(left[i]);
        out[2 * i + 1] = toSample(right[i]);
    }
}

int32_t FCWaveDecoder_VORBIS::decodeStereo(int16_t* out, int32_t frames)
{
    int32_t moved = 0;
    // First what the previous block could not take.
    size_t pendingFrames = (m_pending.size() - m_pendingAt) / 2;
    if (pendingFrames > 0) {
        int32_t n = pendingFrames < size_t(frames) ? int32_t(pendingFrames) : frames;
        std::memcpy(out, m_pending.data() + m_pendingAt, size_t(n) * 4);
        m_pendingAt += size_t(n) * 2;
        moved = n;
        if (m_pendingAt == m_pending.size()) {
            m_pending.clear();
            m_pendingAt = 0;
        }
    }
    // Each turn either moves samples, takes in a packet or a page, or reads
    // input, so the loop ends with the input.
    while (m_ready && moved < frames && !m_endOfStream) {
        float** pcm = nullptr;
        int count = vorbis_synthesis_pcmout(&m_streams->dsp, &pcm);
        if (count > 0) {
            int32_t n = count < frames - moved ? count : frames - moved;
            takeSamples(pcm, n, out + 2 * moved);
            moved += n;
            if (count > n) {
                std::vector<float*> rest(size_t(m_streams->info.channels));
                for (int c = 0; c < m_streams->info.channels; ++c)
                    rest[size_t(c)] = pcm[c] + n;
                m_pending.resize(size_t(count - n) * 2);
                m_pendingAt = 0;
                takeSamples(rest.data(), count - n, m_pending.data());
            }
            vorbis_synthesis_read(&m_streams->dsp, count);
            continue;
        }
        ogg_packet packet;
        int result = ogg_stream_packetout(&m_streams->stream, &packet);
        if (result > 0) {
            if (vorbis_synthesis(&m_streams->block, &packet) == 0)
                vorbis_synthesis_blockin(&m_streams->dsp, &m_streams->block);
            continue;
        }
        if (result < 0)
            continue;
        if (m_lastPage) {
            m_endOfStream = true;
            break;
        }
        ogg_page page;
        result = ogg_sync_pageout(&m_streams->sync, &page);
        if (result > 0) {
            if (ogg_stream_pagein(&m_streams->stream, &page) == 0 && ogg_page_eos(&page))
                m_lastPage = true;
        } else if (result == 0 && readPiece(false) == 0) {
            m_endOfStream = true;
        }
    }
    return moved;
}

bool FCWaveDecoder_VORBIS::decode(SoundBlock* block)
{
    int32_t capacity = block->capacity > 0 ? block->capacity : 0;
    std::memset(block->data, 0, size_t(capacity));
    block->used = capacity;
    if (block->flags & SoundBlock::kDiscard)
        block->flags |= SoundBlock::kSilent;
    else
        block->flags &= ~uint32_t(SoundBlock::kSilent);
    if (!m_ready)
        return false;
    return decodeStereo(block->data, capacity / 4) > 0;
}
