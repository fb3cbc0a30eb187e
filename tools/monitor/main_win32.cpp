// lvmonitor: the developer monitor. It attaches to a running game (found by
// its window class name), reads the integer, system and string registers and
// the current entry, and writes values back. Without an action it shows the
// registers in a window of its own and refreshes them every second.
//
//   lvmonitor CLASS                      the window
//   lvmonitor CLASS --dump [--out FILE]  one line each: "entry NAME",
//                                        "int I V", "system I V", "string I TEXT"
//   lvmonitor CLASS --set-int I V | --set-system I V | --set-string I TEXT
//
// Texts are the game's bytes, unconverted. Exit code 0 on success, 1 when no
// game runs under that class name, 2 on bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// The game's monitor messages.
constexpr UINT kAttach = 1861;
constexpr UINT kDetach = 1862;
constexpr UINT kSendRegisters = 1863;
constexpr UINT kSendSystemRegisters = 1864;
constexpr UINT kSendString = 1865;
constexpr UINT kSetRegister = 1866;
constexpr UINT kSetSystemRegister = 1867;
constexpr UINT kSendEntry = 1869;
constexpr int kMaxStrings = 4096;

// What the game has sent since the last request.
struct Received {
    std::vector<int32_t> registers;
    std::vector<int32_t> systemRegisters;
    std::string text;
    bool gotText = false;
    bool detached = false;
};

Received g_received;

LRESULT CALLBACK receiverProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        uint32_t kind = static_cast<uint32_t>(data->dwData) & 0xFF000000u;
        const auto* bytes = static_cast<const char*>(data->lpData);
        if (kind == 0x1000000 || kind == 0x2000000) {
            std::vector<int32_t> values(data->cbData / 4);
            if (!values.empty())
                std::memcpy(values.data(), bytes, values.size() * 4);
            (kind == 0x1000000 ? g_received.registers : g_received.systemRegisters) = values;
        } else if (kind == 0x3000000 || kind == 0x4000000) {
            g_received.text.assign(bytes ? bytes : "", bytes ? strnlen(bytes, data->cbData) : 0);
            g_received.gotText = true;
        }
        return TRUE;
    }
    if (message == kDetach) {
        g_received.detached = true;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class Monitor {
public:
    bool attach(const std::string& gameClass)
    {
        std::wstring className = std::wstring(gameClass.begin(), gameClass.end()) + L".wndclass";
        m_game = FindWindowW(className.c_str(), nullptr);
        if (!m_game)
            return false;
        WNDCLASSW record = {};
        record.lpfnWndProc = receiverProcedure;
        record.hInstance = GetModuleHandleW(nullptr);
        record.lpszClassName = L"LumivexMonitorReceiver";
        RegisterClassW(&record);
        m_self = CreateWindowExW(0, record.lpszClassName, L"Lumivex monitor", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
            record.hInstance, nullptr);
        return m_self && SendMessageW(m_game, kAttach, reinterpret_cast<WPARAM>(m_self), 0) != 0;
    }
    ~Monitor()
    {
        if (m_game && m_self)
            SendMessageW(m_game, kDetach, 0, 0);
        if (m_self)
            DestroyWindow(m_self);
    }

    std::vector<int32_t> registers(bool system)
    {
        (system ? g_received.systemRegisters : g_received.registers).clear();
        SendMessageW(m_game, system ? kSendSystemRegisters : kSendRegisters, 0, 0);
        return system ? g_received.systemRegisters : g_received.registers;
    }
    bool text(UINT request, WPARAM index, std::string& out)
    {
        g_received.gotText = false;
        SendMessageW(m_game, request, index, 0);
        out = g_received.text;
        return g_received.gotText;
    }
    void setRegister(bool system, int index, int value)
    {
        SendMessageW(m_game, system ? kSetSystemRegister : kSetRegister, static_cast<WPARAM>(index), value);
    }
    void setString(int index, const std::string& value)
    {
        COPYDATASTRUCT data = {};
        data.dwData = static_cast<ULONG_PTR>(index) & 0xFFFFFF;
        data.cbData = static_cast<DWORD>(value.size() + 1);
        data.lpData = const_cast<char*>(value.c_str());
        SendMessageW(m_game, WM_COPYDATA, reinterpret_cast<WPARAM>(m_self), reinterpret_cast<LPARAM>(&data));
    }

    // Every register and the entry, one line each.
    std::string dump()
    {
        std::string out;
        std::string value;
        if (text(kSendEntry, 0, value))
            out += "entry " + value + "\n";
        std::vector<int32_t> values = registers(false);
        for (size_t i = 0; i < values.size(); ++i)
            out += "int " + std::to_string(i) + " " + std::to_string(values[i]) + "\n";
        values = registers(true);
        for (size_t i = 0; i < values.size(); ++i)
            out += "system " + std::to_string(i) + " " + std::to_string(values[i]) + "\n";
        // The game answers for the string registers it has and for no other.
        for (int i = 0; i < kMaxStrings && text(kSendString, static_cast<WPARAM>(i), value); ++i)
            out += "string " + std::to_string(i) + " " + value + "\n";
        return out;
    }

private:
    HWND m_game = nullptr;
    HWND m_self = nullptr;
};

// The window: the dump in a read-only edit control, refreshed every second.
int showWindow(Monitor& monitor)
{
    HWND window = CreateWindowExW(0, L"EDIT", L"Lumivex monitor",
        WS_OVERLAPPEDWINDOW | WS_VISIBLE | ES_MULTILINE | ES_READONLY | WS_VSCROLL, CW_USEDEFAULT, CW_USEDEFAULT, 360,
        480, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window)
        return 1;
    SetTimer(window, 1, 1000, nullptr);
    MSG message;
    auto refresh = [&] {
        std::string text;
        for (char c : monitor.dump())
            text += c == '\n' ? std::string("\r\n") : std::string(1, c);
        SetWindowTextA(window, text.c_str());
    };
    refresh();
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == window) {
            if (g_received.detached || !IsWindow(window))
                break;
            refresh();
            continue;
        }
        if (message.message == WM_NCLBUTTONDOWN && message.wParam == HTCLOSE)
            break;
        TranslateMessage(&message);
        DispatchMessageW(&message);
        if (!IsWindow(window))
            break;
    }
    return 0;
}

