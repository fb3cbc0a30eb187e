#include <gtest/gtest.h>

#include <string>

#include "foundation/Diagnostic.h"
#include "foundation/FCFile.h"
#include "foundation/FCPath.h"
#include "foundation/FCPathName.h"
#include "foundation/UxMessageBox.h"
#include "foundation/UxTextScramble.h"
#include "startup/ScratchFiles.h"
#include "startup/StartupSettings.h"
#include "startup/UxConfigFile.h"
#include "startup/UxRnf.h"
#include "support/MessageBoxRecorder.h"

#if defined(_WIN32)
#include <direct.h>
#endif

namespace {

// The pairs as "key=value" lines, in the map's order.
std::string dump(const UxRnf::Pairs& pairs)
{
    std::string out;
    for (const auto& [key, value] : pairs)
        out += std::string(key.text()) + "=" + value.text() + "\n";
    return out;
}

std::string parsed(const char* text)
{
    UxRnf::Pairs pairs;
    UxRnf::parse(FCString(text), pairs);
    return dump(pairs);
}

// A file whose lines after the first are scrambled with seed.
std::string scrambled(const std::string& firstLine, std::string rest, uint32_t seed)
{
    scrambleBytes(rest.data(), rest.size(), seed);
    return firstLine + rest;
}

using Rnf = ScratchFiles;

} // namespace

