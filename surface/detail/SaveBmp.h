#pragma once

#include <cstdint>

#include "foundation/FCFile.h"
#include "foundation/FCPathName.h"

// The save-as-BMP slot of both surfaces: the path's extension becomes
// ".bmp", the file is created (or emptied) and handed to the surface's own
// writer. 0 when the file cannot be created.
template <typename Write> int32_t saveAsBmp(const FCPathName& path, Write write)
{
    FCPathName target(path);
    target.replaceExtension(".bmp");
    FCFile file;
    if (file.open(target.text(), FCFile::kCreateAlways, FCFile::kReadWrite, FCFile::kShareRead) != 0)
        return 0;
    int32_t result = write(file);
    file.close();
    return result;
}
