#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "support/SoundCapture_win32.h"
#include "support/TestFiles_win32.h"

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

// The window's client area as the screen shows it (0x00RRGGBB, top-down).
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool operator==(const Capture& other) const { return pixels == other.pixels; }
};

// Read through the top-level window's own device context, which holds what
// its children (the video window among them) drew.
Capture captureClient(HWND window)
{
    Capture capture;
    RECT client;
    GetClientRect(window, &client);
    HWND top = GetAncestor(window, GA_ROOT);
    POINT origin = { 0, 0 };
    MapWindowPoints(window, top, &origin, 1);
    capture.width = client.right;
    capture.height = client.bottom;
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC screen = GetDC(top);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, capture.width, capture.height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto* first = static_cast<const uint32_t*>(bits);
    capture.pixels.assign(first, first + static_cast<size_t>(capture.width) * capture.height);
    for (uint32_t& pixel : capture.pixels)
        pixel &= 0xFFFFFF;
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(top, screen);
    return capture;
}

bool closeTo(uint32_t pixel, uint32_t colour)
{
    for (int shift : { 0, 8, 16 }) {
        if (std::abs(static_cast<int>((pixel >> shift) & 0xFF) - static_cast<int>((colour >> shift) & 0xFF)) > 24)
            return false;
    }
    return true;
}

std::string readAll(const std::wstring& path)
{
    std::string bytes;
    HANDLE file = CreateFileW(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD got = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    bytes.resize(got);
    CloseHandle(file);
    return bytes;
}

// The power of one frequency in the samples (Goertzel).
double powerAt(const std::vector<double>& samples, double frequency, double rate)
{
    double coefficient = 2 * std::cos(2 * std::numbers::pi * frequency / rate);
    double previous = 0, beforePrevious = 0;
    for (double sample : samples) {
        double current = sample + coefficient * previous - beforePrevious;
        beforePrevious = previous;
        previous = current;
    }
    return previous * previous + beforePrevious * beforePrevious - coefficient * previous * beforePrevious;
}

} // namespace