TEST(UxRnfParse, Lines)
{
    struct Case {
        const char* text;
        const char* pairs;
    } cases[] = {
        // The key ends at the blank, the separator run is skipped, a tab ends the value.
        { "key = a value\twith a tail\n", "key=a value\n" },
        { "key\n", "key=\n" },
        { "a\t=\t b\r\nc==d\re=f", "a=b\nc=d\ne=f\n" },
        // Comments, empty lines, leading blanks and ideographic spaces.
        { "; comment\n\n  \t\x81\x40key=v\n \x81\x40; indented comment\n", "key=v\n" },
        // The first definition wins.
        { "k=first\nk=second\n", "k=first\n" },
        // Blocks: the key line's own value joins the first value line
        // directly, later lines follow a line feed.
        { "<--\nmsg=\none\ntwo\n-->\n", "msg=one\ntwo\n" },
        { "<--\nmsg=zero\none\ntwo\n-->\n", "msg=zeroone\ntwo\n" },
        { "<--\nmsg=\none\n; skipped\n\n  two\n-->\nafter=1\n", "after=1\nmsg=one\ntwo\n" },
        { "<--\nmsg=only\n-->\n", "msg=only\n" },
        // "-->" instead of the key line closes the block with nothing stored.
        { "<--\n-->\nk=v\n", "k=v\n" },
        // A block that never closes is dropped.
        { "k=v\n<--\nmsg=\npart\n", "k=v\n" },
        // A line that is not exactly "-->" is a value line.
        { "<--\nm=\n--> \n-->\n", "m=--> \n" },
        // The first definition wins for blocks too.
        { "m=plain\n<--\nm=\nblock\n-->\n", "m=plain\n" },
        // Keys are kept in byte order, case-sensitively.
        { "b=1\nB=2\na=3\n_=4\n", "B=2\n_=4\na=3\nb=1\n" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(parsed(c.text), c.pairs) << c.text;
}

TEST(UxRnfParse, TypeLine)
{
    struct Case {
        const char* text;
        bool found;
        int32_t type;
        uint32_t seed;
    } cases[] = {
        { "rnftype=1,1234\nk=v", true, 1, 1234 },
        { "  RnfType=\t1, 0x10\n", true, 1, 16 },
        { "RNFTYPE=0,7", true, 0, 7 },
        { "rnftype=1", true, 1, 0 },
        { "rnftype=1,0b101", true, 1, 5 },
        { "rnftype=1,4294967295", true, 1, 4294967295u },
        // Only blanks before the fields are ignored; an empty first line is no type line.
        { "rnftype =1,5", false, 0, 0 },
        { "\nrnftype=1,5", false, 0, 0 },
        { "k=v\nrnftype=1,5", false, 0, 0 },
        { "", false, 0, 0 },
    };
    for (const Case& c : cases) {
        int32_t type = -5;
        uint32_t seed = 99;
        ASSERT_EQ(UxRnf::readTypeLine(c.text, type, seed), c.found) << c.text;
        if (c.found) {
            EXPECT_EQ(type, c.type) << c.text;
            EXPECT_EQ(seed, c.seed) << c.text;
        }
    }
}

TEST_F(Rnf, PlainTypeLineIsAlsoAPair)
{
    std::string path = scratch("plain.rnf");
    put(path, "RNFTYPE=0,7\nk=v\n");
    UxRnf rnf(path.c_str());
    rnf.setWriteBack(false);
    EXPECT_FALSE(rnf.wasScrambled());
    EXPECT_EQ(dump(rnf.pairs()), "RNFTYPE=0,7\nk=v\n");
}

TEST_F(Rnf, ScrambledFileReadWithItsSeed)
{
    std::string path = scratch("scrambled.rnf");
    const std::string body = "SAR=4:3\r\n<--\nnote=\nline one\nline two\n-->\nsw=1024\n";
    put(path, scrambled("rnftype=1,0x2468\r\n", body, 0x2468));
    {
        UxRnf rnf(path.c_str());
        rnf.setWriteBack(false);
        EXPECT_TRUE(rnf.wasScrambled());
        EXPECT_EQ(dump(rnf.pairs()), "SAR=4:3\nnote=line one\nline two\nrnftype=1,0x2468\nsw=1024\n");
    }
    // The wrong seed gives other pairs, without complaint.
    put(path, scrambled("rnftype=1,0x2469\r\n", body, 0x2468));
    UxRnf wrong(path.c_str());
    wrong.setWriteBack(false);
    FCString sar;
    EXPECT_FALSE(wrong.get(sar, "SAR"));
    // Reading left the file alone.
    EXPECT_EQ(get(path), scrambled("rnftype=1,0x2469\r\n", body, 0x2468));
}

TEST_F(Rnf, SubstitutionVariablesApplyInOrder)
{
    std::string path = scratch("vars.rnf");
    put(path, "path=%1%\\data\\%12%\nother=%2%%3%\n");
    UxRnf rnf;
    rnf.setWriteBack(false);
    rnf.addVariable(1, "C:\\game");
    rnf.addVariable(12, "%3%");
    rnf.addVariable(3, "x");
    ASSERT_TRUE(rnf.load(path.c_str()));
    EXPECT_EQ(dump(rnf.pairs()), "other=%2%x\npath=C:\\game\\data\\x\n");
}

TEST(UxRnfKeys, IndexedGetAndDefaults)
{
    UxRnf rnf;
    rnf.setWriteBack(false);
    FCString value("unchanged");
    EXPECT_FALSE(rnf.get(value, "wincnf")); // no pairs at all
    EXPECT_STREQ(value.text(), "unchanged");

    rnf.set("wincnf", "plain");
    rnf.set("wincnf", "third", 3);
    rnf.setInt("count", -12);
    ASSERT_TRUE(rnf.get(value, "wincnf", 3));
    EXPECT_STREQ(value.text(), "third");
    ASSERT_TRUE(rnf.get(value, "wincnf3"));
    ASSERT_TRUE(rnf.get(value, "wincnf", -1));
    EXPECT_STREQ(value.text(), "plain");
    EXPECT_FALSE(rnf.get(value, "wincnf", 4));

    int32_t number = 7;
    EXPECT_TRUE(rnf.getInt(number, "count"));
    EXPECT_EQ(number, -12);
    EXPECT_FALSE(rnf.getInt(number, "missing"));
    EXPECT_EQ(number, -12);

    // Defaults, with and without creating the pair.
    EXPECT_FALSE(rnf.getInt(number, "fq", 60, 2, false));
    EXPECT_EQ(number, 60);
    EXPECT_FALSE(rnf.get(value, "fq2"));
    EXPECT_FALSE(rnf.getInt(number, "fq", 75, 2, true));
    EXPECT_TRUE(rnf.getInt(number, "fq", 0, 2, false));
    EXPECT_EQ(number, 75);
    EXPECT_FALSE(rnf.getString(value, "fExpl", "32,0,0,0,0", -1, true));
    EXPECT_STREQ(value.text(), "32,0,0,0,0");
    EXPECT_TRUE(rnf.get(value, "fExpl"));

    EXPECT_TRUE(rnf.remove("wincnf", 3));
    EXPECT_FALSE(rnf.remove("wincnf", 3));
    EXPECT_EQ(dump(rnf.pairs()), "count=-12\nfExpl=32,0,0,0,0\nfq2=75\nwincnf=plain\n");
}

TEST_F(Rnf, SaveWritesPlainPairsInKeyOrder)
{
    std::string path = scratch("save.rnf");
    put(path, "; a comment the save drops\nzeta = last\nalpha=first\n<--\nnote=\none\ntwo\n-->\n");
    UxRnf rnf(path.c_str());
    rnf.setWriteBack(false);
    rnf.set("middle", "a b");
    ASSERT_TRUE(rnf.save());
    // A value of several lines is written as a block, which reads back the same.
    EXPECT_EQ(get(path), "alpha=first\nmiddle=a b\n<--\nnote=\none\ntwo\n-->\nzeta=last\n");
    EXPECT_EQ(get(path + ".new"), "<missing>");
    UxRnf again(path.c_str());
    again.setWriteBack(false);
    EXPECT_EQ(dump(again.pairs()), dump(rnf.pairs()));

    // A lead byte that ends a value is no character and would swallow the
    // line feed after it: it is left out.
    UxRnf::Pairs dangling;
    UxRnf::parse(FCString("k=ab\x94"), dangling);
    dangling.emplace(FCString("l"), FCString("cd"));
    EXPECT_STREQ(UxRnf::format(dangling).text(), "k=ab\nl=cd\n");

    // A line feed that a lead byte took as its trail byte ends no line, on
    // reading or on writing.
    UxRnf::Pairs swallowed;
    UxRnf::parse(FCString("k=a\xEC\n-->\nl=1\n"), swallowed);
    ASSERT_EQ(dump(swallowed), "k=a\xEC\n-->\nl=1\n");
    UxRnf::Pairs reread;
    UxRnf::parse(UxRnf::format(swallowed), reread);
    EXPECT_EQ(dump(reread), dump(swallowed));

    // A key that would open a block on its own line goes out as a block.
    UxRnf::Pairs odd;
    UxRnf::parse(FCString("<--\n<--=x\n-->\n"), odd);
    ASSERT_EQ(dump(odd), "<--=x\n");
    EXPECT_STREQ(UxRnf::format(odd).text(), "<--\n<--=\nx\n-->\n");

    // What can't be written as a block must not come back as more pairs: the
    // key "-->" keeps the first line of its value, and a value line that
    // reads as "-->" is left out.
    struct {
        const char* key;
        const char* value;
        const char* text;
    } const unwritable[] = {
        { "-->", "one\ntwo=2", "-->=one\n" },
        { "k", "one\n  -->\ntwo=2", "<--\nk=\none\ntwo=2\n-->\n" },
        // A line feed swallowed by a lead byte makes no second line.
        { "-->", "a\xEC\nb", "-->=a\xEC\nb\n" },
    };
    for (const auto& c : unwritable) {
        UxRnf::Pairs one;
        one.emplace(FCString(c.key), FCString(c.value));
        FCString text = UxRnf::format(one);
        EXPECT_STREQ(text.text(), c.text) << c.key;
        UxRnf::Pairs back;
        UxRnf::parse(text, back);
        EXPECT_EQ(back.size(), 1u) << c.key;
    }
}

TEST_F(Rnf, SavedScrambledPairsStayReadable)
{
    // Loaded from a scrambled file and saved: plain text, and the "rnftype"
    // pair must not turn the plain text back into scrambled text.
    std::string path = scratch("rescued.rnf");
    put(path, scrambled("rnftype=1,77\n", "sx=5\nsy=6\n", 77));
    UxRnf rnf(path.c_str());
    rnf.setWriteBack(false);
    ASSERT_TRUE(rnf.save());
    EXPECT_EQ(get(path), "\nrnftype=1,77\nsx=5\nsy=6\n");
    UxRnf again(path.c_str());
    again.setWriteBack(false);
    EXPECT_FALSE(again.wasScrambled());
    EXPECT_EQ(dump(again.pairs()), "rnftype=1,77\nsx=5\nsy=6\n");
}

TEST_F(Rnf, SaveWithoutPairs)
{
    std::string path = scratch("empty.rnf");
    put(path, "k=v\n");
    UxRnf rnf(path.c_str());
    rnf.setWriteBack(false);
    rnf.remove("k");
    ASSERT_TRUE(rnf.save(nullptr, true));
    EXPECT_FALSE(FCPath::exists(path.c_str()));
    // Without a file, an empty one is written.
    ASSERT_TRUE(rnf.save(nullptr, true));
    EXPECT_EQ(get(path), "");
    ASSERT_TRUE(rnf.save(nullptr, false));
    EXPECT_EQ(get(path), "");
}

TEST_F(Rnf, SaveToAnotherPathMovesTheObject)
{
    std::string first = scratch("first.rnf");
    std::string second = scratch("second.rnf");
    put(first, "k=v\n");
    UxRnf rnf(first.c_str());
    rnf.setWriteBack(false);
    ASSERT_TRUE(rnf.save(second.c_str()));
    EXPECT_EQ(get(second), "k=v\n");
    rnf.set("k", "w");
    ASSERT_TRUE(rnf.save());
    EXPECT_EQ(get(second), "k=w\n");
    EXPECT_EQ(get(first), "k=v\n");
    UxRnf none;
    none.setWriteBack(false);
    EXPECT_FALSE(none.save()); // no path: nothing happens
}

namespace {

void removeFolder(const std::string& folder)
{
#if defined(_WIN32)
    _rmdir(folder.c_str());
#else
    rmdir(folder.c_str());
#endif
}

} // namespace

TEST_F(Rnf, FailedReplaceAsksAndKeepsThePreviousFile)
{
    // The target cannot be replaced (a folder holds its name): the failed
    // rename asks Retry or Cancel with the target's name. Cancel throws and
    // leaves the folder and no temporary file.
    std::string folder = scratch("folder.rnf");
    ASSERT_TRUE(FCPath::createFolders(folder.c_str()));
    UxRnf rnf;
    rnf.setWriteBack(false);
    rnf.set("k", "v");
    {
        MessageBoxRecorder boxes(UxMessageBox::kIdCancel);
        EXPECT_THROW(rnf.save(folder.c_str()), CannotWriteException);
        auto requests = boxes.requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].caption, "FCFile - write");
        EXPECT_EQ(requests[0].text.rfind(FCPathName(folder.c_str()).path().text(), 0), 0u) << requests[0].text;
        EXPECT_EQ(requests[0].style & 0xF, unsigned(UxMessageBox::kRetryCancel));
    }
    EXPECT_TRUE(FCPath::hasAttributes(folder.c_str(), FCPath::kFolder));
    EXPECT_EQ(get(folder + ".new"), "<missing>");

    // Retry after the player moved the folder away: the save goes through.
    struct Player {
        std::string folder;
        int boxes = 0;
        static int answer(const UxMessageBox::Request&, void* context)
        {
            auto* self = static_cast<Player*>(context);
            ++self->boxes;
            removeFolder(self->folder);
            return UxMessageBox::kIdRetry;
        }
    } player { folder };
    UxMessageBox::Interceptor previous = nullptr;
    void* previousContext = nullptr;
    UxMessageBox::intercept(&Player::answer, &player, &previous, &previousContext);
    bool saved = rnf.save(folder.c_str());
    UxMessageBox::intercept(previous, previousContext);
    EXPECT_TRUE(saved);
    EXPECT_EQ(player.boxes, 1);
    EXPECT_EQ(get(folder), "k=v\n");
    removeFolder(folder);
}

