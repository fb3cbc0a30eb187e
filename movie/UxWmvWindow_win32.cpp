#include "movie/UxWmvWindow.h"

#include <windows.h>

#include <dshow.h>

#include <cstdarg>
#include <cstdio>

#include "movie/MovieVolume.h"

namespace {

// A failure line for the debugger output; the texts are UTF-8 here and
// reach the system as UTF-16.
void debugLine(const char* format, ...)
{
    char text[1024];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    wchar_t wide[1024];
    if (MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, 1024) > 0)
        OutputDebugStringW(wide);
}

struct RenderFailure {
    HRESULT result;
    const char* text;
    int32_t error;
};

constexpr RenderFailure kRenderFailures[] = {
    { static_cast<HRESULT>(0x80004003), "NULL ポインタ引数", UxWmvWindow::kErrorOther },
    { static_cast<HRESULT>(0x80004004), "操作が中止された", UxWmvWindow::kErrorOther },
    { static_cast<HRESULT>(0x80040216), "オブジェクトまたは名前が見つからなかった", UxWmvWindow::kErrorCannotRender },
    { static_cast<HRESULT>(0x80040217), "接続を確立する中間フィルタの組み合わせが見つからなかった",
        UxWmvWindow::kErrorCannotRender },
    { static_cast<HRESULT>(0x80040218), "ストリームをレンダリングするフィルタの組み合わせが見つからなかった",
        UxWmvWindow::kErrorCannotRender },
    { static_cast<HRESULT>(0x8004022F), "ファイル フォーマットが無効", UxWmvWindow::kErrorCannotRender },
    { static_cast<HRESULT>(0x80040240), "このファイルのメディアタイプが認識されない", UxWmvWindow::kErrorCannotRender },
    { static_cast<HRESULT>(0x80040241), "このファイルのソースフィルタをロードできない",
        UxWmvWindow::kErrorCannotRender },
    { static_cast<HRESULT>(0x8004025F), "フィルタグラフに存在しないオブジェクトに要求された関数を実行できない",
        UxWmvWindow::kErrorOther },
    { static_cast<HRESULT>(0x80040265), "未対応のフォーマットのため再生できません", UxWmvWindow::kErrorCannotRender },
    { static_cast<HRESULT>(0x8007000E), "メモリ不足", UxWmvWindow::kErrorOutOfMemory },
    { static_cast<HRESULT>(0x80070057), "引数が無効", UxWmvWindow::kErrorOther },
};

template <typename T> void release(T*& pointer)
{
    if (pointer) {
        pointer->Release();
        pointer = nullptr;
    }
}

} // namespace

UxWmvWindow::UxWmvWindow(FCWindowHandle parentWindow, int32_t x, int32_t y, int32_t width, int32_t height,
    int32_t clipWidth, int32_t clipHeight)
    : FCChildWindow(parentWindow, x, y, width, height)
    , state(kClosed)
    , m_volume(0)
    , audioOnly(0)
    , comReady(0)
    , graphRunning(0)
    , m_clipWidth(clipWidth)
    , m_clipHeight(clipHeight)
    , error(kErrorNone)
    , graph(nullptr)
    , control(nullptr)
    , events(nullptr)
    , videoWindow(nullptr)
    , basicVideo(nullptr)
    , basicAudio(nullptr)
    , skipDelayMs(0)
    , startTime(0)
    , notified(1)
{
    comReady = SUCCEEDED(CoInitialize(nullptr)) ? 1 : 0;
}

UxWmvWindow::~UxWmvWindow()
{
    if (state != kClosed)
        closeGraph();
    if (comReady)
        CoUninitialize();
}

int32_t UxWmvWindow::kind() const
{
    return kKind;
}

const char* UxWmvWindow::className()
{
    return "UxWmvWindow";
}

uint32_t UxWmvWindow::style()
{
    return WS_CHILD | WS_CLIPCHILDREN;
}

void UxWmvWindow::setSkipDelay(uint32_t milliseconds)
{
    skipDelayMs = milliseconds;
}

