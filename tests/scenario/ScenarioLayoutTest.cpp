#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "scenario/FCOasys.h"
#include "scenario/FCScenario.h"
#include "support/TestFiles_win32.h"

// Scenario modules are compiled apart from the host and reach these objects'
// members directly: the members must lie in their contract order with their
// contract widths (32-bit build).
namespace {

void expectIncreasing(const std::vector<size_t>& offsets)
{
    for (size_t i = 1; i < offsets.size(); ++i)
        EXPECT_LT(offsets[i - 1], offsets[i]) << "member " << i;
}

} // namespace

TEST(ScenarioLayout, MemberWidths)
{
    EXPECT_EQ(sizeof(FCString), 12u);
    EXPECT_EQ(sizeof(FCSignature), 16u);
    EXPECT_EQ(sizeof(FCReg), 12u);
    EXPECT_EQ(sizeof(FCStrReg), 12u);
    EXPECT_EQ(sizeof(FCRandom), 152u);
    EXPECT_EQ(sizeof(FCDll), 20u);
    EXPECT_EQ(sizeof(FCEvent), 8u);
    EXPECT_EQ(sizeof(FCThread), 20u);
    EXPECT_EQ(sizeof(FCCriticalSection), 32u);
    EXPECT_EQ(sizeof(FCXList<FCDll>), 12u);
}

TEST(ScenarioLayout, ScenarioMembersInContractOrder)
{
    FCScenario scenario(nullptr);
    EXPECT_EQ(offsetIn(scenario, &scenario.manager), 4u);
    EXPECT_EQ(offsetIn(scenario, &scenario.gameSignature), 8u);
    EXPECT_EQ(offsetIn(scenario, &scenario.registers), 24u);
    expectIncreasing({ offsetIn(scenario, &scenario.manager), offsetIn(scenario, &scenario.gameSignature),
        offsetIn(scenario, &scenario.registers), offsetIn(scenario, &scenario.stringRegisters),
        offsetIn(scenario, &scenario.waveDevice), offsetIn(scenario, &scenario.midi), offsetIn(scenario, &scenario.cd),
        offsetIn(scenario, &scenario.systemEudcFont), offsetIn(scenario, &scenario.gameEudcFont),
        offsetIn(scenario, &scenario.random), offsetIn(scenario, &scenario.objectLock),
        offsetIn(scenario, &scenario.objects), offsetIn(scenario, &scenario.systemRegisters),
        offsetIn(scenario, &scenario.workArea), offsetIn(scenario, &scenario.words),
        offsetIn(scenario, &scenario.modules), offsetIn(scenario, &scenario.eudcFlag),
        offsetIn(scenario, &scenario.names), offsetIn(scenario, &scenario.nextEntry),
        offsetIn(scenario, &scenario.nextModule), offsetIn(scenario, &scenario.residentModule),
        offsetIn(scenario, &scenario.saveFolder), offsetIn(scenario, &scenario.secondLock),
        offsetIn(scenario, &scenario.orderedMap), offsetIn(scenario, &scenario.limits),
        offsetIn(scenario, &scenario.lastWord) });
    // The 256-byte work area and the two words sit back to back.
    EXPECT_EQ(offsetIn(scenario, &scenario.words), offsetIn(scenario, &scenario.workArea) + 256);
    EXPECT_EQ(scenario.limits[0], 256);
    EXPECT_EQ(scenario.limits[1], 256);
    EXPECT_EQ(offsetIn(scenario, &scenario.lastWord) + 4, sizeof(FCScenario));
}

TEST(ScenarioLayout, ManagerMembersInContractOrder)
{
    // Offsets only: a manager is never constructed here.
    alignas(FCOasys) char storage[sizeof(FCOasys)];
    const FCOasys& m = *reinterpret_cast<const FCOasys*>(storage);
    EXPECT_EQ(offsetIn(m, &m.topWindow), 4u);
    EXPECT_EQ(offsetIn(m, &m.owner), 8u);
    expectIncreasing({ offsetIn(m, &m.topWindow), offsetIn(m, &m.owner), offsetIn(m, &m.requestDone),
        offsetIn(m, &m.input), offsetIn(m, &m.menuDone), offsetIn(m, &m.stop), offsetIn(m, &m.waiting),
        offsetIn(m, &m.waitMode), offsetIn(m, &m.inputCode), offsetIn(m, &m.inputData), offsetIn(m, &m.focusWindow),
        offsetIn(m, &m.windowThread), offsetIn(m, &m.exiting), offsetIn(m, &m.windowLock),
        offsetIn(m, &m.residentModuleName), offsetIn(m, &m.startEntry), offsetIn(m, &m.scenarioModule),
        offsetIn(m, &m.scenarioThread), offsetIn(m, &m.windows), offsetIn(m, &m.systemInformation),
        offsetIn(m, &m.busy), offsetIn(m, &m.active), offsetIn(m, &m.initArgument), offsetIn(m, &m.display),
        offsetIn(m, &m.closeQuestion), offsetIn(m, &m.scenario), offsetIn(m, &m.monitor) });
    EXPECT_EQ(offsetIn(m, &m.scenario), offsetIn(m, &m.closeQuestion) + 256);
}

// The request records are filled by scenario code: their offsets are fixed.
TEST(ScenarioLayout, RequestRecordsKeepTheirOffsets)
{
    EXPECT_EQ(offsetof(FCWindowRequest, kind), 0u);
    EXPECT_EQ(offsetof(FCWindowRequest, left), 4u);
    EXPECT_EQ(offsetof(FCWindowRequest, bottom), 16u);
    EXPECT_EQ(offsetof(FCWindowRequest, parent), 20u);
    EXPECT_EQ(offsetof(FCWindowRequest, style), 24u);
    EXPECT_EQ(offsetof(FCWindowRequest, exStyle), 28u);
    EXPECT_EQ(offsetof(FCWindowRequest, name), 32u);
    EXPECT_EQ(offsetof(FCWindowRequest, title), 36u);
    EXPECT_EQ(offsetof(FCWindowRequest, values), 40u);
    EXPECT_EQ(offsetof(FCWindowRequest, created), 56u);
    EXPECT_EQ(offsetof(FCWindowRequest, flags), 60u);
    EXPECT_EQ(sizeof(FCWindowRequest), 64u);
    EXPECT_EQ(offsetof(FCPopupMenuRequest, menu), 0u);
    EXPECT_EQ(offsetof(FCPopupMenuRequest, x), 4u);
    EXPECT_EQ(offsetof(FCPopupMenuRequest, y), 8u);
    EXPECT_EQ(offsetof(FCPopupMenuRequest, flags), 12u);
    EXPECT_EQ(offsetof(FCPopupMenuRequest, command), 16u);
    EXPECT_EQ(sizeof(FCPopupMenuRequest), 20u);
}
