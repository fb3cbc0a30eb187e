#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

class FCDib;
struct HINSTANCE__;

// An FCDib from a module's resources (null: the process's resource module).
// A number below 0x10000 names a bitmap resource, taken as a packed DIB, or
// failing that an "RCG" resource: "RCG ", a 32-bit size and a plain MCG
// image of that size. Anything else is a file name, loaded as a file; option
// is then the key of a keyed MCG. Windows only.
LUMIVEX_API bool loadDibResource(FCDib& dib, const char* nameOrNumber, HINSTANCE__* module, int32_t option);
