#pragma once

#include <windows.h>

#include <cstdint>

#include "foundation/LumivexApi.h"

// A font description and the handle made from it. Face names are text of
// the game's code page; the handle is made through the wide call, so the
// face resolves the same whatever the system's code page is.
class LUMIVEX_API FCFont {
public:
    FCFont();
    FCFont(const FCFont&) = delete;
    FCFont& operator=(const FCFont&) = delete;
    ~FCFont();

    // A character height in pixels (stored as -|height|, not a cell height).
    void setHeight(int32_t height);
    // Faces of 32 bytes or more are ignored (false).
    bool setFaceName(const char* face);
    // Makes the handle from the description, deleting the previous one;
    // null when the system refuses.
    HFONT create();
    HFONT handle() const { return font; }

    LOGFONTA description;
    HFONT font;
};

// "ＭＳ ゴシック" in code page 932: the print area's default face.
extern LUMIVEX_API const char kDefaultFaceName[];
