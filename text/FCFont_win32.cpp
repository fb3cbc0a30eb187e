#include "text/FCFont.h"

#include <cstring>
#include <string>

#include "foundation/TextCodePage.h"

const char kDefaultFaceName[] = "\x82l\x82r \x83S\x83V\x83"
                                "b\x83N";

FCFont::FCFont()
    : description {}
    , font(nullptr)
{
}

FCFont::~FCFont()
{
    if (font)
        DeleteObject(font);
}

void FCFont::setHeight(int32_t height)
{
    // -|INT32_MIN| does not exist; the largest height there is stands in.
    description.lfHeight = height == INT32_MIN ? -INT32_MAX : height < 0 ? height : -height;
}

bool FCFont::setFaceName(const char* face)
{
    if (!face || std::strlen(face) >= sizeof(description.lfFaceName))
        return false;
    std::strcpy(description.lfFaceName, face);
    return true;
}

HFONT FCFont::create()
{
    LOGFONTW wide {};
    std::memcpy(&wide, &description, offsetof(LOGFONTA, lfFaceName));
    const std::wstring face = toWide(std::string(description.lfFaceName, strnlen(description.lfFaceName, 32)).c_str());
    wcsncpy(wide.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    HFONT made = CreateFontIndirectW(&wide);
    if (font)
        DeleteObject(font);
    font = made;
    return font;
}
