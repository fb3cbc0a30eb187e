#include "window/FCCursor.h"

#include <windows.h>

#include "window/FCResourceModule.h"
#include "window/detail/WideResourceName.h"

namespace {

bool isSystemCursorNumber(uintptr_t number)
{
    return (number >= 32512 && number <= 32516) || (number >= 32640 && number <= 32646) || number == 32648
        || number == 32650;
}

HCURSOR systemArrow()
{
    return LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
}

} // namespace

FCCursor::FCCursor()
    : fromFile(0)
    , handle(nullptr)
{
}

FCCursor::~FCCursor()
{
    release();
}

void FCCursor::release()
{
    if (fromFile && handle)
        DestroyCursor(handle);
    fromFile = 0;
    handle = nullptr;
}

void FCCursor::adopt(const FCCursor& other)
{
    if (&other == this)
        return;
    release();
    handle = other.handle;
}

int32_t FCCursor::load(const char* nameOrNumber)
{
    HCURSOR loaded = nullptr;
    bool loadedFromFile = false;
    if (WideResourceName::isNumber(nameOrNumber)) {
        uintptr_t number = reinterpret_cast<uintptr_t>(nameOrNumber);
        if (number == 0)
            number = 32512;
        HINSTANCE module = isSystemCursorNumber(number) ? nullptr : FCResourceModule::get();
        loaded = LoadCursorW(module, MAKEINTRESOURCEW(number));
    } else {
        WideResourceName name(nameOrNumber);
        loaded = LoadCursorW(FCResourceModule::get(), name.get());
        if (!loaded) {
            loaded = LoadCursorFromFileW(name.get());
            loadedFromFile = loaded != nullptr;
        }
    }
    release();
    if (!loaded) {
        handle = systemArrow();
        return 0;
    }
    handle = loaded;
    fromFile = loadedFromFile ? 1 : 0;
    return 1;
}
