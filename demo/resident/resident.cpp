// The sample game's resident module: the named entries the host calls
// around the scenario run.
#include <windows.h>

#include "scenario/FCScenario.h"

LUMIVEX_NAMED_ENTRY(INIT_ENTRY)
{
    OutputDebugStringA("demo: INIT_ENTRY\n");
    return 0;
}

LUMIVEX_NAMED_ENTRY(EXCEPTION_ENTRY)
{
    OutputDebugStringA("demo: EXCEPTION_ENTRY\n");
    return 0;
}

LUMIVEX_NAMED_ENTRY(EXIT_ENTRY)
{
    OutputDebugStringA("demo: EXIT_ENTRY\n");
    return 0;
}
