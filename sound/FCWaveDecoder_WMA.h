#pragma once

#include "sound/FCWaveDecoder.h"

// ASF/WMA files are recognised but not decoded: open refuses them and the
// sound ends at once, without a message.
class LUMIVEX_API FCWaveDecoder_WMA : public FCWaveDecoder {
public:
    ~FCWaveDecoder_WMA() override;
    bool open(const char* name, int32_t argument) override;
    void rewind() override;
    bool decode(SoundBlock* block) override;
    int32_t getType() override { return kWma; }
};
