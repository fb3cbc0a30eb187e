#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "foundation/FCString.h"

TEST(FCString, CapacityKeepsOneSpareBlock)
{
    struct Case {
        const char* text;
        int32_t blockSize;
        int32_t capacity;
    };
    // ((length + 1) / block + 1) * block, with blocks below 16 raised to 16.
    const Case cases[] = {
        { "", 256, 256 },
        { "abc", 16, 16 },
        { "0123456789abcde", 16, 32 }, // 15 bytes + terminator fill one block
        { "0123456789abcd", 16, 16 },
        { "abc", 4, 16 },
    };
    for (const Case& c : cases) {
        FCStringRep rep(c.text, static_cast<int32_t>(std::char_traits<char>::length(c.text)), c.blockSize);
        EXPECT_EQ(rep.capacity, c.capacity) << '"' << c.text << "\" block " << c.blockSize;
        EXPECT_GE(rep.blockSize, 16);
    }
}

TEST(FCString, CopiesShareUntilWritten)
{
    FCString a("scene");
    FCString b(a);
    EXPECT_TRUE(a.sharesWith(b));
    b.append("01");
    EXPECT_FALSE(a.sharesWith(b));
    EXPECT_STREQ(a.text(), "scene");
    EXPECT_STREQ(b.text(), "scene01");
    FCString c;
    c = a;
    c.clear();
    EXPECT_STREQ(a.text(), "scene");
    EXPECT_TRUE(c.isEmpty());
}

TEST(FCString, RenewKeepsTextInNewRepresentation)
{
    FCString a("chapter2");
    FCString b(a);
    b.renew();
    EXPECT_FALSE(a.sharesWith(b));
    EXPECT_TRUE(a == b);
}

TEST(FCString, CopiesReleasedAcrossThreads)
{
    FCString shared("shared text");
    std::atomic<bool> go { false };
    auto churn = [&] {
        while (!go.load()) { }
        for (int i = 0; i < 20000; ++i) {
            FCString copy(shared);
            FCString other;
            other = copy;
        }
    };
#if defined(_WIN32)
    // The win32 runtime has no std::thread; the Windows tests cover threads
    // through the host's own thread class.
    go = true;
    churn();
#else
    std::thread first(churn), second(churn);
    go = true;
    first.join();
    second.join();
#endif
    EXPECT_STREQ(shared.text(), "shared text");
    FCString last(shared);
    EXPECT_TRUE(last.sharesWith(shared));
}
