#pragma once

#include <cstddef>
#include <cstdint>

#include "image/SurfaceLoad.h"

namespace PngReader {

// Decodes a whole PNG held in memory into the target: blue, green, red and
// a zero fourth byte, rows bottom-up, and an alpha plane when the PNG
// carries alpha (a tRNS chunk included) unless withAlpha is false. 1 when
// the target took the picture, 0 when it is left as it was (bad signature,
// corrupt data, or a stated size the file cannot justify).
LUMIVEX_API int32_t decode(const uint8_t* data, size_t size, bool withAlpha, SurfaceLoad::Target& target);

} // namespace PngReader
