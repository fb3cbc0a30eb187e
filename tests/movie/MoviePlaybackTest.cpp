#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "movie/FCAviView.h"
#include "movie/MovieVolume.h"
#include "movie/UxWmvWindow.h"
#include "support/ContractLayout.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(contract32(sizeof(FCChildWindow), 0x58));
static_assert(contract32(offsetof(FCAviView, mci), 0x58));
static_assert(contract32(offsetof(FCAviView, doneEvent), 0x64));
static_assert(contract32(offsetof(FCAviView, fileName), 0x6C));
static_assert(contract32(offsetof(FCAviView, x), 0x78));
static_assert(contract32(offsetof(FCAviView, y), 0x7C));
static_assert(ascending({ offsetof(FCAviView, mci), offsetof(FCAviView, doneEvent), offsetof(FCAviView, fileName),
    offsetof(FCAviView, x), offsetof(FCAviView, y) }));
static_assert(contract32(offsetof(UxWmvWindow, state), 0x58));
static_assert(contract32(offsetof(UxWmvWindow, m_volume), 0x5C));
static_assert(contract32(offsetof(UxWmvWindow, audioOnly), 0x60));
static_assert(contract32(offsetof(UxWmvWindow, comReady), 0x61));
static_assert(contract32(offsetof(UxWmvWindow, graphRunning), 0x62));
static_assert(contract32(offsetof(UxWmvWindow, m_clipWidth), 0x64));
static_assert(contract32(offsetof(UxWmvWindow, error), 0x6C));
static_assert(contract32(offsetof(UxWmvWindow, graph), 0x70));
static_assert(contract32(offsetof(UxWmvWindow, basicAudio), 0x84));
static_assert(contract32(offsetof(UxWmvWindow, skipDelayMs), 0x88));
static_assert(contract32(offsetof(UxWmvWindow, notified), 0x90));
static_assert(ascending({ offsetof(UxWmvWindow, state), offsetof(UxWmvWindow, m_volume),
    offsetof(UxWmvWindow, audioOnly), offsetof(UxWmvWindow, comReady), offsetof(UxWmvWindow, graphRunning),
    offsetof(UxWmvWindow, m_clipWidth), offsetof(UxWmvWindow, m_clipHeight), offsetof(UxWmvWindow, error),
    offsetof(UxWmvWindow, graph), offsetof(UxWmvWindow, control), offsetof(UxWmvWindow, events),
    offsetof(UxWmvWindow, videoWindow), offsetof(UxWmvWindow, basicVideo), offsetof(UxWmvWindow, basicAudio),
    offsetof(UxWmvWindow, skipDelayMs), offsetof(UxWmvWindow, startTime), offsetof(UxWmvWindow, notified) }));
#pragma GCC diagnostic pop

