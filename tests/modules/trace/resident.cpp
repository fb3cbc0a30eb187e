// Resident test module: records each named entry.
#include <string>

#include "Trace.h"
#include "scenario/FCScenario.h"

LUMIVEX_NAMED_ENTRY(INIT_ENTRY)
{
    trace((std::string("INIT ") + (text ? text : "(null)")).c_str());
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
