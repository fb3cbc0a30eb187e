#include "tools/lvtool/DltCommand.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "image/UxDeltaDecoder.h"
#include "tools/lvtool/PictureFiles.h"
#include "tools/lvtool/ToolSupport.h"

namespace {

int dltUsage()
{
    std::fprintf(stderr, "usage: lvtool dlt frames IN OUTDIR\n");
    return 2;
}

// Every frame in file order (no loops, no repeats) as a 24-bit surface of
// the animation's size shows it, written OUTDIR/frame0000.pam on.
int frames(const char* in, const char* folder)
{
    std::vector<uint8_t> bytes;
    if (!readWholeFile(in, bytes))
        return fail(in, "cannot read the file");
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
        return fail(folder, "not a folder");
    UxDeltaDecoder decoder;
    decoder.loadMemory(bytes.data(), bytes.size(), 0, 0, in);
    if (!decoder.sizeJustified())
        return fail(in, "not a DLT animation lvtool can decode");
    ToolPicture picture;
    picture.width = static_cast<int32_t>(decoder.header().width);
    picture.height = static_cast<int32_t>(decoder.header().height);
    picture.pixels.assign(size_t(picture.width) * size_t(picture.height) * 4, 0);
    DeltaCanvas canvas;
    canvas.pixels = picture.pixels.data();
    canvas.width = picture.width;
    canvas.height = picture.height;
    canvas.stride = ptrdiff_t(picture.width) * 4;
    for (int frame = 0; !decoder.finished();) {
        const UxDeltaDecoder::Step step = decoder.step(canvas);
        if (step != UxDeltaDecoder::Step::Frame && step != UxDeltaDecoder::Step::KeyFrame)
            continue;
        char name[32];
        std::snprintf(name, sizeof name, "frame%04d.pam", frame++);
        const std::string out = (std::filesystem::path(folder) / name).string();
        if (!writePam(out.c_str(), picture))
            return fail(out.c_str(), "cannot write the file");
    }
    return 0;
}

} // namespace

int runDltCommand(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[0], "frames") == 0) {
        try {
            return frames(argv[1], argv[2]);
        } catch (...) {
            return fail(argv[1], currentFailure().c_str());
        }
    }
    return dltUsage();
}
