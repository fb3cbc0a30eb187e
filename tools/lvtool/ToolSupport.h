#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Shared by lvtool's commands.

// Decimal, or hexadecimal after "0x"; the whole text must be the number.
bool parseNumber(const char* text, long long& value);
bool readWholeFile(const char* path, std::vector<uint8_t>& content);
bool writeWholeFile(const char* path, const uint8_t* data, size_t size);
// Prints "lvtool: <file>: <reason>" and returns the exit code 1.
int fail(const char* file, const char* reason);
// Inside a catch block: what the exception being handled says, in one line
// (running out of memory, the host's exceptions, the standard ones).
std::string currentFailure();
