#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/UxCompressLzssOrg.h"

// The first byte picks the method (low two bits) and the output bound (1 to
// 64 KiB); the rest is the stream. The output is sized exactly, so any write
// past the bound is caught.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static auto* codec = new UxCompressLzssOrg;
    if (size < 1)
        return 0;
    std::vector<uint8_t> output(static_cast<size_t>((data[0] >> 2) + 1) * 1024);
    codec->decompress(
        output.data(), static_cast<int32_t>(output.size()), data + 1, static_cast<int32_t>(size - 1), data[0] & 3);
    return 0;
}
