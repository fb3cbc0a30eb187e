#include "startup/FCScenarioView.h"

#include <windows.h>

#include "foundation/Diagnostic.h"
#include "movie/UxWmvWindow.h"
#include "scenario/FCOasys.h"
#include "startup/FCMainWindow.h"
#include "startup/UxApplicationFlags.h"

FCScenarioView::FCScenarioView(FCMainWindow* mainWindow, int32_t width, int32_t height)
    : FCChildWindow(mainWindow->handle, 0, 0, width, height)
    , owner(mainWindow)
    , manager(nullptr)
{
}

FCScenarioView::~FCScenarioView()
{
    endScenario();
}

const char* FCScenarioView::className()
{
    return "FCScenarioView";
}

const char* FCScenarioView::windowTitle()
{
    return "FCScenarioView";
}

uint32_t FCScenarioView::style()
{
    return WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
}

HBRUSH__* FCScenarioView::classBrush()
{
    return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
}

void FCScenarioView::onCreated()
{
    startScenario();
}

void FCScenarioView::startScenario()
{
    const StartupSettings& settings = owner->settings;
    int32_t editorMode = applicationFlags().editorMode();
    try {
        manager = new FCOasys(handle);
        manager->setStackKilobytes(static_cast<uint32_t>(settings.stackKilobytes));
        if (applicationFlags().noAbortCheck())
            manager->closeQuestion[0] = 0;
        manager->loadScenarioModule(settings.scenarioModule.text());
        owner->fillDisplayRecord(manager->display);
        manager->display.viewParent = this;
        if (!owner->userFolder.isEmpty())
            manager->initArgument = owner->userFolder;
        if (editorMode) {
            manager->closeQuestion[0] = 0;
            manager->display.editorMode = editorMode;
            manager->start(editorMode == 2 ? "layouter" : "_posit");
        } else {
            manager->start(settings.startEntry.text());
        }
    } catch (const Diagnostic&) {
        // The loader has shown why already; without a scenario the game ends.
        endScenario();
        PostMessageW(reinterpret_cast<HWND>(owner->handle), WM_CLOSE, 0, 0);
    }
}

void FCScenarioView::endScenario()
{
    // The manager joins both of its threads.
    delete manager;
    manager = nullptr;
}

bool FCScenarioView::running() const
{
    return manager && manager->scenarioThread.running();
}

void FCScenarioView::requestStop()
{
    if (!running())
        return;
    manager->requestStop();
}

FCLResult FCScenarioView::onUserMessage(uint32_t message, FCWParam wParam, FCLParam lParam)
{
    if (message == kMessageScenarioEnded) {
        endScenario();
        HWND mainWindow = reinterpret_cast<HWND>(owner->handle);
        DestroyWindow(reinterpret_cast<HWND>(handle));
        PostMessageW(mainWindow, WM_CLOSE, 0, 0);
        return 0;
    }
    if (message == kMessageCloseConfirmed)
        return 0;
    return FCChildWindow::onUserMessage(message, wParam, lParam);
}

FCLResult FCScenarioView::onDestroy(FCWParam wParam, FCLParam lParam)
{
    endScenario();
    return FCChildWindow::onDestroy(wParam, lParam);
}

void FCScenarioView::forwardClick(int32_t clickCode, int32_t clickWaitCode, FCLParam lParam)
{
    if (!manager || !manager->waiting || manager->exiting)
        return;
    if (manager->waitMode == 1)
        PostThreadMessageW(manager->windowThread.id, FCOasys::kMessageInput, clickWaitCode, 0);
    else
        PostThreadMessageW(manager->windowThread.id, FCOasys::kMessageInput, clickCode, lParam);
}

FCLResult FCScenarioView::onLButtonDown(FCWParam wParam, FCLParam lParam)
{
    forwardClick(FCOasys::kInputLeftClick, 13, lParam);
    return FCChildWindow::onLButtonDown(wParam, lParam);
}

FCLResult FCScenarioView::onLButtonDblClk(FCWParam wParam, FCLParam lParam)
{
    forwardClick(FCOasys::kInputLeftClick, 13, lParam);
    return FCChildWindow::onLButtonDblClk(wParam, lParam);
}

FCLResult FCScenarioView::onRButtonUp(FCWParam wParam, FCLParam lParam)
{
    forwardClick(FCOasys::kInputRightClick, 27, lParam);
    return FCChildWindow::onRButtonUp(wParam, lParam);
}

void FCScenarioView::forwardMovieEnd(int32_t data)
{
    if (manager && manager->waiting && !manager->exiting)
        PostThreadMessageW(manager->windowThread.id, FCOasys::kMessageInput, VK_SPACE, data);
}

FCLResult FCScenarioView::onAppMessage(uint32_t message, FCWParam wParam, FCLParam lParam)
{
    if (message == UxWmvWindow::kMessageGraphNotify) {
        forwardMovieEnd(static_cast<int32_t>(wParam));
        return 0;
    }
    return FCChildWindow::onAppMessage(message, wParam, lParam);
}

FCLResult FCScenarioView::onKeyDown(FCWParam wParam, FCLParam lParam)
{
    // A key the player presses has a repeat count in lParam; the space that
    // an MCI view posts at its end has none.
    if (wParam == VK_SPACE && lParam == 0)
        forwardMovieEnd(0);
    return FCChildWindow::onKeyDown(wParam, lParam);
}
