#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <random>

#include "layer/FCLayerViewport.h"
#include "support/GameFolder.h"
#include "support/RunningGame_win32.h"
#include "surface/FCVSurface.h"
#include "surface/PixelBlend.h"

// A layer viewport in a real window owned by a window thread of its own,
// driven from the test's thread as a scenario thread drives it. Pictures are
// checked on the screen: the captured client area against a picture the
// test builds pixel by pixel from the layers' rules and the blend kernels.
namespace {

constexpr int32_t kWidth = 160, kHeight = 120;

// A thread running a function (this runtime has no std::thread).
class Thread {
public:
    explicit Thread(std::function<void()> body)
        : function(std::move(body))
        , handle(CreateThread(nullptr, 0, run, this, 0, nullptr))
    {
    }
    ~Thread() { join(); }
    bool joinable() const { return handle != nullptr; }
    void join()
    {
        if (!handle)
            return;
        WaitForSingleObject(handle, INFINITE);
        CloseHandle(handle);
        handle = nullptr;
    }

private:
    static DWORD WINAPI run(void* self)
    {
        static_cast<Thread*>(self)->function();
        return 0;
    }
    std::function<void()> function;
    HANDLE handle;
};

LRESULT CALLBACK parentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

class ViewportWindow {
public:
    ViewportWindow()
    {
        thread = std::make_unique<Thread>([this] { run(); });
        while (!ready.load())
            Sleep(1);
    }
    ~ViewportWindow() { close(); }

    // Closes the windows from their own thread and ends it.
    void close()
    {
        if (!thread || !thread->joinable())
            return;
        SendMessageW(parent, WM_CLOSE, 0, 0);
        PostThreadMessageW(threadId, WM_QUIT, 0, 0);
        thread->join();
        delete viewport;
        viewport = nullptr;
    }

    // Runs f on the window thread and waits for it.
    void onWindowThread(std::function<void()> f)
    {
        job = &f;
        SendMessageW(parent, WM_APP, 0, 0);
    }

    FCVSurface24 capture()
    {
        FCVSurface24 shot(kWidth, kHeight);
        shot.capture(viewport->handle, 1);
        return shot;
    }

