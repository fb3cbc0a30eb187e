#pragma once

#include "foundation/FCString.h"
#include "foundation/LumivexApi.h"

struct HINSTANCE__;

// A loaded dynamic library: scenario modules, the resident module, further
// modules that scenario code loads.
class LUMIVEX_API FCDll {
public:
    FCDll() = default;
    FCDll(const FCDll&) = delete;
    FCDll& operator=(const FCDll&) = delete;
    virtual ~FCDll();

    // Unloads the current module first; records the name only on success.
    bool load(const char* fileName, unsigned flags = 0);
    // The exported address, or null when no module is loaded or it lacks the name.
    void* entry(const char* name) const;
    void unload();

    bool isLoaded() const { return m_module != nullptr; }
    HINSTANCE__* moduleHandle() const { return m_module; }
    const FCString& fileName() const { return m_fileName; }

private:
    HINSTANCE__* m_module = nullptr;
    FCString m_fileName;
};

// Modules in a list are the same when they have the same module handle.
inline bool fcListItemEquals(const FCDll& a, const FCDll& b)
{
    return a.moduleHandle() == b.moduleHandle();
}
