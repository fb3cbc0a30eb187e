#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/UxMcgReader.h"
#include "surface/FCDib.h"

// A keyed MCG from memory, decoded the surface's way and the DIB loader's
// (key 0x1234 from the caller when the file leaves it open). Pictures above
// a megapixel are only read, to keep the runs fast.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    UxMcgReader reader;
    if (!reader.read(data, size, 0x1234) || !reader.decodable()
        || int64_t(reader.header().width) * reader.header().height > (1 << 20))
        return 0;
    std::vector<uint8_t> pixels(size_t(reader.header().width) * size_t(reader.header().height) * 4);
    std::vector<uint8_t> alpha(size_t(reader.maskStride()) * size_t(reader.header().height));
    reader.decodeColourTo32(pixels.data(), 0);
    reader.decodeMaskToAlpha(alpha.data(), reader.maskStride());
    FCDib colour, mask;
    reader.decodeColour(colour, 0);
    reader.decodeMask(mask);
    return 0;
}
