// The sample game's story: a chain of entries. Each names the entry that
// runs next; an empty name ends the game.
#include <windows.h>

#include "scenario/FCOasys.h"
#include "scenario/FCScenario.h"

LUMIVEX_SCENARIO_ENTRY(opening)
{
    // The title stays on screen until the player clicks or presses a key
    // (at most five seconds, so an unattended run still ends).
    scenario->manager->waitInput(50, 1, 0);
    scenario->nextEntry = "picture";
}

LUMIVEX_SCENARIO_ENTRY(ending)
{
    Sleep(500);
    scenario->nextEntry = "";
}
