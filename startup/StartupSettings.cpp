#include "startup/StartupSettings.h"

#include <cstdint>

#include "startup/UxRnf.h"

namespace {

constexpr const char* kSetting = "setting";
constexpr const char* kCopyright = "copyright";
constexpr const char* kRelease = "release";
constexpr const char* kOption = "option";
constexpr const char* kSystem = "system";

// "recmax" and "NoAbortCheck": 0 off, 1 on, anything else what FLAGS said.
bool threeValued(int32_t value, bool fromFlags)
{
    return value == 0 ? false : value == 1 ? true : fromFlags;
}

int32_t intOr(const UxRnf& config, const char* key, int32_t fallback, int32_t index = -1)
{
    int32_t value = fallback;
    config.getInt(value, key, index);
    return value;
}

} // namespace

FCString StartupSettings::windowClassName() const
{
    FCString name(className);
    name.append(".wndclass");
    return name;
}

FCString StartupSettings::systemDataName() const
{
    FCString name(className);
    name.append(".system.dat");
    return name;
}

void readLanguageSetting(IniKeyReader& ini, StartupSettings& settings)
{
    // At most two fields; every comma ends a field, blanks and tabs before
    // each are skipped.
    FCString value = ini.readString("I18N", "JP", kSetting);
    value.home();
    FCString fields[2];
    value.split(fields, 2, ",", FCString::kSplitTrailingEmpty, " \t");
    settings.languageCode = fields[0];
    settings.languageCode.toUpper();
    if (!fields[1].isEmpty())
        settings.languageModule = fields[1];
    else
        settings.languageModule = settings.languageCode == "EN" ? "lang_en.dll" : "lang_jp.dll";
}

void readStartupSettings(IniKeyReader& ini, StartupSettings& settings)
{
    UxApplicationFlags& flags = settings.flags;
    bool editor = flags.editorMode() != 0;

    settings.className = ini.readString("CLASS", "Lumivex", kSetting);
    if (editor)
        settings.className.append("EDIT");
    flags.setDeveloperSizes(ini.readInt("WINCNF", 0, kSetting) != 0);
    settings.stackKilobytes = ini.readInt("SS_SCENARIO", 2048, kSetting);
    settings.title = ini.readString("TITLE", "Lumivex", kSetting);
    if (editor)
        settings.title = "LAYOUT EDITOR";

    settings.copyrightTitle = ini.readString("TITLE", "", kCopyright);
    settings.copyrightUrl = ini.readString("URL", "", kCopyright);
    settings.copyright = ini.readString("COPYRIGHT", "", kCopyright);
    settings.copyright.replaceAll("\\n", "\n");
    settings.versionLine = makeVersionLine(ini.readString("VERSION", "", kCopyright).text());

    settings.fit = ini.readInt("FIT", 0, kSetting);
    settings.viewWidth = ini.readInt("W_VIEW", 800, kSetting);
    settings.viewHeight = ini.readInt("H_VIEW", 600, kSetting);
    settings.userFolder = ini.readString("USER_FOLDER", "", kSetting);
    settings.displayMode = ini.readInt("DPMODE", 0, kSetting);
    flags.setQuiet(ini.readInt("QUIET", 0, kSetting) == 1);
    settings.debug = ini.readInt("debug", 0, kRelease);
    flags.setImeControl(ini.readInt("IMECtrl", 2, kOption));

    int32_t optionFlags = ini.readInt("FLAGS", 0, kOption);
    flags.setRememberMaximised(threeValued(ini.readInt("recmax", -1, kOption), (optionFlags >> 1) & 1));
    flags.setNoAbortCheck(threeValued(ini.readInt("NoAbortCheck", -1, kOption), (optionFlags >> 4) & 1));
    flags.setResizable(ini.readInt("resize", 0, kOption) != 0);
    int32_t resizeMode = ini.readInt("resizeMode", 0, kOption);
    flags.setResizeMode(resizeMode > 0 ? (resizeMode & 0xF) : 0);
    settings.winConfig = ini.readInt("WinConfig", 0, kSetting);

    settings.scenarioModule = ini.readString("scenario", "hoge", kRelease);
    settings.startEntry = ini.readString("entry", "hege", kRelease);
}

FCString makeVersionLine(const char* version)
{
    FCString line;
    if (!version || !*version)
        return line;
    FCString text(version);
    FCString fields[3];
    text.split(fields, 3, ".", FCString::kSplitRestInLast);
    line = "ver.";
    line.append(fields[0]);
    line.append(".");
    int32_t minor = fields[1].toInt();
    line.appendNumber(minor, 10, minor >= 0 && minor < 10 ? 2 : 0, '0');
    line.append(" rev.");
    line.append(fields[2]);
    return line;
}

FCString expandUserFolder(const char* folder, const char* localAppData, const char* roamingAppData)
{
    FCString expanded(folder ? folder : "", FCString::kPathBlockSize);
    expanded.replaceAll("%LocalData%", localAppData ? localAppData : "");
    expanded.replaceAll("%AppData%", roamingAppData ? roamingAppData : "");
    return expanded;
}

FCString configFileName(const char* userFolder, int32_t editorMode)
{
    FCString name(userFolder ? userFolder : "", FCString::kPathBlockSize);
    if (!name.isEmpty()) {
        char last = name.text()[name.length() - 1];
        bool separated = last == '\\';
#if !defined(_WIN32)
        separated = separated || last == '/';
#endif
        // A trail byte of code page 932 may be a backslash.
        name.moveTo(-1, FCString::kFromEnd);
        if (name.character() > 0xFF)
            separated = false;
        if (!separated) {
#if defined(_WIN32)
            name.append("\\");
#else
            name.append("/");
#endif
        }
    }
    name.append(editorMode == 1 ? "config.posit.rnf" : editorMode == 2 ? "config.layouter.rnf" : "config.rnf");
    return name;
}

