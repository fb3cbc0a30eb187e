// Movie test entries (in story.dll): a movie in the view through a window
// request, then the scenario goes on. Traces "player <handle>", "error <n>",
// "ended <ms>" (from the start of playing to the end) and "after movie".
#include <windows.h>

#include <cstdint>
#include <string>

#include "Trace.h"
#include "movie/FCAviView.h"
#include "movie/UxWmvWindow.h"
#include "scenario/FCOasys.h"
#include "scenario/FCScenario.h"
#include "scenario/FCWindowRequest.h"

namespace {

void traceLine(const std::string& name, const std::string& value)
{
    trace((name + " " + value).c_str());
}

// The movie's full path: the game's folder is the current one.
std::string gameFile(const char* name)
{
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    return std::string(folder) + "\\" + name;
}

FCWindowRequest movieRequest(int32_t kind, const std::string& path)
{
    FCWindowRequest request = {};
    request.kind = kind;
    request.right = 320;
    request.bottom = 240;
    request.name = "movie";
    request.values[0] = reinterpret_cast<intptr_t>(path.c_str());
    return request;
}

void finish(FCScenario* scenario, DWORD start)
{
    traceLine("ended", std::to_string(GetTickCount() - start));
    scenario->manager->destroyWindow("movie");
    trace("after movie");
    scenario->nextEntry = "";
}

// DirectShow: the player's end (or a skipping click) answers the wait as the
// space key; the short waits also cover an end that came before a wait began.
void playWithDirectShow(FCScenario* scenario, const char* file, uint32_t skipDelayMs)
{
    std::string path = gameFile(file);
    FCWindowRequest request = movieRequest(UxWmvWindow::kKind, path);
    request.title = "movie player: test";
    request.values[1] = 256;
    request.values[2] = static_cast<intptr_t>(skipDelayMs);
    auto* player = static_cast<UxWmvWindow*>(scenario->manager->requestWindow(request));
    DWORD start = GetTickCount();
    if (!player) {
        trace("no player");
        scenario->nextEntry = "";
        return;
    }
    traceLine("player", std::to_string(reinterpret_cast<uintptr_t>(player->handle)));
    traceLine("error", std::to_string(player->error));
    while (!player->notified)
        scenario->manager->waitInput(2, 0, 0);
    finish(scenario, start);
}

} // namespace

LUMIVEX_SCENARIO_ENTRY(movieToEnd)
{
    playWithDirectShow(scenario, "movie.avi", 0);
}

LUMIVEX_SCENARIO_ENTRY(movieSkippable)
{
    playWithDirectShow(scenario, "movie.avi", 300);
}

LUMIVEX_SCENARIO_ENTRY(movieUnskippable)
{
    playWithDirectShow(scenario, "movie.avi", 60000);
}

LUMIVEX_SCENARIO_ENTRY(movieMissing)
{
    playWithDirectShow(scenario, "missing.avi", 0);
}

LUMIVEX_SCENARIO_ENTRY(movieGarbage)
{
    playWithDirectShow(scenario, "garbage.avi", 0);
}

// MCI: the view presses space on the view at its end and sets doneEvent.
LUMIVEX_SCENARIO_ENTRY(aviToEnd)
{
    std::string path = gameFile("movie.avi");
    FCWindowRequest request = movieRequest(FCAviView::kKind, path);
    auto* view = static_cast<FCAviView*>(scenario->manager->requestWindow(request));
    DWORD start = GetTickCount();
    if (!view || !view->mci.mciWindow) {
        trace("no mci");
        scenario->nextEntry = "";
        return;
    }
    traceLine("player", std::to_string(reinterpret_cast<uintptr_t>(view->handle)));
    view->doneEvent.reset();
    PostMessageW(reinterpret_cast<HWND>(view->handle), FCAviView::kMessagePlay, 0, 0);
    traceLine("error", "0");
    while (view->doneEvent.wait(0) != 0)
        scenario->manager->waitInput(2, 0, 0);
    finish(scenario, start);
}
