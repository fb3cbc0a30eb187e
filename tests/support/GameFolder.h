#pragma once

#include <string>

// Whole-program runs of the host for the tests: a private copy of the test
// game folder, an ini file of the test's own, the executable (optionally
// renamed) started there with its message boxes logged instead of shown.
struct GameRun {
    unsigned long exitCode = 0;
    bool finished = false;
    std::string trace; // trace.txt written by the test modules
    std::string messages; // one UTF-8 line per message box: caption, text, style
};

// The window class name ("CLASS") a test's game uses: one of its own, since
// a game runs once per class name and tests run side by side.
std::string testClassName();

// How the executable is started.
struct RunOptions {
    std::wstring executable = L"Lumivex.exe";
    std::wstring arguments;
    // The answer to every message box (LUMIVEX_MESSAGE_ANSWER); 0: each
    // box's first button.
    int answer = 0;
    unsigned timeoutMs = 60000;
};

class GameFolder {
public:
    // Copies "test-game" (beside the working folder) into a fresh temporary folder.
    GameFolder();
    ~GameFolder();
    GameFolder(const GameFolder&) = delete;
    GameFolder& operator=(const GameFolder&) = delete;

    void writeFile(const std::wstring& name, const std::string& content);
    void renameFile(const std::wstring& from, const std::wstring& to);
    void copyFile(const std::wstring& from, const std::wstring& to);
    void removeFile(const std::wstring& name);
    // The file's bytes as they are.
    std::string readBytes(const std::wstring& name) const;
    GameRun run(const std::wstring& executable = L"Lumivex.exe", unsigned timeoutMs = 60000);
    GameRun run(const RunOptions& options);
    // Starts the executable and returns at once with its process handle (null
    // when it could not start); finish waits for it and collects the run.
    void* start(const RunOptions& options);
    GameRun finish(void* process, unsigned timeoutMs = 60000);
    bool exists(const std::wstring& name) const;
    // The names in the folder (files and folders), sorted.
    std::string listing() const;
    const std::wstring& path() const { return m_path; }

private:
    std::string readFile(const std::wstring& name) const;
    std::wstring m_path;
};
