// Scenario test module: chains, a module switch and a thrown diagnostic.
#include "Trace.h"
#include "foundation/Diagnostic.h"
#include "scenario/FCScenario.h"

LUMIVEX_SCENARIO_ENTRY(first)
{
    trace("first");
    scenario->nextEntry = "second";
}

LUMIVEX_SCENARIO_ENTRY(second)
{
    trace("second");
    scenario->nextEntry = "";
}

LUMIVEX_SCENARIO_ENTRY(thrower)
{
    trace("thrower");
    throw CannotOpenException("cannot open", "missing.dat");
}

LUMIVEX_SCENARIO_ENTRY(toOther)
{
    trace("toOther");
    scenario->nextModule = "other.dll";
    scenario->nextEntry = "third";
}

// Called in-process by the module boundary test: a host exception class
// thrown here must be caught by the caller in another module.
extern "C" __declspec(dllexport) void __cdecl throwCannotRead()
{
    throw CannotReadException("cannot read", "save.dat");
}
