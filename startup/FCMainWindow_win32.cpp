#include "startup/FCMainWindow.h"

#include <windows.h>

#include <imm.h>

#include <shlobj.h>

#include <string>

#include "foundation/FCCmdParam.h"
#include "foundation/FCPathName.h"
#include "foundation/TextCodePage.h"
#include "scenario/FCOasys.h"
#include "startup/FCIniFile.h"
#include "startup/FCScenarioView.h"
#include "startup/UxApplicationFlags.h"
#include "startup/UxRnf.h"
#include "window/FCDialog.h"
#include "window/FCResourceModule.h"

namespace {

// A special folder with its separator, in the game's code page.
FCString specialFolder(int32_t folder)
{
    FCPathName path;
    path.setSpecialFolderWithSeparator(folder);
    return FCString(path.text());
}

// The client sizes of the window-size commands; 0 means the game's size.
struct SizePreset {
    uint32_t command;
    int32_t width;
    int32_t height;
};
constexpr SizePreset kSizePresets[] = {
    { 40013, 1920, 1200 },
    { 40014, 1680, 1050 },
    { 40015, 1440, 900 },
    { 40016, 1366, 768 },
    { 40017, 1280, 800 },
    { 40018, 1920, 1080 },
    { 40019, 1280, 720 },
    { 40020, 1440, 960 },
    { 40021, 1024, 600 },
};

// The information dialog: the game's title, version line and copyright.
class InformationDialog : public FCDialog {
public:
    InformationDialog(const StartupSettings& settings)
        : FCDialog(FCMainWindow::kInformationDialog)
        , m_settings(settings)
    {
    }
    intptr_t onMessage(uint32_t message, FCWParam wParam, FCLParam lParam) override
    {
        if (message == WM_INITDIALOG) {
            HWND dialog = reinterpret_cast<HWND>(window);
            SetDlgItemTextW(dialog, 101, toWide(m_settings.title.text()).c_str());
            SetDlgItemTextW(dialog, 102, toWide(m_settings.versionLine.text()).c_str());
            std::string copyright = m_settings.copyrightTitle.text();
            if (!m_settings.copyrightUrl.isEmpty())
                copyright += std::string("\r\n") + m_settings.copyrightUrl.text();
            if (!m_settings.copyright.isEmpty())
                copyright += std::string("\r\n") + m_settings.copyright.text();
            SetDlgItemTextW(dialog, 103, toWide(copyright.c_str()).c_str());
            place(-1, -1, 1);
        }
        return FCDialog::onMessage(message, wParam, lParam);
    }

private:
    const StartupSettings& m_settings;
};

} // namespace

FCMainWindow::FCMainWindow(
    HINSTANCE__*, const char* commandLine, int32_t showCommandValue, const StartupSettings& startupSettings)
    : FCWindow(nullptr)
    , settings(startupSettings)
    , registeredClass(startupSettings.windowClassName())
    , languageModule(nullptr)
    , viewWidth(640)
    , viewHeight(480)
    , windowOptions(0)
    , initialShowCommand(showCommandValue)
    , view(nullptr)
{
    bool folderOnCommandLine = false;
    FCCmdParam tokens(commandLine ? commandLine : "");
    FCIdString token;
    while (tokens.next(token)) {
        if (token.tag() != FCCmdParam::kOption) {
            startArgument = token;
            continue;
        }
        char letter = token.isEmpty() ? 0 : token.text()[0];
        FCIdString value;
        bool hasValue = tokens.next(value);
        if ((letter == 'C' || letter == 'c') && hasValue) {
            startArgument = value;
        } else if ((letter == 'U' || letter == 'u') && hasValue) {
            userFolder = value;
            folderOnCommandLine = true;
        }
    }
    if (!folderOnCommandLine)
        userFolder = startupSettings.userFolder;
    if (!userFolder.isEmpty()) {
        userFolder = expandUserFolder(
            userFolder.text(), specialFolder(CSIDL_LOCAL_APPDATA).text(), specialFolder(CSIDL_APPDATA).text());
    }
}

