#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "foundation/FCHeap.h"
#include "image/FCMcg.h"
#include "image/ImageProbe.h"
#include "image/SurfaceLoad.h"
#include "surface/FCDib.h"

// A plain MCG from memory into a DIB and on into a surface's pixels, as the
// DIB loader and the surface take it. Pictures above a megapixel are skipped
// to keep the runs fast.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    uint32_t w = 0, h = 0;
    if (size >= 36)
        std::memcpy(&w, data + 28, 4), std::memcpy(&h, data + 32, 4);
    if (uint64_t(w) * h > (1u << 20))
        return 0;
    size_t packedBytes = 0;
    uint8_t* packed = FCMcg::decode(data, size, &packedBytes);
    FCDib dib;
    if (packed && packedToDib(packed, packedBytes, dib) && SurfaceLoad::dibAccepted(dib)) {
        std::vector<uint8_t> pixels(size_t(dib.width()) * size_t(std::abs(dib.height())) * 4);
        SurfaceLoad::dibToPixels32(dib, pixels.data());
    }
    FCHeap::release(packed);
    return 0;
}