int usage()
{
    std::fputs(
        "usage: lvmonitor CLASS [--dump [--out FILE] | --set-int I V | --set-system I V | --set-string I TEXT]\n",
        stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    Monitor monitor;
    if (!monitor.attach(argv[1])) {
        std::fprintf(stderr, "lvmonitor: no game runs with the class name %s\n", argv[1]);
        return 1;
    }
    if (argc == 2)
        return showWindow(monitor);
    std::string action = argv[2];
    if (action == "--dump") {
        std::string text = monitor.dump();
        FILE* out = stdout;
        if (argc == 5 && std::string(argv[3]) == "--out")
            out = std::fopen(argv[4], "wb");
        else if (argc != 3)
            return usage();
        if (!out) {
            std::fprintf(stderr, "lvmonitor: cannot write %s\n", argv[4]);
            return 1;
        }
        std::fwrite(text.data(), 1, text.size(), out);
        if (out != stdout)
            std::fclose(out);
        return 0;
    }
    if (argc != 5)
        return usage();
    char* end = nullptr;
    long index = std::strtol(argv[3], &end, 0);
    if (*end || index < 0)
        return usage();
    if (action == "--set-string") {
        monitor.setString(static_cast<int>(index), argv[4]);
        return 0;
    }
    long value = std::strtol(argv[4], &end, 0);
    if (*end)
        return usage();
    if (action == "--set-int")
        monitor.setRegister(false, static_cast<int>(index), static_cast<int>(value));
    else if (action == "--set-system")
        monitor.setRegister(true, static_cast<int>(index), static_cast<int>(value));
    else
        return usage();
    return 0;
}