    FCLayerViewport* viewport = nullptr;
    HWND parent = nullptr;

private:
    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_APP) {
            auto* self = reinterpret_cast<ViewportWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
            (*self->job)();
            return 0;
        }
        return parentProc(window, message, wParam, lParam);
    }

    void run()
    {
        threadId = GetCurrentThreadId();
        WNDCLASSW wc {};
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"LumivexLayerTestParent";
        RegisterClassW(&wc);
        parent = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 30, 30, kWidth, kHeight,
            nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(parent, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        viewport = new FCLayerViewport(parent, 0, 0, kWidth, kHeight);
        viewport->createAndShow(SW_SHOW);
        UpdateWindow(parent);
        ready = true;
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    std::unique_ptr<Thread> thread;
    std::atomic<DWORD> threadId { 0 };
    std::atomic<bool> ready { false };
    std::function<void()>* job = nullptr;
};

uint32_t colourOf(const uint8_t* pixel)
{
    return pixel[0] << 16 | pixel[1] << 8 | pixel[2];
}

void setColour(uint8_t* pixel, uint32_t colour)
{
    pixel[0] = static_cast<uint8_t>(colour >> 16);
    pixel[1] = static_cast<uint8_t>(colour >> 8);
    pixel[2] = static_cast<uint8_t>(colour);
    pixel[3] = 0;
}

// A 24-bit layer of the size filled by a pattern of its own.
FCLayerSurface* makeLayer(FCLayerViewport& viewport, int32_t number, int32_t w, int32_t h, int32_t x, int32_t y,
    int32_t level, int32_t priority, uint32_t seed, int32_t key = -2)
{
    FCLayerSurface* layer
        = viewport.createLayer(number, w, h, 0, 0, w, h, x, y, w, h, 0, 0, key, level, priority, 0x80);
    if (!layer)
        return nullptr;
    std::mt19937 random(seed);
    FCVSurface24* image = layer->image.surface24();
    for (int32_t py = 0; py < h; ++py)
        for (int32_t px = 0; px < w; ++px)
            setColour(image->pixelAt(px, py), random() & 0xFFFFFF);
    return layer;
}

void addAlpha(FCLayerSurface& layer, uint32_t seed)
{
    std::mt19937 random(seed);
    FCVSurface24* image = layer.image.surface24();
    image->createAlpha(255);
    for (int32_t y = 0; y < image->height(); ++y)
        for (int32_t x = 0; x < image->width(); ++x)
            *image->alpha->pixel(x, y) = static_cast<uint8_t>(random() % 3 == 0 ? 0 : random());
}

// The expected picture, one pixel at a time.
struct Picture {
    uint8_t pixels[kHeight][kWidth][4] {};

    // Draws a layer by the rules: the display rectangle shows the image from
    // the source position (wrapping at the tile when asked), keyed pixels
    // skipped, the rest blended at the level through alpha and mask.
    void draw(const FCLayerSurface& layer, const FCVSurface* mask = nullptr)
    {
        const FCVSurface24& image = *layer.image.surface24();
        for (int32_t y = std::max(0, layer.display.top); y < std::min(kHeight, layer.display.bottom); ++y)
            for (int32_t x = std::max(0, layer.display.left); x < std::min(kWidth, layer.display.right); ++x) {
                int32_t sx = layer.source.left + (x - layer.display.left);
                int32_t sy = layer.source.top + (y - layer.display.top);
                if (layer.scroll.flags & 1)
                    sx = ((sx % layer.tileWidth) + layer.tileWidth) % layer.tileWidth;
                if (layer.scroll.flags & 2)
                    sy = ((sy % layer.tileHeight) + layer.tileHeight) % layer.tileHeight;
                if (sx < 0 || sy < 0 || sx >= image.width() || sy >= image.height())
                    continue;
                const uint8_t* s = image.pixelAt(sx, sy);
                if (layer.colourKey != -2 && colourOf(s) == static_cast<uint32_t>(layer.colourKey))
                    continue;
                const uint8_t* a = image.hasAlpha() ? image.alpha->pixel(sx, sy) : nullptr;
                if (mask)
                    PixelBlend::blendMask(pixels[y][x], 4, s, 4, a, 1, mask->pixel(x, y), 1, 1, 1, layer.level);
                else if (a)
                    PixelBlend::scalar::blendAlpha(
                        pixels[y][x], 4, s, 4, a, 1, 1, 1, PixelBlend::levelOpacity(layer.level));
                else
                    PixelBlend::scalar::blendConstant(pixels[y][x], 4, s, 4, 1, 1, layer.level);
            }
    }

    void fromBackground(const FCVSurface24& background, int32_t ox, int32_t oy)
    {
        for (int32_t y = 0; y < kHeight; ++y)
            for (int32_t x = 0; x < kWidth; ++x)
                std::memcpy(pixels[y][x], background.pixelAt(x + ox, y + oy), 4);
    }
};

// The first differing pixel, or "" when the screen shows the picture.
std::string compare(const FCVSurface24& shot, const Picture& expected)
{
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x)
            if (shot.pixel(x, y) != colourOf(expected.pixels[y][x]))
                return "at " + std::to_string(x) + "," + std::to_string(y) + " screen "
                    + std::to_string(shot.pixel(x, y)) + " expected " + std::to_string(colourOf(expected.pixels[y][x]));
    return "";
}

bool sameShot(const FCVSurface24& a, const FCVSurface24& b)
{
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return false;
    return true;
}

FCVSurface24 patternBackground()
{
    FCVSurface24 background(kWidth + 20, kHeight + 20);
    for (int32_t y = 0; y < background.height(); ++y)
        for (int32_t x = 0; x < background.width(); ++x)
            setColour(background.pixelAt(x, y), (x * 5) << 16 | (y * 7 & 0xFF) << 8 | ((x ^ y) & 0xFF));
    return background;
}

} // namespace

