#include "tools/lvtool/SoundCommand.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "sound/FCWaveDecoder.h"
#include "sound/SoundBlock.h"
#include "tools/lvtool/ToolSupport.h"

namespace {

int soundUsage()
{
    std::fprintf(stderr,
        "usage: lvtool sound info FILE\n"
        "       lvtool sound decode FILE OUT.raw\n");
    return 2;
}

// The blocks a channel would get, one after the other, each cleared before
// its decode: 16-bit little-endian stereo at 44.1 kHz.
int decode(const char* inPath, const char* outPath)
{
    int32_t type = detectType(inPath);
    if (type == FCWaveDecoder::kUnreadable)
        return fail(inPath, "cannot read the file");
    if (type == FCWaveDecoder::kUnknown)
        return fail(inPath, "not a sound format the host plays");
    if (type == FCWaveDecoder::kWma)
        return fail(inPath, "ASF/WMA files play nothing");
    std::unique_ptr<FCWaveDecoder> decoder(createWaveDecoder(type));
    if (!decoder->open(inPath, -1))
        return fail(inPath, "cannot be decoded");
    FILE* out = std::fopen(outPath, "wb");
    if (!out)
        return fail(outPath, "cannot write the file");
    std::vector<int16_t> samples(SoundBlock::kBytes / 2);
    SoundBlock block { samples.data(), 0, 0, SoundBlock::kBytes, 0 };
    bool written = true;
    for (;;) {
        std::memset(samples.data(), 0, SoundBlock::kBytes);
        block.flags = SoundBlock::kSilent;
        block.used = block.capacity;
        if (!decoder->decode(&block))
            break;
        // The samples are little-endian on every platform this tool builds for.
        if (std::fwrite(samples.data(), 1, SoundBlock::kBytes, out) != size_t(SoundBlock::kBytes)) {
            written = false;
            break;
        }
    }
    if (std::fclose(out) != 0 || !written)
        return fail(outPath, "cannot write the file");
    return 0;
}

} // namespace

int runSoundCommand(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[0], "info") == 0) {
        std::printf("type=%d\n", detectType(argv[1]));
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[0], "decode") == 0)
        return decode(argv[1], argv[2]);
    return soundUsage();
}
