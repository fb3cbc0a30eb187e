#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "foundation/FCFile.h"
#include "foundation/FCString.h"
#include "foundation/TextCodePage.h"
#include "foundation/UxTextScramble.h"

#if defined(_WIN32)
#include <process.h>
#define processId _getpid
#else
#include <unistd.h>
#define processId getpid
#endif

namespace {

std::string word(uint32_t value)
{
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>(value >> (8 * i));
    return bytes;
}

// A scratch file in the working folder, removed afterwards.
class StringFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The process id keeps the two locales' runs of one test apart.
        m_path = std::string("fcstring-") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-"
            + std::to_string(processId()) + ".tmp";
        std::remove(m_path.c_str());
    }
    void TearDown() override
    {
        m_file.close();
        std::remove(m_path.c_str());
    }

    const char* path() const { return m_path.c_str(); }

    void put(const std::string& bytes)
    {
        std::FILE* f = std::fopen(path(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }

    std::string get()
    {
        std::string bytes;
        std::FILE* f = std::fopen(path(), "rb");
        if (!f)
            return bytes;
        char buffer[4096];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.append(buffer, got);
        std::fclose(f);
        return bytes;
    }

    FCFile& openRead()
    {
        EXPECT_EQ(m_file.open(path()), 0u);
        return m_file;
    }

    FCFile m_file;

private:
    std::string m_path;
};

} // namespace

TEST_F(StringFile, WriteGivesTheRecordBytes)
{
    ASSERT_EQ(m_file.open(path(), FCFile::kCreateAlways, FCFile::kReadWrite), 0u);
    FCString("FCReg").write(m_file);
    FCString().write(m_file);
    m_file.close();
    FCString("unwritten").write(m_file); // closed: nothing
    EXPECT_EQ(get(),
        word(0x7FFFFFFF) + word(0) + word(6) + std::string("FCReg\0", 6) + word(0x7FFFFFFF) + word(0) + word(1)
            + std::string(1, '\0'));
}

TEST_F(StringFile, ReadsBothFormsInTurn)
{
    unsigned previous = textCodePage();
    setTextCodePage(932);
    put(word(0x7FFFFFFF) + word(0) + word(4) + std::string("abc\0", 4) // current form
        + word(3) + "xyz" // older form: the count, then the text
        + word(0) // older form, empty
        + word(0x7FFFFFFF) + word(1) + word(7) + std::string("\xE6\x97\xA5\xE6\x9C\xAC\0", 7) // UTF-8 日本
        + word(0x7FFFFFFF) + word(0x100) + word(2) + std::string("\x95\x5C", 2)); // high bits: still code page
    FCFile& file = openRead();
    const char* expected[] = { "abc", "xyz", "", "\x93\xFA\x96\x7B", "\x95\x5C" };
    for (const char* text : expected) {
        FCString s("old");
        s.setCursorIndex(2);
        ASSERT_TRUE(s.read(file)) << text;
        EXPECT_STREQ(s.text(), text);
        EXPECT_EQ(s.cursorIndex(), 0);
    }
    FCString s("old");
    EXPECT_FALSE(s.read(file)); // at the end
    EXPECT_STREQ(s.text(), "old");
    setTextCodePage(previous);
}

TEST_F(StringFile, RefusesLyingCountsWithoutMoving)
{
    const std::string tail = "0123456789";
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        { "count 0", word(0x7FFFFFFF) + word(0) + word(0) + tail },
        { "count -1", word(0x7FFFFFFF) + word(0) + word(0xFFFFFFFF) + tail },
        { "count past the end", word(0x7FFFFFFF) + word(0) + word(11) + tail },
        { "absurd count", word(0x7FFFFFFF) + word(0) + word(0x7FFFFFF0) + tail },
        { "header cut short", word(0x7FFFFFFF) + word(0) },
        { "old form past the end", word(11) + tail },
        { "old form negative", word(0x80000000) + tail },
        { "old form absurd", word(0x7FFFFFF0) + tail },
        { "a word cut short", std::string("\x01\x00", 2) },
    };
    for (const Case& c : cases) {
        put("pre" + c.bytes);
        FCFile& file = openRead();
        file.seek(FCFile::kFromStart, 3);
        FCString s("unchanged");
        EXPECT_FALSE(s.read(file)) << c.name;
        EXPECT_STREQ(s.text(), "unchanged") << c.name;
        EXPECT_EQ(file.position(), 3) << c.name;
        file.close();
    }
    FCString s("unchanged");
    EXPECT_FALSE(s.read(m_file)); // closed
}