TEST_F(Rnf, SaveKeepsThePreviousGeneration)
{
    std::string path = scratch("generations.rnf");
    UxRnf rnf;
    rnf.setWriteBack(false);
    rnf.set("k", "1");
    ASSERT_TRUE(rnf.save(path.c_str()));
    EXPECT_EQ(get(path + ".bak"), "<missing>");
    rnf.set("k", "2");
    ASSERT_TRUE(rnf.save());
    EXPECT_EQ(get(path), "k=2\n");
    EXPECT_EQ(get(path + ".bak"), "k=1\n");
    EXPECT_EQ(get(path + ".new"), "<missing>");
}

// What each reader loads when a save was cut off: only a temporary file
// beside a missing file means the backup holds the last whole generation;
// a file the player removed stays removed.
TEST_F(Rnf, LoadFallsBackToTheBackupOfACutOffSave)
{
    struct Case {
        bool file, temporary, backup;
        const char* pairs;
    } cases[] = {
        { true, true, true, "k=file\n" },
        { false, true, true, "k=backup\n" },
        { false, false, true, "" },
        { false, true, false, "" },
    };
    for (const Case& c : cases) {
        std::string path = scratch("cut.rnf");
        std::remove((path + ".new").c_str());
        std::remove((path + ".bak").c_str());
        if (c.file)
            put(path, "k=file\n");
        if (c.temporary)
            put(path + ".new", "k=temp");
        if (c.backup)
            put(path + ".bak", "k=backup\n");
        UxRnf rnf;
        rnf.setWriteBack(false);
        rnf.load(path.c_str());
        EXPECT_EQ(dump(rnf.pairs()), c.pairs) << c.file << c.temporary << c.backup;
        EXPECT_STREQ(rnf.path().text(), FCPathName(path.c_str()).path().text());
        UxConfigFile config;
        config.open(path.c_str());
        EXPECT_EQ(dump(config.pairs()), c.pairs) << c.file << c.temporary << c.backup;
    }
}

