#pragma once

#include <cstring>
#include <vector>

#include "sound/SoundBlock.h"

// PCM, ADPCM and V decode 2048 frames a call whatever the block's capacity:
// into the block itself when it holds them, else into a scratch block of
// which the block receives as much as it holds (never more).
class FixedBlock {
public:
    FixedBlock(SoundBlock* block, std::vector<int16_t>& scratch)
        : m_block(block)
    {
        if (block->capacity >= SoundBlock::kBytes) {
            m_frames = block->data;
        } else {
            scratch.resize(SoundBlock::kBytes / 2);
            m_frames = scratch.data();
        }
    }
    FixedBlock(const FixedBlock&) = delete;
    FixedBlock& operator=(const FixedBlock&) = delete;
    ~FixedBlock()
    {
        if (m_frames != m_block->data && m_block->capacity > 0)
            std::memcpy(m_block->data, m_frames, size_t(m_block->capacity));
        m_block->used = m_block->capacity < SoundBlock::kBytes ? m_block->capacity : SoundBlock::kBytes;
    }

    int16_t* frames() const { return m_frames; }
    void setSilent(bool silent)
    {
        m_block->flags
            = silent ? m_block->flags | SoundBlock::kSilent : m_block->flags & ~uint32_t(SoundBlock::kSilent);
    }

private:
    SoundBlock* m_block;
    int16_t* m_frames;
};
