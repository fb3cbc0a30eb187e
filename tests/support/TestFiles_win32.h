#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// Small helpers shared by the Windows tests.

// Byte offset of a member inside its object, for the layout contracts that
// separately compiled modules rely on.
template <typename Object> size_t offsetIn(const Object& object, const volatile void* member)
{
    return static_cast<size_t>(
        static_cast<const volatile char*>(member) - reinterpret_cast<const volatile char*>(&object));
}

// A file name in the temporary folder that belongs to this process alone, so
// the two locales' runs of a test never share a file.
inline std::string scratchFile(const char* tag, const char* name)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "lumivex-" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" + name;
}

// Writes bytes into scratchFile(tag, name); the file's name.
inline std::string writeScratchFile(const char* tag, const char* name, const std::vector<uint8_t>& bytes)
{
    const std::string path = scratchFile(tag, name);
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    return path;
}

inline std::vector<uint8_t> readAll(const std::string& path)
{
    std::vector<uint8_t> out;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        int c;
        while ((c = std::fgetc(f)) != EOF)
            out.push_back(static_cast<uint8_t>(c));
        std::fclose(f);
    }
    return out;
}
