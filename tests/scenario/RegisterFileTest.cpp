#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "foundation/FCFile.h"
#include "scenario/FCRandom.h"
#include "scenario/FCReg.h"
#include "scenario/FCStrReg.h"
#include "support/MessageBoxRecorder.h"

// The register files as a game stores them: the records, their refusal of
// damaged input, and the messages of bad indexes.
namespace {

std::string scratchPath(const char* name)
{
    return std::string(::testing::TempDir()) + "lumivex-reg-" + name;
}

void writeBytes(const std::string& path, const std::string& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

std::string readBytes(const std::string& path)
{
    std::string bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            bytes.append(buffer, got);
        std::fclose(file);
    }
    return bytes;
}

std::string le32(int32_t value)
{
    uint32_t v = static_cast<uint32_t>(value);
    return { char(v), char(v >> 8), char(v >> 16), char(v >> 24) };
}

// A string in its current serialised form.
std::string record(const std::string& text)
{
    return le32(0x7FFFFFFF) + le32(0) + le32(int32_t(text.size() + 1)) + text + std::string(1, '\0');
}

const std::string kRegHeader = record("FCReg");
const std::string kStrRegHeader = record("FCStrReg");

} // namespace

TEST(RegisterFile, SavesTheDocumentedBytes)
{
    std::string path = scratchPath("save.dat");
    FCReg registers;
    registers.create(3);
    registers[0] = 1;
    registers[1] = -1;
    registers[2] = 256;
    FCStrReg strings;
    strings.create(2);
    strings[1] = "\x93\xFA\x96\x7B"; // 日本
    {
        FCFile file;
        ASSERT_EQ(file.open(path.c_str(), FCFile::kCreateAlways, FCFile::kReadWrite), 0u);
        registers.save(file);
        strings.save(file);
    }
    std::string expected = kRegHeader + le32(3) + le32(1) + le32(-1) + le32(256) + kStrRegHeader + le32(2) + record("")
        + record("\x93\xFA\x96\x7B");
    EXPECT_EQ(readBytes(path), expected);
    EXPECT_EQ(kRegHeader.size() + 16, 34u);

    // Records follow one another; each load reads its own.
    FCReg loadedRegisters;
    FCStrReg loadedStrings;
    FCFile file;
    ASSERT_EQ(file.open(path.c_str()), 0u);
    loadedStrings.load(file); // the first record is an FCReg: refused, position kept
    EXPECT_EQ(file.position(), 0);
    loadedRegisters.load(file);
    loadedStrings.load(file);
    ASSERT_EQ(loadedRegisters.count, 3);
    EXPECT_EQ(loadedRegisters.elements[1], -1);
    ASSERT_EQ(loadedStrings.count, 2);
    EXPECT_STREQ(loadedStrings.elements[1].text(), "\x93\xFA\x96\x7B");
    std::remove(path.c_str());
}

// Damaged and hostile files: never read past the end, never allocate what
// the file cannot hold, and a refused record leaves the registers and the
// file position as they were.
TEST(RegisterFile, DamagedIntegerRecords)
{
    struct Case {
        const char* name;
        std::string bytes;
        int32_t count; // after loading; -1 = unchanged (the 2 registers set before)
        int32_t firstValue;
        int64_t position; // file position after loading
    } cases[] = {
        { "negative count", kRegHeader + le32(-5) + le32(9), 0, 0, 22 },
        { "zero count", kRegHeader + le32(0) + le32(9), 0, 0, 22 },
        { "count beyond the data", kRegHeader + le32(1000) + le32(9), 1000, 9, 26 },
        { "absurd count", kRegHeader + le32(0x7FFFFFFF) + le32(9), -1, 0, 0 },
        { "count just beyond the bound", kRegHeader + le32(65537) + le32(9), -1, 0, 0 },
        { "missing count", kRegHeader + "\x01", -1, 0, 0 },
        { "other class", record("FCRex") + le32(1) + le32(9), -1, 0, 0 },
        { "lying name length", le32(0x7FFFFFFF) + le32(0) + le32(0x7FFFFFF0) + "FCReg", -1, 0, 0 },
        { "empty file", "", -1, 0, 0 },
    };
    std::string path = scratchPath("damaged.dat");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(path, c.bytes);
        FCReg registers;
        registers.create(2);
        registers[0] = 5;
        FCFile file;
        ASSERT_EQ(file.open(path.c_str()), 0u);
        registers.load(file);
        EXPECT_EQ(file.position(), c.position);
        if (c.count < 0) {
            EXPECT_EQ(registers.count, 2);
            EXPECT_EQ(registers.elements[0], 5);
        } else {
            EXPECT_EQ(registers.count, c.count);
            if (c.count > 0) {
                EXPECT_EQ(registers.elements[0], c.firstValue);
                EXPECT_EQ(registers.elements[c.count - 1], c.count > 1 ? 0 : c.firstValue);
            }
        }
    }
    std::remove(path.c_str());
}

