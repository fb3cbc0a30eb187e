// The sample game's story: a chain of entries. Each names the entry that
// runs next; an empty name ends the game.
#include <windows.h>

#include <string>

#include "movie/UxWmvWindow.h"
#include "scenario/FCOasys.h"
#include "scenario/FCScenario.h"
#include "scenario/FCWindowRequest.h"
#include "story/DemoSound.h"

LUMIVEX_SCENARIO_ENTRY(opening)
{
    demo_sound::startMusic(scenario);
    // The title stays on screen until the player clicks or presses a key
    // (at most five seconds, so an unattended run still ends).
    if (scenario->manager->waitInput(50, 1, 0) == FCOasys::kInputLeftClick)
        demo_sound::playClick(scenario);
    scenario->nextEntry = "interlude";
}

// A short movie in the middle of the picture; a click skips it once it has
// played for half a second. A file that cannot play is passed over.
LUMIVEX_SCENARIO_ENTRY(interlude)
{
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    std::string movie = std::string(folder) + "\\interlude.avi";
    FCWindowRequest request = {};
    request.kind = UxWmvWindow::kKind;
    request.left = 160;
    request.top = 120;
    request.right = 480;
    request.bottom = 360;
    request.name = "interlude";
    request.title = "movie player: interlude";
    request.values[0] = reinterpret_cast<intptr_t>(movie.c_str());
    request.values[1] = 256;
    request.values[2] = 500;
    auto* player = static_cast<UxWmvWindow*>(scenario->manager->requestWindow(request));
    // The end (or the skip) answers a wait; the short waits also catch an
    // end that came between two of them.
    while (player && !player->notified)
        scenario->manager->waitInput(2, 0, 0);
    scenario->manager->destroyWindow("interlude");
    scenario->nextEntry = "picture";
}

LUMIVEX_SCENARIO_ENTRY(ending)
{
    Sleep(500);
    demo_sound::fadeOutMusic(scenario);
    scenario->nextEntry = "";
}
