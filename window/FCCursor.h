#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"
#include "window/WindowTypes.h"

// A mouse cursor. Only a cursor loaded from a file belongs to this object and
// is destroyed when it is replaced or when the object goes; system and
// resource cursors are shared and never destroyed.
class LUMIVEX_API FCCursor {
public:
    FCCursor();
    FCCursor(const FCCursor&) = delete;
    FCCursor& operator=(const FCCursor&) = delete;
    virtual ~FCCursor();

    // A value below 0x10000 is a resource number (0 is the arrow; the system
    // cursor numbers load the system's own), any other value a resource name
    // in the resource module and then a cursor file path. When nothing loads
    // the cursor becomes the system arrow. 1 when the asked cursor loaded.
    int32_t load(const char* nameOrNumber);
    // Takes another cursor's handle as a shared one.
    void adopt(const FCCursor& other);
    // Drops the handle (destroying it when it came from a file).
    void release();

    int32_t fromFile;
    HICON__* handle;
};
