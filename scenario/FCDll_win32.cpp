#include <windows.h>

#include "foundation/TextCodePage.h"
#include "scenario/FCDll.h"

FCDll::~FCDll()
{
    unload();
}

bool FCDll::load(const char* fileName, unsigned flags)
{
    unload();
    HMODULE module = LoadLibraryExW(toWide(fileName).c_str(), nullptr, flags);
    if (!module)
        return false;
    m_module = module;
    m_fileName = fileName;
    return true;
}

void* FCDll::entry(const char* name) const
{
    if (!m_module || !name)
        return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(m_module, name));
}

void FCDll::unload()
{
    if (m_module) {
        FreeLibrary(m_module);
        m_module = nullptr;
    }
}
