// A second scenario module, reached by a module switch.
#include "Trace.h"
#include "scenario/FCScenario.h"

LUMIVEX_SCENARIO_ENTRY(third)
{
    trace("third");
    scenario->nextEntry = "";
}
