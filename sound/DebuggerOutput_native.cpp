#include "sound/DebuggerOutput.h"

void debuggerOutput(const char*)
{
}
