/* The entry point of the resource-only language modules: they hold menus and
   dialog templates and run no code, so they need no C runtime. */
#include <windows.h>

BOOL WINAPI languageModuleEntry(HINSTANCE module, DWORD reason, LPVOID reserved)
{
    (void)module;
    (void)reason;
    (void)reserved;
    return TRUE;
}
