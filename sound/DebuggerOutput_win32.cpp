#include <windows.h>

#include "sound/DebuggerOutput.h"

void debuggerOutput(const char* text)
{
    OutputDebugStringA(text);
}
