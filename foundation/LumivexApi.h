#pragma once

// Visibility of the host's classes to scenario modules. The host DLL exports
// them; modules import them from its import library. Native builds have no DLL.
#if defined(_WIN32)
#if defined(LUMIVEX_BUILDING_HOST)
#define LUMIVEX_API __declspec(dllexport)
#else
#define LUMIVEX_API __declspec(dllimport)
#endif
#define LUMIVEX_CDECL __cdecl
#define LUMIVEX_STDCALL __stdcall
#define LUMIVEX_EXPORT __declspec(dllexport)
#else
#define LUMIVEX_API
#define LUMIVEX_CDECL
#define LUMIVEX_STDCALL
#define LUMIVEX_EXPORT
#endif

// A window handle without <windows.h>: the same type as HWND, so portable
// headers can name windows and Windows code can pass them straight through.
struct HWND__;
using FCWindowHandle = HWND__*;
