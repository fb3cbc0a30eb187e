#include <windows.h>

#include <cstring>
#include <map>
#include <string>

#include "foundation/Diagnostic.h"
#include "foundation/FCFile.h"
#include "foundation/FCPath.h"
#include "foundation/FCSignature.h"
#include "foundation/FCSync.h"
#include "foundation/TextCodePage.h"
#include "scenario/FCOasys.h"
#include "scenario/FCScenario.h"

// Exported by gdi32 but missing from the toolchain's headers.
extern "C" __declspec(dllimport) BOOL WINAPI EnableEUDC(BOOL enable);

namespace {
// Values of the wave device, passed through to the mixer.
constexpr int32_t kWaveValues[3] = { 910, 943, 944 };
constexpr int32_t kSwitchedOffKind = 110;
// Scenario windows destroyed at reset, one kind after the other.
constexpr int32_t kScenarioWindowKinds[3] = { 6, 14, 5 };
constexpr wchar_t kEudcKey[] = L"EUDC\\932";
constexpr wchar_t kEudcValue[] = L"SystemDefaultEUDCFont";

// EUDC is switched off while the font value is read or changed, and on again after.
struct EudcOff {
    EudcOff() { EnableEUDC(FALSE); }
    ~EudcOff() { EnableEUDC(TRUE); }
};

// The player's own EUDC font value as the system holds it (wide text: the
// game's code page may not hold the path), read before a game first changes
// it, for each scenario object; what the end of the run puts back.
struct PlayerEudcFont {
    bool present = false;
    std::wstring value;
};
FCCriticalSection g_playerEudcLock;
std::map<const FCScenario*, PlayerEudcFont> g_playerEudcFonts;

PlayerEudcFont readPlayerEudcFont()
{
    PlayerEudcFont font;
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kEudcKey, kEudcValue, RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return font;
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, kEudcKey, kEudcValue, RRF_RT_REG_SZ, nullptr, value.data(), &size)
        != ERROR_SUCCESS)
        return font;
    value.resize(wcslen(value.c_str()));
    font.present = true;
    font.value = value;
    return font;
}

// Records the player's value for the scenario unless it is recorded already.
const PlayerEudcFont& rememberPlayerEudcFont(const FCScenario* scenario)
{
    FCLock lock(&g_playerEudcLock);
    auto found = g_playerEudcFonts.find(scenario);
    if (found == g_playerEudcFonts.end())
        found = g_playerEudcFonts.emplace(scenario, readPlayerEudcFont()).first;
    return found->second;
}
} // namespace

FCScenario::FCScenario(FCOasys* owner)
    : manager(owner)
    , waveDevice(kWaveValues[0], kWaveValues[1], kWaveValues[2])
    , random(0xFFFFFFFFu)
    , workArea {}
    , words {}
    , eudcFlag(0)
    , residentModule(nullptr)
    , orderedMap {}
    , limits { 256, 256 }
    , lastWord(0)
{
}

FCScenario::~FCScenario()
{
    if (eudcFlag)
        setEudcFont(nullptr);
    reset();
    FCLock lock(&g_playerEudcLock);
    g_playerEudcFonts.erase(this);
}

FCOasys* FCScenario::initialise(const char* gameName, int32_t registerCount, int32_t stringCount, int32_t systemCount,
    int32_t newEudcFlag, const char* newSaveFolder)
{
    eudcFlag = newEudcFlag;
    if (newSaveFolder)
        saveFolder = newSaveFolder;
    else
        saveFolder.clear();
    gameSignature.name = gameName ? gameName : "";
    registers.create(registerCount);
    stringRegisters.create(stringCount);
    systemRegisters.create(systemCount);
    words[0] = words[1] = 0;
    if (eudcFlag && systemEudcFont.isEmpty()) {
        EudcOff off;
        systemEudcFont = fromWide(rememberPlayerEudcFont(this).value.c_str()).c_str();
    }
    loadSystemData();
    if (manager)
        manager->scenario = this;
    return manager;
}

FCOasys* FCScenario::initialise(FCOasys* newManager, const char* gameName, int32_t registerCount, int32_t stringCount,
    int32_t systemCount, int32_t newEudcFlag, const char* newSaveFolder)
{
    manager = newManager;
    return initialise(gameName, registerCount, stringCount, systemCount, newEudcFlag, newSaveFolder);
}

