#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/lvtool/PictureFiles.h"

// Reads a PAM file (P7, MAXVAL 255, DEPTH 1 to 4) held in memory into a
// picture; false with a reason for anything else, however its header lies.
bool readPamBytes(const uint8_t* data, size_t size, ToolPicture& picture, std::string& reason);
