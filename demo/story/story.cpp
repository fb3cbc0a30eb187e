// The sample game's story: a chain of entries. Each names the entry that
// runs next; an empty name ends the game.
#include <windows.h>

#include "scenario/FCScenario.h"

LUMIVEX_SCENARIO_ENTRY(opening)
{
    // The title stays on screen for a moment before the story moves on.
    Sleep(2500);
    scenario->nextEntry = "ending";
}

LUMIVEX_SCENARIO_ENTRY(ending)
{
    Sleep(500);
    scenario->nextEntry = "";
}