TEST_F(Rnf, DestructionWritesBackOnlyWhenAsked)
{
    std::string path = scratch("back.rnf");
    put(path, "; kept\nk=v\n");
    {
        UxRnf rnf(path.c_str());
        rnf.setWriteBack(false);
        rnf.set("k", "changed");
    }
    EXPECT_EQ(get(path), "; kept\nk=v\n");
    {
        UxRnf rnf(path.c_str());
        rnf.set("k", "changed");
    }
    EXPECT_EQ(get(path), "k=changed\n");
}

TEST_F(Rnf, MissingFileGivesNoPairs)
{
    std::string path = scratch("missing.rnf");
    UxRnf rnf;
    EXPECT_FALSE(rnf.load(path.c_str()));
    EXPECT_TRUE(rnf.pairs().empty());
    EXPECT_FALSE(rnf.loadFailed());
    rnf.clear();
    EXPECT_TRUE(rnf.path().isEmpty());
}

// Start-up's reading of the screen aspect: "NEW_SAR" = 1 rewrites the file
// without "NEW_SAR", "sw" and "sh"; otherwise the file is only read.
TEST_F(Rnf, NewScreenAspectRewritesTheFile)
{
    std::string path = scratch("config.rnf");
    put(path, "; written by the game\nNEW_SAR=1\nSAR=16:9\nsw=1024\nsh=768\nsx=5\n<--\nnote=\na\nb\n-->\n");
    ScreenAspect aspect = readScreenAspect(path.c_str(), 800, 600);
    EXPECT_TRUE(aspect.isNew);
    EXPECT_EQ(aspect.viewWidth, 800);
    EXPECT_EQ(aspect.viewHeight, 450);
    EXPECT_EQ(aspect.viewRect, FCRect(0, 0, 800, 600));
    EXPECT_EQ(get(path), "SAR=16:9\n<--\nnote=\na\nb\n-->\nsx=5\n");

    // Read again: nothing new, nothing written.
    put(path, "; untouched\nNEW_SAR=0\nsw=1024\nfNoD3DWarning=2\n");
    aspect = readScreenAspect(path.c_str(), 800, 600);
    EXPECT_FALSE(aspect.isNew);
    EXPECT_TRUE(aspect.noD3DWarning);
    EXPECT_EQ(aspect.viewHeight, 600);
    EXPECT_EQ(aspect.viewRect, FCRect());
    EXPECT_EQ(get(path), "; untouched\nNEW_SAR=0\nsw=1024\nfNoD3DWarning=2\n");

    // No file: the requested size, and no file made.
    std::string missing = scratch("none.rnf");
    aspect = readScreenAspect(missing.c_str(), 640, 480);
    EXPECT_EQ(aspect.viewHeight, 480);
    EXPECT_EQ(get(missing), "<missing>");
}

