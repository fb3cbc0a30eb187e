#pragma once

#include <cstddef>
#include <cstdint>

#include "image/SurfaceLoad.h"

namespace JpegReader {

// Decodes a whole JPEG held in memory into the target (blue, green, red, 0;
// rows bottom-up, no alpha plane). 1 when the target took the picture, 0
// when it is left as it was (corrupt data, or a stated size the file cannot
// justify).
LUMIVEX_API int32_t decode(const uint8_t* data, size_t size, SurfaceLoad::Target& target);

// The frame header's width, height and component count, read by libjpeg
// without decoding; false when libjpeg cannot read a header.
LUMIVEX_API bool readHeader(const uint8_t* data, size_t size, uint32_t& width, uint32_t& height, int32_t& components);

} // namespace JpegReader
