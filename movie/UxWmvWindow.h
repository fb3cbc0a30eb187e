#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"
#include "window/FCChildWindow.h"

struct IGraphBuilder;
struct IMediaControl;
struct IMediaEventEx;
struct IVideoWindow;
struct IBasicVideo;
struct IBasicAudio;

// A child window that plays any file DirectShow can render and tells its
// parent, once per play, that the movie completed (WM_GRAPHNOTIFY 1) or was
// skipped by a click (2).
class LUMIVEX_API UxWmvWindow : public FCChildWindow {
public:
    static constexpr int32_t kKind = 21;
    static constexpr uint32_t kMessageGraphNotify = 0x8009;
    static constexpr uint32_t kNotifyComplete = 1;
    static constexpr uint32_t kNotifyAborted = 2;

    enum State : int32_t { kStopped = 0, kPlaying = 2, kClosed = 3 };
    enum Error : int32_t {
        kErrorNone = 0,
        kErrorNoCom = 1,
        kErrorNoGraph = 2,
        kErrorCannotRender = 3,
        kErrorOutOfMemory = 4,
        kErrorOther = 5,
    };

    UxWmvWindow(FCWindowHandle parentWindow, int32_t x, int32_t y, int32_t width, int32_t height, int32_t clipWidth,
        int32_t clipHeight);
    ~UxWmvWindow() override;

    void setSkipDelay(uint32_t milliseconds);
    // Plays the file at volume 0..256; the flag is unused. Returns error.
    int32_t play(const char* fileName, int32_t flag, int32_t volume);
    void stop();

    int32_t kind() const override;
    const char* className() override;
    uint32_t style() override;
    FCLResult onAppMessage(uint32_t message, FCWParam wParam, FCLParam lParam) override;
    FCLResult onLButtonDown(FCWParam wParam, FCLParam lParam) override;

    int32_t state;
    int32_t m_volume;
    uint8_t audioOnly;
    uint8_t comReady;
    uint8_t graphRunning;
    int32_t m_clipWidth;
    int32_t m_clipHeight;
    int32_t error;
    IGraphBuilder* graph;
    IMediaControl* control;
    IMediaEventEx* events;
    IVideoWindow* videoWindow;
    IBasicVideo* basicVideo;
    IBasicAudio* basicAudio;
    uint32_t skipDelayMs;
    uint32_t startTime;
    int32_t notified;

private:
    bool openAndRun(const char* fileName);
    void initVideoWindow();
    void closeGraph();
};