TEST(ScreenAspectTest, SarValues)
{
    struct Case {
        const char* sar;
        int32_t height;
        bool valid;
    } cases[] = {
        { "4:3", 600, true }, { "5:4", 640, true }, { "16:9", 450, true }, { "3:4", 1066, true }, // integer division
        { " 4 : 3", 600, true }, { "0:3", 480, false }, { "4:0", 480, false }, { "-4:3", 480, false },
        { "4", 480, false }, { "", 480, false }, { "x:y", 480, false }, { "100000:1", 480, false }, // no picture left
        { "1:2147483647", 480, false }, // more than a height can hold
    };
    for (const Case& c : cases) {
        UxRnf config;
        config.setWriteBack(false);
        config.set("SAR", c.sar);
        ScreenAspect aspect = applyScreenAspect(config, 800, 480);
        EXPECT_EQ(aspect.viewHeight, c.valid ? c.height : 480) << c.sar;
        EXPECT_EQ(aspect.viewRect, c.valid ? FCRect(0, 0, 800, 480) : FCRect()) << c.sar;
        EXPECT_FALSE(config.writeBack());
    }
}

TEST(ScreenAspectTest, ChoiceRewritesSar)
{
    struct Case {
        int32_t choice;
        const char* pairs;
    } cases[] = {
        { 43, "NEW_SAR=1\nSAR=4:3\n" },
        { 54, "NEW_SAR=1\nSAR=5:4\n" },
        { 169, "NEW_SAR=1\nSAR=\n" },
        { 0, "NEW_SAR=1\n" },
    };
    for (const Case& c : cases) {
        UxRnf config;
        config.setWriteBack(false);
        config.set("SAR", "16:9");
        chooseScreenAspect(config, c.choice);
        EXPECT_EQ(dump(config.pairs()), c.pairs) << c.choice;
    }
}