TEST(RegisterFile, DamagedStringRecords)
{
    struct Case {
        const char* name;
        std::string bytes;
        int32_t count;
        const char* first;
        const char* second;
    } cases[] = {
        { "older string form", kStrRegHeader + le32(2) + le32(3) + "abc" + record("de"), 2, "abc", "de" },
        { "utf-8 form", kStrRegHeader + le32(1) + le32(0x7FFFFFFF) + le32(1) + le32(4) + "abc" + std::string(1, '\0'),
            1, "abc", nullptr },
        { "byte count beyond the file", kStrRegHeader + le32(2) + le32(0x7FFFFFFF) + le32(0) + le32(500) + "ab", 2, "",
            "" },
        { "zero byte count", kStrRegHeader + le32(2) + le32(0x7FFFFFFF) + le32(0) + le32(0) + record("x"), 2, "", "" },
        { "older form lying", kStrRegHeader + le32(2) + le32(0x40000000) + "abc", 2, "", "" },
        { "absurd count", kStrRegHeader + le32(0x7FFFFFFF) + record("x"), 0, nullptr, nullptr },
    };
    std::string path = scratchPath("damaged-strings.dat");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(path, c.bytes);
        FCStrReg strings;
        FCFile file;
        ASSERT_EQ(file.open(path.c_str()), 0u);
        strings.load(file);
        ASSERT_EQ(strings.count, c.count);
        if (c.first)
            EXPECT_STREQ(strings.elements[0].text(), c.first);
        if (c.second)
            EXPECT_STREQ(strings.elements[1].text(), c.second);
    }
    std::remove(path.c_str());
}

TEST(RegisterFile, BadIndexesShowTheirMessageAndUseElementZero)
{
    MessageBoxRecorder boxes;
    FCReg registers;
    registers.create(10);
    registers[0] = 3;
    EXPECT_EQ(registers.item(-1), 3);
    EXPECT_EQ(&registers.item(10), &registers.elements[0]);

    FCStrReg never;
    never.item(0) = "x"; // never created: one element is made
    EXPECT_EQ(never.count, 1);

    auto shown = boxes.requests();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].caption, "FCReg - item()");
    // 指定されたインデックス-1は\n本レジスタの範囲 0 ～ 9を越えています。...
    EXPECT_EQ(shown[0].text.rfind("\x8E\x77\x92\xE8\x82\xB3\x82\xEA\x82\xBD\x83\x43\x83\x93\x83\x66\x83\x62\x83\x4E\x83"
                                  "\x58-1\x82\xCD\n\x96\x7B"
                                  "\x83\x8C\x83\x57",
                  0),
        0u);
    EXPECT_NE(shown[0].text.find("\x20\x30\x20\x81\x60\x20"
                                 "9\x82\xF0"),
        std::string::npos);
    EXPECT_NE(shown[1].text.find("10\x82\xCD"), std::string::npos);
    EXPECT_EQ(shown[2].caption, "FCStrReg - item()");
    EXPECT_EQ(shown[2].text.substr(0, 10), "\x83\x8C\x83\x57\x83\x58\x83\x5E\x97\xCC"); // レジスタ領
    EXPECT_EQ(shown[0].style, 0x12000u);
}

TEST(Random, RangesAndPermutation)
{
    FCRandom random;
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(random.next(0), 0u);
        EXPECT_LE(random.next(5), 5u);
    }
    random.makePermutation(50);
    std::vector<bool> seen(50, false);
    for (int i = 0; i < 50; ++i) {
        int32_t value = random.nextPermuted();
        ASSERT_GE(value, 0);
        ASSERT_LT(value, 50);
        EXPECT_FALSE(seen[value]);
        seen[value] = true;
    }
    EXPECT_EQ(random.nextPermuted(), -1);
    EXPECT_EQ(random.permutation[50], -1);
}
