#pragma once

#include <cstdint>

#include "foundation/FCString.h"
#include "foundation/FCSync.h"
#include "foundation/LumivexApi.h"
#include "window/FCChildWindow.h"

struct HINSTANCE__;

// The Video for Windows MCI window a view plays through.
struct FCMciWindowHolder {
    FCWindowHandle mciWindow;
    FCWindowHandle owner;
    HINSTANCE__* instance;
};

// A child window hosting an MCI window that plays an AVI file. Its user
// messages play and stop; the end of the movie (any MCI notification) is
// told to the parent as a space key and through doneEvent.
class LUMIVEX_API FCAviView : public FCChildWindow {
public:
    static constexpr int32_t kKind = 37;
    static constexpr uint32_t kMessagePlay = 0x730;
    static constexpr uint32_t kMessageStop = 0x731;

    FCAviView(FCWindowHandle parentWindow, int32_t x, int32_t y, int32_t width, int32_t height);
    ~FCAviView() override;

    // Stores the movie's full path name.
    void setFile(const char* name);

    int32_t kind() const override;
    const char* className() override;
    void onCreated() override;
    FCLResult onUserMessage(uint32_t message, FCWParam wParam, FCLParam lParam) override;
    FCLResult onMciNotify(FCWParam wParam, FCLParam lParam) override;

    FCMciWindowHolder mci;
    FCEvent doneEvent;
    FCString fileName;
    int32_t x;
    int32_t y;

private:
    void closeMciWindow();
};