TEST_F(StringFile, ReadTakesTextUpToZeroByte)
{
    put(word(0x7FFFFFFF) + word(0) + word(6) + std::string("ab\0cd\0", 6) + word(2) + "ef");
    FCFile& file = openRead();
    FCString s;
    ASSERT_TRUE(s.read(file));
    EXPECT_STREQ(s.text(), "ab");
    EXPECT_EQ(s.length(), 2);
    ASSERT_TRUE(s.read(file)); // the whole record was consumed
    EXPECT_STREQ(s.text(), "ef");
}

TEST_F(StringFile, SaveAndLoadWithScramble)
{
    const std::string text = "; plain header\r\nversion=1\r\n"
                             "secret=\x95\x5C value\n"
                             "last line without end";
    const size_t plainBytes = 27; // the two plain lines with their CR LF
    for (uint32_t flags : { uint32_t(FCTextFile::kCodePageText), uint32_t(FCTextFile::kUtf8) }) {
        unsigned previous = textCodePage();
        setTextCodePage(932);
        FCString s(text.c_str());
        FCString shared(s);
        ASSERT_TRUE(s.saveFile(path(), 0x1234, 2, flags));
        EXPECT_TRUE(s.sharesWith(shared));
        EXPECT_EQ(std::string(s.text()), text); // unchanged after saving
        std::string stored = get();
        EXPECT_EQ(stored.substr(0, plainBytes), text.substr(0, plainBytes));
        EXPECT_NE(stored.substr(plainBytes),
            flags == FCTextFile::kUtf8 ? s.toUtf8().substr(plainBytes) : text.substr(plainBytes));
        std::string plain = stored;
        unscrambleBytes(plain.data() + plainBytes, plain.size() - plainBytes, 0x1234);
        EXPECT_EQ(plain, flags == FCTextFile::kUtf8 ? s.toUtf8() : text);

        FCString loaded("old");
        ASSERT_TRUE(loaded.loadFile(path(), 0, 0x1234, 2, flags));
        EXPECT_EQ(std::string(loaded.text()), text);
        EXPECT_EQ(loaded.cursorIndex(), 0);
        setTextCodePage(previous);
    }
}

TEST_F(StringFile, FewerLinesThanPlainLinesStayPlain)
{
    FCString s("one line\nno end");
    ASSERT_TRUE(s.saveFile(path(), 99, 2));
    EXPECT_EQ(get(), "one line\nno end");
    FCString loaded;
    ASSERT_TRUE(loaded.loadFile(path(), 0, 99, 2));
    EXPECT_STREQ(loaded.text(), "one line\nno end");
}

TEST_F(StringFile, SaveTruncatesAndLoadReadsFromThePosition)
{
    put(std::string(100, 'x'));
    ASSERT_TRUE(FCString("short").saveFile(path()));
    EXPECT_EQ(get(), "short");

    put("headerBODY TEXT");
    FCFile& file = openRead();
    file.seek(FCFile::kFromStart, 6);
    FCString s;
    ASSERT_TRUE(s.loadFile(file, 4, 0, 0));
    EXPECT_STREQ(s.text(), "BODY");
    EXPECT_TRUE(file.isOpen()); // not owned
    ASSERT_TRUE(s.loadFile(file, 0, 0, 0));
    EXPECT_STREQ(s.text(), " TEXT");
    ASSERT_TRUE(s.loadFile(file, 0, 0, 0)); // at the end: empty
    EXPECT_TRUE(s.isEmpty());
    file.close();
    EXPECT_FALSE(s.loadFile(file, 0, 0, 0));

    put("\xEF\xBB\xBF"
        "caf\xC3\xA9");
    unsigned previous = textCodePage();
    setTextCodePage(1252);
    ASSERT_TRUE(s.loadFile(path(), 0, 0, 0, FCTextFile::kUtf8));
    EXPECT_STREQ(s.text(), "caf\xE9");
    setTextCodePage(previous);
}
