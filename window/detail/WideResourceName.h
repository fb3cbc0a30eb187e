#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "foundation/TextCodePage.h"

// A resource or class name as the wide calls take it: a value below 0x10000
// is a number and passes through as one; anything else is text in the
// game's code page, converted.
class WideResourceName {
public:
    explicit WideResourceName(const char* name)
    {
        if (isNumber(name))
            m_number = reinterpret_cast<const wchar_t*>(name);
        else
            m_text = toWide(name);
    }

    static bool isNumber(const char* name) { return reinterpret_cast<uintptr_t>(name) < 0x10000; }

    // Null for a null name.
    const wchar_t* get() const { return m_number || m_text.empty() ? m_number : m_text.c_str(); }

private:
    const wchar_t* m_number = nullptr;
    std::wstring m_text;
};