void FCScenario::setEudcFont(const char* path)
{
    EudcOff off;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kEudcKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr)
        != ERROR_SUCCESS)
        return;
    auto store = [key](const std::wstring& value) {
        RegSetValueExW(key, kEudcValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    };
    if (path) {
        std::wstring wide = toWide(path);
        DWORD attributes = GetFileAttributesW(wide.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            rememberPlayerEudcFont(this);
            store(wide);
            gameEudcFont = path;
        }
    } else if (!gameEudcFont.isEmpty()) {
        // The player's own value goes back as it was, absent when it was;
        // a game that never set a font leaves it alone.
        const PlayerEudcFont& player = rememberPlayerEudcFont(this);
        if (player.present)
            store(player.value);
        else
            RegDeleteValueW(key, kEudcValue);
        gameEudcFont.clear();
    }
    RegCloseKey(key);
}

int32_t& FCScenario::setSystemRegister(int32_t index, int32_t value, bool saveNow)
{
    int32_t& element = systemRegisters.item(index);
    element = value;
    if (saveNow)
        saveSystemData();
    return element;
}

FCString FCScenario::systemDataName() const
{
    FCString name(saveFolder.text());
    name.append(gameSignature.name.text());
    name.append(".system.dat");
    return name;
}

namespace {

FCString withSuffix(const FCString& name, const char* suffix)
{
    FCString result(name.text());
    result.append(suffix);
    return result;
}

// Opens a file that starts with the "FCReg" record, a generation of the
// system data worth keeping, at its start; false for a missing file or any
// other content.
bool openRegisterFile(const char* path, FCFile& file)
{
    if (file.open(path, FCFile::kOpenExisting, FCFile::kRead, FCFile::kShareRead, 0x80, true) != 0
        || !FCSignature("FCReg").check(file))
        return false;
    file.seek(FCFile::kFromStart, 0);
    return true;
}

bool holdsRegisters(const char* path)
{
    FCFile file;
    return openRegisterFile(path, file);
}

bool loadRegisters(const char* path, FCReg& registers)
{
    FCFile file;
    if (!openRegisterFile(path, file))
        return false;
    registers.load(file);
    return true;
}

} // namespace

// The system data is never written in place: a save goes to name + ".new",
// is flushed to the disk, and only then takes the name, the previous
// generation kept as name + ".bak". A crash or a power cut at any moment
// leaves the old registers or the new ones, never a torn file; a load falls
// back to the backup when the file is missing or damaged.
void FCScenario::loadSystemData()
{
    // A missing file leaves the registers at 0 without a word to the player.
    const FCString name = systemDataName();
    if (!loadRegisters(name.text(), systemRegisters))
        loadRegisters(withSuffix(name, ".bak").text(), systemRegisters);
}

void FCScenario::saveSystemData()
{
    saveSystemData(systemDataName(), systemRegisters);
}

void FCScenario::saveSystemData(const FCString& name, FCReg& registers)
{
    const FCString fresh = withSuffix(name, ".new");
    {
        FCFile file;
        // Failures to open or write ask Retry or Cancel and throw on Cancel.
        file.open(fresh.text(), FCFile::kCreateAlways, FCFile::kReadWrite, FCFile::kShareRead);
        registers.save(file);
        if (!file.flush())
            throw CannotWriteException("FCScenario - saveSystemData", fresh.text());
    }
    // A damaged file is no generation to keep: the backup stays as it is.
    // A rename that fails asks Retry or Cancel as a failed write does.
    if (holdsRegisters(name.text()))
        FCFile::replace(name.text(), withSuffix(name, ".bak").text());
    FCFile::replace(fresh.text(), name.text());
}

void FCScenario::renewStrings()
{
    names[0].renew();
    names[1].renew();
    nextEntry.renew();
    nextModule.renew();
    stringRegisters.renew();
}

void FCScenario::reset()
{
    FCLock lock(&objectLock);
    waveDevice.stopAll();
    midi.stop(0, 2000);
    cd.stop();
    FCXListIterator<FCSignature> each(&objects);
    while (FCSignature* object = each.next()) {
        if (object->kind() == kSwitchedOffKind)
            object->switchOff();
    }
    if (manager) {
        for (int32_t kind : kScenarioWindowKinds)
            manager->destroyScenarioWindows(kind);
    }
    objects.clear();
    nextEntry.clear();
    nextModule.clear();
}
