#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/UxMessageBox.h"
#include "image/UxDeltaDecoder.h"

namespace {
int answerQuietly(const UxMessageBox::Request&, void*)
{
    return UxMessageBox::kIdOk;
}
} // namespace

// A DLT from memory: its first picture into a surface of its size (up to a
// megapixel, with an alpha plane), then playback steps, looping and
// repeating, until the end or a bounded number of steps; and the same into
// a small 8-bit surface at an offset.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = (UxMessageBox::intercept(answerQuietly, nullptr), true);
    (void)quiet;
    UxDeltaDecoder decoder;
    decoder.loadMemory(data, size, 0, 0, nullptr);
    if (!decoder.sizeJustified() || int64_t(decoder.header().width) * decoder.header().height > (1 << 20))
        return 0;
    const int32_t w = static_cast<int32_t>(decoder.header().width), h = static_cast<int32_t>(decoder.header().height);
    std::vector<uint8_t> pixels(size_t(w) * size_t(h) * 4), alpha(size_t((w + 3) & ~3) * size_t(h));
    DeltaCanvas canvas;
    canvas.pixels = pixels.data();
    canvas.width = w;
    canvas.height = h;
    canvas.stride = ptrdiff_t(w) * 4;
    canvas.alpha = alpha.data();
    canvas.alphaStride = (w + 3) & ~3;
    decoder.decodeFirstPicture(canvas);
    decoder.rewind();
    for (int i = 0; i < 64 && !decoder.finished(); ++i)
        decoder.step(canvas, true);

    UxDeltaDecoder placed;
    placed.loadMemory(data, size, -3, 5, "x\\y.dlt");
    std::vector<uint8_t> indices(17 * 9);
    DeltaCanvas small;
    small.pixels = indices.data();
    small.width = 17;
    small.height = 9;
    small.stride = 17;
    small.bytesPerPixel = 1;
    for (int i = 0; i < 64 && !placed.finished(); ++i)
        placed.step(small, true);
    return 0;
}
