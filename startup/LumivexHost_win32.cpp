#include <windows.h>

#include <string>

#include "foundation/Diagnostic.h"
#include "foundation/TextCodePage.h"
#include "scenario/FCOasys.h"
#include "startup/LumivexHost.h"

namespace {

struct HostSettings {
    std::wstring title = L"Lumivex";
    std::wstring className = L"Lumivex";
    std::string scenarioModule = "hoge";
    std::string startEntry = "hege";
    int viewWidth = 800;
    int viewHeight = 600;
    unsigned stackKilobytes = 2048;
};

std::wstring iniPath()
{
    wchar_t path[MAX_PATH];
    DWORD length = GetFullPathNameW(L"Lumivex.ini", MAX_PATH, path, nullptr);
    return length && length < MAX_PATH ? std::wstring(path, length) : std::wstring(L"Lumivex.ini");
}

std::wstring readIniString(
    const std::wstring& file, const wchar_t* section, const wchar_t* key, const wchar_t* fallback)
{
    wchar_t value[512];
    GetPrivateProfileStringW(section, key, fallback, value, 512, file.c_str());
    return value;
}

HostSettings readSettings()
{
    HostSettings settings;
    std::wstring file = iniPath();
    std::wstring language = readIniString(file, L"setting", L"I18N", L"JP");
    setTextCodePage(
        _wcsnicmp(language.c_str(), L"EN", 2) == 0 && (language.size() == 2 || language[2] == L',') ? 1252 : 932);
    settings.title = readIniString(file, L"setting", L"TITLE", L"Lumivex");
    settings.className = readIniString(file, L"setting", L"CLASS", L"Lumivex");
    settings.scenarioModule = fromWide(readIniString(file, L"release", L"scenario", L"hoge").c_str());
    settings.startEntry = fromWide(readIniString(file, L"release", L"entry", L"hege").c_str());
    settings.viewWidth = static_cast<int>(GetPrivateProfileIntW(L"setting", L"W_VIEW", 800, file.c_str()));
    settings.viewHeight = static_cast<int>(GetPrivateProfileIntW(L"setting", L"H_VIEW", 600, file.c_str()));
    settings.stackKilobytes = GetPrivateProfileIntW(L"setting", L"SS_SCENARIO", 2048, file.c_str());
    return settings;
}

struct GameWindow {
    const HostSettings* settings = nullptr;
    FCOasys* manager = nullptr;
};

void startScenario(HWND window, GameWindow& game)
{
    try {
        game.manager = new FCOasys(reinterpret_cast<FCWindowHandle>(window));
        game.manager->setStackKilobytes(game.settings->stackKilobytes);
        game.manager->loadScenarioModule(game.settings->scenarioModule.c_str());
        game.manager->start(game.settings->startEntry.c_str());
    } catch (const Diagnostic&) {
        // The load failure has been shown already; the game cannot run.
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
}

void stopScenario(GameWindow& game)
{
    delete game.manager;
    game.manager = nullptr;
}

LRESULT CALLBACK gameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* game = reinterpret_cast<GameWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_CREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        game = static_cast<GameWindow*>(create->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(game));
        startScenario(window, *game);
        return 0;
    }
    case FCOasys::kMessageScenarioEnded:
        stopScenario(*game);
        DestroyWindow(window);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        HBRUSH background = CreateSolidBrush(RGB(24, 28, 48));
        FillRect(dc, &client, background);
        DeleteObject(background);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(230, 230, 240));
        DrawTextW(dc, game->settings->title.c_str(), -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        if (game)
            stopScenario(*game);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

HWND createGameWindow(HINSTANCE instance, GameWindow& game, int showCommand)
{
    const HostSettings& settings = *game.settings;
    std::wstring windowClass = settings.className + L".wndclass";
    WNDCLASSEXW registration {};
    registration.cbSize = sizeof(registration);
    registration.style = CS_HREDRAW | CS_VREDRAW;
    registration.lpfnWndProc = gameWindowProc;
    registration.hInstance = instance;
    registration.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    registration.lpszClassName = windowClass.c_str();
    RegisterClassExW(&registration);

    // A normal resizable window whose client area is the view, centred on
    // the primary monitor.
    DWORD style = WS_OVERLAPPEDWINDOW;
    RECT frame { 0, 0, settings.viewWidth, settings.viewHeight };
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    HWND window = CreateWindowExW(0, windowClass.c_str(), settings.title.c_str(), style, x < 0 ? 0 : x, y < 0 ? 0 : y,
        width, height, nullptr, nullptr, instance, &game);
    if (window) {
        ShowWindow(window, showCommand);
        UpdateWindow(window);
    }
    return window;
}

} // namespace

extern "C" int lumivexRunHost(HINSTANCE__* instance, const wchar_t* commandLine, int showCommand)
{
    HostSettings settings = readSettings();
    GameWindow game;
    game.settings = &settings;
    if (!createGameWindow(instance, game, showCommand))
        return 0;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
