// Transitions in a real window: parts of a new picture painted over an old
// one by the window's own paint handler, read back from the screen.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "layer/TransitionGeometry.h"
#include "layer/WindowTransitionScreen_win32.h"
#include "scenario/FCRandom.h"
#include "support/WindowTestSupport_win32.h"

namespace {
constexpr int kWidth = 160, kHeight = 96;

using Picture = std::vector<uint32_t>; // 0x00RRGGBB, rows top-down

Picture makePicture(bool fresh)
{
    Picture picture(size_t(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            picture[size_t(y) * kWidth + x] = fresh
                ? uint32_t(x * 255 / (kWidth - 1)) << 16 | uint32_t(y * 255 / (kHeight - 1)) << 8 | 0x80u
                : 0x204060u;
    return picture;
}

BITMAPINFO pictureInfo()
{
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// A window that paints the old or the new picture, whichever is current,
// into its update region and never erases.
class PictureWindow {
public:
    PictureWindow()
        : oldPicture(makePicture(false))
        , newPicture(makePicture(true))
    {
        WNDCLASSW windowClass {};
        windowClass.lpfnWndProc = &PictureWindow::procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"LumivexTransitionPicture";
        RegisterClassW(&windowClass);
        window = CreateWindowExW(WS_EX_TOPMOST, windowClass.lpszClassName, L"transition", WS_POPUP | WS_VISIBLE, 40, 40,
            kWidth, kHeight, nullptr, nullptr, windowClass.hInstance, this);
        showOld();
    }
    ~PictureWindow() { DestroyWindow(window); }

    // The old picture on screen, the new one painted from now on.
    void showOld()
    {
        current = &oldPicture;
        InvalidateRect(window, nullptr, FALSE);
        UpdateWindow(window);
        pumpMessages();
        current = &newPicture;
    }

    // The client area as it is on screen.
    Picture capture() const
    {
        BITMAPINFO info = pictureInfo();
        HDC windowDc = GetDC(window);
        HDC memoryDc = CreateCompatibleDC(windowDc);
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ previous = SelectObject(memoryDc, bitmap);
        BitBlt(memoryDc, 0, 0, kWidth, kHeight, windowDc, 0, 0, SRCCOPY);
        GdiFlush();
        Picture out(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + size_t(kWidth) * kHeight);
        for (uint32_t& pixel : out)
            pixel &= 0xFFFFFFu;
        SelectObject(memoryDc, previous);
        DeleteObject(bitmap);
        DeleteDC(memoryDc);
        ReleaseDC(window, windowDc);
        return out;
    }

    // The picture expected where `shown` (pixel by pixel) has the new one.
    template <typename Shown> Picture expected(Shown shown) const
    {
        Picture out(oldPicture);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (shown(x, y))
                    out[size_t(y) * kWidth + x] = newPicture[size_t(y) * kWidth + x];
        return out;
    }

    HWND window;
    Picture oldPicture, newPicture;
    const Picture* current = nullptr;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE)
            SetWindowLongPtrW(window, GWLP_USERDATA,
                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<PictureWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_ERASEBKGND)
            return 1;
        if (message == WM_PAINT && self && self->current) {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            BITMAPINFO info = pictureInfo();
            SetDIBitsToDevice(
                dc, 0, 0, kWidth, kHeight, 0, 0, 0, kHeight, self->current->data(), &info, DIB_RGB_COLORS);
            EndPaint(window, &paint);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
};

// Reads the screen at every step's wait, and spends no time waiting.
class CapturingScreen : public WindowTransitionScreen {
public:
    explicit CapturingScreen(PictureWindow& picture)
        : WindowTransitionScreen(picture.window)
        , picture(picture)
    {
    }
    void waitUntil(uint32_t) override { steps.push_back(picture.capture()); }
    void sleep(uint32_t) override { }

    PictureWindow& picture;
    std::vector<Picture> steps;
};

bool inside(int x, int y, const FCRect& r)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

int mismatches(const Picture& a, const Picture& b)
{
    int count = 0;
    for (size_t i = 0; i < a.size(); ++i)
        count += a[i] != b[i];
    return count;
}
} // namespace

// After each step the screen shows the new picture exactly where that step
// and the earlier ones redrew, and the old one elsewhere.
TEST(TransitionWindow, WipeStepsShowTheirParts)
{
    PictureWindow picture;
    const FCRect area(8, 4, 152, 92);
    for (int32_t effect : { 10, 14, 18, 20, 23 }) {
        picture.showOld();
        CapturingScreen screen(picture);
        FCRandom random;
        runScreenTransition(screen, area, effect, random);
        ASSERT_EQ(screen.steps.size(), 8u) << effect;
        std::vector<FCRect> shown, parts;
        for (int32_t step = 1; step <= 8; ++step) {
            wipeParts(effect, area, step, parts);
            shown.insert(shown.end(), parts.begin(), parts.end());
            const Picture expected = picture.expected([&shown](int x, int y) {
                for (const FCRect& part : shown)
                    if (inside(x, y, part))
                        return true;
                return false;
            });
            EXPECT_EQ(mismatches(screen.steps[size_t(step) - 1], expected), 0) << effect << " step " << step;
        }
    }
}

// Whatever the effect, the area ends on the new picture and nothing outside changes.
TEST(TransitionWindow, EveryEffectEndsOnTheNewPicture)
{
    PictureWindow picture;
    const FCRect area(12, 8, 148, 90);
    const Picture expected = picture.expected([&area](int x, int y) { return inside(x, y, area); });
    std::vector<int32_t> effects;
    for (int32_t effect = 10; effect <= 23; ++effect)
        effects.push_back(effect);
    for (int32_t effect = 38; effect <= 52; ++effect)
        effects.push_back(effect);
    GetAsyncKeyState(VK_RBUTTON); // forget a press from before
    for (int32_t effect : effects) {
        picture.showOld();
        CapturingScreen screen(picture);
        FCRandom random;
        runScreenTransition(screen, area, effect, random);
        EXPECT_EQ(mismatches(picture.capture(), expected), 0) << effect;
    }
}

namespace {
// A slow reveal: every cell takes a few milliseconds.
class SlowScreen : public WindowTransitionScreen {
public:
    using WindowTransitionScreen::WindowTransitionScreen;
    void redraw(const FCRect& part) override
    {
        WindowTransitionScreen::redraw(part);
        ++cells;
        Sleep(3);
    }
    int cells = 0;
};

// Runs a Linux program from under Wine; false when it could not start.
bool runUnixProgram(const std::wstring& commandLine)
{
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}
} // namespace

// A right click given through the X server while cells of 4 pixels are
// being revealed (960 of them, 40 a row) stops the reveal after a row.
TEST(TransitionWindow, ARealRightClickStopsAReveal)
{
    PictureWindow picture;
    const FCRect area(0, 0, kWidth, kHeight);
    POINT centre { kWidth / 2, kHeight / 2 };
    ClientToScreen(picture.window, &centre);
    GetAsyncKeyState(VK_RBUTTON); // forget a press from before
    SlowScreen screen(picture.window);
    ASSERT_TRUE(runUnixProgram(L"Z:\\usr\\bin\\xdotool mousemove " + std::to_wstring(centre.x) + L" "
        + std::to_wstring(centre.y) + L" click 3"));
    FCRandom random;
    runScreenTransition(screen, area, 43, random);
    EXPECT_LT(screen.cells, 960);
    EXPECT_EQ(screen.cells % 40, 0);
    pumpMessages();
    EXPECT_EQ(mismatches(picture.capture(), picture.newPicture), 0);
}
