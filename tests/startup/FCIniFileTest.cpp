#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "foundation/TextCodePage.h"
#include "startup/FCIniFile.h"
#include "startup/StartupSettings.h"
#include "startup/UxMessageTable.h"
#include "startup/UxOsVersion.h"
#include "support/TestFiles_win32.h"

namespace {

class IniFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_path = scratchFile("ini", "Lumivex.ini");
        std::remove(m_path.c_str());
        m_codePage = textCodePage();
    }
    void TearDown() override
    {
        std::remove(m_path.c_str());
        setTextCodePage(m_codePage);
    }
    void put(const std::string& bytes)
    {
        FILE* f = std::fopen(m_path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }

    std::string m_path;
    unsigned m_codePage = 932;
};

} // namespace

TEST_F(IniFile, ReadsStringsAndNumbers)
{
    put("[setting]\r\nTITLE=My Game\r\nW_VIEW=0x400\r\nH_VIEW=0b11\r\nFIT=12abc\r\nEMPTY=\r\n"
        "MARK=_dummy_\r\n[option]\r\nFLAGS=-7\r\n");
    FCIniFile ini;
    EXPECT_STREQ(ini.getString("TITLE", "closed").text(), ""); // not open yet
    ASSERT_TRUE(ini.open(m_path.c_str(), false));
    EXPECT_STREQ(ini.getString("TITLE", "x").text(), "My Game"); // the default section
    EXPECT_STREQ(ini.getString("TITLE", "x", "option").text(), "x");
    EXPECT_EQ(ini.getInt("W_VIEW", 800), 1024);
    EXPECT_EQ(ini.getInt("H_VIEW", 600), 3);
    EXPECT_EQ(ini.getInt("FIT", 0), 12);
    EXPECT_EQ(ini.getInt("EMPTY", 5), 0); // present but empty
    EXPECT_EQ(ini.getInt("MISSING", 5), 5);
    EXPECT_EQ(ini.getInt("MARK", 5), 5); // the marker itself reads as missing
    EXPECT_EQ(ini.getInt("FLAGS", 0, "option"), -7);
    ini.close();
    EXPECT_STREQ(ini.getString("TITLE", "x").text(), "");
}

TEST_F(IniFile, MissingFileGivesDefaultsAndCanBeCreated)
{
    FCIniFile ini;
    EXPECT_FALSE(ini.open(m_path.c_str(), false));
    EXPECT_STREQ(ini.getString("TITLE", "Lumivex").text(), "Lumivex");
    EXPECT_EQ(ini.getInt("W_VIEW", 800), 800);
    EXPECT_EQ(readAll(m_path).size(), 0u);
    EXPECT_TRUE(ini.open(m_path.c_str(), true));
    EXPECT_TRUE(readAll(m_path).empty());
    ASSERT_TRUE(ini.writeInt("count", -12, "system"));
    ASSERT_TRUE(ini.writeString("name", "value", "system"));
    EXPECT_EQ(ini.getInt("count", 0, "system"), -12);
    EXPECT_STREQ(ini.getString("name", "", "system").text(), "value");
}

// A Japanese game's ini file reads as its own bytes on any system (the
// tests run in a Japanese and in an English locale), and so do writes.
TEST_F(IniFile, JapaneseValuesInTheGamesCodePage)
{
    setTextCodePage(932);
    const std::string title = "\x83\x65\x83\x58\x83\x67\x95\x5C"; // テスト表
    const std::string name = "\x96\xBC\x91\x4F"; // 名前
    put("[setting]\r\nTITLE=" + title + "\r\n" + name + "=" + title + "\r\n");
    FCIniFile ini;
    ASSERT_TRUE(ini.open(m_path.c_str(), false));
    EXPECT_EQ(std::string(ini.getString("TITLE", "").text()), title);
    EXPECT_EQ(std::string(ini.getString(name.c_str(), "").text()), title);
    ASSERT_TRUE(ini.writeString("COPY", title.c_str()));
    EXPECT_EQ(std::string(ini.getString("COPY", "").text()), title);
    std::vector<uint8_t> bytes = readAll(m_path);
    EXPECT_NE(std::string(bytes.begin(), bytes.end()).find("COPY=" + title), std::string::npos);
}

// A UTF-16 ini file holds characters, converted in the game's code page.
TEST_F(IniFile, Utf16File)
{
    setTextCodePage(932);
    put(std::string("\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0\xC6\x30\xB9\x30\r\0\n\0", 24)); // [s] k=テス
    FCIniFile ini;
    ASSERT_TRUE(ini.open(m_path.c_str(), false));
    EXPECT_STREQ(ini.getString("k", "", "s").text(), "\x83\x65\x83\x58");
}

// Start-up's settings through the real ini file.
TEST_F(IniFile, StartupSettingsFromTheFile)
{
    put("[setting]\r\nI18N=en\r\nCLASS=Game\r\nQUIET=1\r\n[copyright]\r\nVERSION=2.3.x\r\n"
        "[option]\r\nFLAGS=0x12\r\nrecmax=0\r\nresizeMode=18\r\n");
    FCIniFile ini;
    ASSERT_TRUE(ini.open(m_path.c_str(), false));
    StartupSettings settings;
    readLanguageSetting(ini, settings);
    EXPECT_STREQ(settings.languageCode.text(), "EN");
    EXPECT_STREQ(settings.languageModule.text(), "lang_en.dll");
    readStartupSettings(ini, settings);
    EXPECT_STREQ(settings.className.text(), "Game");
    EXPECT_STREQ(settings.versionLine.text(), "ver.2.03 rev.x");
    EXPECT_TRUE(settings.flags.quiet());
    EXPECT_FALSE(settings.flags.rememberMaximised());
    EXPECT_TRUE(settings.flags.noAbortCheck());
    EXPECT_EQ(settings.flags.resizeMode(), 2);
    EXPECT_EQ(settings.flags.imeControl(), 2);
}

// The catalogues lie beside the executable, as the build puts them.
TEST(CatalogueBesideExecutable, LoadsByLanguage)
{
    UxMessageTable table;
    ASSERT_TRUE(table.loadCatalogue("EN"));
    EXPECT_EQ(std::string(table.text(101).text()).find("Start-up was stopped"), 0u);
    ASSERT_TRUE(table.loadCatalogue("JP"));
    EXPECT_GT(table.text(101).length(), 0);
    EXPECT_FALSE(table.loadCatalogue("FR"));
    EXPECT_EQ(table.text(101).length(), 0);
}

TEST(OsVersionSystem, ReportsTheRunningSystem)
{
    UxOsVersion os = UxOsVersion::current();
    EXPECT_EQ(os.platform(), UxOsVersion::kWindowsNt);
    EXPECT_GE(os.version(), 0x501);
    EXPECT_EQ(std::string(os.systemName().text()).rfind("windows ", 0), 0u);
}