TEST(LayerViewport, ScreenShowsLayersByPriorityWithLevelsKeysMasksLinksAndWrapAround)
{
    ViewportWindow window;
    FCLayerViewport& viewport = *window.viewport;
    ASSERT_TRUE(viewport.isLive());
    EXPECT_EQ(viewport.kind(), 14);
    FCVSurface24 background = patternBackground();

    viewport.holdDisplay();
    viewport.setBackground(&background, 10, 5);
    // The mask covers layer 9 only; its values run 0..255 across the picture.
    auto* mask = new FCVSurface(kWidth, kHeight);
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x)
            *mask->pixel(x, y) = static_cast<uint8_t>(x * 255 / (kWidth - 1));
    viewport.setMask(0, mask, 9, 9);

    FCLayerSurface* opaque = makeLayer(viewport, 3, 60, 40, 20, 10, 16, -1, 1);
    FCLayerSurface* alpha = makeLayer(viewport, 5, 50, 50, 50, 30, 11, -1, 2);
    addAlpha(*alpha, 3);
    // Priority 1 puts layer 7 under layer 3 although its number is higher.
    FCLayerSurface* keyed = makeLayer(viewport, 7, 40, 30, 5, 5, 13, 1, 4, 0x00123456);
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 40; ++x)
            if ((x + y) % 3 == 0)
                setColour(keyed->image.surface24()->pixelAt(x, y), 0x00123456);
    FCLayerSurface* masked = makeLayer(viewport, 9, 100, 30, 40, 80, 16, -1, 5);
    // Layer 11 is drawn right after layer 3, which links it; layer 4 shares
    // layer 3's opacity changes.
    FCLayerSurface* linked = makeLayer(viewport, 11, 30, 30, 120, 5, 9, -1, 6);
    viewport.linkLayer(3, 11, FCLayerLink::kDrawTogether);
    // A wrapping layer scrolled so that all four pieces show.
    FCLayerSurface* wrapping = makeLayer(viewport, 12, 40, 30, 100, 60, 12, 0, 7);
    wrapping->scroll.flags = 3;
    wrapping->source = FCRect(-25, 47, 15, 77);
    ASSERT_TRUE(opaque && alpha && keyed && masked && linked && wrapping);
    EXPECT_EQ(masked->maskIndex, 0);
    EXPECT_EQ(opaque->maskIndex, -1);
    for (int32_t number : { 3, 5, 7, 9, 11, 12 })
        viewport.showLayer(number, 255, -1);
    FCVSurface24 before = window.capture();
    viewport.update(FCRect(0, 0, kWidth, kHeight), 1);
    // Held: nothing reached the screen yet.
    EXPECT_TRUE(sameShot(window.capture(), before));
    viewport.releaseDisplay(1);

    Picture expected;
    expected.fromBackground(background, 10, 5);
    expected.draw(*wrapping); // priority 0
    expected.draw(*keyed); // priority 1
    expected.draw(*opaque);
    expected.draw(*linked);
    expected.draw(*alpha);
    expected.draw(*masked, mask);
    EXPECT_EQ(compare(window.capture(), expected), "");

    // Linked opacity, then a partial update among the rest.
    viewport.linkLayer(3, 5, FCLayerLink::kSameOpacity);
    viewport.setOpacity(3, 6);
    EXPECT_EQ(alpha->level, 6);
    viewport.updateLayer(3, 1);
    viewport.update(FCRect(40, 20, 110, 90), 1);
    Picture changed;
    changed.fromBackground(background, 10, 5);
    changed.draw(*wrapping);
    changed.draw(*keyed);
    changed.draw(*opaque);
    changed.draw(*linked);
    changed.draw(*alpha);
    changed.draw(*masked, mask);
    EXPECT_EQ(compare(window.capture(), changed), "");
}

TEST(LayerViewport, FullScreenOpaqueTopLayerIsTheBaseUnlessKeyed)
{
    ViewportWindow window;
    FCLayerViewport& viewport = *window.viewport;
    FCVSurface24 background = patternBackground();
    viewport.setBackground(&background, 0, 0);
    FCLayerSurface* below = makeLayer(viewport, 1, 50, 50, 0, 0, 16, -1, 11);
    FCLayerSurface* top = makeLayer(viewport, 2, kWidth, kHeight, 0, 0, 16, -1, 12);
    viewport.showLayer(1, 255, -1);
    viewport.showLayer(2, 255, -1);
    viewport.updateLayer(-1, 1);
    EXPECT_EQ(viewport.baseLayer, 2);
    Picture expected;
    expected.draw(*top);
    EXPECT_EQ(compare(window.capture(), expected), "");

    // The same layer with a colour key shows what lies under its keyed pixels.
    top = makeLayer(viewport, 2, kWidth, kHeight, 0, 0, 16, -1, 12, 0x00FF00FF);
    for (int32_t x = 0; x < kWidth; ++x)
        setColour(top->image.surface24()->pixelAt(x, 7), 0x00FF00FF);
    viewport.showLayer(2, 255, -1);
    viewport.updateLayer(-1, 1);
    EXPECT_EQ(viewport.baseLayer, -1);
    expected.fromBackground(background, 0, 0);
    expected.draw(*below);
    expected.draw(*top);
    EXPECT_EQ(compare(window.capture(), expected), "");
}

