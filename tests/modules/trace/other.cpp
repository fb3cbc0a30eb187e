// A second scenario module, reached by a module switch.
#include <string>

#include "Trace.h"
#include "scenario/FCScenario.h"

LUMIVEX_SCENARIO_ENTRY(third)
{
    trace("third");
    scenario->nextEntry = "";
}

LUMIVEX_SCENARIO_ENTRY(readStrings)
{
    trace((std::string("strings ") + scenario->stringRegisters[3].text() + " / " + scenario->names[0].text()).c_str());
    scenario->nextEntry = "";
}