TEST_F(Rnf, ConfigFileReadsPlainPairs)
{
    std::string path = scratch("window.rnf");
    put(path, "; comment\n  sw = 1024\tignored\nsw=1\nfMaxLaunch=0x10\nkeep=0\n = name=a b\n<--\n");
    UxConfigFile config;
    config.set("early", "dropped"); // no path yet
    ASSERT_TRUE(config.open(path.c_str()));
    // A block opened at the end and never given its key stores nothing.
    EXPECT_EQ(dump(config.pairs()), "fMaxLaunch=0x10\nkeep=0\nname=a b\nsw=1024\n");
    EXPECT_EQ(config.getInt("sw", 0), 1024);
    EXPECT_EQ(config.getInt("sh", -3), -3);
    EXPECT_TRUE(config.getBool("fMaxLaunch", false));
    EXPECT_FALSE(config.getBool("keep", true));
    EXPECT_TRUE(config.getBool("missing", true));
    EXPECT_STREQ(config.getString("name", "x").text(), "a b");
    EXPECT_STREQ(config.getString("none", "fallback").text(), "fallback");

    config.setInt("sh", 768);
    config.set("name", "c");
    ASSERT_TRUE(config.save());
    EXPECT_EQ(get(path), "fMaxLaunch=0x10\nkeep=0\nname=c\nsh=768\nsw=1024\n");

    UxConfigFile none;
    EXPECT_FALSE(none.open(scratch("absent.rnf").c_str()));
    EXPECT_FALSE(UxConfigFile().save());
}

// Whatever the window configuration saves, both readers take back as the
// same pairs: values of several lines and the block keys go out as blocks
// instead of lines that would swallow the pairs after them.
TEST_F(Rnf, ConfigFileSaveReadsBackInBothReaders)
{
    std::string path = scratch("roundtrip.rnf");
    put(path, "a=1\n<--\nblock=\nfirst\nsecond\n-->\nz=26\n");
    UxConfigFile config;
    ASSERT_TRUE(config.open(path.c_str()));
    EXPECT_EQ(dump(config.pairs()), "a=1\nblock=first\nsecond\nz=26\n");
    config.set("<--", "");
    config.set("lines", "one\ntwo");
    config.set("m", "x");
    ASSERT_TRUE(config.save());
    const std::string expected = "<--=\na=1\nblock=first\nsecond\nlines=one\ntwo\nm=x\nz=26\n";

    UxConfigFile again;
    ASSERT_TRUE(again.open(path.c_str()));
    EXPECT_EQ(dump(again.pairs()), expected);
    UxRnf rnf(path.c_str());
    rnf.setWriteBack(false);
    EXPECT_EQ(dump(rnf.pairs()), expected);
}

#if defined(_WIN32)
// A file that exists but cannot be read (another process holds it) is never
// saved over with the few pairs set since.
TEST_F(Rnf, ConfigFileNeverSavesOverAnUnreadableFile)
{
    std::string path = scratch("locked.rnf");
    put(path, "keep=1\n");
    UxConfigFile config;
    {
        FCFile holder;
        ASSERT_EQ(holder.open(path.c_str(), FCFile::kOpenExisting, FCFile::kRead, FCFile::kShareNone), 0u);
        MessageBoxRecorder boxes(UxMessageBox::kIdCancel);
        EXPECT_TRUE(config.open(path.c_str()));
        EXPECT_EQ(boxes.requests().size(), 1u);
    }
    config.set("sw", "640");
    EXPECT_FALSE(config.save());
    EXPECT_EQ(get(path), "keep=1\n");
    // Read once it is free again, it saves as usual.
    ASSERT_TRUE(config.open(path.c_str()));
    config.set("sw", "640");
    EXPECT_TRUE(config.save());
    EXPECT_EQ(get(path), "keep=1\nsw=640\n");
}
#endif
