#pragma once

#include "foundation/LumivexApi.h"

struct HINSTANCE__;
struct StartupSettings;
class FCMainWindow;

// The whole program behind the thin executable: start-up, the game window,
// the scenario run and the orderly end. Returns the process exit code.
extern "C" LUMIVEX_API int lumivexRunHost(HINSTANCE__* instance, const wchar_t* commandLine, int showCommand);

// While the host runs: what start-up read from "Lumivex.ini" and the
// command line, and the main window; null before and after.
LUMIVEX_API const StartupSettings* lumivexStartupSettings();
LUMIVEX_API FCMainWindow* lumivexMainWindow();
