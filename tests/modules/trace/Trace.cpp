#include "Trace.h"

#include <windows.h>

#include <cstdio>

// The file named by LUMIVEX_TRACE, or "trace.txt" in the current folder.
void trace(const char* line)
{
    char path[MAX_PATH] = "trace.txt";
    DWORD length = GetEnvironmentVariableA("LUMIVEX_TRACE", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        lstrcpyA(path, "trace.txt");
    if (FILE* file = std::fopen(path, "ab")) {
        std::fprintf(file, "%s\n", line);
        std::fclose(file);
    }
}
