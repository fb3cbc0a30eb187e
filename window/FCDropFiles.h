#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"
#include "window/WindowTypes.h"

// The files of one drag-and-drop, read one after another. Names come in the
// game's code page.
class LUMIVEX_API FCDropFiles {
public:
    FCDropFiles();
    FCDropFiles(const FCDropFiles&) = delete;
    FCDropFiles& operator=(const FCDropFiles&) = delete;
    virtual ~FCDropFiles();

    // Finishes the previous drop, then takes this one's count and point.
    void attach(HDROP__* drop);
    // The next file name, or null when all are read. A name too long for
    // the buffer is passed over rather than cut into another path.
    const char* next();
    // Releases the drop once.
    void finish();

    HDROP__* drop;
    uint32_t count;
    uint32_t nextIndex;
    char fileName[300];
    int32_t x;
    int32_t y;
};
