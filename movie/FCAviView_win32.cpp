#include "movie/FCAviView.h"

#include <windows.h>

#include <vfw.h>

#include "foundation/FCPathName.h"

namespace {

// WS_CHILD | WS_VISIBLE | MCIWNDF_NOPLAYBAR | MCIWNDF_NOMENU |
// MCIWNDF_NOTIFYSIZE | MCIWNDF_NOTIFYMEDIAA.
constexpr DWORD kMciWindowStyle = 0x50000C8A;

} // namespace

FCAviView::FCAviView(FCWindowHandle parentWindow, int32_t x, int32_t y, int32_t width, int32_t height)
    : FCChildWindow(parentWindow, x, y, width, height)
    , mci { nullptr, nullptr, GetModuleHandleW(nullptr) }
    , x(0)
    , y(0)
{
    doneEvent.create(1, 1);
}

FCAviView::~FCAviView()
{
    closeMciWindow();
}

void FCAviView::setFile(const char* name)
{
    fileName = FCPathName(name ? name : "").path();
}

int32_t FCAviView::kind() const
{
    return kKind;
}

const char* FCAviView::className()
{
    return "FCAviView";
}

void FCAviView::closeMciWindow()
{
    HWND window = mci.mciWindow;
    mci.mciWindow = nullptr;
    if (!window || !IsWindow(window))
        return;
    MCIWndStop(window);
    MCIWndClose(window);
    DestroyWindow(window);
}

void FCAviView::onCreated()
{
    FCChildWindow::onCreated();
    closeMciWindow();
    mci.owner = handle;
    mci.mciWindow = MCIWndCreateA(handle, mci.instance, kMciWindowStyle, fileName.text());
    if (mci.mciWindow)
        SetWindowPos(mci.mciWindow, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

FCLResult FCAviView::onUserMessage(uint32_t message, FCWParam wParam, FCLParam lParam)
{
    if (message != kMessagePlay && message != kMessageStop)
        return FCChildWindow::onUserMessage(message, wParam, lParam);
    if (!mci.mciWindow || !IsWindow(mci.mciWindow))
        return 0;
    MCIDEVICEID device = MCIWndGetDeviceID(mci.mciWindow);
    if (message == kMessagePlay) {
        MCI_PLAY_PARMS play {};
        play.dwCallback = reinterpret_cast<DWORD_PTR>(handle);
        return mciSendCommandA(device, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play));
    }
    MCI_GENERIC_PARMS stop {};
    return mciSendCommandA(device, MCI_STOP, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&stop));
}

FCLResult FCAviView::onMciNotify(FCWParam, FCLParam)
{
    if (handle && IsWindow(handle)) {
        HWND parentWindow = GetParent(handle);
        if (parentWindow)
            PostMessageW(parentWindow, WM_KEYDOWN, VK_SPACE, 0);
    }
    doneEvent.set();
    return 0;
}
