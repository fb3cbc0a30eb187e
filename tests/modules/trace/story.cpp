// Scenario test module: chains, module switches, a thrown diagnostic and the
// register files.
#include <string>

#include "Trace.h"
#include "foundation/Diagnostic.h"
#include "scenario/FCScenario.h"

namespace {
// Survives as long as the module stays loaded.
int g_counter = 0;
} // namespace

LUMIVEX_SCENARIO_ENTRY(first)
{
    trace("first");
    scenario->nextEntry = "second";
}

LUMIVEX_SCENARIO_ENTRY(second)
{
    trace("second");
    scenario->nextEntry = "";
}

LUMIVEX_SCENARIO_ENTRY(thrower)
{
    trace("thrower");
    throw CannotOpenException("cannot open", "missing.dat");
}

LUMIVEX_SCENARIO_ENTRY(toOther)
{
    trace("toOther");
    scenario->nextModule = "other.dll";
    scenario->nextEntry = "third";
}

// Naming the loaded module again must not reload it.
// A module's own list of signatures, found by the name they carry.
LUMIVEX_SCENARIO_ENTRY(signatureList)
{
    FCXList<FCSignature> signatures;
    signatures.addTail(new FCSignature("first"), 1);
    signatures.addTail(new FCSignature("second"), 1);
    FCSignature key("second");
    auto* node = signatures.findKey(&key);
    trace(signatures.isValidNode(node) && node->item->name == "second" ? "found second" : "not found");
    scenario->nextEntry = "";
}

LUMIVEX_SCENARIO_ENTRY(sameModule)
{
    g_counter = 41;
    scenario->nextModule = "story.dll";
    scenario->nextEntry = "sameModuleCheck";
}

LUMIVEX_SCENARIO_ENTRY(sameModuleCheck)
{
    trace(("counter " + std::to_string(g_counter + 1)).c_str());
    scenario->nextEntry = "";
}

// Strings written here are read by other.dll after this module is gone.
LUMIVEX_SCENARIO_ENTRY(switchWithStrings)
{
    std::string made = "made by story";
    scenario->stringRegisters[3] = made.c_str();
    scenario->names[0] = "name from story";
    scenario->nextModule = "other.dll";
    scenario->nextEntry = "readStrings";
}

LUMIVEX_SCENARIO_ENTRY(notExported)
{
    trace("notExported");
    scenario->nextEntry = "noSuchEntry";
}

LUMIVEX_SCENARIO_ENTRY(emptyModule)
{
    trace("emptyModule");
    scenario->nextModule = "";
    scenario->nextEntry = "second";
}

// A module whose file name is Japanese: 物語.dll.
LUMIVEX_SCENARIO_ENTRY(toJapaneseModule)
{
    scenario->nextModule = "\x95\xA8\x8C\xEA.dll";
    scenario->nextEntry = "third";
}

// Bad indexes show a message and go on with element 0.
LUMIVEX_SCENARIO_ENTRY(badIndexes)
{
    scenario->registers[-1] = 7;
    scenario->stringRegisters[16] = "seven";
    trace(("register0 " + std::to_string(scenario->registers[0]) + " string0 " + scenario->stringRegisters[0].text())
              .c_str());
    scenario->nextEntry = "";
}

// The persistent registers: 1, -1 and 256, written at the last change.
LUMIVEX_SCENARIO_ENTRY(saveSystem)
{
    scenario->setSystemRegister(0, 1, false);
    scenario->setSystemRegister(1, -1, false);
    scenario->setSystemRegister(2, 256, true);
    scenario->nextEntry = "";
}

// Saves generation after generation of the persistent registers (n, -n and
// 3n), going on from the one the last run left, until the process is killed.
LUMIVEX_SCENARIO_ENTRY(saveForever)
{
    int32_t n = scenario->systemRegisters[0];
    trace("saving");
    for (;;) {
        ++n;
        scenario->setSystemRegister(0, n, false);
        scenario->setSystemRegister(1, -n, false);
        scenario->setSystemRegister(2, 3 * n, true);
    }
}

LUMIVEX_SCENARIO_ENTRY(readSystem)
{
    trace(("system " + std::to_string(scenario->systemRegisters.count) + " "
        + std::to_string(scenario->systemRegisters[0]) + " " + std::to_string(scenario->systemRegisters[1]) + " "
        + std::to_string(scenario->systemRegisters[2]))
              .c_str());
    scenario->nextEntry = "";
}

// Called in-process by the module boundary test: a host exception class
// thrown here must be caught by the caller in another module.
extern "C" __declspec(dllexport) void __cdecl throwCannotRead()
{
    throw CannotReadException("cannot read", "save.dat");
}
