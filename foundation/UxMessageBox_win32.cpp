#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "foundation/TextCodePage.h"
#include "foundation/UxMessageBox.h"

namespace {

// LUMIVEX_MESSAGE_LOG turns every box of the process into a line of that
// file and an immediate answer, so whole-program tests never block on a box.
struct ProcessRecorder {
    std::wstring path;
    int answer = 0;
    int dialogAnswer = 2; // IDCANCEL: an unattended run changes no settings
    CRITICAL_SECTION lock;

    ProcessRecorder()
    {
        InitializeCriticalSection(&lock);
        if (const wchar_t* log = _wgetenv(L"LUMIVEX_MESSAGE_LOG"))
            path = log;
        if (const wchar_t* value = _wgetenv(L"LUMIVEX_MESSAGE_ANSWER"))
            answer = static_cast<int>(std::wcstol(value, nullptr, 10));
        if (const wchar_t* value = _wgetenv(L"LUMIVEX_DIALOG_ANSWER"))
            dialogAnswer = static_cast<int>(std::wcstol(value, nullptr, 10));
    }

    void record(const UxMessageBox::Request& request)
    {
        std::string line = request.dialogTemplate
            ? "dialog\t" + toUtf8(request.caption) + "\t" + std::to_string(request.dialogTemplate) + "\n"
            : toUtf8(request.caption) + "\t" + toUtf8(request.text) + "\t" + std::to_string(request.style) + "\n";
        EnterCriticalSection(&lock);
        if (FILE* file = _wfopen(path.c_str(), L"ab")) {
            std::fwrite(line.data(), 1, line.size(), file);
            std::fclose(file);
        }
        LeaveCriticalSection(&lock);
    }
};

ProcessRecorder& recorder()
{
    static ProcessRecorder instance;
    return instance;
}

} // namespace

int UxMessageBox::showOnScreen(const Request& request)
{
    ProcessRecorder& log = recorder();
    if (!log.path.empty()) {
        log.record(request);
        if (log.answer)
            return log.answer;
        // Retrying unattended would ask forever.
        return (request.style & 0xF) == kRetryCancel ? kIdCancel : firstButton(request.style);
    }
    return MessageBoxW(reinterpret_cast<HWND>(request.owner), toWide(request.text).c_str(),
        toWide(request.caption).c_str(), request.style);
}

int UxMessageBox::answerDialogForProcess(const Request& request)
{
    ProcessRecorder& log = recorder();
    if (log.path.empty())
        return 0;
    log.record(request);
    return log.dialogAnswer;
}

void UxMessageBox::pause(unsigned milliseconds)
{
    Sleep(milliseconds);
}
