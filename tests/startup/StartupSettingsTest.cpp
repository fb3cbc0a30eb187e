#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "startup/StartupSettings.h"
#include "startup/UxApplicationFlags.h"
#include "startup/UxOsVersion.h"
#include "startup/UxRnf.h"

namespace {

// An ini file as a table: "section/key" to value; what is not there is missing.
class TableIni : public IniKeyReader {
public:
    explicit TableIni(std::map<std::string, std::string> keys)
        : m_keys(std::move(keys))
    {
    }

    FCString readString(const char* key, const char* fallback, const char* section) override
    {
        auto found = m_keys.find(std::string(section ? section : "setting") + "/" + key);
        return FCString(found == m_keys.end() ? fallback : found->second.c_str());
    }

private:
    std::map<std::string, std::string> m_keys;
};

StartupSettings settingsFrom(std::map<std::string, std::string> keys, int32_t editorMode = 0)
{
    TableIni ini(std::move(keys));
    StartupSettings settings;
    settings.flags.setEditorMode(editorMode);
    readLanguageSetting(ini, settings);
    readStartupSettings(ini, settings);
    return settings;
}

} // namespace

TEST(ApplicationFlagsTest, FieldsKeepTheirBits)
{
    UxApplicationFlags flags;
    flags.setEditorMode(2);
    flags.setSceneJump(0x1F); // four bits only
    flags.setStartMaximised(true);
    flags.setRememberMaximised(true);
    flags.setQuiet(true);
    flags.setDeveloperSizes(true);
    flags.setVistaOrLater(true);
    flags.setResizable(true);
    flags.setResizeMode(18);
    flags.setImeControl(7);
    flags.setNoAbortCheck(true);
    EXPECT_EQ(flags.word(),
        0x2u | 0xF0u | (1u << 8) | (1u << 9) | (1u << 11) | (1u << 12) | (1u << 13) | (1u << 15) | (2u << 16)
            | (3u << 20) | (1u << 23));
    EXPECT_EQ(flags.sceneJump(), 15);
    EXPECT_EQ(flags.resizeMode(), 2);
    flags.setQuiet(false);
    flags.setResizeMode(0);
    EXPECT_FALSE(flags.quiet());
    EXPECT_EQ(flags.word() & 0xF0800u, 0u);
    EXPECT_EQ(applicationFlags().word(), 0u); // the process's own word starts clear
}

TEST(StartupSettingsTest, Defaults)
{
    StartupSettings s = settingsFrom({});
    EXPECT_STREQ(s.languageCode.text(), "JP");
    EXPECT_STREQ(s.languageModule.text(), "lang_jp.dll");
    EXPECT_STREQ(s.className.text(), "Lumivex");
    EXPECT_STREQ(s.windowClassName().text(), "Lumivex.wndclass");
    EXPECT_STREQ(s.systemDataName().text(), "Lumivex.system.dat");
    EXPECT_STREQ(s.title.text(), "Lumivex");
    EXPECT_STREQ(s.versionLine.text(), "");
    EXPECT_EQ(s.stackKilobytes, 2048);
    EXPECT_EQ(s.viewWidth, 800);
    EXPECT_EQ(s.viewHeight, 600);
    EXPECT_STREQ(s.userFolder.text(), "");
    EXPECT_STREQ(s.scenarioModule.text(), "hoge");
    EXPECT_STREQ(s.startEntry.text(), "hege");
    // Only the input-method mode (2) is set by default.
    EXPECT_EQ(s.flags.word(), 2u << 20);
}

TEST(StartupSettingsTest, Language)
{
    struct Case {
        const char* i18n;
        const char* code;
        const char* module;
    } cases[] = {
        { "EN", "EN", "lang_en.dll" },
        { "FR", "FR", "lang_jp.dll" },
        { "en, mine.dll", "EN", "mine.dll" },
        { "\tjp ,\tother.dll,more", "JP ", "other.dll" },
        { "EN,", "EN", "lang_en.dll" },
        { "", "", "lang_jp.dll" },
    };
    for (const Case& c : cases) {
        StartupSettings s = settingsFrom({ { "setting/I18N", c.i18n } });
        EXPECT_STREQ(s.languageCode.text(), c.code) << c.i18n;
        EXPECT_STREQ(s.languageModule.text(), c.module) << c.i18n;
    }
}

