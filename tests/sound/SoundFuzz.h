#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "foundation/FCPath.h"
#include "tests/sound/SoundTestFiles.h"

// The decoders read files: each fuzz input goes to one scratch file of the
// process's own (named by extension), is opened by a decoder of the type,
// decoded for at most 64 blocks into blocks of a size the input's last byte
// picks, rewound and decoded again.
inline void fuzzDecoder(int32_t type, const uint8_t* data, size_t size, const char* name)
{
    // Removed when the fuzzer exits.
    static const struct ScratchFile {
        std::string path;
        ~ScratchFile() { FCPath::deleteFile(path.c_str()); }
    } scratch { soundtest::tempPath(name) };
    const std::string& path = scratch.path;
    if (!soundtest::writeFile(path, data, size))
        return;
    detectType(path.c_str());
    std::unique_ptr<FCWaveDecoder> decoder(createWaveDecoder(type));
    decoder->scrambleKey = size > 0 ? data[0] : 0;
    decoder->scrambleWords = 2;
    decoder->open(path.c_str(), -1);
    int32_t capacity = size > 0 && (data[size - 1] & 1) ? 1000 + data[size - 1] : SoundBlock::kBytes;
    soundtest::decodeAll(*decoder, 64, capacity);
    decoder->rewind();
    soundtest::decodeAll(*decoder, 2, SoundBlock::kBytes, SoundBlock::kDiscard);
    decoder->stopHook();
    soundtest::decodeAll(*decoder, 2);
}