TEST(LayerViewport, CreatingReplacesAndSortsDeletingShowsWhatWasUnder)
{
    ViewportWindow window;
    FCLayerViewport& viewport = *window.viewport;
    makeLayer(viewport, 4, 10, 10, 0, 0, 16, 10, 1);
    makeLayer(viewport, 2, 10, 10, 0, 0, 16, -1, 2);
    makeLayer(viewport, 4, 10, 10, 0, 0, 16, 1, 3);
    std::vector<int32_t> order;
    auto* node = viewport.layerList.head();
    for (int32_t i = 0; i < viewport.layerList.count; ++i, node = node->next)
        order.push_back(node->item->number);
    EXPECT_EQ(order, (std::vector<int32_t> { 4, 2 }));
    EXPECT_EQ(viewport.layer(2)->priority, 2);

    viewport.showLayer(2, 255, -1);
    viewport.updateLayer(2, 1);
    viewport.deleteLayer(2, 1);
    EXPECT_EQ(viewport.layer(2), nullptr);
    EXPECT_FALSE(viewport.allocation.test(2));
    // Layer 4 was never shown; with no background the picture is black.
    EXPECT_EQ(compare(window.capture(), Picture {}), "");
}

TEST(LayerViewport, BadInputIsIgnored)
{
    ViewportWindow window;
    FCLayerViewport& viewport = *window.viewport;
    FCLayerSurface* layer = makeLayer(viewport, 1, 20, 20, 5, 5, 16, -1, 1);
    viewport.showLayer(1, 255, -1);
    viewport.updateLayer(-1, 1);
    Picture expected;
    expected.draw(*layer);

    EXPECT_EQ(viewport.createLayer(224, 8, 8, 0, 0, 8, 8, 0, 0, 8, 8, 0, 0, -2, 16, -1, 0x80), nullptr);
    EXPECT_EQ(viewport.createLayer(-3, 8, 8, 0, 0, 8, 8, 0, 0, 8, 8, 0, 0, -2, 16, -1, 0x80), nullptr);
    EXPECT_EQ(viewport.createLayer(6, 8, 8, 0, 0, 0x7FFFFFFF, 8, 0, 0, 8, 8, 0, 0, -2, 16, -1, 0x80), nullptr);
    for (int32_t number : { 224, 1000, -7, 50 /* free */ }) {
        viewport.showLayer(number, 10, 16);
        viewport.setOpacity(number, 3);
        viewport.fadeLayer(number, 0, 16, 1, 1);
        viewport.presentLayer(number, 40);
        viewport.deleteLayer(number, 1);
        viewport.moveLayer(number, 3, 3, 1);
    }
    viewport.setOpacity(1, 17);
    viewport.setOpacity(1, -1);
    viewport.fadeLayer(1, 16, 0, 0, 1);
    viewport.fadeLayer(1, 16, 17, 1, 1);
    EXPECT_EQ(layer->level, 16);
    viewport.update(FCRect(50, 50, 10, 10), 1);
    viewport.update(FCRect(5, 5, 5, 5), 1);
    viewport.transition(FCRect(30, 30, 30, 90), 40);
    viewport.update(FCRect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX), 1);
    viewport.transition(FCRect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX), 10);
    viewport.setMask(8, new FCVSurface(4, 4), 0, 223);
    EXPECT_EQ(compare(window.capture(), expected), "");
}

