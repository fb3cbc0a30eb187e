#include <windows.h>

#include <process.h>

#include <cstddef>

#include "foundation/FCSync.h"

static_assert(sizeof(FCSystemCriticalSection) == sizeof(CRITICAL_SECTION));
static_assert(alignof(FCSystemCriticalSection) == alignof(CRITICAL_SECTION));
static_assert(sizeof(std::atomic<int32_t>) == sizeof(LONG) && alignof(std::atomic<int32_t>) == alignof(LONG));

// Modules compiled against these classes read their members directly.
#if defined(_M_IX86) || defined(__i386__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(sizeof(FCCriticalSection) == 32 && offsetof(FCCriticalSection, section) == 4
    && offsetof(FCCriticalSection, waiters) == 28);
static_assert(sizeof(FCEvent) == 8 && offsetof(FCEvent, handle) == 4);
static_assert(sizeof(FCThread) == 20 && offsetof(FCThread, handle) == 4 && offsetof(FCThread, id) == 8
    && offsetof(FCThread, suspended) == 12 && offsetof(FCThread, stackSize) == 16);
#pragma GCC diagnostic pop
#endif
static_assert(FCThread::kStillActive == STILL_ACTIVE && FCThread::kCreateSuspended == CREATE_SUSPENDED
    && FCThread::kInfinite == INFINITE);

namespace {

CRITICAL_SECTION* systemSection(FCSystemCriticalSection* section)
{
    return reinterpret_cast<CRITICAL_SECTION*>(section);
}

} // namespace

FCCriticalSection::FCCriticalSection()
    : section()
    , waiters(0)
{
    InitializeCriticalSection(systemSection(&section));
}

FCCriticalSection::~FCCriticalSection()
{
    DeleteCriticalSection(systemSection(&section));
}

void FCCriticalSection::enter()
{
    EnterCriticalSection(systemSection(&section));
}

void FCCriticalSection::leave()
{
    LeaveCriticalSection(systemSection(&section));
}

FCEvent::FCEvent()
    : handle(nullptr)
{
}

FCEvent::~FCEvent()
{
    FCEvent::close();
}

int32_t FCEvent::create(int32_t manualReset, int32_t initiallySignalled)
{
    if (!handle)
        handle = CreateEventW(nullptr, manualReset ? TRUE : FALSE, initiallySignalled ? TRUE : FALSE, nullptr);
    return handle ? 1 : 0;
}

int32_t FCEvent::close()
{
    if (!handle)
        return 0;
    BOOL closed = CloseHandle(handle);
    handle = nullptr;
    return closed ? 1 : 0;
}

int32_t FCEvent::set()
{
    return handle && SetEvent(handle) ? 1 : 0;
}

int32_t FCEvent::reset()
{
    return handle && ResetEvent(handle) ? 1 : 0;
}

int32_t FCEvent::pulse()
{
    return handle && PulseEvent(handle) ? 1 : 0;
}

uint32_t FCEvent::wait(uint32_t timeout)
{
    return handle ? WaitForSingleObject(handle, timeout) : 0;
}

int32_t FCEvent::signal()
{
    return set();
}

int32_t FCEvent::unsignal()
{
    return reset();
}

FCThread::FCThread()
    : handle(nullptr)
    , id(0)
    , suspended(0)
    , stackSize(0)
{
}

FCThread::~FCThread()
{
    if (handle)
        CloseHandle(handle);
}

void* FCThread::securityAttributes()
{
    return nullptr;
}

int32_t FCThread::start(FCThreadProcedure procedure, void* argument, uint32_t flags)
{
    if (running() || !procedure)
        return 0;
    if (handle) {
        CloseHandle(handle);
        handle = nullptr;
        id = 0;
    }
    if (flags & kCreateSuspended)
        suspended = 1;
    unsigned threadId = 0;
    uintptr_t created = _beginthreadex(securityAttributes(), stackSize, procedure, argument, flags, &threadId);
    if (!created) {
        suspended = 0;
        return 0;
    }
    handle = reinterpret_cast<void*>(created);
    id = threadId;
    return 1;
}

bool FCThread::running() const
{
    DWORD code = 0;
    return handle && GetExitCodeThread(handle, &code) && code == STILL_ACTIVE;
}

uint32_t FCThread::wait(uint32_t timeout)
{
    return running() ? WaitForSingleObject(handle, timeout) : 0;
}

int32_t FCThread::resume()
{
    if (!handle)
        return -1;
    DWORD previous = ResumeThread(handle);
    if (previous == 0 || previous == 1)
        suspended = 0;
    return static_cast<int32_t>(previous);
}

void FCThread::terminate()
{
    if (running())
        TerminateThread(handle, 0);
    if (handle)
        CloseHandle(handle);
    handle = nullptr;
    id = 0;
}
