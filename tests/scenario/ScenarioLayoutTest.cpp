#include <gtest/gtest.h>

#include <cstddef>

#include "scenario/FCOasys.h"
#include "scenario/FCScenario.h"
#include "support/ContractLayout.h"

// Scenario modules are compiled apart from the host and reach these objects'
// members directly: the members lie in their contract order with their
// contract widths (checked as this file compiles).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

LUMIVEX_SIZE_IS(FCString, 12);
LUMIVEX_SIZE_IS(FCSignature, 16);
LUMIVEX_SIZE_IS(FCReg, 12);
LUMIVEX_SIZE_IS(FCStrReg, 12);
LUMIVEX_SIZE_IS(FCRandom, 152);
LUMIVEX_SIZE_IS(FCDll, 20);
LUMIVEX_SIZE_IS(FCEvent, 8);
LUMIVEX_SIZE_IS(FCThread, 20);
LUMIVEX_SIZE_IS(FCCriticalSection, 32);
LUMIVEX_SIZE_IS(FCXList<FCDll>, 12);

using Scenario = FCScenario;
LUMIVEX_MEMBER_AT(FCScenario, manager, 4);
LUMIVEX_MEMBER_AT(FCScenario, gameSignature, 8);
LUMIVEX_MEMBER_AT(FCScenario, registers, 24);
LUMIVEX_MEMBER_AT(FCScenario, stringRegisters, 36);
LUMIVEX_MEMBER_AT(FCScenario, waveDevice, 48);
LUMIVEX_MEMBER_AT(FCScenario, midi, 18220);
LUMIVEX_MEMBER_AT(FCScenario, cd, 20056);
LUMIVEX_MEMBER_AT(FCScenario, systemEudcFont, 20120);
LUMIVEX_MEMBER_AT(FCScenario, gameEudcFont, 20132);
LUMIVEX_MEMBER_AT(FCScenario, random, 20144);
LUMIVEX_MEMBER_AT(FCScenario, objectLock, 20296);
LUMIVEX_MEMBER_AT(FCScenario, objects, 20328);
LUMIVEX_MEMBER_AT(FCScenario, systemRegisters, 20340);
LUMIVEX_MEMBER_AT(FCScenario, workArea, 20352);
LUMIVEX_MEMBER_AT(FCScenario, words, 20608);
LUMIVEX_MEMBER_AT(FCScenario, modules, 20616);
LUMIVEX_MEMBER_AT(FCScenario, eudcFlag, 20628);
LUMIVEX_MEMBER_AT(FCScenario, names, 20632);
LUMIVEX_MEMBER_AT(FCScenario, nextEntry, 20656);
LUMIVEX_MEMBER_AT(FCScenario, nextModule, 20668);
LUMIVEX_MEMBER_AT(FCScenario, residentModule, 20680);
LUMIVEX_MEMBER_AT(FCScenario, saveFolder, 20684);
LUMIVEX_MEMBER_AT(FCScenario, secondLock, 20696);
LUMIVEX_MEMBER_AT(FCScenario, orderedMap, 20728);
LUMIVEX_MEMBER_AT(FCScenario, limits, 20736);
LUMIVEX_MEMBER_AT(FCScenario, lastWord, 20744);
static_assert(ascending({ offsetof(Scenario, manager), offsetof(Scenario, gameSignature), offsetof(Scenario, registers),
    offsetof(Scenario, stringRegisters), offsetof(Scenario, waveDevice), offsetof(Scenario, midi),
    offsetof(Scenario, cd), offsetof(Scenario, systemEudcFont), offsetof(Scenario, gameEudcFont),
    offsetof(Scenario, random), offsetof(Scenario, objectLock), offsetof(Scenario, objects),
    offsetof(Scenario, systemRegisters), offsetof(Scenario, workArea), offsetof(Scenario, words),
    offsetof(Scenario, modules), offsetof(Scenario, eudcFlag), offsetof(Scenario, names), offsetof(Scenario, nextEntry),
    offsetof(Scenario, nextModule), offsetof(Scenario, residentModule), offsetof(Scenario, saveFolder),
    offsetof(Scenario, secondLock), offsetof(Scenario, orderedMap), offsetof(Scenario, limits),
    offsetof(Scenario, lastWord) }));
// The 256-byte work area and the two words sit back to back.
static_assert(offsetof(FCScenario, words) == offsetof(FCScenario, workArea) + 256);
// The last word ends the object (but for padding to the object's alignment).
static_assert(sizeof(FCScenario) - (offsetof(FCScenario, lastWord) + 4) < alignof(FCScenario));
LUMIVEX_SIZE_IS(FCScenario, 20748);

