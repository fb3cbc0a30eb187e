#pragma once

#include <cstddef>
#include <initializer_list>

// Scenario modules are compiled apart from the host and read the members of
// its objects directly. The product is the 32-bit host, whose offsets and
// sizes are the contract; other builds (the x86-64 one that runs where
// 32-bit programs cannot) keep the same members in the same order with
// their own pointer widths. Both are checked while the tests compile:
//
//   static_assert(contract32(offsetof(FCScenario, manager), 4));
//   static_assert(ascending({ offsetof(T, first), offsetof(T, second) }));
//
// offsetof on classes with virtual slots is conditionally supported; GCC
// gives the real offsets (silence -Winvalid-offsetof around the checks).

#if defined(__i386__) || defined(_M_IX86)
inline constexpr bool kContractWidths = true;
#else
inline constexpr bool kContractWidths = false;
#endif

// The contract's 32-bit offset or size; any value in other builds.
constexpr bool contract32(size_t actual, size_t expected32)
{
    return !kContractWidths || actual == expected32;
}

constexpr bool ascending(std::initializer_list<size_t> offsets)
{
    size_t index = 0, previous = 0;
    for (size_t offset : offsets) {
        if (index++ > 0 && previous >= offset)
            return false;
        previous = offset;
    }
    return true;
}

// One member of a contract class at its 32-bit offset.
#define LUMIVEX_MEMBER_AT(Class, member, offset32)                                                                     \
    static_assert(contract32(offsetof(Class, member), offset32), #Class "::" #member " is not at offset " #offset32)
// A contract class's or record's 32-bit size.
#define LUMIVEX_SIZE_IS(Type, size32)                                                                                  \
    static_assert(contract32(sizeof(Type), size32), "sizeof(" #Type ") is not " #size32)
