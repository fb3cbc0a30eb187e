#pragma once

#include "foundation/LumivexApi.h"

struct HINSTANCE__;

// The one module that menus, dialog templates, cursors and image resources
// are loaded from. Start-up sets it to the language module; until then (and
// when it is set to null) the executable's own module serves. Read and
// written under one process-wide lock, since any thread may load resources.
namespace FCResourceModule {

LUMIVEX_API HINSTANCE__* get();
LUMIVEX_API void set(HINSTANCE__* module);

} // namespace FCResourceModule