int32_t UxWmvWindow::play(const char* fileName, int32_t, int32_t volume)
{
    error = kErrorNoCom;
    if (!comReady)
        return error;
    if (state != kClosed)
        closeGraph();
    m_volume = movieVolumeToDirectShow(volume);
    if (!openAndRun(fileName ? fileName : "")) {
        closeGraph();
        return error;
    }
    notified = 0;
    return error;
}

void UxWmvWindow::stop()
{
    closeGraph();
}

bool UxWmvWindow::openAndRun(const char* fileName)
{
    wchar_t wideName[520];
    if (!MultiByteToWideChar(CP_ACP, 0, fileName, -1, wideName, 520))
        wideName[0] = 0;

    HRESULT hr = CoCreateInstance(
        CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, reinterpret_cast<void**>(&graph));
    if (FAILED(hr)) {
        graph = nullptr;
        error = kErrorNoGraph;
        debugLine("FAILED(hr=0x%x) in CoCreateInstance(CLSID_FilterGraph, NULL, CLSCTX_INPROC_SERVER, "
                  "IID_IGraphBuilder, (void **)&pGB)\n",
            static_cast<unsigned>(hr));
        return false;
    }
    // The graph exists from here: a failure must release it.
    state = kStopped;

    hr = graph->RenderFile(wideName, nullptr);
    if (FAILED(hr)) {
        const char* text = "原因不明なエラーが発生しました。";
        error = kErrorOther;
        for (const RenderFailure& failure : kRenderFailures) {
            if (failure.result == hr) {
                text = failure.text;
                error = failure.error;
                break;
            }
        }
        debugLine("RenderFile():%s\r\n", text);
        return false;
    }

    error = kErrorOther;
    struct Query {
        REFIID iid;
        void** target;
        const char* line;
    };
    const Query queries[] = {
        { IID_IMediaControl, reinterpret_cast<void**>(&control),
            "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IMediaControl, (void **)&pMC)\n" },
        { IID_IMediaEventEx, reinterpret_cast<void**>(&events),
            "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IMediaEventEx, (void **)&pME)\n" },
        { IID_IVideoWindow, reinterpret_cast<void**>(&videoWindow),
            "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IVideoWindow, (void **)&pVW)\n" },
        { IID_IBasicVideo, reinterpret_cast<void**>(&basicVideo),
            "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IBasicVideo, (void **)&pBV)\n" },
        { IID_IBasicAudio, reinterpret_cast<void**>(&basicAudio),
            "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IBasicAudio, (void **)&pBA)\n" },
    };
    for (const Query& query : queries) {
        hr = graph->QueryInterface(query.iid, query.target);
        if (FAILED(hr)) {
            *query.target = nullptr;
            debugLine(query.line, static_cast<unsigned>(hr));
            return false;
        }
    }

    if (basicAudio) {
        hr = basicAudio->put_Volume(m_volume);
        if (FAILED(hr) && hr != E_NOTIMPL) {
            debugLine("FAILED(hr=0x%x) in pBA->put_Volume(m_volume)\n", static_cast<unsigned>(hr));
            return false;
        }
    }

    HWND own = handle;
    if (videoWindow && basicVideo) {
        audioOnly = 0;
        long visible = 0;
        hr = videoWindow->get_Visible(&visible);
        if (hr == E_NOINTERFACE)
            audioOnly = 1;
        else if (FAILED(hr))
            debugLine("Failed(%08lx) : IVideoWindow::get_Visible()!\r\n", static_cast<unsigned long>(hr));
    } else {
        audioOnly = 1;
    }

    hr = events->SetNotifyWindow(reinterpret_cast<OAHWND>(own), kMessageGraphNotify, 0);
    if (FAILED(hr)) {
        debugLine(
            "FAILED(hr=0x%x) in pME->SetNotifyWindow((OAHWND)hwnd(), WM_GRAPHNOTIFY, 0)\n", static_cast<unsigned>(hr));
        return false;
    }

    if (!audioOnly) {
        hr = videoWindow->put_Owner(reinterpret_cast<OAHWND>(own));
        if (FAILED(hr)) {
            debugLine("FAILED(hr=0x%x) in pVW->put_Owner((OAHWND)hwnd())\n", static_cast<unsigned>(hr));
            return false;
        }
        hr = videoWindow->put_MessageDrain(reinterpret_cast<OAHWND>(own));
        if (FAILED(hr)) {
            debugLine("FAILED(hr=0x%x) in pVW->put_MessageDrain((OAHWND)hwnd())\n", static_cast<unsigned>(hr));
            return false;
        }
        hr = videoWindow->put_WindowStyle(WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
        if (FAILED(hr)) {
            debugLine("FAILED(hr=0x%x) in pVW->put_WindowStyle(WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN)\n",
                static_cast<unsigned>(hr));
            return false;
        }
        initVideoWindow();
    }

    hr = control->Run();
    if (FAILED(hr)) {
        debugLine("FAILED(hr=0x%x) in pMC->Run()\n", static_cast<unsigned>(hr));
        return false;
    }
    state = kPlaying;
    graphRunning = 1;
    startTime = timeGetTime();
    error = kErrorNone;
    return true;
}

void UxWmvWindow::initVideoWindow()
{
    if (!basicVideo || !videoWindow)
        return;
    long width = 0, height = 0;
    if (basicVideo->GetVideoSize(&width, &height) == E_NOINTERFACE)
        return;
    HRESULT hr = videoWindow->SetWindowPosition(0, 0, m_clipWidth, m_clipHeight);
    if (FAILED(hr))
        debugLine(
            "FAILED(hr=0x%x) in pVW->SetWindowPosition(0, 0, m_clipWidth, m_clipHeight)\n", static_cast<unsigned>(hr));
}

void UxWmvWindow::closeGraph()
{
    if (!comReady)
        return;
    if (state == kPlaying) {
        if (control)
            control->Stop();
        state = kStopped;
        audioOnly = 1;
        graphRunning = 0;
    }
    if (state == kClosed)
        return;
    if (videoWindow) {
        videoWindow->put_Visible(OAFALSE);
        videoWindow->put_Owner(0);
    }
    if (events)
        events->SetNotifyWindow(0, 0, 0);
    release(basicAudio);
    release(basicVideo);
    release(videoWindow);
    release(events);
    release(control);
    release(graph);
    state = kClosed;
}

FCLResult UxWmvWindow::onAppMessage(uint32_t message, FCWParam wParam, FCLParam lParam)
{
    if (message == kMessageGraphNotify && events) {
        long code = 0;
        LONG_PTR first = 0, second = 0;
        long ended = 0;
        // Bounded: a graph that keeps queueing events cannot hold the window thread.
        for (int guard = 0; guard < 4096 && events->GetEvent(&code, &first, &second, 0) == S_OK; ++guard) {
            events->FreeEventParams(code, first, second);
            if (code == EC_COMPLETE || code == EC_USERABORT) {
                ended = code;
                break;
            }
        }
        if (ended) {
            HWND parentWindow = handle && IsWindow(handle) ? GetParent(handle) : nullptr;
            if (parentWindow) {
                if (!notified) {
                    PostMessageW(parentWindow, kMessageGraphNotify, static_cast<WPARAM>(ended), 0);
                    notified = 1;
                }
            } else {
                closeGraph();
            }
        }
    }
    return FCChildWindow::onAppMessage(message, wParam, lParam);
}

FCLResult UxWmvWindow::onLButtonDown(FCWParam wParam, FCLParam lParam)
{
    if (handle && IsWindow(handle) && state == kPlaying && !notified && timeGetTime() - startTime > skipDelayMs) {
        HWND parentWindow = GetParent(handle);
        if (parentWindow) {
            PostMessageW(parentWindow, kMessageGraphNotify, kNotifyAborted, 0);
            notified = 1;
        }
    }
    return FCChildWindow::onLButtonDown(wParam, lParam);
}
