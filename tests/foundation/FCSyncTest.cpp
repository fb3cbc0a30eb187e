#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstddef>

#include "foundation/FCSync.h"

namespace {

// Waits for a condition another thread brings about; the bound only keeps a
// broken build from hanging the suite.
template <typename Condition> bool eventually(Condition condition)
{
    for (int i = 0; i < 20000; ++i) {
        if (condition())
            return true;
        Sleep(1);
    }
    return condition();
}

unsigned __stdcall waitForEvent(void* argument)
{
    static_cast<FCEvent*>(argument)->wait(INFINITE);
    return 0;
}

unsigned __stdcall countCall(void* argument)
{
    ++*static_cast<std::atomic<int>*>(argument);
    return 0;
}

struct Contended {
    FCCriticalSection section;
    std::atomic<int> entered { 0 };
};

unsigned __stdcall contend(void* argument)
{
    auto* shared = static_cast<Contended*>(argument);
    FCLock lock(&shared->section);
    ++shared->entered;
    return 0;
}

// Reports how much stack was reserved for the calling thread: the regions
// of the allocation its stack lies in.
unsigned __stdcall measure(void* argument)
{
    MEMORY_BASIC_INFORMATION info {};
    VirtualQuery(&info, &info, sizeof info);
    char* base = static_cast<char*>(info.AllocationBase);
    size_t reserved = 0;
    while (VirtualQuery(base + reserved, &info, sizeof info) && info.AllocationBase == base)
        reserved += info.RegionSize;
    *static_cast<size_t*>(argument) = reserved;
    return 0;
}

} // namespace

TEST(FCEvent, WithoutHandleEveryOperationReturnsZero)
{
    FCEvent event;
    EXPECT_EQ(event.set(), 0);
    EXPECT_EQ(event.reset(), 0);
    EXPECT_EQ(event.pulse(), 0);
    EXPECT_EQ(event.signal(), 0);
    EXPECT_EQ(event.unsignal(), 0);
    EXPECT_EQ(event.wait(0), 0u);
    EXPECT_EQ(event.close(), 0);
    EXPECT_EQ(event.handle, nullptr);
}

TEST(FCEvent, CreatesOnceAndSignals)
{
    FCEvent manual;
    ASSERT_EQ(manual.create(1, 0), 1);
    void* first = manual.handle;
    EXPECT_EQ(manual.create(0, 1), 1);
    EXPECT_EQ(manual.handle, first) << "a second create must keep the first event";
    EXPECT_EQ(manual.wait(0), static_cast<uint32_t>(WAIT_TIMEOUT));
    EXPECT_EQ(manual.signal(), 1);
    EXPECT_EQ(manual.wait(0), WAIT_OBJECT_0);
    EXPECT_EQ(manual.wait(0), WAIT_OBJECT_0);
    EXPECT_EQ(manual.unsignal(), 1);
    EXPECT_EQ(manual.wait(0), static_cast<uint32_t>(WAIT_TIMEOUT));
    EXPECT_EQ(manual.close(), 1);
    EXPECT_EQ(manual.handle, nullptr);

    FCEvent automatic;
    ASSERT_EQ(automatic.create(0, 1), 1);
    EXPECT_EQ(automatic.wait(0), WAIT_OBJECT_0);
    EXPECT_EQ(automatic.wait(0), static_cast<uint32_t>(WAIT_TIMEOUT));
}

TEST(FCLock, WaiterCountShowsHolderAndWaiter)
{
    Contended shared;

    FCThread thread;
    {
        FCLock lock(&shared.section);
        EXPECT_EQ(shared.section.waiters.load(), 1);
        ASSERT_EQ(thread.start(contend, &shared), 1);
        EXPECT_TRUE(eventually([&] { return shared.section.waiters.load() == 2; }));
        EXPECT_EQ(shared.entered.load(), 0);
    }
    EXPECT_EQ(thread.wait(INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(shared.entered.load(), 1);
    EXPECT_EQ(shared.section.waiters.load(), 0);

    FCLock none(nullptr);
}

TEST(FCThread, StartingARunningThreadChangesNothing)
{
    FCEvent release;
    ASSERT_EQ(release.create(1, 0), 1);
    std::atomic<int> calls { 0 };

    FCThread thread;
    EXPECT_FALSE(thread.running());
    EXPECT_EQ(thread.wait(0), 0u);
    ASSERT_EQ(thread.start(waitForEvent, &release), 1);
    void* handle = thread.handle;
    uint32_t id = thread.id;
    EXPECT_NE(id, 0u);
    EXPECT_TRUE(thread.running());

    EXPECT_EQ(thread.start(countCall, &calls, FCThread::kCreateSuspended), 0);
    EXPECT_EQ(thread.handle, handle);
    EXPECT_EQ(thread.id, id);
    EXPECT_EQ(thread.suspended, 0);

    release.set();
    EXPECT_EQ(thread.wait(INFINITE), WAIT_OBJECT_0);
    EXPECT_FALSE(thread.running());
    EXPECT_EQ(calls.load(), 0);

    // Once ended, the same object starts a new thread.
    ASSERT_EQ(thread.start(countCall, &calls), 1);
    EXPECT_NE(thread.id, id);
    thread.wait(INFINITE);
    EXPECT_EQ(calls.load(), 1);
}

TEST(FCThread, SuspendedStartResumeAndTerminate)
{
    std::atomic<int> calls { 0 };
    FCThread thread;
    ASSERT_EQ(thread.start(countCall, &calls, FCThread::kCreateSuspended), 1);
    EXPECT_EQ(thread.suspended, 1);
    EXPECT_TRUE(thread.running());
    EXPECT_EQ(calls.load(), 0);
    EXPECT_EQ(thread.resume(), 1);
    EXPECT_EQ(thread.suspended, 0);
    thread.wait(INFINITE);
    EXPECT_EQ(calls.load(), 1);

    FCEvent never;
    ASSERT_EQ(never.create(1, 0), 1);
    FCThread stuck;
    ASSERT_EQ(stuck.start(waitForEvent, &never), 1);
    HANDLE watch = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), stuck.handle, GetCurrentProcess(), &watch, SYNCHRONIZE, FALSE, 0));
    stuck.terminate();
    EXPECT_EQ(stuck.handle, nullptr);
    EXPECT_EQ(stuck.id, 0u);
    EXPECT_EQ(WaitForSingleObject(watch, INFINITE), WAIT_OBJECT_0);
    CloseHandle(watch);
    EXPECT_EQ(stuck.resume(), -1);
}

TEST(FCThread, UsesTheChosenStackSize)
{
    constexpr uint32_t kChosen = 16u << 20;
    size_t reservedDefault = 0, reservedChosen = 0;

    FCThread standard;
    ASSERT_EQ(standard.start(measure, &reservedDefault), 1);
    standard.wait(INFINITE);

    FCThread large;
    large.stackSize = kChosen;
    ASSERT_EQ(large.start(measure, &reservedChosen), 1);
    large.wait(INFINITE);

    EXPECT_LT(reservedDefault, kChosen);
    EXPECT_GE(reservedChosen, kChosen);
}

#if defined(__i386__) || defined(_M_IX86)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
// What scenario modules, compiled on their own, see of these classes.
static_assert(sizeof(FCCriticalSection) == 4 + 24 + 4 && offsetof(FCCriticalSection, waiters) == 28);
static_assert(sizeof(FCEvent) == 8 && sizeof(FCLock) == 8);
static_assert(sizeof(FCThread) == 20 && offsetof(FCThread, stackSize) == 16);
#pragma GCC diagnostic pop
#endif
