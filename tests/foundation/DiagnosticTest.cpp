#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/Diagnostic.h"
#include "foundation/FCHeap.h"
#include "support/MessageBoxRecorder.h"

TEST(Diagnostic, AppendMessage)
{
    struct Case {
        const char* start;
        const char* added;
        const char* expected;
    };
    const Case cases[] = {
        { "abc", "", "abc" },
        { "abc", nullptr, "abc" },
        { "abc", "def", "abcdef" },
        { nullptr, "def", "def" },
    };
    for (const Case& c : cases) {
        Diagnostic diagnostic("op", c.start);
        diagnostic.appendMessage(c.added);
        EXPECT_STREQ(diagnostic.message(), c.expected)
            << (c.start ? c.start : "(null)") << " + " << (c.added ? c.added : "(null)");
    }
}

TEST(Diagnostic, CopiesOwnTheirTexts)
{
    Diagnostic original("FCFile - open", "a.dat");
    Diagnostic copy(original);
    original.setMessage("b.dat");
    original.setOperation(nullptr);
    EXPECT_STREQ(copy.message(), "a.dat");
    EXPECT_STREQ(copy.operation(), "FCFile - open");
    EXPECT_EQ(original.operation(), nullptr);
}

TEST(Diagnostic, ShowPutsUpTaskModalBoxWithOperationAsCaption)
{
    MessageBoxRecorder boxes;
    NotEnoughMemoryException error("FCString - append", kNotEnoughMemoryText);
    error.show();
    ASSERT_EQ(boxes.requests().size(), 1u);
    EXPECT_EQ(boxes.requests()[0].caption, "FCString - append");
    // "メモリが足りません！" in code page 932.
    EXPECT_EQ(
        boxes.requests()[0].text, "\x83\x81\x83\x82\x83\x8A\x82\xAA\x91\xAB\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81\x49");
    EXPECT_EQ(boxes.requests()[0].style, 0x12000u);
}

TEST(Diagnostic, ExitScenarioShowsNothingAndPauses)
{
    MessageBoxRecorder boxes;
    ExitScenarioException stop;
    EXPECT_STREQ(stop.operation(), "ExitOasysScenario");
    auto begin = std::chrono::steady_clock::now();
    stop.show(nullptr);
    auto elapsed = std::chrono::steady_clock::now() - begin;
    EXPECT_TRUE(boxes.requests().empty());
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 190);
}

TEST(Diagnostic, DerivedClassesAreCaughtAsDiagnostic)
{
    try {
        throw CannotWriteException("cannot write", "save.dat");
    } catch (const Diagnostic& caught) {
        EXPECT_STREQ(caught.operation(), "cannot write");
        EXPECT_STREQ(caught.message(), "save.dat");
        EXPECT_NE(dynamic_cast<const CannotWriteException*>(&caught), nullptr);
    }
}

TEST(FCHeap, ImpossibleRequest)
{
    const size_t impossible = SIZE_MAX - 4096;
    EXPECT_EQ(FCHeap::allocate(impossible, FCHeap::kNoThrow), nullptr);
    try {
        FCHeap::allocate(impossible, FCHeap::kThrow);
        FAIL() << "no exception";
    } catch (const NotEnoughMemoryException& error) {
        EXPECT_STREQ(error.operation(), "FCHeap - malloc");
        EXPECT_STREQ(error.message(), kNotEnoughMemoryText);
    }
    FCHeap::release(nullptr);
    auto* zeroed = static_cast<unsigned char*>(FCHeap::allocate(64, FCHeap::kZero | FCHeap::kThrow));
    ASSERT_NE(zeroed, nullptr);
    EXPECT_EQ(std::vector<unsigned char>(zeroed, zeroed + 64), std::vector<unsigned char>(64, 0));
    FCHeap::release(zeroed);
}
