#pragma once

// A developer notice on the debugger output (OutputDebugStringA); natively
// it goes nowhere.
void debuggerOutput(const char* text);