TEST(StartupSettingsTest, FlagKeys)
{
    struct Case {
        std::map<std::string, std::string> keys;
        uint32_t mask;
        uint32_t bits;
    } cases[] = {
        { { { "setting/QUIET", "1" } }, 1u << 11, 1u << 11 },
        { { { "setting/QUIET", "2" } }, 1u << 11, 0 },
        { { { "setting/WINCNF", "0x10" } }, 1u << 12, 1u << 12 },
        { { { "option/resize", "-1" } }, 1u << 15, 1u << 15 },
        { { { "option/resizeMode", "18" } }, 0xFu << 16, 2u << 16 },
        { { { "option/resizeMode", "-3" } }, 0xFu << 16, 0 },
        { { { "option/IMECtrl", "1" } }, 3u << 20, 1u << 20 },
        { { { "option/IMECtrl", "" } }, 3u << 20, 0 }, // present but empty reads as 0
        // "recmax" and "NoAbortCheck": 0 and 1 force, anything else takes FLAGS.
        { { { "option/FLAGS", "0b10010" } }, (1u << 9) | (1u << 23), (1u << 9) | (1u << 23) },
        { { { "option/FLAGS", "2" }, { "option/recmax", "0" } }, 1u << 9, 0 },
        { { { "option/FLAGS", "2" }, { "option/recmax", "7" } }, 1u << 9, 1u << 9 },
        { { { "option/recmax", "1" } }, 1u << 9, 1u << 9 },
        { { { "option/FLAGS", "16" }, { "option/NoAbortCheck", "0" } }, 1u << 23, 0 },
        { { { "option/NoAbortCheck", "1" } }, 1u << 23, 1u << 23 },
        { { { "option/FLAGS", "" }, { "option/NoAbortCheck", "-1" } }, 1u << 23, 0 },
    };
    for (const Case& c : cases) {
        StartupSettings s = settingsFrom(c.keys);
        EXPECT_EQ(s.flags.word() & c.mask, c.bits) << c.keys.begin()->first << "=" << c.keys.begin()->second;
    }
}

TEST(StartupSettingsTest, TextKeys)
{
    StartupSettings s
        = settingsFrom({ { "setting/CLASS", "MyGame" }, { "setting/TITLE", "My Game" }, { "copyright/TITLE", "About" },
            { "copyright/URL", "https://example.org" }, { "copyright/COPYRIGHT", "(c) 2026\\nAll rights\\\\n" },
            { "copyright/VERSION", "1.5.beta" }, { "setting/W_VIEW", "0x400" }, { "setting/H_VIEW", "768" },
            { "setting/SS_SCENARIO", "4096" }, { "setting/USER_FOLDER", "%AppData%MyGame\\" },
            { "setting/DPMODE", "3" }, { "setting/FIT", "1" }, { "release/debug", "1" }, { "setting/WinConfig", "2" },
            { "release/scenario", "story.dll" }, { "release/entry", "opening" } });
    EXPECT_STREQ(s.className.text(), "MyGame");
    EXPECT_STREQ(s.title.text(), "My Game");
    EXPECT_STREQ(s.copyrightTitle.text(), "About");
    EXPECT_STREQ(s.copyrightUrl.text(), "https://example.org");
    EXPECT_STREQ(s.copyright.text(), "(c) 2026\nAll rights\\\n");
    EXPECT_STREQ(s.versionLine.text(), "ver.1.05 rev.beta");
    EXPECT_EQ(s.viewWidth, 1024);
    EXPECT_EQ(s.viewHeight, 768);
    EXPECT_EQ(s.stackKilobytes, 4096);
    EXPECT_STREQ(s.userFolder.text(), "%AppData%MyGame\\");
    EXPECT_EQ(s.displayMode, 3);
    EXPECT_EQ(s.fit, 1);
    EXPECT_EQ(s.debug, 1);
    EXPECT_EQ(s.winConfig, 2);
    EXPECT_STREQ(s.scenarioModule.text(), "story.dll");
    EXPECT_STREQ(s.startEntry.text(), "opening");

    // The layout editor: its own class name and title.
    StartupSettings editor = settingsFrom({ { "setting/CLASS", "MyGame" }, { "setting/TITLE", "My Game" } }, 2);
    EXPECT_STREQ(editor.className.text(), "MyGameEDIT");
    EXPECT_STREQ(editor.windowClassName().text(), "MyGameEDIT.wndclass");
    EXPECT_STREQ(editor.title.text(), "LAYOUT EDITOR");
    EXPECT_EQ(editor.flags.editorMode(), 2);
}

