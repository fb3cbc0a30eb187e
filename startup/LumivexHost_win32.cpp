#include "startup/LumivexHost.h"

#include <windows.h>

#include <commctrl.h>
#include <imm.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>

#include "foundation/FCCmdParam.h"
#include "foundation/FCPath.h"
#include "foundation/FCPathName.h"
#include "foundation/TextCodePage.h"
#include "foundation/UxMessageBox.h"
#include "startup/FCIniFile.h"
#include "startup/FCMainWindow.h"
#include "startup/StartupSettings.h"
#include "startup/UxApplicationFlags.h"
#include "startup/UxDisplayPowerGuard.h"
#include "startup/UxMachineRecord.h"
#include "startup/UxMessageTable.h"
#include "startup/UxOsVersion.h"

namespace {

const StartupSettings* g_settings = nullptr;
FCMainWindow* g_mainWindow = nullptr;

constexpr unsigned kQuestionStyle = UxMessageBox::kYesNo | UxMessageBox::kTaskModal | UxMessageBox::kSetForeground;
constexpr unsigned kNoticeStyle = UxMessageBox::kOk | UxMessageBox::kTaskModal | UxMessageBox::kSetForeground;
// The caption of the questions about the user folder's rights.
constexpr const char* kUacCaption = "Lumivex UAC Manager";

const UxMessageTable& messages()
{
    return UxMessageTable::global();
}

// Options E and P of the command line; every other option skips its value.
void readEntryOptions(const wchar_t* commandLine, UxApplicationFlags& flags)
{
    std::string line = fromWide(commandLine ? commandLine : L"");
    FCCmdParam tokens(line.c_str());
    FCIdString token;
    while (tokens.next(token)) {
        if (token.tag() != FCCmdParam::kOption)
            continue;
        char letter = token.isEmpty() ? 0 : token.text()[0];
        FCIdString value;
        if (!tokens.next(value))
            break;
        if (letter == 'E' || letter == 'e')
            flags.setEditorMode(value.toInt());
        else if (letter == 'P' || letter == 'p')
            flags.setSceneJump(value.toInt());
    }
}

std::wstring withSeparator(std::wstring folder)
{
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/')
        folder += L'\\';
    return folder;
}

// Whether the user may write in the folder: the system data file opened for
// writing and a scratch file created there, neither refused with "access
// denied". What the test itself created is removed again.
bool folderIsWritable(const std::wstring& folder, const StartupSettings& settings)
{
    bool writable = true;
    std::wstring systemData = withSeparator(folder) + toWide(settings.systemDataName().text());
    HANDLE file = CreateFileW(
        systemData.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        writable = GetLastError() != ERROR_ACCESS_DENIED;
    } else {
        bool createdNow = GetLastError() != ERROR_ALREADY_EXISTS;
        CloseHandle(file);
        if (createdNow)
            DeleteFileW(systemData.c_str());
    }
    std::wstring scratch = withSeparator(folder) + L"__dummy.write.check__";
    file = CreateFileW(scratch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_ACCESS_DENIED)
            writable = false;
    } else {
        CloseHandle(file);
    }
    DeleteFileW(scratch.c_str());
    return writable;
}

// Starts the helper that makes the folder writable and waits for it; false
// when it could not be started.
bool runRightsHelper(const std::wstring& folder)
{
    SHELLEXECUTEINFOW execute = {};
    execute.cbSize = sizeof(execute);
    // The failure is told through the host's own messages, not the shell's.
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    execute.hwnd = GetDesktopWindow();
    execute.lpVerb = L"open";
    execute.lpFile = L"acmp.exe";
    execute.lpDirectory = folder.c_str();
    execute.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&execute) || reinterpret_cast<INT_PTR>(execute.hInstApp) <= 32) {
        if (execute.hProcess)
            CloseHandle(execute.hProcess);
        return false;
    }
    if (execute.hProcess) {
        WaitForSingleObject(execute.hProcess, INFINITE);
        CloseHandle(execute.hProcess);
    }
    return true;
}

// The user folder exists (made after the player agreed) and the user may
// write there (after the helper when not).
bool checkUserFolder(const FCString& userFolder, const StartupSettings& settings, const UxOsVersion& os)
{
    if (userFolder.isEmpty())
        return true;
    const UxApplicationFlags& flags = applicationFlags();
    std::wstring folder = toWide(userFolder.text());
    if (!FCPath::hasAttributes(userFolder.text(), FCPath::kFolder)) {
        if (!flags.quiet()) {
            FCString question = userFolder;
            question.append(messages().text(42));
            if (UxMessageBox::show(nullptr, question.text(), "Lumivex", kQuestionStyle) != UxMessageBox::kIdYes)
                return false;
        }
        if (!FCPath::createFolders(userFolder.text())) {
            FCString notice = messages().message(flags.vistaOrLater() ? 43 : 44, { userFolder.text(), "Lumivex" });
            UxMessageBox::show(nullptr, notice.text(), "Lumivex", kNoticeStyle);
            return false;
        }
    }
    if (!flags.vistaOrLater())
        return true;
    while (!folderIsWritable(folder, settings)) {
        FCString systemName = os.systemName();
        UxMessageBox::show(nullptr, messages().message(72, { systemName.text() }).text(), kUacCaption, kNoticeStyle);
        if (runRightsHelper(folder)) {
            // The helper had its chance; a folder still closed fails the check
            // rather than letting the game lose what it saves.
            return folderIsWritable(folder, settings);
        }
        UxMessageBox::show(nullptr, messages().message(73, { "Lumivex.exe" }).text(), kUacCaption, kNoticeStyle);
        if (UxMessageBox::show(nullptr, messages().message(74, { "Lumivex.exe" }).text(), kUacCaption, kQuestionStyle)
            != UxMessageBox::kIdYes)
            return false;
    }
    return true;
}

