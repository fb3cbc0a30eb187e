#pragma once

#include <cstdint>

#include "foundation/FCSignature.h"
#include "foundation/FCString.h"
#include "foundation/FCSync.h"
#include "foundation/FCXList.h"
#include "foundation/LumivexApi.h"
#include "scenario/FCDll.h"
#include "scenario/FCRandom.h"
#include "scenario/FCReg.h"
#include "scenario/FCStrReg.h"
#include "sound/FCCd.h"
#include "sound/FCMidi.h"
#include "sound/FCWaveDevice.h"

class FCOasys;

// The head of a balanced-tree map that scenario code keeps in the scenario.
struct FCOrderedMap {
    void* head;
    int32_t count;
};

// The scenario state handed to every entry of a scenario module: the
// registers, the sound devices, the random source and the names that chain
// the entries. Modules read and write its members directly, so the order and
// width of every member below is part of the module contract; new members go
// at the end.
class LUMIVEX_API FCScenario {
public:
    explicit FCScenario(FCOasys* manager);
    FCScenario(const FCScenario&) = delete;
    FCScenario& operator=(const FCScenario&) = delete;
    virtual ~FCScenario();

    // Called by scenario code, typically from INIT_ENTRY: stores the game
    // name, the EUDC flag and the save folder (null clears it), creates the
    // three register files (a count below 1 leaves that file as it was) and
    // loads the system registers from "<save folder><game name>.system.dat"
    // when that file exists. Returns the manager.
    virtual FCOasys* initialise(const char* gameName, int32_t registerCount, int32_t stringCount, int32_t systemCount,
        int32_t eudcFlag, const char* saveFolder);
    virtual FCOasys* initialise(FCOasys* newManager, const char* gameName, int32_t registerCount, int32_t stringCount,
        int32_t systemCount, int32_t eudcFlag, const char* saveFolder);

    // Registers the game's own end-user-defined-character font (a path of an
    // existing file), or with null puts the player's own back.
    void setEudcFont(const char* path);
    // Stores a system register; with saveNow the system data file is
    // rewritten at once.
    int32_t& setSystemRegister(int32_t index, int32_t value, bool saveNow);
    void loadSystemData();
    void saveSystemData();
    // The same for registers and a file name of the caller's.
    static void saveSystemData(const FCString& name, FCReg& registers);
    // "<save folder><game name>.system.dat".
    FCString systemDataName() const;
    // Gives the name strings and every string register a representation made
    // by the host, before the module that made them is unloaded.
    void renewStrings();
    // Stops the sound, switches off the scenario's objects and windows and
    // empties the next entry and module names.
    void reset();

    FCOasys* manager;
    FCSignature gameSignature;
    FCReg registers;
    FCStrReg stringRegisters;
    FCWaveDevice waveDevice;
    FCMidi midi;
    FCCd cd;
    FCString systemEudcFont;
    FCString gameEudcFont;
    FCRandom random;
    FCCriticalSection objectLock;
    FCXList<FCSignature> objects;
    FCReg systemRegisters;
    uint8_t workArea[256];
    int32_t words[2];
    FCXList<FCDll> modules;
    int32_t eudcFlag;
    FCString names[2];
    // Name of the entry to run next; empty ends the run.
    FCString nextEntry;
    // File name of the module of the next entry; a name that differs from the
    // loaded module's name (an empty one too) makes the manager load it first.
    FCString nextModule;
    FCDll* residentModule;
    FCString saveFolder;
    FCCriticalSection secondLock;
    FCOrderedMap orderedMap;
    int32_t limits[2];
    int32_t lastWord;
};

// Entry points, exported unmangled with the cdecl convention.
//   LUMIVEX_SCENARIO_ENTRY(opening) { scenario->nextEntry = "chapter1"; }
//   LUMIVEX_NAMED_ENTRY(INIT_ENTRY) { ...; return 0; }
// Named entries (INIT_ENTRY, EXCEPTION_ENTRY, EXIT_ENTRY) live in the resident
// module; INIT_ENTRY's text is the user folder, or null when there is none.
#define LUMIVEX_SCENARIO_ENTRY(name) extern "C" LUMIVEX_EXPORT void LUMIVEX_CDECL name(FCScenario* scenario)
#define LUMIVEX_NAMED_ENTRY(name)                                                                                      \
    extern "C" LUMIVEX_EXPORT int32_t LUMIVEX_CDECL name(                                                              \
        FCScenario* scenario, const char* text, int32_t value1, int32_t value2, int32_t value3)

using FCScenarioEntry = void(LUMIVEX_CDECL*)(FCScenario*);
using FCNamedEntry = int32_t(LUMIVEX_CDECL*)(FCScenario*, const char*, int32_t, int32_t, int32_t);
