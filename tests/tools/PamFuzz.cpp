#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/lvtool/PamFile.h"

// lvtool's PAM reader over any bytes: it refuses or reads, within bounds.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ToolPicture picture;
    std::string reason;
    readPamBytes(data, size, picture, reason);
    return 0;
}