// Step 12: a system older than Windows 2000 (or 98 SE) asks first.
bool checkSystem(const StartupSettings& settings, const UxOsVersion& os)
{
    if (os.isAtLeast(0x40A, 0x500))
        return true;
    FCString caption = messages().text(26);
    caption.append(settings.title);
    FCString question = messages().message(76, { settings.title.text() });
    return UxMessageBox::show(nullptr, question.text(), caption.text(), kQuestionStyle) == UxMessageBox::kIdYes;
}

// Mode 0 takes the input context from the game window itself; mode 1
// disables the input method for the window and the children it has (the
// scenario view); mode 2 closes the status window until the game window goes
// (FCMainWindow reopens it then, while the window still exists).
void applyInputMethodMode(HWND window, int32_t mode)
{
    if (mode == 0)
        ImmAssociateContext(window, nullptr);
    else if (mode == 1) {
        // IACE_CHILDREN reaches the children alone.
        ImmAssociateContextEx(window, nullptr, IACE_CHILDREN);
        ImmAssociateContext(window, nullptr);
    }
    else if (mode == 2) {
        if (HWND imeWindow = ImmGetDefaultIMEWnd(window))
            SendMessageW(imeWindow, WM_IME_CONTROL, IMC_CLOSESTATUSWINDOW, 0);
    }
}

void dropStaleSceneName()
{
    UINT format = RegisterClipboardFormatW(L"CorvaneSceneName");
    if (format && IsClipboardFormatAvailable(format) && OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

int runMessageLoop()
{
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

// Everything between reading the settings and the shutdown; the result of
// the message loop, or 0 when start-up stopped early.
int runGame(HINSTANCE instance, const wchar_t* commandLine, int showCommand, const StartupSettings& settings,
    const UxOsVersion& os)
{
    std::string line = fromWide(commandLine ? commandLine : L"");
    FCMainWindow mainWindow(instance, line.c_str(), showCommand, settings);
    g_mainWindow = &mainWindow;
    struct ClearOnExit {
        ~ClearOnExit() { g_mainWindow = nullptr; }
    } clearOnExit;

    mainWindow.loadLanguageModule();
    dropStaleSceneName();
    mainWindow.applyViewSettings();

    if (!checkUserFolder(mainWindow.userFolder, settings, os)) {
        FCString notice = messages().message(applicationFlags().vistaOrLater() ? 101 : 102,
            { mainWindow.userFolder.isEmpty() ? ".\\" : mainWindow.userFolder.text() });
        UxMessageBox::show(nullptr, notice.text(), kUacCaption, kNoticeStyle);
        return 0;
    }
    if (!checkSystem(settings, os))
        return 0;

    UxDisplayPowerGuard power;
    power.switchOff();
    UxMachineRecord::global().record();

    if (!mainWindow.createEx())
        return 0;
    // Registration with the small icon does not show the window by itself.
    mainWindow.show(mainWindow.showCommand());
    mainWindow.update();
    HWND window = reinterpret_cast<HWND>(mainWindow.handle);
    int32_t imeMode = applicationFlags().imeControl();
    applyInputMethodMode(window, imeMode);
    int result = runMessageLoop();
    power.restore();
    return result;
}

} // namespace

const StartupSettings* lumivexStartupSettings()
{
    return g_settings;
}

FCMainWindow* lumivexMainWindow()
{
    return g_mainWindow;
}

extern "C" int lumivexRunHost(HINSTANCE__* instance, const wchar_t* commandLine, int showCommand)
{
    HRESULT com = CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = { sizeof(controls), 0x2FF };
    InitCommonControlsEx(&controls);
    HMODULE richEdit = LoadLibraryW(L"RICHED32.DLL");
    applicationFlags().clear();

    UxOsVersion os = UxOsVersion::current();
    applicationFlags().setVistaOrLater(os.isAtLeast(-1, 0x600));
    readEntryOptions(commandLine, applicationFlags());

    StartupSettings settings;
    settings.flags = applicationFlags();
    FCIniFile ini;
    ini.open("Lumivex.ini", false);
    readLanguageSetting(ini, settings);
    setTextCodePage(languageCodePage(settings.languageCode.text()));
    FCPathName catalogue;
    catalogue.setSpecialFolderWithSeparator(FCPathName::kExecutableFolder);
    FCString catalogueFile = catalogue.text();
    catalogueFile.append(UxMessageTable::catalogueName(settings.languageCode.text()));
    UxMessageTable::global().load(catalogueFile.text());
    readStartupSettings(ini, settings);
    ini.close();
    applicationFlags() = settings.flags;
    g_settings = &settings;

    int result = 0;
    std::wstring eventName = toWide(settings.className.text());
    HANDLE instanceEvent = CreateEventW(nullptr, TRUE, TRUE, eventName.c_str());
    if (!instanceEvent || GetLastError() == ERROR_ALREADY_EXISTS) {
        // Another copy runs: it comes to the front and, with a scene named,
        // is asked to jump there.
        HWND first
            = FindWindowW(toWide(settings.windowClassName().text()).c_str(), toWide(settings.title.text()).c_str());
        if (first) {
            SetForegroundWindow(first);
            if (applicationFlags().sceneJump())
                PostMessageW(first, FCMainWindow::kMessageSecondInstance, 256, 0);
        }
    } else {
        result = runGame(instance, commandLine, showCommand, settings, os);
    }

    g_settings = nullptr;
    if (instanceEvent)
        CloseHandle(instanceEvent);
    if (richEdit)
        FreeLibrary(richEdit);
    if (SUCCEEDED(com))
        CoUninitialize();
    return result;
}
