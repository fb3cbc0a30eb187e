#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"
#include "window/FCChildWindow.h"

class FCMainWindow;
class FCOasys;

// The main window's child that runs the game: once its window exists it
// makes the scenario manager and starts the scenario; when the scenario
// thread reports its end (1213) it takes the manager down, closes itself and
// asks the main window to close.
class LUMIVEX_API FCScenarioView : public FCChildWindow {
public:
    static constexpr uint32_t kMessageCloseConfirmed = 1123;
    static constexpr uint32_t kMessageScenarioEnded = 1213;

    FCScenarioView(FCMainWindow* mainWindow, int32_t width, int32_t height);
    ~FCScenarioView() override;

    const char* className() override;
    const char* windowTitle() override;
    uint32_t style() override;
    HBRUSH__* classBrush() override;
    void onCreated() override;
    FCLResult onUserMessage(uint32_t message, FCWParam wParam, FCLParam lParam) override;
    FCLResult onDestroy(FCWParam wParam, FCLParam lParam) override;
    // Clicks on the picture answer a pending input wait.
    FCLResult onLButtonDown(FCWParam wParam, FCLParam lParam) override;
    // The view's class has double clicks: a quick second press comes as
    // one, and is a click like the first.
    FCLResult onLButtonDblClk(FCWParam wParam, FCLParam lParam) override;
    FCLResult onRButtonUp(FCWParam wParam, FCLParam lParam) override;
    // The end of a movie shown in the view answers a pending input wait like
    // the space key: a DirectShow player's 0x8009 (its wParam, 1 completed or
    // 2 skipped, becomes the input data), an MCI view's posted space key.
    FCLResult onAppMessage(uint32_t message, FCWParam wParam, FCLParam lParam) override;
    FCLResult onKeyDown(FCWParam wParam, FCLParam lParam) override;

    // Whether a scenario is still running.
    bool running() const;
    // Asks a running scenario to end: a pending input wait ends with the
    // stop, and the scenario thread stops between entries.
    void requestStop();

    FCMainWindow* owner;
    FCOasys* manager;

private:
    void startScenario();
    void forwardClick(int32_t clickCode, int32_t clickWaitCode, FCLParam lParam);
    void forwardMovieEnd(int32_t data);
    void endScenario();
};
