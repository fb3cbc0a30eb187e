#include "window/FCResourceModule.h"

#include <windows.h>

#include "foundation/FCSync.h"

namespace {

FCCriticalSection& resourceLock()
{
    static FCCriticalSection lock;
    return lock;
}

HMODULE g_resourceModule = nullptr;

} // namespace

namespace FCResourceModule {

HINSTANCE__* get()
{
    FCLock lock(&resourceLock());
    return g_resourceModule ? g_resourceModule : GetModuleHandleA(nullptr);
}

void set(HINSTANCE__* module)
{
    FCLock lock(&resourceLock());
    g_resourceModule = module;
}

} // namespace FCResourceModule
