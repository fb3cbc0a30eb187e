#include "layer/FCAnimatedControl.h"

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "foundation/TextCodePage.h"

namespace {

HWND hwndOf(FCWindowHandle handle)
{
    return reinterpret_cast<HWND>(handle);
}

// The module the host's resources are in: this one, whatever executable
// loaded it.
HINSTANCE hostModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&hostModule), &module);
    return module;
}

} // namespace

FCAnimatedControl::FCAnimatedControl(FCWindowHandle parentWindow)
    : FCWindow(parentWindow)
    , controlStyle(0)
    , opened(0)
    , firstPlay(0)
{
}

FCAnimatedControl::~FCAnimatedControl()
{
    close();
}

int32_t FCAnimatedControl::kind() const
{
    return kKind;
}

const char* FCAnimatedControl::windowTitle()
{
    return "FCAnimatedControl";
}

uint32_t FCAnimatedControl::style()
{
    return controlStyle;
}

int32_t FCAnimatedControl::initialX()
{
    return CW_USEDEFAULT;
}

int32_t FCAnimatedControl::initialY()
{
    return CW_USEDEFAULT;
}

int32_t FCAnimatedControl::initialWidth()
{
    return CW_USEDEFAULT;
}

int32_t FCAnimatedControl::initialHeight()
{
    return CW_USEDEFAULT;
}

int32_t FCAnimatedControl::showCommand()
{
    return SW_HIDE;
}

int32_t FCAnimatedControl::createControl(uint32_t extraStyle)
{
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls { sizeof(controls), ICC_ANIMATE_CLASS };
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)registered;
    controlStyle |= extraStyle;
    createWithClass("SysAnimate32");
    return isLive() ? 1 : 0;
}

bool FCAnimatedControl::open(const char* resource)
{
    if (!isLive())
        return false;
    HWND window = hwndOf(handle);
    const WPARAM module = reinterpret_cast<WPARAM>(hostModule());
    SendMessageW(window, ACM_OPENW, module, 0);
    if (!resource) {
        opened = 0;
        return false;
    }
    LRESULT result;
    if (IS_INTRESOURCE(resource)) {
        result = SendMessageW(window, ACM_OPENW, module, reinterpret_cast<LPARAM>(resource));
    } else {
        const std::wstring name = toWide(resource);
        result = SendMessageW(window, ACM_OPENW, module, reinterpret_cast<LPARAM>(name.c_str()));
    }
    opened = result ? 1 : 0;
    firstPlay = opened;
    return opened != 0;
}

void FCAnimatedControl::play(int32_t repeatCount, int32_t firstFrame, int32_t lastFrame)
{
    if (!opened || !isLive())
        return;
    if (firstPlay) {
        ShowWindow(hwndOf(handle), SW_SHOW);
        firstPlay = 0;
    }
    SendMessageW(hwndOf(handle), ACM_PLAY, WPARAM(repeatCount),
        LPARAM((uint32_t(lastFrame) & 0xFFFF) << 16 | (uint32_t(firstFrame) & 0xFFFF)));
}

void FCAnimatedControl::stop()
{
    if (isLive())
        SendMessageW(hwndOf(handle), ACM_STOP, 0, 0);
}

void FCAnimatedControl::close()
{
    if (opened && isLive())
        SendMessageW(hwndOf(handle), ACM_OPENW, 0, 0);
    opened = 0;
}