TEST(StartupSettingsTest, VersionLine)
{
    struct Case {
        const char* version;
        const char* line;
    } cases[] = {
        { "1.5.3", "ver.1.05 rev.3" },
        { "2.10.a", "ver.2.10 rev.a" },
        { "2.100.b", "ver.2.100 rev.b" },
        { "1.0.2.4", "ver.1.00 rev.2.4" },
        { "3", "ver.3.00 rev." },
        { "", "" },
    };
    for (const Case& c : cases)
        EXPECT_STREQ(makeVersionLine(c.version).text(), c.line) << c.version;
}

TEST(StartupSettingsTest, UserFolderAndConfigFile)
{
    EXPECT_STREQ(expandUserFolder("%AppData%Game\\", "L:\\local\\", "R:\\roaming\\").text(), "R:\\roaming\\Game\\");
    EXPECT_STREQ(expandUserFolder("%LocalData%Game", "L:\\local\\", "R:\\roaming\\").text(), "L:\\local\\Game");
    EXPECT_STREQ(expandUserFolder("D:\\save\\", "L:\\", "R:\\").text(), "D:\\save\\");

#if defined(_WIN32)
    const char* separator = "\\";
#else
    const char* separator = "/";
#endif
    struct Case {
        const char* folder;
        int32_t mode;
        std::string name;
    } cases[] = {
        { "C:\\save\\", 0, "C:\\save\\config.rnf" },
        { "C:\\save", 0, std::string("C:\\save") + separator + "config.rnf" },
        { "C:\\save\\", 1, "C:\\save\\config.posit.rnf" },
        { "C:\\save\\", 2, "C:\\save\\config.layouter.rnf" },
        // A double-byte character ending in 0x5C is no separator (表 is 0x95 0x5C).
        { "C:\\\x95\x5C", 0, std::string("C:\\\x95\x5C") + separator + "config.rnf" },
        { "", 0, "config.rnf" },
    };
    for (const Case& c : cases)
        EXPECT_STREQ(configFileName(c.folder, c.mode).text(), c.name.c_str()) << c.folder << " " << c.mode;
}

TEST(StartupSettingsTest, WindowConfigurationFromIni)
{
    TableIni ini({ { "system/screenWidth", "1024" }, { "system/fq", "60" }, { "system/fq3", "75" },
        { "system/refq2", "-5" }, { "system/refq", "1" }, { "system/gameMonitor", "2" }, { "system/restoreIcon", "0" },
        { "setting/sx", "999" } });
    WindowConfiguration c = readWindowConfiguration(ini);
    EXPECT_EQ(c.screenWidth, 1024);
    EXPECT_EQ(c.screenHeight, 0);
    EXPECT_EQ(c.frequency(1), 60);
    EXPECT_EQ(c.frequency(2), 60);
    EXPECT_EQ(c.frequency(3), 75);
    EXPECT_EQ(c.refreshFrequency(2), 1);
    EXPECT_EQ(c.gameMonitor, 2);
    EXPECT_EQ(c.sx, 0); // another section's key
    EXPECT_EQ(c.restoreWindow, 1);
    EXPECT_EQ(c.restoreIcon, 0);
}

