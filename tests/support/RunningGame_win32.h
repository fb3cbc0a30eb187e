#pragma once

#include <windows.h>

#include <string>

#include "support/GameFolder.h"

// A game started in the background from a test's game folder, driven by the
// test through its windows and read back through its trace. The folder's
// ini must use the test's class name and the title "Lumivex Test".
class RunningGame {
public:
    explicit RunningGame(GameFolder& game, const RunOptions& options = RunOptions())
        : m_game(game)
        , m_process(game.start(options))
    {
        std::string name = testClassName() + ".wndclass";
        std::wstring className(name.begin(), name.end());
        // The view comes a moment after its window.
        for (int i = 0; i < 300 && m_process && !m_view; ++i) {
            Sleep(100);
            m_top = FindWindowW(className.c_str(), L"Lumivex Test");
            m_view = m_top ? FindWindowExW(m_top, nullptr, L"FCScenarioView", nullptr) : nullptr;
        }
    }
    ~RunningGame()
    {
        if (m_process)
            m_game.finish(m_process, 100);
    }
    RunningGame(const RunningGame&) = delete;
    RunningGame& operator=(const RunningGame&) = delete;

    HWND top() const { return m_top; }
    HWND view() const { return m_view; }

    // Waits until the trace holds the line (at most 20 s), then a little
    // more, so the wait that the line announces has begun.
    bool reached(const std::string& line)
    {
        if (!waitForTraceLine(line + "\n"))
            return false;
        Sleep(300);
        return true;
    }

    // The window handle a test module wrote as "<name> <handle>" in the
    // trace (waiting for it at most 20 s), or null.
    HWND tracedWindow(const std::string& name)
    {
        std::string handle;
        return waitForTraceLine(name + " ", &handle) ? reinterpret_cast<HWND>(std::stoul(handle)) : nullptr;
    }

    // Where the game is, for a test that did not find what it waited for:
    // whether it runs, and its trace and messages so far.
    std::string describe() const
    {
        std::string state = "the game is running";
        DWORD code = 0;
        if (!m_process)
            state = "the game did not start";
        else if (WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0 && GetExitCodeProcess(m_process, &code))
            state = "the game ended with " + std::to_string(code);
        return state + "\ntrace:\n" + m_game.readBytes(L"trace.txt") + "messages:\n"
            + m_game.readBytes(L"messages.txt");
    }

    GameRun finish(unsigned timeoutMs = 30000)
    {
        void* process = m_process;
        m_process = nullptr;
        return m_game.finish(process, timeoutMs);
    }

private:
    // Waits (at most 20 s) for a trace line that begins with start; rest
    // gets what follows start on that line.
    bool waitForTraceLine(const std::string& start, std::string* rest = nullptr)
    {
        for (int i = 0; i < 200; ++i) {
            std::string trace = "\n" + m_game.readBytes(L"trace.txt");
            size_t at = trace.find("\n" + start);
            if (at != std::string::npos) {
                if (rest) {
                    size_t from = at + 1 + start.size();
                    *rest = trace.substr(from, trace.find('\n', from) - from);
                }
                return true;
            }
            Sleep(100);
        }
        return false;
    }

    GameFolder& m_game;
    void* m_process;
    HWND m_top = nullptr;
    HWND m_view = nullptr;
};