namespace {

static_assert(movieVolumeToDirectShow(256) == 0);
static_assert(movieVolumeToDirectShow(128) == -5000);
static_assert(movieVolumeToDirectShow(0) == -10000);
static_assert(movieVolumeToDirectShow(1) == -9960);

// The test movies the build makes with ffmpeg (tests/CMakeLists.txt).
std::string movieFile(const char* name)
{
    return std::string(LUMIVEX_TEST_MOVIES) + name;
}

// A top-level window that records the messages its movie child sends it.
struct ParentRecorder {
    std::vector<std::pair<UINT, WPARAM>> received;
    HWND window = nullptr;

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<ParentRecorder*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && (message == UxWmvWindow::kMessageGraphNotify || (message == WM_KEYDOWN && wParam == VK_SPACE)))
            self->received.emplace_back(message, wParam);
        return DefWindowProcW(window, message, wParam, lParam);
    }

    ParentRecorder()
    {
        WNDCLASSW windowClass {};
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"MovieTestParent";
        RegisterClassW(&windowClass);
        window = CreateWindowExW(0, L"MovieTestParent", L"movie test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ParentRecorder() { DestroyWindow(window); }

    int count(UINT message, WPARAM wParam) const
    {
        int n = 0;
        for (const auto& [m, w] : received)
            n += m == message && w == wParam;
        return n;
    }

    // Runs messages until the predicate holds or the time runs out.
    template <typename Done> bool pumpUntil(Done done, DWORD milliseconds)
    {
        DWORD start = GetTickCount();
        while (!done() && GetTickCount() - start < milliseconds) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        return done();
    }
    void pumpFor(DWORD milliseconds)
    {
        pumpUntil([] { return false; }, milliseconds);
    }
};

std::unique_ptr<UxWmvWindow> makePlayer(ParentRecorder& parent)
{
    auto player = std::make_unique<UxWmvWindow>(parent.window, 0, 0, 320, 240, 320, 240);
    EXPECT_TRUE(player->create());
    return player;
}

TEST(MoviePlayback, DirectShowMoviePlaysToItsEndAndTellsTheParentOnce)
{
    ParentRecorder parent;
    auto player = makePlayer(parent);
    ASSERT_EQ(player->play(movieFile("pattern.avi").c_str(), 0, 256), UxWmvWindow::kErrorNone);
    EXPECT_EQ(player->state, UxWmvWindow::kPlaying);
    EXPECT_EQ(player->m_volume, 0);
    ASSERT_TRUE(parent.pumpUntil([&] { return !parent.received.empty(); }, 20000));
    parent.pumpFor(500);
    EXPECT_EQ(parent.count(UxWmvWindow::kMessageGraphNotify, UxWmvWindow::kNotifyComplete), 1);
    EXPECT_EQ(parent.received.size(), 1u);
    player->stop();
    EXPECT_EQ(player->state, UxWmvWindow::kClosed);
}

TEST(MoviePlayback, AClickSkipsOnlyAfterTheSkipDelay)
{
    ParentRecorder parent;
    auto player = makePlayer(parent);
    player->setSkipDelay(800);
    ASSERT_EQ(player->play(movieFile("pattern.avi").c_str(), 0, 128), UxWmvWindow::kErrorNone);
    EXPECT_EQ(player->m_volume, -5000);
    SendMessageW(player->handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    parent.pumpFor(200);
    EXPECT_TRUE(parent.received.empty());
    parent.pumpFor(800);
    SendMessageW(player->handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(player->handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    parent.pumpFor(200);
    EXPECT_EQ(parent.count(UxWmvWindow::kMessageGraphNotify, UxWmvWindow::kNotifyAborted), 1);
    EXPECT_EQ(parent.received.size(), 1u);
}

TEST(MoviePlayback, FilesThatCannotPlayGiveTheirErrorAtOnce)
{
    struct Case {
        const char* name;
        int32_t error;
    } cases[] = {
        // The system answers "file not found", which has no text of its own.
        { "missing.avi", UxWmvWindow::kErrorOther },
        { "garbage.avi", UxWmvWindow::kErrorCannotRender },
    };
    ParentRecorder parent;
    auto player = makePlayer(parent);
    for (const Case& c : cases) {
        DWORD start = GetTickCount();
        EXPECT_EQ(player->play(movieFile(c.name).c_str(), 0, 256), c.error) << c.name;
        EXPECT_LT(GetTickCount() - start, 10000u) << c.name;
        EXPECT_EQ(player->state, UxWmvWindow::kClosed) << c.name;
        EXPECT_EQ(player->notified, 1) << c.name;
    }
    parent.pumpFor(300);
    EXPECT_TRUE(parent.received.empty());
}

TEST(MoviePlayback, DestroyingDuringPlaybackReturns)
{
    ParentRecorder parent;
    auto player = makePlayer(parent);
    ASSERT_EQ(player->play(movieFile("pattern.avi").c_str(), 0, 256), UxWmvWindow::kErrorNone);
    parent.pumpFor(300);
    player.reset();
    parent.pumpFor(300);
    EXPECT_TRUE(parent.received.empty());
}

TEST(MoviePlayback, MciViewPlaysAnAviAndPressesSpaceOnTheParent)
{
    ParentRecorder parent;
    auto view = std::make_unique<FCAviView>(parent.window, 0, 0, 320, 240);
    view->setFile(movieFile("pattern.avi").c_str());
    ASSERT_TRUE(view->create());
    ASSERT_NE(view->mci.mciWindow, nullptr);
    view->doneEvent.reset();
    view->sendMessage(FCAviView::kMessagePlay, 0, 0);
    ASSERT_TRUE(parent.pumpUntil([&] { return !parent.received.empty(); }, 20000));
    EXPECT_EQ(parent.count(WM_KEYDOWN, VK_SPACE), 1);
    EXPECT_EQ(view->doneEvent.wait(0), 0u);
    view->sendMessage(FCAviView::kMessageStop, 0, 0);
}

} // namespace
