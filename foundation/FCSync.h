#pragma once

#include <atomic>
#include <cstdint>

#include "foundation/LumivexApi.h"

// Synchronisation wrappers over the Win32 kernel objects (implemented in the
// win32 build only). Scenario modules hold and call them, so slot and member
// order are fixed.


// Storage laid out like the system's CRITICAL_SECTION, so this header needs
// no <windows.h>; the implementation checks size and alignment.
struct FCSystemCriticalSection {
    void* debugInfo;
    int32_t lockCount;
    int32_t recursionCount;
    void* owningThread;
    void* lockSemaphore;
    uintptr_t spinCount;
};

class LUMIVEX_API FCCriticalSection {
public:
    FCCriticalSection();
    FCCriticalSection(const FCCriticalSection&) = delete;
    FCCriticalSection& operator=(const FCCriticalSection&) = delete;
    virtual ~FCCriticalSection();

    void enter();
    void leave();

    FCSystemCriticalSection section;
    // Threads holding or waiting for the section, kept by FCLock.
    std::atomic<int32_t> waiters;
};

// Holds a critical section for its scope. The waiter count rises before
// entering and falls before leaving. A null section is no lock.
class FCLock {
public:
    explicit FCLock(FCCriticalSection* section)
        : m_section(section)
    {
        if (m_section) {
            m_section->waiters.fetch_add(1);
            m_section->enter();
        }
    }
    FCLock(const FCLock&) = delete;
    FCLock& operator=(const FCLock&) = delete;
    virtual ~FCLock()
    {
        if (m_section) {
            m_section->waiters.fetch_sub(1);
            m_section->leave();
        }
    }

private:
    FCCriticalSection* m_section;
};

// An event object. Every operation on an event that has no handle yet
// returns 0 and does nothing.
class LUMIVEX_API FCEvent {
public:
    FCEvent();
    FCEvent(const FCEvent&) = delete;
    FCEvent& operator=(const FCEvent&) = delete;
    virtual ~FCEvent();

    // Creates the event unless one exists; 1 when the event exists afterwards.
    virtual int32_t create(int32_t manualReset, int32_t initiallySignalled);
    virtual int32_t close();
    virtual int32_t set();
    virtual int32_t reset();
    virtual int32_t pulse();
    // The system's wait result (0 signalled, 0x102 timed out); 0 without a handle.
    virtual uint32_t wait(uint32_t timeout);
    // set() and reset() again, under the names older callers use.
    virtual int32_t signal();
    virtual int32_t unsignal();

    void* handle;
};

// Procedure of a thread started by FCThread (the runtime's thread entry type).
using FCThreadProcedure = unsigned(LUMIVEX_STDCALL*)(void* argument);

class LUMIVEX_API FCThread {
public:
    // The creation flag that starts a thread suspended.
    static constexpr uint32_t kCreateSuspended = 4;
    // The exit code of a thread that still runs.
    static constexpr uint32_t kStillActive = 259;
    static constexpr uint32_t kInfinite = 0xFFFFFFFFu;

    FCThread();
    FCThread(const FCThread&) = delete;
    FCThread& operator=(const FCThread&) = delete;
    // Closes the handle; a running thread goes on.
    virtual ~FCThread();

    // Security attributes for new threads: none.
    virtual void* securityAttributes();

    // Starts procedure(argument) with the stack size and flags unless the
    // thread still runs; 1 when a thread was started.
    int32_t start(FCThreadProcedure procedure, void* argument, uint32_t flags = 0);
    bool running() const;
    // The system's wait result when running, else 0.
    uint32_t wait(uint32_t timeout = kInfinite);
    // The previous suspend count, or -1.
    int32_t resume();
    // Ends a running thread with code 0 and forgets the handle.
    void terminate();

    void* handle;
    uint32_t id;
    int32_t suspended;
    // Bytes of stack for new threads; 0 is the executable's default.
    uint32_t stackSize;
};
