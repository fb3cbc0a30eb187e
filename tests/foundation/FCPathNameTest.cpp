#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/FCPathName.h"
#include "foundation/TextCodePage.h"
#include "support/MessageBoxRecorder.h"

#if !defined(_WIN32)
#include <unistd.h>

#include <cstdlib>
#endif

namespace {

// 表 (0x95 0x5C): its trail byte is a backslash.
#define OMOTE "\x95\x5C"

std::string currentDirectory()
{
    return FCPathName(nullptr).text();
}

TEST(FCPathName, ResolvesTextAgainstTheCurrentDirectory)
{
    std::string current = currentDirectory();
    ASSERT_FALSE(current.empty());
    EXPECT_TRUE(current.back() == '\\' || current.back() == '/') << current;

    struct Case {
        const char* text;
        std::string expected;
    } cases[] = {
        { "save\\x.dat", current + "save\\x.dat" },
        { "C:\\a", "C:\\a" },
        { "c:relative", "c:relative" },
        { "\\\\server\\share\\f", "\\\\server\\share\\f" },
        { OMOTE "\\x", current + OMOTE "\\x" },
        { "", current },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        FCPathName path(c.text);
        EXPECT_EQ(std::string(path.text()), c.expected);
        path.setCurrentDirectory();
        EXPECT_EQ(std::string(path.text()), current);
    }

    FCPathName relative;
    relative.set("C:\\ignored");
    FCPathName plus;
    plus.setCurrentDirectoryPlus(relative);
    EXPECT_EQ(std::string(plus.text()), current + "C:\\ignored");
}

TEST(FCPathName, CdromPrefixTakesTheFirstCdromDriveOrNothing)
{
    // Whether the machine has a CD-ROM drive is its own business: the rest
    // follows either "X:" or nothing.
    FCPathName path("%:\\data\\a.dat");
    std::string text = path.text();
    ASSERT_GE(text.size(), std::string("\\data\\a.dat").size());
    std::string drive = text.substr(0, text.size() - std::string("\\data\\a.dat").size());
    EXPECT_EQ(text.substr(drive.size()), "\\data\\a.dat");
    EXPECT_TRUE(drive.empty() || (drive.size() == 2 && drive[0] >= 'A' && drive[0] <= 'Z' && drive[1] == ':')) << drive;
    // The drive is looked for once.
    EXPECT_EQ(std::string(FCPathName("%:x").text()), drive + "x");
}

TEST(FCPathName, PartsAndExtensionsStepOverDoubleByteCharacters)
{
    struct Case {
        const char* path;
        bool needsSeparator;
        const char* folderWith;
        const char* folderWithout;
        const char* fileName;
        const char* extension; // hasExtension is true for it
        const char* replaced; // after replaceExtension(".bak")
    } cases[] = {
        { "C:\\dir\\" OMOTE, true, "C:\\dir\\", "C:\\dir", OMOTE, nullptr, "C:\\dir\\" OMOTE ".bak" },
        { "C:\\" OMOTE "\\file.TXT", true, "C:\\" OMOTE "\\", "C:\\" OMOTE, "file.TXT", "txt",
            "C:\\" OMOTE "\\file.bak" },
        { "C:\\a.b\\" OMOTE "." OMOTE, true, "C:\\a.b\\", "C:\\a.b", OMOTE "." OMOTE, OMOTE, "C:\\a.b\\" OMOTE ".bak" },
        { "C:\\a.b\\name", true, "C:\\a.b\\", "C:\\a.b", "name", nullptr, "C:\\a.b\\name.bak" },
        { "C:\\dir\\", false, "C:\\dir\\", "C:\\dir", "", nullptr, "C:\\dir\\" },
        { "C:file.txt", true, "", "", "C:file.txt", "TXT", "C:file.txt" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        FCPathName path(c.path);
        ASSERT_EQ(std::string(path.text()), c.path);
        EXPECT_EQ(path.needsSeparator(), c.needsSeparator);
        EXPECT_EQ(std::string(path.folder(true).text()), c.folderWith);
        EXPECT_EQ(std::string(path.folder(false).text()), c.folderWithout);
        EXPECT_EQ(std::string(path.fileName().text()), c.fileName);
        if (c.extension) {
            EXPECT_TRUE(path.hasExtension(c.extension));
            EXPECT_TRUE(path.hasExtension((std::string(".") + c.extension).c_str()));
        }
        EXPECT_FALSE(path.hasExtension("bak"));
        EXPECT_FALSE(path.hasExtension("t"));

        FCPathName replaced(path);
        replaced.replaceExtension(".bak");
        EXPECT_EQ(std::string(replaced.text()), c.replaced);
        EXPECT_EQ(std::string(path.text()), c.path) << "the copy changed the original";

        path.addSeparator();
        EXPECT_FALSE(path.needsSeparator());
        EXPECT_EQ(std::string(path.text()), std::string(c.path) + (c.needsSeparator ? "\\" : ""));
    }
}

TEST(FCPathName, SingleByteCodePageSeesEveryBackslash)
{
    setTextCodePage(1252);
    FCPathName path("C:\\dir\\" OMOTE);
    EXPECT_FALSE(path.needsSeparator());
    EXPECT_EQ(std::string(path.fileName().text()), "");
    setTextCodePage(932);
    EXPECT_TRUE(path.needsSeparator());
}

TEST(FCPathName, UnknownSpecialFolderIsTheCurrentDirectory)
{
    FCPathName path;
    path.setSpecialFolder(0x7779, false);
    EXPECT_EQ(std::string(path.text()), currentDirectory());
}

#if defined(_WIN32)
TEST(FCPathName, SpecialFolders)
{
    FCPathName executable;
    executable.setSpecialFolder(FCPathName::kExecutable, false);
    EXPECT_TRUE(executable.hasExtension("exe")) << executable.text();
    FCPathName folder;
    folder.setSpecialFolder(FCPathName::kExecutableFolder, false);
    EXPECT_EQ(std::string(folder.text()), std::string(executable.folder(false).text()));
    folder.setSpecialFolderWithSeparator(FCPathName::kExecutableFolder);
    EXPECT_EQ(std::string(folder.text()), std::string(executable.folder(true).text()));

    for (int32_t code : { int32_t(FCPathName::kWindowsFolder), int32_t(FCPathName::kSystemFolder),
             int32_t(FCPathName::kTemporaryFolder), int32_t(26), int32_t(28) }) {
        SCOPED_TRACE(code);
        FCPathName special;
        special.setSpecialFolder(code, true);
        std::string text = special.text();
        ASSERT_GE(text.size(), 4u);
        EXPECT_EQ(text[1], ':');
        EXPECT_EQ(text.back(), '\\');
        EXPECT_NE(text.substr(text.size() - 2), "\\\\");
        EXPECT_NE(text, currentDirectory());
    }
}
#else
TEST(FCPathName, UnreadableCurrentDirectoryIsReported)
{
    char folder[] = "/tmp/lumivex-path-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(folder), 0);
    ASSERT_EQ(rmdir(folder), 0);
    MessageBoxRecorder boxes;
    FCPathName path("x.dat");
    ASSERT_EQ(chdir(previous), 0);
    auto requests = boxes.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].caption, "FCString class");
    EXPECT_EQ(requests[0].text,
        "FCPathName - "
        "create()\x82\xC5\x83\x47\x83\x89\x81\x5B\x82\xAA\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD\n"
        "\x83\x47\x83\x89\x81\x5B\x83\x52\x81\x5B\x83\x68\x82\xCD\x81\x41" // でエラーが発生しました\nエラーコードは、
        "2\x82\xC5\x82\xB7"); // 2です
    EXPECT_EQ(std::string(path.text()), "x.dat");
}
#endif

} // namespace
