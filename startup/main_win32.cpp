#include <windows.h>

#include "startup/LumivexHost.h"

// The executable only enters the host DLL: a game maker may rename it to the
// game's name, and the modules keep importing from the DLL's fixed name.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand)
{
    return lumivexRunHost(instance, commandLine, showCommand);
}
