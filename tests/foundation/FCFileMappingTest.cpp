#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "foundation/FCFile.h"
#include "foundation/FCFileMapping.h"
#include "foundation/FCPath.h"
#include "foundation/FCPathName.h"

namespace {

uint8_t patternByte(uint64_t offset)
{
    return static_cast<uint8_t>(offset * 7 % 251);
}

// A file of the test's own in the temporary folder, removed afterwards.
class FCFileMappingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FCPathName temp;
        temp.setSpecialFolder(FCPathName::kTemporaryFolder, true);
        m_path = std::string(temp.text()) + "lumivex-mapping-"
            + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".bin";
        m_size = 3 * uint64_t(FCFileMapping().allocationGranularity()) + 100;
        std::vector<uint8_t> data(m_size);
        for (uint64_t i = 0; i < m_size; ++i)
            data[i] = patternByte(i);
        writeFile(data);
    }
    void TearDown() override { FCPath::deleteFile(m_path.c_str()); }

    void writeFile(const std::vector<uint8_t>& data)
    {
        FCFile file;
        ASSERT_EQ(file.open(m_path.c_str(), FCFile::kCreateAlways, FCFile::kWrite), 0u);
        if (!data.empty()) {
            ASSERT_EQ(file.write(data.data(), static_cast<uint32_t>(data.size())), data.size());
        }
    }

    uint8_t byteOnDisk(uint64_t offset)
    {
        FCFile file;
        uint8_t byte = 0;
        EXPECT_EQ(file.open(m_path.c_str()), 0u);
        file.seek(FCFile::kFromStart, static_cast<int64_t>(offset));
        EXPECT_EQ(file.read(&byte, 1), 1u);
        return byte;
    }

    std::string m_path;
    uint64_t m_size = 0;
};

TEST_F(FCFileMappingTest, ViewSlidesOverTheFileAndClipsAtItsEnd)
{
    FCFileMapping mapping;
    ASSERT_TRUE(mapping.openReadOnly(m_path.c_str()));
    const uint64_t granularity = mapping.allocationGranularity();
    ASSERT_EQ(mapping.size(), m_size);
    EXPECT_EQ(mapping.viewOffset(), 0u);
    EXPECT_EQ(mapping.viewSize(), granularity) << "the first view covers one granularity";

    struct Case {
        uint64_t offset;
        uint32_t length;
        uint32_t available;
        uint64_t viewOffset; // after the call
        uint64_t viewSize;
    } cases[] = {
        { 10, 16, 16, 0, granularity }, // inside the first view
        { granularity - 10, 20, 20, 0, granularity + 10 }, // crosses the granularity: remapped
        { 2 * granularity + 5, 4, 4, 2 * granularity, 9 },
        { m_size - 1, 10, 1, 3 * granularity, 100 }, // clipped to the last byte
        { granularity + 3, 0, 0, granularity, 4 }, // an empty range still maps its byte
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        uint32_t available = 12345;
        const uint8_t* bytes = mapping.at(c.offset, c.length, &available);
        ASSERT_NE(bytes, nullptr);
        EXPECT_EQ(available, c.available);
        EXPECT_EQ(mapping.viewOffset(), c.viewOffset);
        EXPECT_EQ(mapping.viewSize(), c.viewSize);
        for (uint32_t i = 0; i < c.available; ++i)
            ASSERT_EQ(bytes[i], patternByte(c.offset + i)) << i;
    }

    uint32_t available = 12345;
    EXPECT_EQ(mapping.at(m_size, 1, &available), nullptr);
    EXPECT_EQ(available, 0u);
    EXPECT_EQ(mapping.at(~uint64_t(0), 1), nullptr);
}

TEST_F(FCFileMappingTest, ViewMultipleRoundsRemappedViewsUp)
{
    FCFileMapping mapping;
    ASSERT_TRUE(mapping.openReadOnly(m_path.c_str()));
    const uint64_t granularity = mapping.allocationGranularity();
    mapping.setViewMultiple(4096);
    ASSERT_NE(mapping.at(2 * granularity + 5, 4), nullptr);
    EXPECT_EQ(mapping.viewSize(), 4096u);
    ASSERT_NE(mapping.at(3 * granularity + 50, 1000), nullptr);
    EXPECT_EQ(mapping.viewSize(), 100u) << "clipped to the end of the file";
    mapping.setViewMultiple(-3);
    ASSERT_NE(mapping.at(granularity + 5, 4), nullptr);
    EXPECT_EQ(mapping.viewSize(), 9u);

    const uint8_t* all = mapping.mapAll();
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(mapping.viewSize(), m_size);
    EXPECT_EQ(all[m_size - 1], patternByte(m_size - 1));
    EXPECT_EQ(mapping.at(m_size - 1, 1), all + m_size - 1) << "inside the whole view: no remapping";

    mapping.close();
    EXPECT_FALSE(mapping.isOpen());
    EXPECT_EQ(mapping.at(0, 1), nullptr);
    EXPECT_EQ(mapping.mapAll(), nullptr);
}

TEST_F(FCFileMappingTest, WritableViewsReachTheFileAndCopyViewsDoNot)
{
    const uint64_t offset = m_size - 2;
    {
        FCFileMapping mapping;
        ASSERT_TRUE(mapping.open(m_path.c_str(), FCFileMapping::kPageReadWrite));
        uint8_t* bytes = mapping.at(offset, 1);
        ASSERT_NE(bytes, nullptr);
        *bytes = 0xA5;
    }
    EXPECT_EQ(byteOnDisk(offset), 0xA5);
    {
        FCFileMapping mapping;
        ASSERT_TRUE(mapping.open(m_path.c_str(), FCFileMapping::kPageWriteCopy));
        uint8_t* bytes = mapping.at(offset, 1);
        ASSERT_NE(bytes, nullptr);
        *bytes = 0x5A;
        EXPECT_EQ(*mapping.at(offset, 1), 0x5A);
    }
    EXPECT_EQ(byteOnDisk(offset), 0xA5);
}

TEST_F(FCFileMappingTest, UnopenableOrEmptyFilesStayUnmapped)
{
    FCFileMapping mapping;
    EXPECT_FALSE(mapping.openReadOnly((m_path + ".missing").c_str()));
    EXPECT_FALSE(mapping.isOpen());
    EXPECT_EQ(mapping.at(0, 1), nullptr);
    writeFile({});
    EXPECT_FALSE(mapping.openReadOnly(m_path.c_str()));
    EXPECT_EQ(mapping.at(0, 1), nullptr);
    EXPECT_EQ(mapping.mapAll(), nullptr);
}

} // namespace