TEST(LayerViewport, EveryEffectEndsOnTheWholeNewPicture)
{
    ViewportWindow window;
    FCLayerViewport& viewport = *window.viewport;
    FCVSurface24 background = patternBackground();
    viewport.setBackground(&background, 3, 3);
    FCLayerSurface* layer = makeLayer(viewport, 8, 70, 50, 30, 20, 16, -1, 9);
    viewport.updateLayer(-1, 1);
    for (int32_t effect : { 0, 9, 10, 20, 23, 26, 31, 36, 38, 45, 49, 50, 52, 60 }) {
        viewport.hideLayer(8, 1);
        viewport.showLayer(8, effect, 16);
        EXPECT_EQ(layer->transform, nullptr);
        Picture expected;
        expected.fromBackground(background, 3, 3);
        expected.draw(*layer);
        EXPECT_EQ(compare(window.capture(), expected), "") << "effect " << effect;
    }
}

TEST(LayerViewport, StormOfOperationsWhileTheWindowIsRepaintedResizedAndClosed)
{
    ViewportWindow window;
    FCLayerViewport& viewport = *window.viewport;
    std::atomic<bool> done { false };
    std::atomic<int32_t> progress { 0 };
    Thread scenario([&] {
        std::mt19937 random(20261211);
        auto pick = [&](int32_t low, int32_t high) {
            return static_cast<int32_t>(random() % static_cast<uint32_t>(high - low + 1)) + low;
        };
        for (int32_t i = 0; i < 4000; ++i) {
            const int32_t number = pick(-2, 230);
            switch (pick(0, 9)) {
            case 0:
                makeLayer(viewport, number, pick(1, 90), pick(1, 90), pick(-50, 200), pick(-50, 150), pick(-3, 20),
                    pick(-5, 50), i, pick(0, 1) ? -2 : 0);
                break;
            case 1:
                viewport.deleteLayer(number, pick(0, 1));
                break;
            case 2:
                viewport.showLayer(number, 255, pick(-1, 17));
                break;
            case 3:
                viewport.hideLayer(number, 1);
                break;
            case 4:
                viewport.setOpacity(number, pick(-1, 17));
                break;
            case 5:
                viewport.moveLayer(number, pick(-100, 300), pick(-100, 300), 1);
                break;
            case 6:
                viewport.update(FCRect(pick(-50, 200), pick(-50, 200), pick(-50, 300), pick(-50, 300)), 1);
                break;
            case 7:
                viewport.linkLayer(number, pick(0, 223), static_cast<uint32_t>(pick(0, 3)));
                break;
            case 8:
                if (pick(0, 1))
                    viewport.holdDisplay();
                else
                    viewport.releaseDisplay(1);
                break;
            default:
                viewport.updateLayer(number, 1);
                break;
            }
            progress = i;
        }
        done = true;
    });
    std::mt19937 random(7);
    const int32_t closeAt = 1000 + static_cast<int32_t>(random() % 2000);
    bool closed = false;
    while (!done.load()) {
        HWND child = reinterpret_cast<HWND>(viewport.handle);
        if (!closed && progress.load() >= closeAt) {
            window.onWindowThread([&] { DestroyWindow(reinterpret_cast<HWND>(viewport.handle)); });
            closed = true;
        } else if (child) {
            SetWindowPos(child, nullptr, 0, 0, 40 + random() % 160, 30 + random() % 120,
                SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
            RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        }
        Sleep(1);
    }
    scenario.join();
    EXPECT_TRUE(closed);
    EXPECT_FALSE(viewport.isLive());
    window.close();
}

// A scenario module asks the window thread for a viewport (kind 14), fills
// it from the scenario thread and the game's window shows the picture.
TEST(LayerViewport, ScenarioModuleGetsAViewportThroughAWindowRequest)
{
    GameFolder folder;
    folder.writeFile(L"Lumivex.ini",
        "[setting]\r\nCLASS=" + testClassName()
            + "\r\nTITLE=Lumivex Test\r\n[release]\r\nscenario=layers.dll\r\nentry=layerViewport\r\n");
    RunningGame game(folder);
    HWND picture = game.tracedWindow("viewport");
    ASSERT_NE(picture, nullptr) << game.describe();
    wchar_t className[32] {};
    GetClassNameW(picture, className, 32);
    EXPECT_STREQ(className, L"FCViewport24");
    // The module captured its window once the fade had ended: the layer was
    // centred by its tile size, (160 - 80) / 2 and (120 - 60) / 2, red over
    // the green background.
    EXPECT_NE(game.describe().find("pixels 255 255 65280 65280\n"), std::string::npos) << game.describe();
}
