// Resident test module: records each named entry and sets the scenario up as
// a game's INIT_ENTRY does.
#include <string>

#include "Trace.h"
#include "scenario/FCOasys.h"
#include "scenario/FCScenario.h"
#include "scenario/FCWindowRequest.h"

#include <windows.h>

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

// Register 15 set: lingers as a game's clean-up might, asking for a
// window and waiting briefly.
LUMIVEX_NAMED_ENTRY(EXIT_ENTRY)
{
    trace("EXIT");
    int32_t lingering = scenario->registers.count > 15 ? scenario->registers[15] : 0;
    if (lingering != 1 && lingering != 2)
        return 0;
    FCWindowRequest request = {};
    request.kind = 4;
    request.right = 50;
    request.bottom = 50;
    request.name = "farewell";
    FCVWin* farewell = scenario->manager->requestWindow(request);
    if (lingering == 1) {
        Sleep(300);
        scenario->manager->waitInput(3, 0, 0);
        trace("EXIT done");
    } else {
        // Register 15 = 2: a wait that input must not reach.
        trace(("farewell " + std::to_string(farewell ? reinterpret_cast<uintptr_t>(farewell->handle) : 0)).c_str());
        int32_t code = scenario->manager->waitInput(15, 0, 0);
        trace(("exit code " + std::to_string(code)).c_str());
    }
    return 0;
}