FCMainWindow::~FCMainWindow()
{
    if (isLive())
        SendMessageW(reinterpret_cast<HWND>(handle), WM_CLOSE, 0, 0);
    delete view;
    view = nullptr;
    if (languageModule) {
        FCResourceModule::set(nullptr);
        FreeLibrary(languageModule);
    }
}

bool FCMainWindow::loadLanguageModule()
{
    if (languageModule)
        return true;
    languageModule = LoadLibraryW(toWide(settings.languageModule.text()).c_str());
    if (languageModule)
        FCResourceModule::set(languageModule);
    return languageModule != nullptr;
}

void FCMainWindow::applyViewSettings()
{
    viewWidth = settings.viewWidth;
    viewHeight = settings.viewHeight;
    if (userFolder.isEmpty()) {
        FCIniFile ini;
        ini.open("Lumivex.ini", false);
        windowConfiguration = readWindowConfiguration(ini);
    } else {
        configPath = configFileName(userFolder.text(), applicationFlags().editorMode());
        ScreenAspect aspect = readScreenAspect(configPath.text(), viewWidth, viewHeight);
        viewWidth = aspect.viewWidth;
        viewHeight = aspect.viewHeight;
        viewRect = aspect.viewRect;
        UxRnf config(configPath.text());
        config.setWriteBack(false);
        windowConfiguration = readWindowConfiguration(config);
        if (windowConfiguration.maxLaunch)
            applicationFlags().setStartMaximised(true);
    }
    if (applicationFlags().developerSizes())
        windowOptions |= kDeveloperSizes;
    if (settings.winConfig >= 1)
        windowOptions |= kWindowConfiguration;
}

void FCMainWindow::fillDisplayRecord(FCDisplayRecord& record) const
{
    const UxApplicationFlags& flags = applicationFlags();
    record.editorMode = flags.editorMode();
    record.optionBits
        = (flags.startMaximised() ? 1 : 0) | (flags.resizable() ? 2 : 0) | (startArgument.isEmpty() ? 0 : 4);
    record.viewWidth = viewWidth;
    record.viewHeight = viewHeight;
    record.viewLeft = viewRect.left;
    record.viewTop = viewRect.top;
    record.viewRight = viewRect.right;
    record.viewBottom = viewRect.bottom;
    record.resizeMode = flags.resizeMode();
}

void FCMainWindow::frameSize(int32_t& width, int32_t& height)
{
    RECT frame = { 0, 0, width, height };
    AdjustWindowRectEx(&frame, style(), TRUE, exStyle());
    width = frame.right - frame.left;
    height = frame.bottom - frame.top;
}