TEST(StartupSettingsTest, WindowConfigurationFromConfigFile)
{
    UxRnf config;
    config.setWriteBack(false);
    WindowConfiguration defaults = readWindowConfiguration(config);
    EXPECT_EQ(defaults.defaultLayout, 1);
    EXPECT_STREQ(defaults.explorer.text(), "32,0,0,0,0");
    EXPECT_EQ(defaults.gameMonitor, -1);
    EXPECT_EQ(defaults.monitorFq[9], -1);

    UxRnf::Pairs pairs;
    UxRnf::parse(FCString("wincnf1=0,0,640,480\nwincnf9=nine\nwincnf10=ignored\ndefwin=3\nsw=1280\nsh=960\n"
                          "fq=60\nfq9=72\nsx=10\nsy=0x20\nfMaxLaunch=1\nkeepMonitorAspectRatio=1\n"
                          "restoreWindow=0\nfExpl=1,2,3,4,5\nSAR=4:3\nNEW_SAR=1\nfNoD3DWarning=1\n"),
        pairs);
    for (const auto& [key, value] : pairs)
        config.set(key.text(), value.text());
    WindowConfiguration c = readWindowConfiguration(config);
    EXPECT_STREQ(c.layouts[1].text(), "0,0,640,480");
    EXPECT_STREQ(c.layouts[2].text(), "");
    EXPECT_STREQ(c.layouts[9].text(), "nine");
    EXPECT_EQ(c.defaultLayout, 3);
    EXPECT_EQ(c.sw, 1280);
    EXPECT_EQ(c.sh, 960);
    EXPECT_EQ(c.frequency(9), 72);
    EXPECT_EQ(c.frequency(8), 60);
    EXPECT_EQ(c.sx, 10);
    EXPECT_EQ(c.sy, 32);
    EXPECT_EQ(c.maxLaunch, 1);
    EXPECT_EQ(c.keepMonitorAspectRatio, 1);
    EXPECT_EQ(c.restoreWindow, 0);
    EXPECT_EQ(c.restoreIcon, 1);
    EXPECT_STREQ(c.explorer.text(), "1,2,3,4,5");
    EXPECT_STREQ(c.sar.text(), "4:3");
    EXPECT_EQ(c.newSar, 1);
    EXPECT_EQ(c.noD3DWarning, 1);
}

TEST(OsVersionTest, VersionTests)
{
    struct Case {
        int32_t major, minor, platform, build;
        int32_t for9x, forNt;
        bool atLeast;
        const char* name;
    } cases[] = {
        { 4, 10, UxOsVersion::kWindows9x, 1998, 0x40A, 0x500, true, "windows 98" },
        { 4, 0, UxOsVersion::kWindows9x, 950, 0x40A, 0x500, false, "windows 95" },
        { 4, 90, UxOsVersion::kWindows9x, 3000, -1, 0x600, false, "windows me" },
        { 5, 1, UxOsVersion::kWindowsNt, 2600, 0x40A, 0x500, true, "windows xp" },
        { 5, 1, UxOsVersion::kWindowsNt, 2600, -1, 0x600, false, "windows xp" },
        { 6, 0, UxOsVersion::kWindowsNt, 6000, -1, 0x600, true, "windows vista" },
        { 6, 1, UxOsVersion::kWindowsNt, 7601, 0x600, -1, false, "windows 7" },
        { 10, 0, UxOsVersion::kWindowsNt, 19045, -1, 0x600, true, "windows 10" },
        { 10, 0, UxOsVersion::kWindowsNt, 22631, -1, 0x600, true, "windows 11" },
        { 4, 0, UxOsVersion::kWindowsNt, 1381, -1, 0x600, false, "windows nt 4.0" },
    };
    for (const Case& c : cases) {
        UxOsVersion os(c.major, c.minor, c.platform, c.build);
        EXPECT_EQ(os.version(), c.major * 256 + c.minor);
        EXPECT_EQ(os.isAtLeast(c.for9x, c.forNt), c.atLeast) << c.name;
        EXPECT_STREQ(os.systemName().text(), c.name);
    }
}
