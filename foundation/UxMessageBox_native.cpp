#include <chrono>
#include <cstdio>
#include <thread>

#include "foundation/UxMessageBox.h"

// Native builds have no screen: the box goes to standard error and is
// answered with its first button, except that a Retry/Cancel box is
// cancelled, since retrying unattended would ask forever.
int UxMessageBox::showOnScreen(const Request& request)
{
    std::fprintf(stderr, "[%s] %s\n", request.caption, request.text);
    if ((request.style & 0xF) == kRetryCancel)
        return kIdCancel;
    return firstButton(request.style);
}

void UxMessageBox::pause(unsigned milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int UxMessageBox::answerDialogForProcess(const Request&)
{
    return 0;
}