void FCMainWindow::setClientSize(int32_t width, int32_t height)
{
    if (!isLive())
        return;
    frameSize(width, height);
    SetWindowPos(reinterpret_cast<HWND>(handle), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
}

const char* FCMainWindow::className()
{
    return registeredClass.text();
}

const char* FCMainWindow::windowTitle()
{
    return settings.title.text();
}

HICON__* FCMainWindow::classIcon()
{
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    return icon ? icon : FCWindow::classIcon();
}

HICON__* FCMainWindow::classSmallIcon()
{
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON,
        GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
}

HBRUSH__* FCMainWindow::classBrush()
{
    return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
}

// A window of the view's client size, centred in the primary monitor's work
// area (never above or left of it).
RECT FCMainWindow::initialFrame()
{
    int32_t width = viewWidth;
    int32_t height = viewHeight;
    frameSize(width, height);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int32_t x = work.left + (work.right - work.left - width) / 2;
    int32_t y = work.top + (work.bottom - work.top - height) / 2;
    x = x < work.left ? work.left : x;
    y = y < work.top ? work.top : y;
    return RECT { x, y, x + width, y + height };
}

int32_t FCMainWindow::initialX()
{
    return initialFrame().left;
}

int32_t FCMainWindow::initialY()
{
    return initialFrame().top;
}

int32_t FCMainWindow::initialWidth()
{
    RECT frame = initialFrame();
    return frame.right - frame.left;
}

int32_t FCMainWindow::initialHeight()
{
    RECT frame = initialFrame();
    return frame.bottom - frame.top;
}

namespace {

// The fixed developer sizes are offered only with "WINCNF": without it their
// submenu goes with its items, so no empty popup is left on the menu.
void removeDeveloperSizes(HMENU menu)
{
    const UINT firstDeveloperSize = kSizePresets[0].command;
    for (int position = GetMenuItemCount(menu) - 1; position >= 0; --position) {
        HMENU sub = GetSubMenu(menu, position);
        if (!sub)
            continue;
        if (GetMenuItemID(sub, 0) == firstDeveloperSize) {
            DeleteMenu(menu, static_cast<UINT>(position), MF_BYPOSITION);
            continue;
        }
        removeDeveloperSizes(sub);
    }
}

} // namespace

HMENU__* FCMainWindow::menuHandle()
{
    HMENU menu = LoadMenuW(FCResourceModule::get(), MAKEINTRESOURCEW(kMenuResource));
    if (menu && !(windowOptions & kDeveloperSizes))
        removeDeveloperSizes(menu);
    return menu;
}

int32_t FCMainWindow::showCommand()
{
    if (applicationFlags().startMaximised())
        return SW_SHOWMAXIMIZED;
    return initialShowCommand ? initialShowCommand : SW_SHOWNORMAL;
}

void FCMainWindow::onCreated()
{
    view = new FCScenarioView(this, viewWidth, viewHeight);
    view->create();
}

int32_t FCMainWindow::onClose()
{
    // A running scenario ends first (EXCEPTION_ENTRY, EXIT_ENTRY); its view
    // then asks this window to close again.
    if (view && view->running()) {
        view->requestStop();
        return 0;
    }
    return 1;
}

FCLResult FCMainWindow::onDestroy(FCWParam wParam, FCLParam lParam)
{
    // The status window closed for the game opens again while its window
    // is still there to reach it through.
    if (applicationFlags().imeControl() == 2) {
        if (HWND imeWindow = ImmGetDefaultIMEWnd(reinterpret_cast<HWND>(handle)))
            SendMessageW(imeWindow, WM_IME_CONTROL, IMC_OPENSTATUSWINDOW, 0);
    }
    PostQuitMessage(0);
    return FCWindow::onDestroy(wParam, lParam);
}

FCLResult FCMainWindow::onCommand(FCWParam wParam, FCLParam lParam)
{
    uint32_t command = LOWORD(wParam);
    if (command == kCommandExit) {
        PostMessageW(reinterpret_cast<HWND>(handle), WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == kCommandInformation) {
        InformationDialog dialog(settings);
        dialog.run(handle);
        return 0;
    }
    if (command == kCommandGameSize || (command >= 40010 && command <= 40021)) {
        int32_t width = viewWidth;
        int32_t height = viewHeight;
        if (command == 40010) {
            width *= 2;
            height *= 2;
        } else if (command == 40011) {
            width /= 2;
            height /= 2;
        } else if (command == 40012) {
            width /= 4;
            height /= 4;
        }
        for (const SizePreset& preset : kSizePresets) {
            if (preset.command == command) {
                width = preset.width;
                height = preset.height;
            }
        }
        setClientSize(width, height);
        return 0;
    }
    return FCWindow::onCommand(wParam, lParam);
}

void FCMainWindow::takeSceneName()
{
    UINT format = RegisterClipboardFormatW(L"CorvaneSceneName");
    if (!format || !OpenClipboard(reinterpret_cast<HWND>(handle)))
        return;
    if (HANDLE data = GetClipboardData(format)) {
        if (const char* text = static_cast<const char*>(GlobalLock(data))) {
            SIZE_T size = GlobalSize(data);
            sceneName.assign(text, static_cast<int32_t>(strnlen(text, size)), FCString::kDefaultBlockSize);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
}

FCLResult FCMainWindow::onAppMessage(uint32_t message, FCWParam wParam, FCLParam lParam)
{
    if (message == kMessageSecondInstance && wParam == 256) {
        takeSceneName();
        return 0;
    }
    return FCWindow::onAppMessage(message, wParam, lParam);
}
