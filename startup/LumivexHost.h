#pragma once

#include "foundation/LumivexApi.h"

struct HINSTANCE__;

// The whole program behind the thin executable: start-up, the game window,
// the scenario run and the orderly end. Returns the process exit code.
extern "C" LUMIVEX_API int lumivexRunHost(HINSTANCE__* instance, const wchar_t* commandLine, int showCommand);