ScreenAspect applyScreenAspect(UxRnf& config, int32_t viewWidth, int32_t viewHeight)
{
    ScreenAspect aspect;
    aspect.viewWidth = viewWidth;
    aspect.viewHeight = viewHeight;

    FCString sar;
    if (config.get(sar, "SAR")) {
        FCString parts[2];
        sar.home();
        if (sar.split(parts, 2, ":", FCString::kSplitTrailingEmpty) == 2) {
            int64_t w = parts[0].toInt();
            int64_t h = parts[1].toInt();
            int64_t height = w > 0 && h > 0 ? static_cast<int64_t>(viewWidth) * h / w : 0;
            // A ratio that leaves no picture (or more than a window can
            // hold) is as good as none.
            if (height >= 1 && height <= INT32_MAX) {
                aspect.viewHeight = static_cast<int32_t>(height);
                aspect.viewRect = FCRect(0, 0, viewWidth, viewHeight);
            }
        }
    }

    int32_t newSar = 0;
    if (config.getInt(newSar, "NEW_SAR") && newSar == 1) {
        aspect.isNew = true;
        config.remove("NEW_SAR");
        config.remove("sw");
        config.remove("sh");
        config.setWriteBack(true);
    }
    int32_t noWarning = 0;
    aspect.noD3DWarning = config.getInt(noWarning, "fNoD3DWarning") && noWarning != 0;
    return aspect;
}

ScreenAspect readScreenAspect(const char* configPath, int32_t viewWidth, int32_t viewHeight)
{
    UxRnf config(configPath);
    config.setWriteBack(false);
    return applyScreenAspect(config, viewWidth, viewHeight);
}

void chooseScreenAspect(UxRnf& config, int32_t choice)
{
    if (choice == 0)
        config.remove("SAR");
    else
        config.set("SAR", choice == 43 ? "4:3" : choice == 54 ? "5:4" : "");
    config.setInt("NEW_SAR", 1);
}

int32_t WindowConfiguration::frequency(int32_t monitor) const
{
    if (monitor >= 2 && monitor < kMonitors && monitorFq[monitor] >= 0)
        return monitorFq[monitor];
    return fq;
}

int32_t WindowConfiguration::refreshFrequency(int32_t monitor) const
{
    if (monitor >= 2 && monitor < kMonitors && monitorRefq[monitor] >= 0)
        return monitorRefq[monitor];
    return refq;
}

WindowConfiguration readWindowConfiguration(IniKeyReader& ini)
{
    WindowConfiguration c;
    c.screenWidth = ini.readInt("screenWidth", 0, kSystem);
    c.screenHeight = ini.readInt("screenHeight", 0, kSystem);
    c.screenDepth = ini.readInt("screenDepth", 0, kSystem);
    c.fq = ini.readInt("fq", 0, kSystem);
    c.refq = ini.readInt("refq", 0, kSystem);
    for (int32_t monitor = 2; monitor < WindowConfiguration::kMonitors; ++monitor) {
        FCString fq("fq");
        fq.appendNumber(monitor);
        FCString refq("refq");
        refq.appendNumber(monitor);
        c.monitorFq[monitor] = ini.readInt(fq.text(), -1, kSystem);
        c.monitorRefq[monitor] = ini.readInt(refq.text(), -1, kSystem);
    }
    c.sx = ini.readInt("sx", 0, kSystem);
    c.sy = ini.readInt("sy", 0, kSystem);
    c.gameMonitor = ini.readInt("gameMonitor", -1, kSystem);
    c.restoreWindow = ini.readInt("restoreWindow", 1, kSystem);
    c.restoreIcon = ini.readInt("restoreIcon", 1, kSystem);
    return c;
}

WindowConfiguration readWindowConfiguration(const UxRnf& config)
{
    WindowConfiguration c;
    for (int32_t layout = 1; layout < WindowConfiguration::kLayouts; ++layout)
        config.get(c.layouts[layout], "wincnf", layout);
    c.defaultLayout = intOr(config, "defwin", 1);
    c.sw = intOr(config, "sw", 0);
    c.sh = intOr(config, "sh", 0);
    c.fq = intOr(config, "fq", 0);
    c.refq = intOr(config, "refq", 0);
    for (int32_t monitor = 2; monitor < WindowConfiguration::kMonitors; ++monitor) {
        c.monitorFq[monitor] = intOr(config, "fq", -1, monitor);
        c.monitorRefq[monitor] = intOr(config, "refq", -1, monitor);
    }
    c.sx = intOr(config, "sx", 0);
    c.sy = intOr(config, "sy", 0);
    c.maxLaunch = intOr(config, "fMaxLaunch", 0);
    c.keepMonitorAspectRatio = intOr(config, "keepMonitorAspectRatio", 0);
    c.restoreWindow = intOr(config, "restoreWindow", 1);
    c.restoreIcon = intOr(config, "restoreIcon", 1);
    config.get(c.explorer, "fExpl");
    config.get(c.sar, "SAR");
    c.newSar = intOr(config, "NEW_SAR", 0);
    c.noD3DWarning = intOr(config, "fNoD3DWarning", 0);
    return c;
}
