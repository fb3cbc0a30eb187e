// Resident test module: records each named entry and sets the scenario up as
// a game's INIT_ENTRY does.
#include <string>

#include "Trace.h"
#include "scenario/FCScenario.h"

LUMIVEX_NAMED_ENTRY(INIT_ENTRY)
{
    trace((std::string("INIT ") + (text ? text : "(null)")).c_str());
    // 16 integer and 16 string registers, 3 persistent ones kept in
    // "TestGame.system.dat" in the current folder.
    scenario->initialise("TestGame", 16, 16, 3, 0, nullptr);
    return 0;
}

LUMIVEX_NAMED_ENTRY(EXCEPTION_ENTRY)
{
    trace("EXCEPTION");
    return 0;
}

LUMIVEX_NAMED_ENTRY(EXIT_ENTRY)
{
    trace("EXIT");
    return 0;
}
