#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

// The Windows types the window classes name, without <windows.h>: the same
// struct tags the system headers declare, so Windows code passes its own
// handles and records straight through.
struct HICON__;
struct HBRUSH__;
struct HMENU__;
struct HINSTANCE__;
struct HBITMAP__;
struct HDROP__;
struct tagRECT;
struct tagPAINTSTRUCT;
struct tagCREATESTRUCTW;
struct tagMENUITEMINFOA;

// Message parameters and results, as wide as a pointer (WPARAM, LPARAM and
// LRESULT of the 32-bit system).
using FCWParam = uintptr_t;
using FCLParam = intptr_t;
using FCLResult = intptr_t;
