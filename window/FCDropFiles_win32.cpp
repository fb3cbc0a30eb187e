#include "window/FCDropFiles.h"

#include <windows.h>

#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/TextCodePage.h"

FCDropFiles::FCDropFiles()
    : drop(nullptr)
    , count(0)
    , nextIndex(0)
    , fileName {}
    , x(0)
    , y(0)
{
}

FCDropFiles::~FCDropFiles()
{
    finish();
}

void FCDropFiles::attach(HDROP__* newDrop)
{
    finish();
    if (!newDrop)
        return;
    drop = newDrop;
    count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    nextIndex = 0;
    POINT point = {};
    DragQueryPoint(drop, &point);
    x = point.x;
    y = point.y;
}

const char* FCDropFiles::next()
{
    while (drop && nextIndex < count) {
        UINT index = nextIndex++;
        UINT length = DragQueryFileW(drop, index, nullptr, 0);
        std::vector<wchar_t> wide(length + 1);
        if (DragQueryFileW(drop, index, wide.data(), length + 1) != length)
            continue;
        std::string name = fromWide(wide.data());
        if (name.empty() || name.size() >= sizeof(fileName))
            continue;
        std::memcpy(fileName, name.c_str(), name.size() + 1);
        return fileName;
    }
    return nullptr;
}

void FCDropFiles::finish()
{
    if (drop)
        DragFinish(drop);
    drop = nullptr;
    count = 0;
    nextIndex = 0;
}
