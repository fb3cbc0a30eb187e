#include "layer/FCAnimatedControl.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "support/WindowTestSupport_win32.h"

namespace {

// A plain top-level window to hold the control.
class ParentWindow {
public:
    ParentWindow()
    {
        handle = CreateWindowExW(0, L"STATIC", L"animation parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 120,
            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~ParentWindow() { DestroyWindow(handle); }
    HWND handle;
};

TEST(AnimatedControl, PlaysTheHostsClickWaitClip)
{
    ParentWindow parent;
    FCAnimatedControl control(reinterpret_cast<FCWindowHandle>(parent.handle));
    EXPECT_EQ(control.kind(), 7);
    EXPECT_EQ(slotOf(&FCAnimatedControl::createControl), 98);
    ASSERT_EQ(control.createControl(WS_CHILD), 1);
    HWND window = reinterpret_cast<HWND>(control.handle);
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    EXPECT_STREQ(className, L"SysAnimate32");
    EXPECT_FALSE(IsWindowVisible(window)); // shown by the first play

    // By name and by number: the same clip.
    EXPECT_TRUE(control.open("_def_hitret_anime"));
    EXPECT_TRUE(control.open(MAKEINTRESOURCEA(925)));
    control.play(-1, 0, 0xFFFF);
    EXPECT_TRUE(IsWindowVisible(window));
    pumpMessages();
    control.stop();
    control.close();
    EXPECT_EQ(control.opened, 0);
    // No such clip: not opened, and playing does nothing.
    EXPECT_FALSE(control.open("no such clip"));
    control.play(1, 0, 1);
}

} // namespace
