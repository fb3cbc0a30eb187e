#pragma once

#include <cstdint>

#include "foundation/FCString.h"
#include "foundation/LumivexApi.h"

class FCOasys;
class FCDll;

// The scenario state handed to every entry of a scenario module. Modules read
// and write its members directly, so their order is part of the module
// contract. The register files, sound devices and the other members ahead of
// the names arrive with the scenario state proper; until then modules are
// rebuilt against this header whenever it grows.
class LUMIVEX_API FCScenario {
public:
    explicit FCScenario(FCOasys* manager);
    FCScenario(const FCScenario&) = delete;
    FCScenario& operator=(const FCScenario&) = delete;
    virtual ~FCScenario();

    FCOasys* manager;
    // Name of the entry to run next; empty ends the run.
    FCString nextEntry;
    // File name of the module of the next entry; a name that differs from the
    // loaded module's name makes the manager load that module first.
    FCString nextModule;
    FCDll* residentModule;
    FCString saveFolder;
};

// Entry points, exported unmangled with the cdecl convention.
//   LUMIVEX_SCENARIO_ENTRY(opening) { scenario->nextEntry = "chapter1"; }
//   LUMIVEX_NAMED_ENTRY(INIT_ENTRY) { ...; return 0; }
// Named entries (INIT_ENTRY, EXCEPTION_ENTRY, EXIT_ENTRY) live in the resident
// module; INIT_ENTRY's text is the user folder, or null when there is none.
#define LUMIVEX_SCENARIO_ENTRY(name) extern "C" LUMIVEX_EXPORT void LUMIVEX_CDECL name(FCScenario* scenario)
#define LUMIVEX_NAMED_ENTRY(name)                                                                                      \
    extern "C" LUMIVEX_EXPORT int32_t LUMIVEX_CDECL name(                                                              \
        FCScenario* scenario, const char* text, int32_t value1, int32_t value2, int32_t value3)

using FCScenarioEntry = void(LUMIVEX_CDECL*)(FCScenario*);
using FCNamedEntry = int32_t(LUMIVEX_CDECL*)(FCScenario*, const char*, int32_t, int32_t, int32_t);
