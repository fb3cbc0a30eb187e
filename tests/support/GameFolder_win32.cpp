#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "support/GameFolder.h"

namespace {

std::wstring workingFolder()
{
    wchar_t buffer[MAX_PATH];
    DWORD length = GetCurrentDirectoryW(MAX_PATH, buffer);
    return std::wstring(buffer, length);
}

void copyFolder(const std::wstring& from, const std::wstring& to)
{
    CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((from + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            CopyFileW((from + L"\\" + found.cFileName).c_str(), (to + L"\\" + found.cFileName).c_str(), FALSE);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void removeFolder(const std::wstring& path)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeFolder(path + L"\\" + name);
            else
                DeleteFileW((path + L"\\" + name).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

} // namespace

std::string testClassName()
{
    return "LumivexTest" + std::to_string(GetCurrentProcessId());
}

GameFolder::GameFolder()
{
    static LONG counter = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    m_path = std::wstring(temp) + L"lumivex-game-" + std::to_wstring(GetCurrentProcessId()) + L"-"
        + std::to_wstring(InterlockedIncrement(&counter));
    removeFolder(m_path);
    copyFolder(workingFolder() + L"\\test-game", m_path);
}

GameFolder::~GameFolder()
{
    removeFolder(m_path);
}

void GameFolder::writeFile(const std::wstring& name, const std::string& content)
{
    HANDLE file = CreateFileW(
        (m_path + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

void GameFolder::renameFile(const std::wstring& from, const std::wstring& to)
{
    MoveFileW((m_path + L"\\" + from).c_str(), (m_path + L"\\" + to).c_str());
}

void GameFolder::copyFile(const std::wstring& from, const std::wstring& to)
{
    CopyFileW((m_path + L"\\" + from).c_str(), (m_path + L"\\" + to).c_str(), FALSE);
}

void GameFolder::removeFile(const std::wstring& name)
{
    DeleteFileW((m_path + L"\\" + name).c_str());
}

std::string GameFolder::readFile(const std::wstring& name) const
{
    // Text mode of the modules' C runtime may have written CRLF.
    std::string plain;
    for (char c : readBytes(name))
        if (c != '\r')
            plain += c;
    return plain;
}

std::string GameFolder::readBytes(const std::wstring& name) const
{
    std::string content;
    // A running game may be appending to the file: reading must not keep it
    // from opening the file for writing.
    HANDLE file = CreateFileW((m_path + L"\\" + name).c_str(), GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return content;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got)
        content.append(buffer, got);
    CloseHandle(file);
    return content;
}

GameRun GameFolder::run(const std::wstring& executable, unsigned timeoutMs)
{
    RunOptions options;
    options.executable = executable;
    options.timeoutMs = timeoutMs;
    return run(options);
}

GameRun GameFolder::run(const RunOptions& options)
{
    void* process = start(options);
    if (!process)
        return GameRun();
    return finish(process, options.timeoutMs);
}

void* GameFolder::start(const RunOptions& options)
{
    std::wstring log = m_path + L"\\messages.txt";
    SetEnvironmentVariableW(L"LUMIVEX_MESSAGE_LOG", log.c_str());
    SetEnvironmentVariableW(L"LUMIVEX_TRACE", nullptr);
    SetEnvironmentVariableW(
        L"LUMIVEX_MESSAGE_ANSWER", options.answer ? std::to_wstring(options.answer).c_str() : nullptr);

    std::wstring program = m_path + L"\\" + options.executable;
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!options.arguments.empty())
        commandLine += L" " + options.arguments;
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    BOOL started = CreateProcessW(
        program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, m_path.c_str(), &startup, &process);
    SetEnvironmentVariableW(L"LUMIVEX_MESSAGE_LOG", nullptr);
    SetEnvironmentVariableW(L"LUMIVEX_MESSAGE_ANSWER", nullptr);
    if (!started)
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

GameRun GameFolder::finish(void* process, unsigned timeoutMs)
{
    GameRun result;
    if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0) {
        result.finished = true;
        GetExitCodeProcess(process, &result.exitCode);
    } else {
        TerminateProcess(process, 99);
        WaitForSingleObject(process, 5000);
    }
    CloseHandle(process);
    result.trace = readFile(L"trace.txt");
    result.messages = readFile(L"messages.txt");
    return result;
}

bool GameFolder::exists(const std::wstring& name) const
{
    return GetFileAttributesW((m_path + L"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string GameFolder::listing() const
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((m_path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            names.emplace_back(name.begin(), name.end());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const std::string& name : names)
        joined += name + "\n";
    return joined;
}
