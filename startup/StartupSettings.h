#pragma once

#include <cstdint>

#include "foundation/FCGeometry.h"
#include "foundation/FCString.h"
#include "foundation/LumivexApi.h"
#include "startup/IniKeyReader.h"
#include "startup/UxApplicationFlags.h"

class UxRnf;

// What start-up takes from "Lumivex.ini", each field with its default.
struct LUMIVEX_API StartupSettings {
    // "I18N": the language code in upper case and the language module.
    FCString languageCode { "JP" };
    FCString languageModule { "lang_jp.dll" };
    // "CLASS", with "EDIT" appended in editor mode; the instance event's name.
    FCString className { "Lumivex" };
    // "TITLE"; "LAYOUT EDITOR" in editor mode.
    FCString title { "Lumivex" };
    // Section "copyright": "TITLE", "URL", "COPYRIGHT" (backslash-n made a
    // line break) and the version line made from "VERSION".
    FCString copyrightTitle;
    FCString copyrightUrl;
    FCString copyright;
    FCString versionLine;
    int32_t stackKilobytes = 2048; // "SS_SCENARIO"
    int32_t fit = 0; // "FIT"
    int32_t viewWidth = 800; // "W_VIEW"
    int32_t viewHeight = 600; // "H_VIEW"
    FCString userFolder; // "USER_FOLDER", not yet expanded
    int32_t displayMode = 0; // "DPMODE"
    int32_t debug = 0; // "debug" of section "release"
    int32_t winConfig = 0; // "WinConfig"
    // Section "release", read by the scenario manager.
    FCString scenarioModule { "hoge" };
    FCString startEntry { "hege" };
    // The application flags: editor mode and scene jump as the command line
    // gave them, and the bits the ini keys set.
    UxApplicationFlags flags;

    // The registered window class: the class name and ".wndclass".
    FCString windowClassName() const;
    // The system data file's name: the class name and ".system.dat".
    FCString systemDataName() const;
};

// "I18N": the language code and module. The caller then sets the game's
// code page and loads the catalogue before reading the other keys, whose
// values are converted in that code page.
LUMIVEX_API void readLanguageSetting(IniKeyReader& ini, StartupSettings& settings);
// Every other key of "Lumivex.ini", in start-up's order; settings.flags must
// hold the editor mode already.
LUMIVEX_API void readStartupSettings(IniKeyReader& ini, StartupSettings& settings);

// The pieces of those two, for their callers and tests.
// "ver." major "." minor (two digits at least) " rev." revision; empty for an
// empty "VERSION".
LUMIVEX_API FCString makeVersionLine(const char* version);
// "%LocalData%" and "%AppData%" replaced by those folders (each given with
// its trailing separator).
LUMIVEX_API FCString expandUserFolder(const char* folder, const char* localAppData, const char* roamingAppData);

// The configuration file of the user folder: "config.rnf", in editor mode 1
// "config.posit.rnf", in editor mode 2 "config.layouter.rnf"; a separator
// goes between when the folder does not end with one.
LUMIVEX_API FCString configFileName(const char* userFolder, int32_t editorMode);

// The screen aspect settings of the configuration file.
struct LUMIVEX_API ScreenAspect {
    int32_t viewWidth = 0;
    int32_t viewHeight = 0;
    // The requested size when "SAR" was valid, else empty.
    FCRect viewRect;
    // "NEW_SAR" was 1.
    bool isNew = false;
    // "fNoD3DWarning" non-zero.
    bool noD3DWarning = false;
};
// A valid "SAR" ("w:h", both positive, giving a height from 1 up) makes the
// height width * h / w; "NEW_SAR" = 1 removes "NEW_SAR", "sw" and "sh" and
// turns the write-back flag on, so that the object's destruction rewrites
// the file.
LUMIVEX_API ScreenAspect applyScreenAspect(UxRnf& config, int32_t viewWidth, int32_t viewHeight);
// The same on the file itself: read with write-back off, and rewritten
// (whole or not at all) when "NEW_SAR" was 1.
LUMIVEX_API ScreenAspect readScreenAspect(const char* configPath, int32_t viewWidth, int32_t viewHeight);
// The player's choice of screen aspect: 43 makes "SAR" "4:3", 54 "5:4", any
// other non-zero choice empty, 0 removes it; "NEW_SAR" becomes 1 always.
LUMIVEX_API void chooseScreenAspect(UxRnf& config, int32_t choice);

// The window configuration keys, with their defaults.
struct LUMIVEX_API WindowConfiguration {
    enum : int32_t { kMonitors = 10, kLayouts = 10 };

    int32_t screenWidth = 0; // "screenWidth" (ini)
    int32_t screenHeight = 0; // "screenHeight" (ini)
    int32_t screenDepth = 0; // "screenDepth" (ini)
    int32_t fq = 0; // "fq"
    int32_t refq = 0; // "refq"
    // "fq2" to "fq9" and "refq2" to "refq9" at their index; -1 takes fq / refq.
    int32_t monitorFq[kMonitors] = { -1, -1, -1, -1, -1, -1, -1, -1, -1, -1 };
    int32_t monitorRefq[kMonitors] = { -1, -1, -1, -1, -1, -1, -1, -1, -1, -1 };
    int32_t sx = 0; // "sx"
    int32_t sy = 0; // "sy"
    int32_t gameMonitor = -1; // "gameMonitor" (ini)
    int32_t restoreWindow = 1; // "restoreWindow"
    int32_t restoreIcon = 1; // "restoreIcon"
    // "wincnf1" to "wincnf9" at their index (configuration file).
    FCString layouts[kLayouts];
    int32_t defaultLayout = 1; // "defwin"
    int32_t sw = 0; // "sw"
    int32_t sh = 0; // "sh"
    int32_t maxLaunch = 0; // "fMaxLaunch": non-zero sets flag bit 8
    int32_t keepMonitorAspectRatio = 0; // "keepMonitorAspectRatio"
    FCString explorer { "32,0,0,0,0" }; // "fExpl"
    FCString sar; // "SAR"
    int32_t newSar = 0; // "NEW_SAR"
    int32_t noD3DWarning = 0; // "fNoD3DWarning"

    // The frequency settings of monitor 1-9: a negative per-monitor value
    // (and monitor 1) takes "fq" / "refq".
    int32_t frequency(int32_t monitor) const;
    int32_t refreshFrequency(int32_t monitor) const;
};
// Without a user folder: section "system" of "Lumivex.ini".
LUMIVEX_API WindowConfiguration readWindowConfiguration(IniKeyReader& ini);
// With a user folder: the configuration file (the keys of the ini's table
// that it does not hold keep their defaults).
LUMIVEX_API WindowConfiguration readWindowConfiguration(const UxRnf& config);