using Manager = FCOasys;
LUMIVEX_MEMBER_AT(FCOasys, topWindow, 4);
LUMIVEX_MEMBER_AT(FCOasys, owner, 8);
LUMIVEX_MEMBER_AT(FCOasys, requestDone, 28);
LUMIVEX_MEMBER_AT(FCOasys, input, 36);
LUMIVEX_MEMBER_AT(FCOasys, menuDone, 44);
LUMIVEX_MEMBER_AT(FCOasys, stop, 52);
LUMIVEX_MEMBER_AT(FCOasys, waiting, 60);
LUMIVEX_MEMBER_AT(FCOasys, waitMode, 64);
LUMIVEX_MEMBER_AT(FCOasys, inputCode, 68);
LUMIVEX_MEMBER_AT(FCOasys, inputData, 72);
LUMIVEX_MEMBER_AT(FCOasys, focusWindow, 76);
LUMIVEX_MEMBER_AT(FCOasys, windowThread, 80);
LUMIVEX_MEMBER_AT(FCOasys, exiting, 100);
LUMIVEX_MEMBER_AT(FCOasys, windowLock, 104);
LUMIVEX_MEMBER_AT(FCOasys, residentModuleName, 136);
LUMIVEX_MEMBER_AT(FCOasys, startEntry, 148);
LUMIVEX_MEMBER_AT(FCOasys, scenarioModule, 160);
LUMIVEX_MEMBER_AT(FCOasys, scenarioThread, 180);
LUMIVEX_MEMBER_AT(FCOasys, windows, 200);
LUMIVEX_MEMBER_AT(FCOasys, systemInformation, 212);
LUMIVEX_MEMBER_AT(FCOasys, busy, 248);
LUMIVEX_MEMBER_AT(FCOasys, active, 252);
LUMIVEX_MEMBER_AT(FCOasys, initArgument, 256);
LUMIVEX_MEMBER_AT(FCOasys, display, 268);
LUMIVEX_MEMBER_AT(FCOasys, closeQuestion, 308);
LUMIVEX_MEMBER_AT(FCOasys, scenario, 564);
LUMIVEX_MEMBER_AT(FCOasys, monitor, 568);
static_assert(ascending(
    { offsetof(Manager, topWindow), offsetof(Manager, owner), offsetof(Manager, requestDone), offsetof(Manager, input),
        offsetof(Manager, menuDone), offsetof(Manager, stop), offsetof(Manager, waiting), offsetof(Manager, waitMode),
        offsetof(Manager, inputCode), offsetof(Manager, inputData), offsetof(Manager, focusWindow),
        offsetof(Manager, windowThread), offsetof(Manager, exiting), offsetof(Manager, windowLock),
        offsetof(Manager, residentModuleName), offsetof(Manager, startEntry), offsetof(Manager, scenarioModule),
        offsetof(Manager, scenarioThread), offsetof(Manager, windows), offsetof(Manager, systemInformation),
        offsetof(Manager, busy), offsetof(Manager, active), offsetof(Manager, initArgument), offsetof(Manager, display),
        offsetof(Manager, closeQuestion), offsetof(Manager, scenario), offsetof(Manager, monitor) }));
static_assert(offsetof(FCOasys, scenario) == offsetof(FCOasys, closeQuestion) + 256);
LUMIVEX_SIZE_IS(FCOasys, 576);

// The request records are filled by scenario code: their offsets are fixed.
LUMIVEX_MEMBER_AT(FCWindowRequest, kind, 0);
LUMIVEX_MEMBER_AT(FCWindowRequest, left, 4);
LUMIVEX_MEMBER_AT(FCWindowRequest, bottom, 16);
LUMIVEX_MEMBER_AT(FCWindowRequest, parent, 20);
LUMIVEX_MEMBER_AT(FCWindowRequest, style, 24);
LUMIVEX_MEMBER_AT(FCWindowRequest, exStyle, 28);
LUMIVEX_MEMBER_AT(FCWindowRequest, name, 32);
LUMIVEX_MEMBER_AT(FCWindowRequest, title, 36);
LUMIVEX_MEMBER_AT(FCWindowRequest, values, 40);
LUMIVEX_MEMBER_AT(FCWindowRequest, created, 56);
LUMIVEX_MEMBER_AT(FCWindowRequest, flags, 60);
LUMIVEX_SIZE_IS(FCWindowRequest, 64);
static_assert(ascending({ offsetof(FCWindowRequest, kind), offsetof(FCWindowRequest, left),
    offsetof(FCWindowRequest, bottom), offsetof(FCWindowRequest, parent), offsetof(FCWindowRequest, style),
    offsetof(FCWindowRequest, exStyle), offsetof(FCWindowRequest, name), offsetof(FCWindowRequest, title),
    offsetof(FCWindowRequest, values), offsetof(FCWindowRequest, created), offsetof(FCWindowRequest, flags) }));
LUMIVEX_MEMBER_AT(FCPopupMenuRequest, menu, 0);
LUMIVEX_MEMBER_AT(FCPopupMenuRequest, x, 4);
LUMIVEX_MEMBER_AT(FCPopupMenuRequest, y, 8);
LUMIVEX_MEMBER_AT(FCPopupMenuRequest, flags, 12);
LUMIVEX_MEMBER_AT(FCPopupMenuRequest, command, 16);
LUMIVEX_SIZE_IS(FCPopupMenuRequest, 20);
static_assert(ascending({ offsetof(FCPopupMenuRequest, menu), offsetof(FCPopupMenuRequest, x),
    offsetof(FCPopupMenuRequest, y), offsetof(FCPopupMenuRequest, flags), offsetof(FCPopupMenuRequest, command) }));

#pragma GCC diagnostic pop

TEST(ScenarioLayout, ANewScenarioHoldsItsContractLimits)
{
    FCScenario scenario(nullptr);
    EXPECT_EQ(scenario.limits[0], 256);
    EXPECT_EQ(scenario.limits[1], 256);
}
