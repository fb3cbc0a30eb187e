#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

// Runs the messages waiting for this thread's windows.
inline void pumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// The slot number of a virtual function, counted as scenario modules count
// them: the destructor is slot 0 (the compiler gives it two table entries,
// the complete and the deleting destructor) and the first declared virtual
// after it is slot 1. A pointer to a virtual member holds one plus the byte
// offset of its table entry.
template <typename Member> int slotOf(Member member)
{
    struct Representation {
        uintptr_t pointer;
        ptrdiff_t adjustment;
    } representation;
    static_assert(sizeof(Member) == sizeof(Representation));
    std::memcpy(&representation, &member, sizeof(representation));
    if (!(representation.pointer & 1))
        return -1;
    return static_cast<int>((representation.pointer - 1) / sizeof(void*)) - 1;
}
