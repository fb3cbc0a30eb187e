#pragma once

#include <cstdint>

#include "foundation/FCGeometry.h"
#include "foundation/FCString.h"
#include "foundation/LumivexApi.h"
#include "startup/StartupSettings.h"
#include "window/FCWindow.h"

struct FCDisplayRecord;
class FCScenarioView;

// The game's top-level window: registered as the class name followed by
// ".wndclass", titled with the game's title, its client area the view. It
// carries the host's menu from the language module and makes the scenario
// view as its child; it closes once the scenario has ended.
class LUMIVEX_API FCMainWindow : public FCWindow {
public:
    // A second instance's scene-jump request.
    static constexpr uint32_t kMessageSecondInstance = 0x8006;
    // Window options.
    enum WindowOption : uint32_t { kDeveloperSizes = 1, kWindowConfiguration = 4 };
    // The menu resource of the language modules.
    static constexpr uint32_t kMenuResource = 100;
    // The information dialog of the language modules.
    static constexpr uint16_t kInformationDialog = 200;
    // Menu commands besides the window sizes (40010 to 40021).
    enum Command : uint32_t { kCommandExit = 40001, kCommandInformation = 40002, kCommandGameSize = 40009 };

    // Reads the start argument (option C or a plain argument) and the user
    // folder (option U over the ini's) from the command line, and expands
    // "%LocalData%" and "%AppData%" in the folder.
    FCMainWindow(HINSTANCE__* instance, const char* commandLine, int32_t showCommandValue,
        const StartupSettings& startupSettings);
    ~FCMainWindow() override;

    // Loads the language module and makes it the resource module; false when
    // it could not be loaded (resources then come from the executable).
    bool loadLanguageModule();
    // The view size and the screen aspect of the configuration file.
    void applyViewSettings();
    void fillDisplayRecord(FCDisplayRecord& record) const;
    // Resizes the window so that its client area has that size.
    void setClientSize(int32_t width, int32_t height);

    const char* className() override;
    const char* windowTitle() override;
    HICON__* classIcon() override;
    HICON__* classSmallIcon() override;
    HBRUSH__* classBrush() override;
    int32_t initialX() override;
    int32_t initialY() override;
    int32_t initialWidth() override;
    int32_t initialHeight() override;
    HMENU__* menuHandle() override;
    int32_t showCommand() override;
    void onCreated() override;
    int32_t onClose() override;
    FCLResult onDestroy(FCWParam wParam, FCLParam lParam) override;
    FCLResult onCommand(FCWParam wParam, FCLParam lParam) override;
    FCLResult onAppMessage(uint32_t message, FCWParam wParam, FCLParam lParam) override;

    const StartupSettings& settings;
    FCString registeredClass;
    FCString startArgument;
    FCString userFolder;
    FCString configPath;
    FCString sceneName;
    HINSTANCE__* languageModule;
    int32_t viewWidth;
    int32_t viewHeight;
    FCRect viewRect;
    WindowConfiguration windowConfiguration;
    uint32_t windowOptions;
    int32_t initialShowCommand;
    FCScenarioView* view;

private:
    void frameSize(int32_t& width, int32_t& height);
    tagRECT initialFrame();
    void takeSceneName();
};