namespace {

TEST(MoviePlayback, TheWindowShowsTheMovieMovingAndKeepsItsLastFrame)
{
    ParentRecorder parent;
    auto player = makePlayer(parent);
    ShowWindow(player->handle, SW_SHOWNA);
    ASSERT_EQ(player->play(movieFile("pattern.avi").c_str(), 0, 256), UxWmvWindow::kErrorNone);
    ASSERT_EQ(player->audioOnly, 0);
    std::vector<Capture> moments;
    for (int i = 0; i < 3; ++i) {
        parent.pumpFor(600);
        moments.push_back(captureClient(player->handle));
    }
    ASSERT_TRUE(parent.pumpUntil([&] { return !parent.received.empty(); }, 20000));
    parent.pumpFor(300);
    Capture last = captureClient(player->handle);
    // Wine's default video renderer draws through Direct3D surfaces; where
    // it cannot make them (a display without GL) it draws nothing at all, and
    // there is no picture to compare.
    bool blank = true;
    for (const Capture& moment : moments)
        blank = blank && std::all_of(moment.pixels.begin(), moment.pixels.end(), [&](uint32_t pixel) {
            return pixel == moment.pixels[0];
        });
    if (blank)
        GTEST_SKIP() << "the video renderer drew nothing into the window";
    ASSERT_EQ(last.width, 320);
    // The pattern moves: no two moments show the same picture.
    EXPECT_FALSE(moments[0] == moments[1]);
    EXPECT_FALSE(moments[1] == moments[2]);
    // The movie's last frame alone has two flat halves, and it stays.
    for (int y : { 20, 120, 220 }) {
        for (int x : { 10, 80, 150 })
            EXPECT_TRUE(closeTo(last.at(x, y), 0xE02040))
                << std::hex << last.at(x, y) << " at " << std::dec << x << "," << y;
        for (int x : { 170, 240, 310 })
            EXPECT_TRUE(closeTo(last.at(x, y), 0x20C0E0))
                << std::hex << last.at(x, y) << " at " << std::dec << x << "," << y;
    }
    for (const Capture& moment : moments)
        EXPECT_FALSE(closeTo(moment.at(40, 120), 0xE02040) && closeTo(moment.at(280, 120), 0x20C0E0));
}

// The movie's 440 Hz tone reaches the sound output. ALSA's capture file
// holds what Wine's mixer writes, in bursts with silence between them (the
// file device keeps no time); the mixer writes 32-bit float stereo at 48000
// Hz or 16-bit stereo at 44100 Hz, whichever format the device was opened
// in first, so the tone is looked for under both readings of the bytes.
struct ToneSearch {
    size_t heard = 0;
    double tone = 0;
    double others = 0;
};

ToneSearch searchTone(const std::string& bytes, bool floats)
{
    const size_t frameBytes = floats ? 8 : 4;
    const double rate = floats ? 48000 : 44100;
    std::vector<std::vector<double>> bursts(1);
    for (size_t i = 0; i + frameBytes <= bytes.size(); i += frameBytes) {
        double left;
        if (floats) {
            float value;
            std::memcpy(&value, bytes.data() + i, 4);
            left = value;
        } else {
            int16_t value;
            std::memcpy(&value, bytes.data() + i, 2);
            left = value / 32768.0;
        }
        if (left != 0)
            bursts.back().push_back(left);
        else if (!bursts.back().empty())
            bursts.emplace_back();
    }
    ToneSearch found;
    for (const std::vector<double>& burst : bursts) {
        if (burst.size() < 2000)
            continue;
        found.heard += burst.size();
        found.tone += powerAt(burst, 440, rate);
        for (double other : { 220.0, 330.0, 550.0, 660.0, 880.0 })
            found.others += powerAt(burst, other, rate);
    }
    return found;
}

TEST(MoviePlayback, TheMoviesSoundReachesTheOutput)
{
    std::wstring capture = soundCaptureFile();
    if (capture.empty())
        GTEST_SKIP() << "LUMIVEX_SOUND_CAPTURE is not set";
    DeleteFileW(capture.c_str());
    {
        ParentRecorder parent;
        auto player = makePlayer(parent);
        ASSERT_EQ(player->play(movieFile("pattern.avi").c_str(), 0, 256), UxWmvWindow::kErrorNone);
        ASSERT_TRUE(parent.pumpUntil([&] { return !parent.received.empty(); }, 20000));
        parent.pumpFor(300);
    }
    const std::string bytes = readAll(capture);
    bool toneFound = false;
    std::string seen;
    for (bool floats : { true, false }) {
        const ToneSearch found = searchTone(bytes, floats);
        // Bursts cut off mid-wave spread some of the tone's power to its
        // neighbours; what is left at 440 Hz still dwarfs them.
        toneFound = toneFound || (found.heard > 24000 && found.tone > 20 * found.others);
        seen += (floats ? " float: heard " : " int16: heard ") + std::to_string(found.heard) + " tone "
            + std::to_string(found.tone) + " others " + std::to_string(found.others);
    }
    EXPECT_TRUE(toneFound) << bytes.size() << " bytes captured;" << seen;
}

} // namespace

// MPEG-1 (a system stream with MPEG-1 video and Layer II sound) plays through
// GStreamer's libav and "bad" plug-ins (scripts/install-packages.sh).
TEST(MoviePlayback, AnMpeg1MoviePlaysToItsEnd)
{
    ParentRecorder parent;
    auto player = makePlayer(parent);
    ASSERT_EQ(player->play(movieFile("pattern.mpg").c_str(), 0, 256), UxWmvWindow::kErrorNone);
    EXPECT_EQ(player->audioOnly, 0);
    ASSERT_TRUE(parent.pumpUntil([&] { return !parent.received.empty(); }, 20000));
    parent.pumpFor(300);
    EXPECT_EQ(parent.count(UxWmvWindow::kMessageGraphNotify, UxWmvWindow::kNotifyComplete), 1);
    EXPECT_EQ(parent.received.size(), 1u);
}
